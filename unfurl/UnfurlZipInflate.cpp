// UnfurlZipInflate: DEFLATE decoder and CRC-32 of the installer (see the header).
#include "UnfurlZipInflate.h"

#include <stdlib.h>
#include <string.h>

TZipHandle ArchiveFile = -1;
TZipHandle OutFile = -1;
int64_t OutLeft = -1;
int32_t CompressedLeft = 0;
uint32_t Crc = 0xFFFFFFFFu;
uint32_t *CrcTable = 0;

// ---- Memory binding -----------------------------------------------------------------

void ZipMemOpen(TZipMemFile &F, const void *AData, int64_t ASize)
{
    F.Data = (uint8_t *)AData;
    F.Size = ASize;
    F.Pos = 0;
    F.Cap = 0;
    F.Reads = F.Writes = 0;
}

void ZipMemCreate(TZipMemFile &F)
{
    ZipMemOpen(F, 0, 0);
}

void ZipMemFree(TZipMemFile &F)
{
    if (F.Cap > 0) free(F.Data);
    ZipMemOpen(F, 0, 0);
}

static int32_t MemRead(TZipHandle AFile, void *ABuf, int32_t ACount)
{
    TZipMemFile &f = *(TZipMemFile *)AFile;
    f.Reads++;
    if (ACount <= 0 || f.Pos >= f.Size) return 0;
    int64_t n = f.Size - f.Pos < ACount ? f.Size - f.Pos : ACount;
    memcpy(ABuf, f.Data + f.Pos, (size_t)n);
    f.Pos += n;
    return (int32_t)n;
}

static int32_t MemWrite(TZipHandle AFile, const void *ABuf, int32_t ACount)
{
    TZipMemFile &f = *(TZipMemFile *)AFile;
    f.Writes++;
    if (ACount <= 0) return 0;
    if (f.Data && f.Cap == 0) return 0;          // a borrowed view is read-only
    int64_t end = f.Pos + ACount;
    if (end > f.Cap) {
        int64_t cap = f.Cap < 65536 ? 65536 : f.Cap;
        while (cap < end) cap *= 2;
        if ((uint64_t)cap > (size_t)-1) return 0;
        uint8_t *p = (uint8_t *)realloc(f.Data, (size_t)cap);
        if (!p) return 0;
        f.Data = p;
        f.Cap = cap;
    }
    if (f.Pos > f.Size) memset(f.Data + f.Size, 0, (size_t)(f.Pos - f.Size));
    memcpy(f.Data + f.Pos, ABuf, (size_t)ACount);
    f.Pos = end;
    if (end > f.Size) f.Size = end;
    return ACount;
}

static int64_t MemSeek(TZipHandle AFile, int64_t ADistance, int AMethod)
{
    TZipMemFile &f = *(TZipMemFile *)AFile;
    int64_t base = AMethod == ZIP_SEEK_CURRENT ? f.Pos : AMethod == ZIP_SEEK_END ? f.Size : 0;
    if (base + ADistance < 0) return -1;
    f.Pos = base + ADistance;
    return f.Pos;
}

const TZipIO ZipMemIO = {MemRead, MemWrite, MemSeek};

// ---- CRC-32 -------------------------------------------------------------------------
//
// Reflected CRC-32 (polynomial 0xEDB88320) as ZIP uses it. CrcTable is the usual byte table.
// UpdateCrc gives the same values as the byte-at-a-time update, faster: eight bytes per step
// over seven more tables derived from CrcTable ("slicing by 8"), and on long buffers three
// lanes at once (three independent chains keep the processor busy). The CRC register is
// linear, so the lanes are joined as crc(A B) = crc(A) shifted over |B| zero bytes xor
// crc0(B), where the shift is a multiplication by x^(8|B|) modulo the polynomial.

enum { CRC_LANE = 4096, CRC_SHORT_LANE = 512 };
// The eight tables, allocated by BuildCrcTable (static zeros would take file space in the
// Windows image); [0] is CrcTable unless a caller gave its own block; [k][n]: the register
// after n followed by k zero bytes.
static uint32_t (*CrcSlice)[256];
static uint32_t CrcLaneShift;       // x^(8 * CRC_LANE) mod P
static uint32_t CrcShortLaneShift;  // x^(8 * CRC_SHORT_LANE) mod P

// a * b modulo the polynomial, both in the reflected bit order (bit 31 is x^0).
static uint32_t MultModP(uint32_t a, uint32_t b)
{
    uint32_t p = 0;
    for (uint32_t m = 1u << 31; m != 0; m >>= 1) {
        if (a & m) p ^= b;
        b = (b & 1) ? (b >> 1) ^ 0xEDB88320u : b >> 1;
    }
    return p;
}

static uint32_t ZeroBytesShift(int ACount)   // x^(8 * ACount) mod P
{
    uint32_t x = 1u << 31;                   // x^0
    for (int k = 0; k < ACount; k++) x = CrcSlice[0][x & 0xFF] ^ (x >> 8);
    return x;
}

void BuildCrcTable()
{
    if (!CrcSlice) CrcSlice = (uint32_t(*)[256])malloc(8 * 256 * sizeof(uint32_t));
    if (!CrcSlice) return;                   // UpdateCrc then works bit by bit
    if (!CrcTable) CrcTable = CrcSlice[0];
    for (uint32_t n = 0; n < 256; n++) {
        uint32_t c = n;
        for (int k = 0; k < 8; k++) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        CrcTable[n] = c;
        CrcSlice[0][n] = c;
    }
    for (int k = 1; k < 8; k++)
        for (uint32_t n = 0; n < 256; n++) {
            uint32_t c = CrcSlice[k - 1][n];
            CrcSlice[k][n] = CrcSlice[0][c & 0xFF] ^ (c >> 8);
        }
    CrcLaneShift = ZeroBytesShift(CRC_LANE);
    CrcShortLaneShift = ZeroBytesShift(CRC_SHORT_LANE);
}

static inline uint32_t Load32(const uint8_t *p)   // little-endian targets only
{
    uint32_t v;
    memcpy(&v, p, 4);
    return v;
}

static inline uint32_t Crc8Bytes(uint32_t c, const uint8_t *p)
{
    const uint32_t(*t)[256] = CrcSlice;
    uint32_t a = Load32(p) ^ c, b = Load32(p + 4);
    return t[7][a & 0xFF] ^ t[6][(a >> 8) & 0xFF] ^ t[5][(a >> 16) & 0xFF] ^ t[4][a >> 24] ^
           t[3][b & 0xFF] ^ t[2][(b >> 8) & 0xFF] ^ t[1][(b >> 16) & 0xFF] ^ t[0][b >> 24];
}

// Three lanes of ALane bytes (a multiple of 8) from p; answers the register after all three.
static inline uint32_t Crc3Lanes(uint32_t c, const uint8_t *p, int ALane, uint32_t AShift)
{
    uint32_t c1 = 0, c2 = 0;
    const uint8_t *q = p + ALane, *r = q + ALane;
    for (int k = 0; k < ALane; k += 8) {
        c = Crc8Bytes(c, p + k);
        c1 = Crc8Bytes(c1, q + k);
        c2 = Crc8Bytes(c2, r + k);
    }
    c = MultModP(AShift, c) ^ c1;
    return MultModP(AShift, c) ^ c2;
}

void UpdateCrc(const void *ABuf, int32_t ALen, uint32_t &ACrc)
{
    if (ALen <= 0) return;
    if (!CrcSlice) BuildCrcTable();
    const uint8_t *p = (const uint8_t *)ABuf;
    uint32_t c = ACrc;
    size_t n = (size_t)ALen;
    if (!CrcSlice) {                         // no memory for the tables
        for (; n > 0; n--) {
            c ^= *p++;
            for (int k = 0; k < 8; k++) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
        }
        ACrc = c;
        return;
    }
    for (; n >= 3 * CRC_LANE; n -= 3 * CRC_LANE, p += 3 * CRC_LANE)
        c = Crc3Lanes(c, p, CRC_LANE, CrcLaneShift);
    for (; n >= 3 * CRC_SHORT_LANE; n -= 3 * CRC_SHORT_LANE, p += 3 * CRC_SHORT_LANE)
        c = Crc3Lanes(c, p, CRC_SHORT_LANE, CrcShortLaneShift);
    for (; n >= 8; n -= 8, p += 8) c = Crc8Bytes(c, p);
    for (; n > 0; n--) c = CrcSlice[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
    ACrc = c;
}

// ---- Constant tables ----------------------------------------------------------------

// Format notes (RFC 1951 3.2.5): length symbols 257..285 stand for lengths 3..258 with 0..5
// extra bits; 285 is 258 with no extra bits. Symbols 286 and 287 take part in the fixed code
// but are invalid: extra-bit count 99 builds them as invalid entries. Distance symbols 0..29
// give distances 1..32768 with 0..13 extra bits; 30 and 31 (a dynamic header may announce 32
// distance codes) are invalid the same way.
static const uint16_t LengthBase[31] = {
    3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31,
    35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258, 0, 0};
static const uint8_t LengthExtra[31] = {
    0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2,
    3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0, 99, 99};
static const uint16_t DistBase[32] = {
    1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129, 193,
    257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577, 0, 0};
static const uint8_t DistExtra[32] = {
    0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6,
    7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 99, 99};
static const uint16_t BitMask[17] = {
    0x0000, 0x0001, 0x0003, 0x0007, 0x000F, 0x001F, 0x003F, 0x007F, 0x00FF,
    0x01FF, 0x03FF, 0x07FF, 0x0FFF, 0x1FFF, 0x3FFF, 0x7FFF, 0xFFFF};
// Order in which a dynamic header sends the code lengths of the code-length code.
static const uint8_t CodeLengthOrder[19] = {
    16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

static_assert(sizeof(LengthBase) / sizeof(LengthBase[0]) == 288 - 257, "length symbols 257..287");
static_assert(sizeof(DistBase) / sizeof(DistBase[0]) == 32, "distance symbols 0..31");

enum {
    MAX_BITS = 16,              // longest code length the table builder accepts
    WINDOW_SIZE = 32768,        // history a distance may reach; also the size of each write
    IN_SIZE = 32768,            // bytes per read from the archive
    MAX_MATCH = 258             // longest back-reference
};

// ---- Lookup tables ------------------------------------------------------------------

// Builds the tables of one code (b: ANum lengths). Tables are filled completely: when the
// code is incomplete, the missing codes are counted as extra codes of the longest length and
// their entries say "invalid". Each table is one block whose first entry links to the block
// built before it; ARoot is the first-level table, AChain the last block built.
int BuildCodeTable(const uint16_t *AB, int ANum, int ASimple, const uint16_t *ABase,
                   const uint8_t *AExtra, int &ARootBits, TCodeEntry *&ARoot,
                   TCodeEntry *&AChain)
{
    int c[MAX_BITS + 1];        // codes of each length (then the spare codes added at g)
    int xo[MAX_BITS + 1];       // running offsets per length while sorting
    uint16_t v[320];            // symbols sorted by code length
    int l[MAX_BITS + 1];        // width of the open table at each level
    TCodeEntry *u[MAX_BITS + 1];  // open table at each level
    unsigned x[MAX_BITS + 1];   // code prefix each open table serves

    ARoot = AChain = 0;
    if (ANum < 0 || ANum > 320) return INFLATE_DATA_ERROR;
    unsigned el = ANum > 256 ? AB[256] : MAX_BITS;   // the end-of-block code's length

    memset(c, 0, sizeof(c));
    for (int i = 0; i < ANum; i++) {
        if (AB[i] > MAX_BITS) return INFLATE_DATA_ERROR;
        c[AB[i]]++;
    }
    if (c[0] == ANum) {         // no codes at all
        ARootBits = 0;
        return INFLATE_OK;
    }

    int j = 1, g = MAX_BITS;    // shortest and longest code length
    while (c[j] == 0) j++;
    while (c[g] == 0) g--;
    int m = ARootBits;
    if (m < j) m = j;
    if (m > g) m = g;

    // Kraft sum: more codes than patterns is over-subscribed; spare patterns become codes of
    // length g that decode as invalid.
    int y = 1 << j;             // patterns left at the current length
    for (int k = j; k < g; k++, y <<= 1) {
        y -= c[k];
        if (y < 0) return INFLATE_OVERSUBSCRIBED;
    }
    y -= c[g];
    if (y < 0) return INFLATE_OVERSUBSCRIBED;
    c[g] += y;

    // Sort the symbols by length, by symbol value within a length.
    xo[1] = 0;
    for (int k = 1; k < g; k++) xo[k + 1] = xo[k] + c[k];
    for (int i = 0; i < ANum; i++)
        if (AB[i] != 0) v[xo[AB[i]]++] = (uint16_t)i;
    int nv = xo[g];             // symbols of nonzero length; codes past them are spare

    // Canonical codes in increasing length, kept bit-reversed in i because the decoder
    // indexes tables with the stream's next bits, first bit lowest.
    unsigned i = 0;
    int p = 0;                  // next symbol of v
    int h = -1;                 // level of the current table (-1: none yet)
    int w = 0;                  // bits decoded before the current table
    x[0] = 0;
    for (int k = j; k <= g; k++) {
        for (int a = c[k]; a > 0; a--) {
            // Open tables until the current one is deep enough for a k-bit code.
            while (h < 0 || k > w + l[h]) {
                if (h >= 0) w += l[h];
                h++;
                int z = g - w < m ? g - w : m;      // widest table allowed here
                int q = k - w;                      // narrowest table that holds this code
                int f = 1 << q;
                if (f > a && q < z) {   // fewer k-bit codes than patterns: try wider,
                    f -= a;             // up to the limit z
                    int cx = k;
                    while (++q < z) {
                        f <<= 1;
                        if (f <= c[++cx]) break;
                        f -= c[cx];
                    }
                }
                if ((unsigned)(w + q) > el && (unsigned)w < el)
                    q = (int)el - w;    // end the end-of-block code at a table boundary
                l[h] = q;
                TCodeEntry *t = (TCodeEntry *)malloc(((size_t)(1 << q) + 1) * sizeof(TCodeEntry));
                if (!t) {
                    FreeCodeTables(AChain);
                    AChain = ARoot = 0;
                    return INFLATE_NO_MEMORY;
                }
                for (int k2 = 1; k2 <= (1 << q); k2++) {   // every entry gets filled below;
                    t[k2].Op = OP_INVALID;                  // invalid until then, to be safe
                    t[k2].Bits = 0;
                    t[k2].Value = 0;
                    t[k2].Next = 0;
                }
                t->Next = AChain;       // link to the block built before
                AChain = t;
                u[h] = t + 1;
                if (h == 0) {
                    ARoot = u[0];
                } else {
                    x[h] = i;
                    TCodeEntry &r = u[h - 1][(i & ((1u << w) - 1)) >> (w - l[h - 1])];
                    r.Op = (uint8_t)(16 + q);
                    r.Bits = (uint8_t)l[h - 1];
                    r.Value = 0;
                    r.Next = u[h];
                }
            }

            TCodeEntry r;
            r.Bits = (uint8_t)(k - w);
            r.Next = 0;
            if (p >= nv) {              // a spare code
                r.Op = OP_INVALID;
                r.Value = 0;
            } else if (v[p] < ASimple) {
                r.Op = v[p] < 256 ? OP_LITERAL : OP_END_OF_BLOCK;
                r.Value = v[p++];
            } else {
                r.Op = AExtra[v[p] - ASimple];
                r.Value = ABase[v[p++] - ASimple];
            }
            int step = 1 << (k - w);
            for (unsigned idx = i >> w; idx < (1u << l[h]); idx += step) u[h][idx] = r;

            // Next code: add one to the bit-reversed k-bit code.
            unsigned bit = 1u << (k - 1);
            while (i & bit) {
                i ^= bit;
                bit >>= 1;
            }
            i ^= bit;
            // Close the tables whose prefix is finished.
            while ((i & ((1u << w) - 1)) != x[h]) {
                h--;
                w -= l[h];
            }
        }
    }
    ARootBits = l[0];
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

// ---- Decoder state (one InflateEntry call) ------------------------------------------
//
// The window is the output buffer and the history at once. Its block holds the previous
// 32,768 output bytes in front of the bytes being collected, so a back-reference is always
// one plain copy from behind the write position: when the window is full it is written,
// added to the CRC and moved in front. A distance is checked against the bytes this entry
// has produced, never against whatever the block held before.

static uint8_t *InBuf;          // IN_SIZE bytes plus room for the 8-byte loads of the fast loop
static uint32_t InPos, InLen;
static uint64_t BitBuf;         // next bit is bit 0; bits above BitCount are either zero or
static uint32_t BitCount;       //   the exact next input bits (the fast loop loads ahead)
static uint32_t PadBytes;       // zero bytes put into BitBuf after the input ran out
static uint8_t *WinBlock;       // history (WINDOW_SIZE) + Window (WINDOW_SIZE) + slack
static uint8_t *Window;         // output collected here and written when full
static uint32_t WindowPos;      // bytes in Window
static uint32_t HistLen;        // bytes of this entry's output before Window (0 or WINDOW_SIZE)
static TCodeEntry *FixedLit, *FixedLitChain, *FixedDist, *FixedDistChain;
static int FixedLitBits, FixedDistBits;
static bool FixedBuilt;

// Next input byte, or -1 when the entry's data is used up. Reads blocks of up to IN_SIZE,
// never more than CompressedLeft.
static int ReadInputByte()
{
    if (InPos >= InLen) {
        if (CompressedLeft <= 0) return -1;
        int32_t n = ZipIO.Read(ArchiveFile, InBuf, CompressedLeft < IN_SIZE ? CompressedLeft : IN_SIZE);
        if (n <= 0) {
            CompressedLeft = 0;
            return -1;
        }
        CompressedLeft -= n;
        InLen = (uint32_t)n;
        InPos = 0;
    }
    return InBuf[InPos++];
}

// Makes at least n (<= 16) bits available. Past the end of the input it adds zero bytes and
// counts them, so that a code near the end can be looked up; PastEnd tells whether any of
// them was then used.
static void FillBits(unsigned n)
{
    while (BitCount < n) {
        int b = ReadInputByte();
        if (b < 0) {
            b = 0;
            PadBytes++;
        }
        BitBuf |= (uint64_t)b << BitCount;
        BitCount += 8;
    }
}

static inline void DropBits(unsigned n)
{
    BitBuf >>= n;
    BitCount -= n;
}

static inline unsigned TakeBits(unsigned n)   // n <= 16
{
    FillBits(n);
    unsigned v = (unsigned)BitBuf & BitMask[n];
    DropBits(n);
    return v;
}

static inline bool PastEnd()
{
    return PadBytes != 0 && BitCount < 8 * PadBytes;
}

int WriteOutput(const uint8_t *ABuf, int32_t ACount)
{
    if (OutLeft >= 0) {
        if (ACount > OutLeft) return INFLATE_DATA_ERROR;
        OutLeft -= ACount;
    }
    int32_t done = ZipIO.Write(OutFile, ABuf, ACount);
    if (done > 0) UpdateCrc(ABuf, done > ACount ? ACount : done, Crc);
    return done == ACount ? INFLATE_OK : INFLATE_WRITE_FAILED;
}

// Writes the full window, adds it to the CRC and keeps it as history.
static int FlushWindow()
{
    int r = WriteOutput(Window, WINDOW_SIZE);
    memcpy(WinBlock, Window, WINDOW_SIZE);
    WindowPos = 0;
    HistLen = WINDOW_SIZE;
    return r;
}

// A full window is written out before anything more goes into it.
static inline int FlushIfFull()
{
    return WindowPos == WINDOW_SIZE ? FlushWindow() : INFLATE_OK;
}

static inline int PutByte(unsigned ALiteral)
{
    Window[WindowPos++] = (uint8_t)ALiteral;
    return FlushIfFull();
}

// Copies a back-reference byte by byte (overlap repeats recent bytes), flushing as the
// window fills.
static int CopyMatch(unsigned ALen, unsigned ADist)
{
    if (ADist > HistLen + WindowPos) return INFLATE_DATA_ERROR;   // before the entry's first byte
    while (ALen > 0) {
        unsigned piece = WINDOW_SIZE - WindowPos;
        if (piece > ALen) piece = ALen;
        uint8_t *dst = Window + WindowPos;
        const uint8_t *src = dst - ADist;
        for (unsigned k = 0; k < piece; k++) dst[k] = src[k];
        WindowPos += piece;
        ALen -= piece;
        if (int r = FlushIfFull()) return r;
    }
    return INFLATE_OK;
}

// One code through the table chain, bit by bit from the input (the careful path).
static int DecodeCode(const TCodeEntry *ATable, int ABits, const TCodeEntry *&AEntry)
{
    FillBits((unsigned)ABits);
    const TCodeEntry *e = &ATable[BitBuf & BitMask[ABits]];
    while (e->Op > OP_LITERAL) {
        if (e->Op == OP_INVALID) return INFLATE_DATA_ERROR;
        DropBits(e->Bits);
        unsigned n = e->Op - 16u;
        FillBits(n);
        e = &e->Next[BitBuf & BitMask[n]];
    }
    DropBits(e->Bits);
    if (PastEnd()) return INFLATE_DATA_ERROR;
    AEntry = e;
    return INFLATE_OK;
}

// ---- Blocks -------------------------------------------------------------------------

// Format notes: a stored block skips to the next byte boundary, then LEN (2 bytes, little
// endian), NLEN (its ones' complement), and LEN bytes of data.
static int CopyStoredBlock()
{
    DropBits(BitCount & 7);
    unsigned len = TakeBits(16);
    unsigned nlen = TakeBits(16);
    if (PastEnd() || len != (~nlen & 0xFFFF)) return INFLATE_DATA_ERROR;
    // Whole bytes still in the bit buffer come first...
    while (len > 0 && BitCount >= 8) {
        unsigned b = (unsigned)BitBuf & 0xFF;
        DropBits(8);
        if (PastEnd()) return INFLATE_DATA_ERROR;
        int r = PutByte(b);
        if (r) return r;
        len--;
    }
    if (len == 0) return INFLATE_OK;
    BitBuf = 0;                 // ...then the input buffer directly (the bit buffer is empty)
    while (len > 0) {
        if (InPos >= InLen) {
            if (ReadInputByte() < 0) return INFLATE_DATA_ERROR;
            InPos--;
        }
        unsigned n = InLen - InPos;
        if (n > len) n = len;
        if (n > WINDOW_SIZE - WindowPos) n = WINDOW_SIZE - WindowPos;
        memcpy(Window + WindowPos, InBuf + InPos, n);
        InPos += n;
        WindowPos += n;
        len -= n;
        if (int r = FlushIfFull()) return r;
    }
    return INFLATE_OK;
}

static inline uint64_t Load64(const uint8_t *p)   // little-endian targets only
{
    uint64_t v;
    memcpy(&v, p, 8);
    return v;
}

// Format notes: literal/length symbols 0..255 are bytes, 256 ends the block, 257..285 are
// lengths followed by a distance code; a distance reaches back into the bytes already
// decoded for this entry (at most 32,768). The main loop runs while the input buffer holds a
// whole symbol and distance (8 bytes) and the window has room for the longest match; it
// loads 8 input bytes at a time and copies matches in 16- or 8-byte steps when the distance
// allows (the steps may run past the match into the window's unused tail or slack). Near
// the edges of the buffers one symbol at a time goes the careful way.
// Follows a root entry that links to a sub-table (op above OP_LITERAL holds 16 + the
// sub-table's index width) down to the entry of the code, consuming the bits of each link;
// 0 for an invalid code. The bit buffer holds enough bits: the caller loaded 56.
static inline const TCodeEntry *FastSubTable(const TCodeEntry *e, uint64_t &bb, unsigned &bc)
{
    unsigned op = e->Op;
    while (op > OP_LITERAL) {
        if (op == OP_INVALID) return 0;
        bb >>= e->Bits;
        bc -= e->Bits;
        e = &e->Next[bb & ((1u << (op - 16)) - 1)];
        op = e->Op;
    }
    return e;
}

static int DecodeSymbols(const TCodeEntry *ALit, int ALitBits, const TCodeEntry *ADist, int ADistBits)
{
    if (!ALit) return INFLATE_DATA_ERROR;       // no literal/length code: the block cannot end
    const uint64_t lmask = BitMask[ALitBits], dmask = BitMask[ADistBits];
    for (;;) {
        if (InLen >= 8 && InPos <= InLen - 8 && WindowPos <= WINDOW_SIZE - MAX_MATCH) {
            const uint8_t *in = InBuf + InPos;
            const uint8_t *inLast = InBuf + InLen - 8;
            uint8_t *out = Window + WindowPos;
            uint8_t *const outLast = Window + WINDOW_SIZE - MAX_MATCH;
            const uint8_t *const outFirst = Window - HistLen;
            uint64_t bb = BitBuf;
            unsigned bc = BitCount;
            int r = -1;
            while (in <= inLast && out <= outLast) {
                bb |= Load64(in) << bc;             // at least 56 bits: a length code, its
                in += (63 - bc) >> 3;               // extra bits, a distance code and its
                bc |= 56;                           // extra bits take at most 48
                const TCodeEntry *e = &ALit[bb & lmask];
                unsigned op = e->Op;
                if (op == OP_LITERAL) {
                    bb >>= e->Bits;
                    bc -= e->Bits;
                    *out++ = (uint8_t)e->Value;
                    e = &ALit[bb & lmask];          // two more literals fit the same load
                    op = e->Op;
                    if (op != OP_LITERAL) continue;
                    bb >>= e->Bits;
                    bc -= e->Bits;
                    *out++ = (uint8_t)e->Value;
                    e = &ALit[bb & lmask];
                    op = e->Op;
                    if (op != OP_LITERAL) continue;
                    bb >>= e->Bits;
                    bc -= e->Bits;
                    *out++ = (uint8_t)e->Value;
                    continue;
                }
                if (op > OP_LITERAL) {
                    e = FastSubTable(e, bb, bc);
                    if (!e) { r = INFLATE_DATA_ERROR; break; }
                    op = e->Op;
                }
                bb >>= e->Bits;
                bc -= e->Bits;
                if (op == OP_LITERAL) {
                    *out++ = (uint8_t)e->Value;
                    continue;
                }
                if (op == OP_END_OF_BLOCK) { r = INFLATE_OK; break; }
                unsigned len = e->Value + ((unsigned)bb & ((1u << op) - 1));
                bb >>= op;
                bc -= op;
                if (!ADist) { r = INFLATE_DATA_ERROR; break; }
                e = &ADist[bb & dmask];
                op = e->Op;
                if (op > OP_LITERAL) {
                    e = FastSubTable(e, bb, bc);
                    if (!e) { r = INFLATE_DATA_ERROR; break; }
                    op = e->Op;
                }
                bb >>= e->Bits;
                bc -= e->Bits;
                if (op > 13) { r = INFLATE_DATA_ERROR; break; }
                unsigned dist = e->Value + ((unsigned)bb & ((1u << op) - 1));
                bb >>= op;
                bc -= op;
                if (dist > (unsigned)(out - outFirst)) { r = INFLATE_DATA_ERROR; break; }
                const uint8_t *src = out - dist;
                uint8_t *end = out + len;
                if (dist >= 16) {           // 16-byte steps; may write up to 15 bytes past end
                    do {
                        memcpy(out, src, 16);
                        out += 16;
                        src += 16;
                    } while (out < end);
                } else if (dist >= 8) {     // 8-byte steps
                    do {
                        memcpy(out, src, 8);
                        out += 8;
                        src += 8;
                    } while (out < end);
                } else if (dist == 1) {
                    memset(out, src[0], len);
                } else {
                    do *out++ = *src++; while (out < end);
                }
                out = end;
            }
            InPos = (uint32_t)(in - InBuf);
            WindowPos = (uint32_t)(out - Window);
            BitBuf = bb;
            BitCount = bc;
            if (r >= 0) return r;
            if (int f = FlushIfFull()) return f;
            continue;
        }

        // Careful path: one symbol.
        const TCodeEntry *e;
        int r = DecodeCode(ALit, ALitBits, e);
        if (r) return r;
        if (e->Op == OP_LITERAL) {
            r = PutByte(e->Value);
            if (r) return r;
            continue;
        }
        if (e->Op == OP_END_OF_BLOCK) return INFLATE_OK;
        unsigned len = e->Value + TakeBits(e->Op);
        if (!ADist) return INFLATE_DATA_ERROR;
        r = DecodeCode(ADist, ADistBits, e);
        if (r) return r;
        if (e->Op > 13) return INFLATE_DATA_ERROR;
        unsigned dist = e->Value + TakeBits(e->Op);
        if (PastEnd()) return INFLATE_DATA_ERROR;
        r = CopyMatch(len, dist);
        if (r) return r;
    }
}

// Format notes: the fixed code gives literal/length symbols 0..143 8 bits, 144..255 9 bits,
// 256..279 7 bits, 280..287 8 bits, and all 30 distance symbols 5 bits (the distance code is
// thus incomplete, which is allowed). Built once per entry.
static int DecodeFixedBlock()
{
    if (!FixedBuilt) {
        uint16_t lengths[288];
        int k = 0;
        for (; k < 144; k++) lengths[k] = 8;
        for (; k < 256; k++) lengths[k] = 9;
        for (; k < 280; k++) lengths[k] = 7;
        for (; k < 288; k++) lengths[k] = 8;
        FixedLitBits = 7;
        int r = BuildCodeTable(lengths, 288, 257, LengthBase, LengthExtra, FixedLitBits, FixedLit,
                               FixedLitChain);
        if (r) {
            FreeCodeTables(FixedLitChain);
            FixedLitChain = 0;
            return r;
        }
        for (k = 0; k < 30; k++) lengths[k] = 5;
        FixedDistBits = 5;
        r = BuildCodeTable(lengths, 30, 0, DistBase, DistExtra, FixedDistBits, FixedDist, FixedDistChain);
        if (r > INFLATE_DATA_ERROR) {
            FreeCodeTables(FixedLitChain);
            FreeCodeTables(FixedDistChain);
            FixedLitChain = FixedDistChain = 0;
            return r;
        }
        FixedBuilt = true;
    }
    return DecodeSymbols(FixedLit, FixedLitBits, FixedDist, FixedDistBits);
}

// Format notes: HLIT (5 bits) + 257 literal/length codes, HDIST (5 bits) + 1 distance codes,
// HCLEN (4 bits) + 4 code-length code lengths of 3 bits in CodeLengthOrder. Then the
// literal/length and distance code lengths as one sequence coded with the code-length code:
// 0..15 a length; 16 repeats the previous length 3..6 times (2 extra bits); 17 gives 3..10
// zeros (3 bits); 18 gives 11..138 zeros (7 bits). A repeat may cross from the literal/length
// lengths into the distance lengths but not past the end.
static int DecodeDynamicBlock()
{
    unsigned nl = TakeBits(5) + 257;
    unsigned nd = TakeBits(5) + 1;
    unsigned nb = TakeBits(4) + 4;
    uint16_t lengths[320];
    memset(lengths, 0, sizeof(lengths));
    for (unsigned k = 0; k < nb; k++) lengths[CodeLengthOrder[k]] = (uint16_t)TakeBits(3);
    if (PastEnd()) return INFLATE_DATA_ERROR;

    TCodeEntry *table, *chain;
    int bits = 7;
    int r = BuildCodeTable(lengths, 19, 19, 0, 0, bits, table, chain);
    if (r || !table) {
        FreeCodeTables(chain);
        return r == INFLATE_NO_MEMORY ? r : INFLATE_DATA_ERROR;
    }
    unsigned n = 0, prev = 0;
    while (n < nl + nd) {
        const TCodeEntry *e;
        r = DecodeCode(table, bits, e);
        if (r) break;
        unsigned sym = e->Value, rep;
        unsigned len = 0;
        if (sym < 16) {
            lengths[n++] = (uint16_t)sym;
            prev = sym;
            continue;
        } else if (sym == 16) {
            rep = 3 + TakeBits(2);
            len = prev;
        } else if (sym == 17) {
            rep = 3 + TakeBits(3);
        } else {
            rep = 11 + TakeBits(7);
        }
        if (sym != 16) prev = 0;
        if (PastEnd() || n + rep > nl + nd) { r = INFLATE_DATA_ERROR; break; }
        while (rep--) lengths[n++] = (uint16_t)len;
    }
    FreeCodeTables(chain);
    if (r) return r;

    TCodeEntry *lit, *litChain, *dist, *distChain;
    int litBits = 9, distBits = 6;
    r = BuildCodeTable(lengths, (int)nl, 257, LengthBase, LengthExtra, litBits, lit, litChain);
    if (r) {
        FreeCodeTables(litChain);
        return r == INFLATE_NO_MEMORY ? r : INFLATE_DATA_ERROR;
    }
    r = BuildCodeTable(lengths + nl, (int)nd, 0, DistBase, DistExtra, distBits, dist, distChain);
    if (r > INFLATE_DATA_ERROR) {     // an incomplete distance code is allowed
        FreeCodeTables(litChain);
        FreeCodeTables(distChain);
        return r;
    }
    r = DecodeSymbols(lit, litBits, dist, distBits);
    FreeCodeTables(litChain);
    FreeCodeTables(distChain);
    return r;
}

// Format notes: each block starts with BFINAL (1 bit) and BTYPE (2 bits): 0 stored,
// 1 fixed codes, 2 dynamic codes, 3 invalid.
static int DecodeBlock(bool &ALast)
{
    ALast = TakeBits(1) != 0;
    unsigned type = TakeBits(2);
    if (PastEnd()) return INFLATE_DATA_ERROR;
    switch (type) {
    case 0: return CopyStoredBlock();
    case 1: return DecodeFixedBlock();
    case 2: return DecodeDynamicBlock();
    default: return INFLATE_DATA_ERROR;
    }
}

int InflateEntry()
{
    InPos = InLen = 0;
    BitBuf = 0;
    BitCount = PadBytes = 0;
    WindowPos = HistLen = 0;
    FixedBuilt = false;
    FixedLit = FixedDist = FixedLitChain = FixedDistChain = 0;
    InBuf = (uint8_t *)malloc(IN_SIZE + 16);
    WinBlock = (uint8_t *)malloc(2 * WINDOW_SIZE + 64);
    int r = INFLATE_NO_MEMORY;
    if (InBuf && WinBlock) {
        Window = WinBlock + WINDOW_SIZE;
        bool last = false;
        do r = DecodeBlock(last); while (r == INFLATE_OK && !last);
        if (r == INFLATE_OK && WindowPos > 0) {
            r = WriteOutput(Window, (int32_t)WindowPos);
            WindowPos = 0;
        }
    }
    FreeCodeTables(FixedLitChain);
    FreeCodeTables(FixedDistChain);
    FixedLit = FixedDist = FixedLitChain = FixedDistChain = 0;
    FixedBuilt = false;
    free(InBuf);
    free(WinBlock);
    InBuf = WinBlock = Window = 0;
    return r;
}
