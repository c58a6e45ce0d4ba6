// UnfurlCodeTable: the table builder of the installer's DEFLATE decoder: a canonical
// Huffman code, given by its code lengths, as lookup tables (UnfurlZipInflate.cpp decodes
// with them). Also the one way the decoder's units say that the input is malformed.
#ifndef UNFURLCODETABLE_H
#define UNFURLCODETABLE_H

#include <stdint.h>

#include "UnfurlZipInflate.h"

// Malformed input ends the entry with a data error; every check of the stream says so this
// way. Nothing is cleaned up on the way out: the entry is over, InflateEntry frees what it
// allocated and writes nothing more.
#define DATA_CHECK(ACondition)                              \
    do {                                                    \
        if (!(ACondition)) return INFLATE_DATA_ERROR;       \
    } while (0)

// One entry of a lookup table. Op: 0..13 length/distance base in Value with Op extra
// bits; 15 end of block; 16 literal in Value; 17..31 sub-table in Next indexed by the next
// Op - 16 bits; 99 invalid code. Bits: bits used at this table's level.
struct TCodeEntry {
    uint8_t Op;
    uint8_t Bits;
    uint16_t Value;
    TCodeEntry *Next;
};
enum { OP_END_OF_BLOCK = 15, OP_LITERAL = 16, OP_INVALID = 99 };

// Builds the lookup tables of a canonical Huffman code. AB: ANum code lengths (0..16);
// symbols below ASimple are literals (256 is the end of block), the others take base and
// extra-bit count from ABase/AExtra[symbol - ASimple]. ARootBits: requested root width in,
// actual root width out (0 when every length is 0). ARoot gets the root table (0 when no
// codes), AChain the head of the chain of every table built (for FreeCodeTables).
// Answers INFLATE_OK; INFLATE_DATA_ERROR for a length over 16, a count over 320, or an
// incomplete code (usable: its spare codes decode as invalid; not reported when the longest
// code has 1 bit); INFLATE_OVERSUBSCRIBED (no tables); INFLATE_NO_MEMORY (no tables).
int BuildCodeTable(const uint16_t *AB, int ANum, int ASimple, const uint16_t *ABase,
                   const uint8_t *AExtra, int &ARootBits, TCodeEntry *&ARoot,
                   TCodeEntry *&AChain);
void FreeCodeTables(TCodeEntry *AChain);

#endif
