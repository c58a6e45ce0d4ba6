// UnfurlZipInflate: the DEFLATE decoder of the installer (see the header); its tables come
// from UnfurlCodeTable. One unit of some 600 lines on purpose: the bit reader, the window and
// the symbol loops share the state of one entry in file-level variables, and the fast loop
// only stays fast when the compiler sees all of them inline (in the image this unit is
// compiled with -O2).
//
// Order: constants of the format, the decoder's state, the input bits, the output window,
// the symbols (the fast loop and the careful step), the blocks, the two entry points.
#include "UnfurlZipInflate.h"

#include <stdlib.h>
#include <string.h>

#include "UnfurlCodeTable.h"

// ---- Constants of the format --------------------------------------------------------

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
    MAX_DIST_EXTRA = 13,        // most extra bits of a distance (symbols 28 and 29)
    WINDOW_SIZE = 32768,        // history a distance may reach; also the size of each write
    IN_SIZE = 32768,            // bytes per read from the archive
    MAX_MATCH = 258             // longest back-reference
};

// ---- Decoder state (one InflateEntry call) ------------------------------------------
//
// The window is the output buffer and the history at once. Its block holds the previous
// 32,768 output bytes in front of the bytes being collected, so a back-reference is always
// one plain copy from behind the write position: when the window is full it is written,
// added to the CRC and moved in front. A distance is checked against the bytes this entry
// has produced, never against whatever the block held before.

static TInflateRun *Run;        // the entry being decoded: its input, output and CRC
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

// ---- Input bits ---------------------------------------------------------------------
//
// Format notes (RFC 1951 3.1.1): data elements are packed into bytes starting with the
// least significant bit; the extra bits of a length or distance are a number stored that
// way, while Huffman codes start with their most significant bit (the tables are built
// bit-reversed for that).

// Next input byte, or -1 when the entry's data is used up. Reads blocks of up to IN_SIZE,
// never more than CompressedLeft.
static int ReadInputByte()
{
    if (InPos >= InLen) {
        TInflateRun &R = *Run;
        if (R.CompressedLeft <= 0) return -1;
        int32_t n = R.In->Read(R.ArchiveFile, InBuf, R.CompressedLeft < IN_SIZE ? R.CompressedLeft : IN_SIZE);
        if (n <= 0) {
            R.CompressedLeft = 0;
            return -1;
        }
        R.CompressedLeft -= n;
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

// One code through the table chain, its bits fetched byte by byte from the input (the
// careful way); 0 for an invalid code or one that runs past the end of the input.
static const TCodeEntry *DecodeCode(const TCodeEntry *ATable, int ABits)
{
    FillBits((unsigned)ABits);
    const TCodeEntry *e = &ATable[BitBuf & BitMask[ABits]];
    while (e->Op > OP_LITERAL) {
        if (e->Op == OP_INVALID) return 0;
        DropBits(e->Bits);
        unsigned n = e->Op - 16u;
        FillBits(n);
        e = &e->Next[BitBuf & BitMask[n]];
    }
    DropBits(e->Bits);
    return PastEnd() ? 0 : e;
}

// ---- Output window ------------------------------------------------------------------

int WriteOutput(TInflateRun &ARun, const uint8_t *ABuf, int32_t ACount)
{
    if (ARun.OutLeft >= 0) {
        DATA_CHECK(ACount <= ARun.OutLeft);
        ARun.OutLeft -= ACount;
    }
    int32_t done = ARun.Out->Write(ARun.OutFile, ABuf, ACount);
    if (done > 0) UpdateCrc(ABuf, done > ACount ? ACount : done, ARun.Crc);
    return done == ACount ? INFLATE_OK : INFLATE_WRITE_FAILED;
}

// Writes the full window, adds it to the CRC and keeps it as history.
static int FlushWindow()
{
    int r = WriteOutput(*Run, Window, WINDOW_SIZE);
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
// window fills. A distance before the entry's first byte is malformed.
static int CopyMatch(unsigned ALen, unsigned ADist)
{
    DATA_CHECK(ADist <= HistLen + WindowPos);
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

// ---- Symbols ------------------------------------------------------------------------
//
// Format notes (RFC 1951 3.2.5): literal/length symbols 0..255 are bytes, 256 ends the
// block, 257..285 are lengths followed by a distance code; a distance reaches back into the
// bytes already decoded for this entry (at most 32,768), and a match may overlap the bytes
// it produces (distance 1 repeats the last byte).

static inline uint64_t Load64(const uint8_t *p)   // little-endian targets only
{
    uint64_t v;
    memcpy(&v, p, 8);
    return v;
}

// The entry of the code at the root entry e: follows the links to sub-tables (op above
// OP_LITERAL holds 16 + the sub-table's index width), then consumes the code's own bits;
// 0 for an invalid code. The bit buffer holds enough bits: the caller loaded 56.
static inline const TCodeEntry *FastCode(const TCodeEntry *e, uint64_t &bb, unsigned &bc)
{
    unsigned op = e->Op;
    while (op > OP_LITERAL) {
        if (op == OP_INVALID) return 0;
        bb >>= e->Bits;
        bc -= e->Bits;
        e = &e->Next[bb & ((1u << (op - 16)) - 1)];
        op = e->Op;
    }
    bb >>= e->Bits;
    bc -= e->Bits;
    return e;
}

// A match in the fast loop: ALen bytes from ADist back to out; answers the end of the copy.
// Copies in 16- or 8-byte steps when the distance allows (the steps may run up to 15 bytes
// past the match into the window's unused tail or slack).
static inline uint8_t *CopyFast(uint8_t *out, unsigned ALen, unsigned ADist)
{
    const uint8_t *src = out - ADist;
    uint8_t *end = out + ALen;
    if (ADist >= 16) {
        do {
            memcpy(out, src, 16);
            out += 16;
            src += 16;
        } while (out < end);
    } else if (ADist >= 8) {
        do {
            memcpy(out, src, 8);
            out += 8;
            src += 8;
        } while (out < end);
    } else if (ADist == 1) {
        memset(out, src[0], ALen);
    } else {
        do *out++ = *src++; while (out < end);
    }
    return end;
}

// The fast loop: runs while the input buffer holds a whole symbol and distance (8 bytes) and
// the window has room for the longest match, loading 8 input bytes at a time. It stops at
// the end of the block (AEnd set) or at the edge of a buffer (the window written if full) and
// writes its state back then; a data error ends the entry, so it leaves the state as it is.
static int DecodeFast(const TCodeEntry *ALit, int ALitBits, const TCodeEntry *ADist, int ADistBits,
                      bool &AEnd)
{
    const uint64_t lmask = BitMask[ALitBits], dmask = BitMask[ADistBits];
    const uint8_t *in = InBuf + InPos;
    const uint8_t *inLast = InBuf + InLen - 8;
    uint8_t *out = Window + WindowPos;
    uint8_t *const outLast = Window + WINDOW_SIZE - MAX_MATCH;
    const uint8_t *const outFirst = Window - HistLen;
    uint64_t bb = BitBuf;
    unsigned bc = BitCount;
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
        e = FastCode(e, bb, bc);
        DATA_CHECK(e);
        op = e->Op;
        if (op == OP_LITERAL) {
            *out++ = (uint8_t)e->Value;
            continue;
        }
        if (op == OP_END_OF_BLOCK) {
            AEnd = true;
            break;
        }
        unsigned len = e->Value + ((unsigned)bb & ((1u << op) - 1));
        bb >>= op;
        bc -= op;
        DATA_CHECK(ADist);
        e = FastCode(&ADist[bb & dmask], bb, bc);
        DATA_CHECK(e);
        op = e->Op;
        DATA_CHECK(op <= MAX_DIST_EXTRA);
        unsigned dist = e->Value + ((unsigned)bb & ((1u << op) - 1));
        bb >>= op;
        bc -= op;
        DATA_CHECK(dist <= (unsigned)(out - outFirst));
        out = CopyFast(out, len, dist);
    }
    InPos = (uint32_t)(in - InBuf);
    WindowPos = (uint32_t)(out - Window);
    BitBuf = bb;
    BitCount = bc;
    return FlushIfFull();
}

// The careful step: one symbol (and its distance), the bits fetched byte by byte and checked
// against the end of the input, the window written as it fills. For the edges of the buffers.
static int DecodeCareful(const TCodeEntry *ALit, int ALitBits, const TCodeEntry *ADist, int ADistBits,
                         bool &AEnd)
{
    const TCodeEntry *e = DecodeCode(ALit, ALitBits);
    DATA_CHECK(e);
    if (e->Op == OP_LITERAL) return PutByte(e->Value);
    if (e->Op == OP_END_OF_BLOCK) {
        AEnd = true;
        return INFLATE_OK;
    }
    unsigned len = e->Value + TakeBits(e->Op);
    DATA_CHECK(ADist);
    e = DecodeCode(ADist, ADistBits);
    DATA_CHECK(e && e->Op <= MAX_DIST_EXTRA);
    unsigned dist = e->Value + TakeBits(e->Op);
    DATA_CHECK(!PastEnd());
    return CopyMatch(len, dist);
}

// The symbols of one block up to its end-of-block code: the fast loop while both buffers
// have room, the careful step near their edges.
static int DecodeSymbols(const TCodeEntry *ALit, int ALitBits, const TCodeEntry *ADist, int ADistBits)
{
    DATA_CHECK(ALit);           // no literal/length code: the block cannot end
    bool end = false;
    while (!end) {
        bool roomy = InLen >= 8 && InPos <= InLen - 8 && WindowPos <= WINDOW_SIZE - MAX_MATCH;
        int r = roomy ? DecodeFast(ALit, ALitBits, ADist, ADistBits, end)
                      : DecodeCareful(ALit, ALitBits, ADist, ADistBits, end);
        if (r) return r;
    }
    return INFLATE_OK;
}

// ---- Blocks -------------------------------------------------------------------------

// Format notes (RFC 1951 3.2.4): a stored block skips to the next byte boundary, then LEN
// (2 bytes, little endian), NLEN (its ones' complement), and LEN bytes of data.
static int CopyStoredBlock()
{
    DropBits(BitCount & 7);
    unsigned len = TakeBits(16);
    unsigned nlen = TakeBits(16);
    DATA_CHECK(!PastEnd() && len == (~nlen & 0xFFFF));
    // Whole bytes still in the bit buffer come first...
    while (len > 0 && BitCount >= 8) {
        unsigned b = (unsigned)BitBuf & 0xFF;
        DropBits(8);
        DATA_CHECK(!PastEnd());
        if (int r = PutByte(b)) return r;
        len--;
    }
    if (len == 0) return INFLATE_OK;
    BitBuf = 0;                 // ...then the input buffer directly (the bit buffer is empty)
    while (len > 0) {
        if (InPos >= InLen) {
            DATA_CHECK(ReadInputByte() >= 0);
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

// Format notes (RFC 1951 3.2.6): the fixed code gives literal/length symbols 0..143 8 bits,
// 144..255 9 bits, 256..279 7 bits, 280..287 8 bits, and all 30 distance symbols 5 bits (the
// distance code is thus incomplete, which is allowed). Built once per entry, at its first
// fixed block.
static int BuildFixedCodes()
{
    uint16_t lengths[288];
    int k = 0;
    for (; k < 144; k++) lengths[k] = 8;
    for (; k < 256; k++) lengths[k] = 9;
    for (; k < 280; k++) lengths[k] = 7;
    for (; k < 288; k++) lengths[k] = 8;
    FixedLitBits = 7;
    int r = BuildCodeTable(lengths, 288, 257, LengthBase, LengthExtra, FixedLitBits, FixedLit,
                           FixedLitChain);
    if (r == INFLATE_OK) {
        for (k = 0; k < 30; k++) lengths[k] = 5;
        FixedDistBits = 5;
        r = BuildCodeTable(lengths, 30, 0, DistBase, DistExtra, FixedDistBits, FixedDist, FixedDistChain);
        if (r == INFLATE_DATA_ERROR) r = INFLATE_OK;    // incomplete, as said
    }
    if (r) {
        FreeCodeTables(FixedLitChain);
        FreeCodeTables(FixedDistChain);
        FixedLitChain = FixedDistChain = 0;
        return r;
    }
    FixedBuilt = true;
    return INFLATE_OK;
}

static int DecodeFixedBlock()
{
    if (!FixedBuilt)
        if (int r = BuildFixedCodes()) return r;
    return DecodeSymbols(FixedLit, FixedLitBits, FixedDist, FixedDistBits);
}

// Format notes (RFC 1951 3.2.7): after the header's counts and the code-length code, the
// literal/length and distance code lengths come as one sequence of ACount lengths coded
// with the code-length code: 0..15 a length; 16 repeats the previous length 3..6 times
// (2 extra bits); 17 gives 3..10 zeros (3 bits); 18 gives 11..138 zeros (7 bits). A repeat
// may cross from the literal/length lengths into the distance lengths but not past the end;
// a 16 before any length repeats 0.
static int ReadCodeLengths(const TCodeEntry *ATable, int ABits, unsigned ACount, uint16_t *ALengths)
{
    DATA_CHECK(ATable);         // no code-length codes: no length can be sent
    unsigned n = 0, prev = 0;
    while (n < ACount) {
        const TCodeEntry *e = DecodeCode(ATable, ABits);
        DATA_CHECK(e);
        unsigned sym = e->Value, rep, len = 0;
        if (sym < 16) {
            ALengths[n++] = (uint16_t)sym;
            prev = sym;
            continue;
        }
        if (sym == 16) {
            rep = 3 + TakeBits(2);
            len = prev;
        } else if (sym == 17) {
            rep = 3 + TakeBits(3);
        } else {
            rep = 11 + TakeBits(7);
        }
        prev = len;
        DATA_CHECK(!PastEnd() && n + rep <= ACount);
        while (rep--) ALengths[n++] = (uint16_t)len;
    }
    return INFLATE_OK;
}

// A code the stream describes that the table builder refuses is malformed input; running
// out of memory stays what it is.
static inline int RefusedCode(int r)
{
    return r == INFLATE_NO_MEMORY ? r : INFLATE_DATA_ERROR;
}

// Format notes (RFC 1951 3.2.7): HLIT (5 bits) + 257 literal/length codes, HDIST (5 bits)
// + 1 distance codes, HCLEN (4 bits) + 4 code-length code lengths of 3 bits in
// CodeLengthOrder, then the code lengths (ReadCodeLengths) and the block's symbols. The
// code-length and literal/length codes must be complete (or a single 1-bit code); an
// incomplete distance code is allowed, its spare codes are an error only when met.
static int DecodeDynamicBlock()
{
    unsigned nl = TakeBits(5) + 257;
    unsigned nd = TakeBits(5) + 1;
    unsigned nb = TakeBits(4) + 4;
    uint16_t lengths[320];
    memset(lengths, 0, sizeof(lengths));
    for (unsigned k = 0; k < nb; k++) lengths[CodeLengthOrder[k]] = (uint16_t)TakeBits(3);
    DATA_CHECK(!PastEnd());

    TCodeEntry *table, *chain;
    int bits = 7;
    int r = BuildCodeTable(lengths, 19, 19, 0, 0, bits, table, chain);
    r = r ? RefusedCode(r) : ReadCodeLengths(table, bits, nl + nd, lengths);
    FreeCodeTables(chain);
    if (r) return r;

    TCodeEntry *lit, *litChain, *dist, *distChain = 0;
    int litBits = 9, distBits = 6;
    r = BuildCodeTable(lengths, (int)nl, 257, LengthBase, LengthExtra, litBits, lit, litChain);
    if (r) {
        r = RefusedCode(r);
    } else {
        r = BuildCodeTable(lengths + nl, (int)nd, 0, DistBase, DistExtra, distBits, dist, distChain);
        if (r == INFLATE_DATA_ERROR) r = INFLATE_OK;    // an incomplete distance code
        if (r == INFLATE_OK) r = DecodeSymbols(lit, litBits, dist, distBits);
    }
    FreeCodeTables(litChain);
    FreeCodeTables(distChain);
    return r;
}

// Format notes (RFC 1951 3.2.3): each block starts with BFINAL (1 bit) and BTYPE (2 bits):
// 0 stored, 1 fixed codes, 2 dynamic codes, 3 invalid.
static int DecodeBlock(bool &ALast)
{
    ALast = TakeBits(1) != 0;
    unsigned type = TakeBits(2);
    DATA_CHECK(!PastEnd() && type != 3);
    switch (type) {
    case 0: return CopyStoredBlock();
    case 1: return DecodeFixedBlock();
    default: return DecodeDynamicBlock();
    }
}

// ---- Entry points -------------------------------------------------------------------

int InflateEntry(TInflateRun &ARun)
{
    Run = &ARun;
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
            r = WriteOutput(*Run, Window, (int32_t)WindowPos);
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

// A writer that only counts, for InflateBuffer without an output file: the handle is the
// counter.
static int32_t CountWrite(TZipHandle AFile, const void *, int32_t ACount)
{
    *(int64_t *)AFile += ACount;
    return ACount;
}

int InflateBuffer(const void *AIn, int32_t AInLen, TZipMemFile *AOut, uint32_t &ACrc,
                  int64_t AOutMax, int64_t *AOutLen)
{
    static const TZipIO Counter = {0, CountWrite, 0};
    TZipMemFile In;
    ZipMemOpen(In, AIn, AInLen > 0 ? AInLen : 0);
    int64_t Counted = 0;
    const int64_t Start = AOut ? AOut->Pos : 0;
    TInflateRun Entry = {ZipMemIO(), ZipMemHandle(In), AOut ? ZipMemIO() : &Counter,
                         AOut ? ZipMemHandle(*AOut) : (TZipHandle)&Counted, AInLen, AOutMax,
                         0xFFFFFFFFu};
    int R = InflateEntry(Entry);
    ACrc = ~Entry.Crc;
    if (AOutLen) *AOutLen = AOut ? AOut->Pos - Start : Counted;
    return R;
}
