// UnfurlCodeTable: the decoder's table builder (see the header).
#include "UnfurlCodeTable.h"

#include <stdlib.h>
#include <string.h>

enum { MAX_BITS = 16 };         // longest code length the builder accepts

// Format notes (RFC 1951 3.2.2): a Huffman code is sent as its code lengths only. Codes of
// one length are consecutive numbers in the order of their symbols, and the first code of a
// length follows the last code of the length before, doubled (canonical codes). Codes are
// packed starting with their most significant bit.
//
// The tables: a root table indexed by the stream's next ARootBits bits, and sub-tables for
// longer codes indexed by the bits after those. Tables are filled completely: when the code
// is incomplete, the missing codes are counted as extra codes of the longest length and
// their entries say "invalid". Each table is one block whose first entry links to the block
// built before it; ARoot is the first-level table, AChain the last block built.

// One BuildCodeTable call: the code, its symbols in code order, and the tables open while
// the codes are assigned in increasing length (one per level, the root at level 0).
struct TTableBuild {
    const int *c;               // codes of each length, the spare codes added at g
    const uint16_t *v;          // symbols sorted by code length
    int nv;                     // symbols of nonzero length; codes past them are spare
    int g;                      // longest code length
    int m;                      // widest table allowed
    unsigned el;                // the end-of-block code's length
    int Simple;                 // symbols below it are literals (and 256 the end of block)
    const uint16_t *Base;       // base and extra-bit count of the other symbols
    const uint8_t *Extra;
    int l[MAX_BITS + 1];        // width of the open table at each level
    TCodeEntry *u[MAX_BITS + 1];  // open table at each level
    unsigned x[MAX_BITS + 1];   // code prefix each open table serves
    int h;                      // level of the current table (-1: none yet)
    int w;                      // bits decoded before the current table
    TCodeEntry *Root, *Chain;
};

// Kraft sum of the lengths j..g: more codes than patterns is over-subscribed (answers -1);
// otherwise the spare patterns are added to c[g] as codes that decode as invalid, and their
// count is the answer (0 for a complete code).
static int AddSpareCodes(int *c, int j, int g)
{
    int y = 1 << j;             // patterns left at the current length
    for (int k = j; k < g; k++, y <<= 1) {
        y -= c[k];
        if (y < 0) return -1;
    }
    y -= c[g];
    if (y < 0) return -1;
    c[g] += y;
    return y;
}

// Width of a new table at level h for the a codes of k bits still to place: the narrowest
// that holds a k-bit code, wider while the codes of the next lengths fill it (up to the
// limit), and ending the end-of-block code at a table boundary.
static int NewTableWidth(const TTableBuild &B, int k, int a)
{
    int z = B.g - B.w < B.m ? B.g - B.w : B.m;      // widest table allowed here
    int q = k - B.w;                                // narrowest table that holds this code
    int f = 1 << q;
    if (f > a && q < z) {       // fewer k-bit codes than patterns: try wider,
        f -= a;                 // up to the limit z
        int cx = k;
        while (++q < z) {
            f <<= 1;
            if (f <= B.c[++cx]) break;
            f -= B.c[cx];
        }
    }
    if ((unsigned)(B.w + q) > B.el && (unsigned)B.w < B.el) q = (int)B.el - B.w;
    return q;
}

// Opens the tables a k-bit code needs below the current one (i: the code so far, bit-reversed),
// each linked from its entry in the table above.
static int OpenTables(TTableBuild &B, int k, int a, unsigned i)
{
    while (B.h < 0 || k > B.w + B.l[B.h]) {
        if (B.h >= 0) B.w += B.l[B.h];
        int h = ++B.h;
        int q = NewTableWidth(B, k, a);
        B.l[h] = q;
        TCodeEntry *t = (TCodeEntry *)malloc(((size_t)(1 << q) + 1) * sizeof(TCodeEntry));
        if (!t) return INFLATE_NO_MEMORY;
        for (int k2 = 1; k2 <= (1 << q); k2++) {   // every entry gets filled later;
            t[k2].Op = OP_INVALID;                  // invalid until then, to be safe
            t[k2].Bits = 0;
            t[k2].Value = 0;
            t[k2].Next = 0;
        }
        t->Next = B.Chain;      // link to the block built before
        B.Chain = t;
        B.u[h] = t + 1;
        if (h == 0) {
            B.Root = B.u[0];
        } else {
            B.x[h] = i;
            TCodeEntry &r = B.u[h - 1][(i & ((1u << B.w) - 1)) >> (B.w - B.l[h - 1])];
            r.Op = (uint8_t)(16 + q);
            r.Bits = (uint8_t)B.l[h - 1];
            r.Value = 0;
            r.Next = B.u[h];
        }
    }
    return INFLATE_OK;
}

// The entry of the k-bit code of symbol v[p] (p moves on), or of a spare code.
static TCodeEntry CodeEntry(const TTableBuild &B, int k, int &p)
{
    TCodeEntry r;
    r.Bits = (uint8_t)(k - B.w);
    r.Next = 0;
    if (p >= B.nv) {            // a spare code
        r.Op = OP_INVALID;
        r.Value = 0;
    } else if (B.v[p] < B.Simple) {
        r.Op = B.v[p] < 256 ? OP_LITERAL : OP_END_OF_BLOCK;
        r.Value = B.v[p++];
    } else {
        r.Op = B.Extra[B.v[p] - B.Simple];
        r.Value = B.Base[B.v[p++] - B.Simple];
    }
    return r;
}

// Canonical codes in increasing length, kept bit-reversed in i because the decoder indexes
// tables with the stream's next bits, first bit lowest. Each code's entry is repeated over
// every index of its table that ends in its bits.
static int AssignCodes(TTableBuild &B, int j)
{
    unsigned i = 0;
    int p = 0;                  // next symbol of v
    B.h = -1;
    B.w = 0;
    B.x[0] = 0;
    for (int k = j; k <= B.g; k++) {
        for (int a = B.c[k]; a > 0; a--) {
            if (int r = OpenTables(B, k, a, i)) return r;
            TCodeEntry r = CodeEntry(B, k, p);
            int step = 1 << (k - B.w);
            for (unsigned idx = i >> B.w; idx < (1u << B.l[B.h]); idx += step) B.u[B.h][idx] = r;

            // Next code: add one to the bit-reversed k-bit code.
            unsigned bit = 1u << (k - 1);
            while (i & bit) {
                i ^= bit;
                bit >>= 1;
            }
            i ^= bit;
            // Close the tables whose prefix is finished.
            while ((i & ((1u << B.w) - 1)) != B.x[B.h]) {
                B.h--;
                B.w -= B.l[B.h];
            }
        }
    }
    return INFLATE_OK;
}

int BuildCodeTable(const uint16_t *AB, int ANum, int ASimple, const uint16_t *ABase,
                   const uint8_t *AExtra, int &ARootBits, TCodeEntry *&ARoot,
                   TCodeEntry *&AChain)
{
    int c[MAX_BITS + 1];        // codes of each length (then the spare codes added at g)
    int xo[MAX_BITS + 1];       // running offsets per length while sorting
    uint16_t v[320];            // symbols sorted by code length

    ARoot = AChain = 0;
    DATA_CHECK(ANum >= 0 && ANum <= 320);
    memset(c, 0, sizeof(c));
    for (int i = 0; i < ANum; i++) {
        DATA_CHECK(AB[i] <= MAX_BITS);
        c[AB[i]]++;
    }
    if (c[0] == ANum) {         // no codes at all
        ARootBits = 0;
        return INFLATE_OK;
    }

    int j = 1, g = MAX_BITS;    // shortest and longest code length
    while (c[j] == 0) j++;
    while (c[g] == 0) g--;
    int y = AddSpareCodes(c, j, g);
    if (y < 0) return INFLATE_OVERSUBSCRIBED;

    // Sort the symbols by length, by symbol value within a length.
    xo[1] = 0;
    for (int k = 1; k < g; k++) xo[k + 1] = xo[k] + c[k];
    for (int i = 0; i < ANum; i++)
        if (AB[i] != 0) v[xo[AB[i]]++] = (uint16_t)i;

    TTableBuild b;
    b.c = c;
    b.v = v;
    b.nv = xo[g];
    b.g = g;
    b.m = ARootBits < j ? j : ARootBits > g ? g : ARootBits;
    b.el = ANum > 256 ? AB[256] : MAX_BITS;
    b.Simple = ASimple;
    b.Base = ABase;
    b.Extra = AExtra;
    b.Root = b.Chain = 0;
    int r = AssignCodes(b, j);
    if (r) {
        FreeCodeTables(b.Chain);
        return r;
    }
    ARoot = b.Root;
    AChain = b.Chain;
    ARootBits = b.l[0];
    return (y != 0 && g != 1) ? INFLATE_DATA_ERROR : INFLATE_OK;
}

void FreeCodeTables(TCodeEntry *AChain)
{
    while (AChain) {
        TCodeEntry *next = AChain->Next;
        free(AChain);
        AChain = next;
    }
}
