// UnfurlCrc32: the CRC-32 of ZIP (reflected polynomial 0xEDB88320), used by the decoder for
// every byte it writes, by the stored-entry copy and by the payload's integrity check.
#ifndef UNFURLCRC32_H
#define UNFURLCRC32_H

#include <stdint.h>

extern uint32_t *CrcTable;         // 256 entries; BuildCrcTable points it at the unit's block if 0

void BuildCrcTable();
// Adds ALen bytes to the register ACrc (0xFFFFFFFF at the start; the CRC is ~ACrc). No effect
// for ALen <= 0. Builds the table on first use.
void UpdateCrc(const void *ABuf, int32_t ALen, uint32_t &ACrc);

#endif
