// QEncr: text scrambling by rotating the character codes 32..255 by a fixed shift.
// Codes 0..31 stay, so line breaks and terminators survive scrambling.
#ifndef QENCR_H
#define QENCR_H

#include <stdint.h>
#include "QStr.h"

uint8_t Crypt(uint8_t ASource, uint8_t AShift, bool ALeft, bool A32);
string DeCrypt(const string &S, uint8_t AShift);   // unscrambles (shift down)
string ECrypt(const string &S, uint8_t AShift);    // scrambles (shift up)

#endif
