// The decoder on short hand-made streams, each with the result it must give, through
// InflateBuffer and through InflateEntry on real files; the seam-level behaviour of
// InflateEntry (block pattern of reads and writes, short writes); InflateBuffer's own
// promises; the table builder; the CRC-32 and the memory binding. Streams are built field
// by field with TBitWriter.
#include <gtest/gtest.h>

#include "InflateHarness.h"
#include "UnfurlCodeTable.h"

namespace {

uint32_t RefCrc(const TBytes &ABytes)   // bit-at-a-time reference
{
    uint32_t c = 0xFFFFFFFFu;
    for (uint8_t b : ABytes) {
        c ^= b;
        for (int k = 0; k < 8; k++) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

TBytes Raw(std::initializer_list<int> AList, const std::string &AText = "")
{
    TBytes b;
    for (int v : AList) b.push_back((uint8_t)v);
    b.insert(b.end(), AText.begin(), AText.end());
    return b;
}

TBytes Cat(TBytes A, const TBytes &B)
{
    A.insert(A.end(), B.begin(), B.end());
    return A;
}

// The stream of AW with ABits more bits of AValue.
TBytes Then(TBitWriter AW, uint32_t AValue, unsigned ABits)
{
    AW.Bits(AValue, ABits);
    return AW.Bytes;
}

// Block header: BFINAL, then BTYPE.
void Header(TBitWriter &W, bool ALast, int AType)
{
    W.Bits(ALast ? 1 : 0, 1);
    W.Bits((uint32_t)AType, 2);
}

// ---- Fixed-code streams ----

// A match with the fixed code: length symbol and its extra bits, distance symbol and its.
struct TMatch {
    int LenSym;
    uint32_t LenExtra;
    unsigned LenBits;
    int DistSym;
    uint32_t DistExtra;
    unsigned DistBits;
};

// A fixed block: AText as literals, then AMatches, then the end-of-block code unless !AEnd.
void FixedBlock(TBitWriter &W, bool ALast, const std::string &AText,
                const std::vector<TMatch> &AMatches = {}, bool AEnd = true)
{
    Header(W, ALast, 1);
    for (unsigned char ch : AText) PutFixedLit(W, ch);
    for (const TMatch &m : AMatches) {
        PutFixedLit(W, m.LenSym);
        W.Bits(m.LenExtra, m.LenBits);
        PutFixedDist(W, m.DistSym);
        W.Bits(m.DistExtra, m.DistBits);
    }
    if (AEnd) PutFixedLit(W, 256);
}

TBytes Fixed(const std::string &AText, const std::vector<TMatch> &AMatches = {}, bool AEnd = true)
{
    TBitWriter w;
    FixedBlock(w, true, AText, AMatches, AEnd);
    return w.Bytes;
}

// ---- Dynamic-code streams ----

const int ClOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

struct TClSym {   // a code-length symbol with its extra bits
    int Sym;
    uint32_t Extra;
};

// A complete code-length code that can send every symbol: 0..12 in 4 bits, 13..18 in 5.
std::vector<int> FullClCode()
{
    std::vector<int> cl(19, 4);
    for (int s = 13; s < 19; s++) cl[s] = 5;
    return cl;
}

// Final dynamic block header: HLIT, HDIST, HCLEN, the code-length code lengths in their
// order, then the code-length symbols of ASeq (with their extra bits).
TBitWriter DynHeader(int ANl, int ANd, const std::vector<int> &ACl, const std::vector<TClSym> &ASeq)
{
    TBitWriter w;
    Header(w, true, 2);
    w.Bits((uint32_t)(ANl - 257), 5);
    w.Bits((uint32_t)(ANd - 1), 5);
    int nb = 19;
    while (nb > 4 && ACl[ClOrder[nb - 1]] == 0) nb--;
    w.Bits((uint32_t)(nb - 4), 4);
    for (int k = 0; k < nb; k++) w.Bits((uint32_t)ACl[ClOrder[k]], 3);
    std::vector<uint32_t> codes = CanonicalCodes(ACl);
    for (const TClSym &s : ASeq) {
        w.Code(codes[s.Sym], (unsigned)ACl[s.Sym]);
        if (s.Sym >= 16) w.Bits(s.Extra, s.Sym == 16 ? 2 : s.Sym == 17 ? 3 : 7);
    }
    return w;
}

std::vector<TClSym> Literally(const std::vector<int> &ALengths)
{
    std::vector<TClSym> seq;
    for (int l : ALengths) seq.push_back({l, 0});
    return seq;
}

// Lengths for AN codes: the given symbols with their lengths, others 0.
std::vector<int> Lens(int AN, std::initializer_list<std::pair<int, int>> ASymLen)
{
    std::vector<int> l(AN, 0);
    for (auto &p : ASymLen) l[p.first] = p.second;
    return l;
}

// A symbol of a dynamic block's data: literal/length (L) or distance (D).
struct TSym {
    bool Dist;
    int Sym;
};
TSym L(int ASym) { return {false, ASym}; }
TSym D(int ASym) { return {true, ASym}; }

// A final dynamic block with two codes whose lengths are sent literally.
struct TDyn {
    std::vector<int> Lit, Dist;
    TDyn(std::vector<int> ALit, std::vector<int> ADist) : Lit(ALit), Dist(ADist) {}
    // The header, then the symbols of AData (no end-of-block code added).
    TBitWriter Block(const std::vector<TSym> &AData) const
    {
        std::vector<int> all = Lit;
        all.insert(all.end(), Dist.begin(), Dist.end());
        TBitWriter w = DynHeader((int)Lit.size(), (int)Dist.size(), FullClCode(), Literally(all));
        Put(w, AData);
        return w;
    }
    void Put(TBitWriter &W, const std::vector<TSym> &AData) const
    {
        std::vector<uint32_t> litCode = CanonicalCodes(Lit), distCode = CanonicalCodes(Dist);
        for (const TSym &s : AData) {
            if (s.Dist) W.Code(distCode[s.Sym], (unsigned)Dist[s.Sym]);
            else W.Code(litCode[s.Sym], (unsigned)Lit[s.Sym]);
        }
    }
    TBytes Stream(const std::vector<TSym> &AData) const { return Block(AData).Bytes; }
};

// 288 literal/length and 32 distance codes announced: 'a', 256 and 287 in 2 bits, 257
// (length 3) and 286 in 3 bits; distances 0, 1, 30, 31 in 2.
const TDyn Wide(Lens(288, {{'a', 2}, {256, 2}, {287, 2}, {257, 3}, {286, 3}}),
                Lens(32, {{0, 2}, {1, 2}, {30, 2}, {31, 2}}));
// 'a' in 1 bit, 256 and 257 (length 3) in 2; the distances as each case gives them.
TDyn ThreeLits(std::vector<int> ADist)
{
    return TDyn(Lens(258, {{'a', 1}, {256, 2}, {257, 2}}), ADist);
}

// ---- The cases ----

const int OK = INFLATE_OK, BAD = INFLATE_DATA_ERROR;

struct TCase {
    const char *Name;
    TBytes Stream;
    int Result;
    std::string Out;        // expected output when Result is INFLATE_OK
    bool AtEnd = false;     // the result comes from where the input ends
};

const TCase Cases[] = {
    // Stored blocks.
    {"stored empty final block", Raw({0x01, 0x00, 0x00, 0xFF, 0xFF}), OK, ""},
    {"stored block", Raw({0x01, 0x05, 0x00, 0xFA, 0xFF}, "hello"), OK, "hello"},
    {"stored length 0, next header at the next byte", Cat(Raw({0x00, 0x00, 0x00, 0xFF, 0xFF}), Fixed("A")), OK, "A"},
    {"stored block after bits of a fixed block (skips to the byte boundary)",
     [] {
         TBitWriter w;
         FixedBlock(w, false, "ab");
         Header(w, true, 0);
         return Cat(w.Bytes, Raw({0x02, 0x00, 0xFD, 0xFF}, "cd"));
     }(),
     OK, "abcd"},
    {"invalid stored block lengths", Raw({0x01, 0x05, 0x00, 0xFA, 0xFE}, "hello"), BAD},
    {"stored data cut short", Raw({0x01, 0x05, 0x00, 0xFA, 0xFF}, "he"), BAD, "", true},
    {"stored length check cut short", Raw({0x01, 0x05, 0x00, 0xFA}), BAD, "", true},

    // Block headers and the end of the input.
    {"invalid block type", Raw({0x07}), BAD},
    {"invalid block type after a stored block (its bytes are not written)",
     Raw({0x00, 0x03, 0x00, 0xFC, 0xFF}, "abc\x07"), BAD},
    {"empty input", TBytes(), BAD, "", true},
    {"no final block", [] { TBitWriter w; FixedBlock(w, false, "x"); return w.Bytes; }(), BAD, "", true},
    {"input ends mid-block", Fixed("xyz", {}, false), BAD, "", true},
    {"input ends inside a length's extra bits",   // 284: 227 + 5 extra bits, which are missing
     [] { TBitWriter w; FixedBlock(w, true, "xy", {}, false); PutFixedLit(w, 284); return w.Bytes; }(), BAD, "", true},

    // Fixed codes.
    {"fixed empty block", Raw({0x03, 0x00}), OK, ""},
    {"fixed literals of 8 and 9 bits", Fixed("Hi\x90\xff\x8f"), OK, "Hi\x90\xff\x8f"},
    {"two fixed blocks",
     [] {
         TBitWriter w;
         FixedBlock(w, false, "one,");
         FixedBlock(w, true, "two\xfe", {{257, 0, 0, 3, 0, 0}});   // length 3, distance 4
         return w.Bytes;
     }(),
     OK, "one,two\xfetwo"},
    {"distance 1 length 258", Fixed("x", {{285, 0, 0, 0, 0, 0}}), OK, std::string(259, 'x')},
    {"overlapping copy with extra bits", Fixed("abcdefgh", {{266, 1, 1, 5, 1, 1}}),   // length 14, distance 8
     OK, "abcdefghabcdefghabcdef"},
    {"distance from extra bits one past the first byte", Fixed("abcdefg", {{266, 1, 1, 5, 1, 1}}), BAD},
    {"distance before the first byte", Fixed("", {{257, 0, 0, 0, 0, 0}}), BAD},
    {"distance too far back", Fixed("ab", {{257, 0, 0, 2, 0, 0}}), BAD},
    {"distance exactly back to the first byte", Fixed("abc", {{257, 0, 0, 2, 0, 0}}), OK, "abcabc"},

    // Dynamic codes.
    {"dynamic block",
     TDyn(Lens(286, {{'a', 2}, {'b', 2}, {256, 2}, {258, 3}, {259, 3}}), Lens(30, {{1, 1}, {3, 1}}))
         .Stream({L('a'), L('b'), L(259), D(1), L(256)}),   // length 5, distance 2
     OK, "abababa"},
    {"dynamic header with 288 and 32 codes", Wide.Stream({L('a'), L(257), D(0), L(256)}), OK, "aaaa"},
    {"code lengths begin with a repeat (of length 0)",
     [] {
         // Symbols 0..2 get length 0 through code 16 (repeat 3), the rest literally.
         std::vector<int> all = Lens(258, {{'a', 1}, {256, 1}, {257, 1}});
         std::vector<TClSym> seq = {{16, 0}};
         for (size_t k = 3; k < all.size(); k++) seq.push_back({all[k], 0});
         TBitWriter w = DynHeader(257, 1, FullClCode(), seq);
         w.Code(0, 1);   // 'a'
         w.Code(1, 1);   // 256
         return w.Bytes;
     }(),
     OK, "a"},
    {"zero runs across literal and distance lengths",
     [] {
         // 'a' 1 bit, 256 1 bit; then 18 zeros x 2 cover 97+1..255, 257..287 and distance 0..
         std::vector<TClSym> seq = {
             {18, 97 - 11},       // symbols 0..96
             {1, 0},              // 'a'
             {18, 138 - 11},      // 98..235
             {17, 10 - 3},        // 236..245
             {17, 10 - 3},        // 246..255
             {1, 0},              // 256
             {18, 31 + 5 - 11},   // 257..287 and distances 0..4
             {1, 0},              // distance 5
             {1, 0}};             // distance 6
         TBitWriter w = DynHeader(288, 7, FullClCode(), seq);
         w.Code(0, 1);   // 'a'
         w.Code(1, 1);   // 256
         return w.Bytes;
     }(),
     OK, "a"},
    {"repeat past the last length",   // 138 + 138 + 21 = 297 > 265 + 31 = 296 lengths
     DynHeader(257 + 8, 31, FullClCode(), {{18, 127}, {18, 127}, {18, 31 - 11 + 1}}).Bytes, BAD},
    {"repeat of a length past the last length",
     [] {
         std::vector<TClSym> seq = Literally(Lens(256, {{'a', 1}}));
         seq.push_back({1, 0});    // 256
         seq.push_back({16, 0});   // repeats 1 three times: 257, distance 0 and one too many
         return DynHeader(257, 1, FullClCode(), seq).Bytes;
     }(),
     BAD},
    {"incomplete literal/length code",
     TDyn(Lens(257, {{'a', 2}, {256, 2}}), Lens(1, {{0, 1}})).Stream({L(256)}), BAD},
    {"over-subscribed literal/length code",
     TDyn(Lens(257, {{'a', 1}, {'b', 1}, {256, 1}}), Lens(1, {{0, 1}})).Stream({}), BAD},
    {"single 1-bit literal/length code", TDyn(Lens(257, {{256, 1}}), Lens(1, {{0, 1}})).Stream({L(256)}), OK, ""},
    {"incomplete distance code", ThreeLits(Lens(3, {{0, 2}})).Stream({L('a'), L(257), D(0), L(256)}), OK, "aaaa"},
    {"incomplete distance code, spare code met",
     [] {
         TDyn d = ThreeLits(Lens(3, {{0, 2}}));
         TBitWriter w = d.Block({L('a'), L(257)});
         w.Code(3, 2);   // 11: no distance symbol has this code
         d.Put(w, {L(256)});
         return w.Bytes;
     }(),
     BAD},
    {"over-subscribed distance code",
     TDyn(Lens(257, {{'a', 1}, {256, 1}}), Lens(3, {{0, 1}, {1, 1}, {2, 1}})).Stream({}), INFLATE_OVERSUBSCRIBED},
    {"no distance codes, literals only", ThreeLits(Lens(1, {})).Stream({L('a'), L(256)}), OK, "a"},
    {"no distance codes, length met", Then(ThreeLits(Lens(1, {})).Block({L('a'), L(257)}), 0, 8), BAD},
    {"no literal/length codes", Then(TDyn(Lens(257, {}), Lens(1, {{0, 1}})).Block({}), 0, 16), BAD},
    {"no end-of-block code (input runs out)",
     TDyn(Lens(257, {{'a', 1}, {'b', 1}}), Lens(1, {{0, 1}})).Stream({L('a')}), BAD, "", true},
    {"incomplete code-length code", DynHeader(257, 1, Lens(19, {{0, 2}, {1, 2}}), {{1, 0}}).Bytes, BAD},
    {"over-subscribed code-length code", DynHeader(257, 1, Lens(19, {{0, 1}, {1, 1}, {2, 1}}), {}).Bytes, BAD},
    {"no code-length codes", Then(DynHeader(257, 1, Lens(19, {}), {}), 0, 16), BAD},
    {"dynamic header cut short", [] { TBitWriter w; Header(w, true, 2); return Then(w, 29, 5); }(), BAD, "", true},
};

// AStream gives AResult (and AOut); unless the result comes from where the input ends, so
// does AStream with 16 more bytes behind it, which the fast loop decodes rather than the
// careful step.
void ExpectResult(TInflateWay AWay, const TBytes &AStream, int AResult, const std::string &AOut,
                  bool AAtEnd = false)
{
    TBytes more = AStream;
    more.insert(more.end(), 16, 0xA5);
    for (int pass = 0; pass < (AAtEnd ? 1 : 2); pass++) {
        SCOPED_TRACE(pass ? "with 16 more bytes" : "alone");
        TInflateResult run = RunInflate(pass ? more : AStream, AWay);
        EXPECT_EQ(AResult, run.Result);
        if (AResult == INFLATE_OK) {
            EXPECT_EQ(AOut, Text(run.Out));
            EXPECT_EQ(RefCrc(run.Out), run.Crc);
        } else {
            // A failed entry writes nothing of the window it was filling (all these are short).
            EXPECT_TRUE(run.Out.empty());
        }
    }
}

// InflateBuffer, and InflateEntry through real files.
class InflateStreams : public ::testing::TestWithParam<TInflateWay> {};

TEST_P(InflateStreams, EachStreamGivesItsResult)
{
    for (const TCase &c : Cases) {
        SCOPED_TRACE(c.Name);
        ExpectResult(GetParam(), c.Stream, c.Result, c.Out, c.AtEnd);
    }
}

// Symbols the codes can send but the format does not have: length symbols 286 and 287,
// distance symbols 30 and 31, in the fixed code and in a dynamic one.
TEST_P(InflateStreams, InvalidSymbolsOfBothCodes)
{
    for (int sym : {286, 287}) {
        SCOPED_TRACE(sym);
        TBitWriter w;
        FixedBlock(w, true, "a", {}, false);
        PutFixedLit(w, sym);
        ExpectResult(GetParam(), w.Bytes, BAD, "");
        ExpectResult(GetParam(), Wide.Stream({L('a'), L(sym), L(256)}), BAD, "");
    }
    for (int sym : {30, 31}) {
        SCOPED_TRACE(sym);
        ExpectResult(GetParam(), Fixed("abc", {{257, 0, 0, sym, 0, 0}}), BAD, "");
        ExpectResult(GetParam(), Wide.Stream({L('a'), L(257), D(sym), L(256)}), BAD, "");
    }
}

// Matches that reach back across the window's wrap, up to the full 32,768.
TEST_P(InflateStreams, DistancesAcrossWindowWrites)
{
    TBitWriter w;
    TBytes expect;
    std::string text;
    uint32_t seed = 1;
    for (int k = 0; k < 40000; k++) {   // pseudo-random literals
        seed = seed * 1103515245u + 12345u;
        text.push_back((char)(seed >> 16));
    }
    // distance 32768 (symbol 29, extra 8191), length 258; then distance 24577, length 3
    FixedBlock(w, true, text, {{285, 0, 0, 29, 8191, 13}, {257, 0, 0, 29, 0, 13}});
    expect.assign(text.begin(), text.end());
    for (int k = 0; k < 258; k++) expect.push_back(expect[expect.size() - 32768]);
    for (int k = 0; k < 3; k++) expect.push_back(expect[expect.size() - 24577]);
    TInflateResult run = RunInflate(w.Bytes, GetParam());
    ASSERT_EQ(OK, run.Result);
    ASSERT_EQ(expect.size(), run.Out.size());
    for (size_t k = 0; k < expect.size(); k++) ASSERT_EQ(expect[k], run.Out[k]) << k;
    EXPECT_EQ(RefCrc(expect), run.Crc);
}

INSTANTIATE_TEST_SUITE_P(Ways, InflateStreams, ::testing::Values(WAY_BUFFER, WAY_FILES),
                         [](const ::testing::TestParamInfo<TInflateWay> &i) { return WayName(i.param); });

// ---- InflateEntry on the seam ----

// AData gets ASize bytes of a counting pattern; the stream holds them in stored blocks of at
// most 65,535.
TBytes StoredEntry(int ASize, TBytes &AData)
{
    TBytes s;
    int done = 0;
    do {
        int n = ASize - done > 65535 ? 65535 : ASize - done;
        TBytes head = Raw({done + n == ASize ? 1 : 0, n & 0xFF, n >> 8, ~n & 0xFF, (~n >> 8) & 0xFF});
        s.insert(s.end(), head.begin(), head.end());
        for (int k = 0; k < n; k++) {
            uint8_t b = (uint8_t)((done + k) * 7 + (done + k) / 251);
            s.push_back(b);
            AData.push_back(b);
        }
        done += n;
    } while (done < ASize);
    return s;
}

// 'x' then matches of distance 1, all with the fixed code.
TBytes RunOfX(int ACount)
{
    std::vector<TMatch> matches;
    int left = ACount - 1;
    for (; left >= 258 + 3 || left == 258; left -= 258) matches.push_back({285, 0, 0, 0, 0, 0});
    for (int len; left >= 3; left -= len) {
        len = left > 10 ? 10 : left;
        matches.push_back({257 + len - 3, 0, 0, 0, 0, 0});
    }
    TBitWriter w;
    FixedBlock(w, true, "x", matches, false);
    while (left-- > 0) PutFixedLit(w, 'x');
    PutFixedLit(w, 256);
    return w.Bytes;
}

class InflateSeam : public ::testing::TestWithParam<TInflateWay> {};

// Output in full 32,768-byte writes and one final shorter write.
TEST_P(InflateSeam, WritesFullWindowsThenTheRest)
{
    struct {
        int Size;
        std::vector<int32_t> Writes;
    } const table[] = {
        {1, {1}},
        {32767, {32767}},
        {32768, {32768}},               // one write, no final write
        {32769, {32768, 1}},
        {65536, {32768, 32768}},
        {100000, {32768, 32768, 32768, 1696}},
    };
    for (const auto &t : table) {
        SCOPED_TRACE(t.Size);
        TInflateResult run = RunInflate(RunOfX(t.Size), GetParam());
        ASSERT_EQ(OK, run.Result);
        EXPECT_EQ(t.Writes, run.WriteSizes);
        EXPECT_EQ(TBytes(t.Size, 'x'), run.Out);
        EXPECT_EQ(RefCrc(run.Out), run.Crc);
    }
}

TEST_P(InflateSeam, ReadsOnlyTheEntryInBlocksOfAtMost32K)
{
    TBytes data;
    TBytes stream = StoredEntry(100000, data);
    const int64_t size = (int64_t)stream.size();
    TBytes withTail = stream;
    withTail.insert(withTail.end(), 5000, 0xEE);   // the next header of the archive

    TInflateResult run = RunInflate(withTail, GetParam(), size);
    ASSERT_EQ(OK, run.Result);
    EXPECT_EQ(data, run.Out);
    EXPECT_EQ(RefCrc(data), run.Crc);
    EXPECT_EQ(size, run.ArchivePosAfter);
    std::vector<int32_t> expected = {32768, 32768, 32768, (int32_t)(size - 3 * 32768)};
    EXPECT_EQ(expected, run.ReadSizes);
    EXPECT_EQ(0, run.LeftAfter);

    // One byte short of the entry: the stream ends inside its last block.
    run = RunInflate(withTail, GetParam(), size - 1);
    EXPECT_EQ(BAD, run.Result);
    EXPECT_EQ(size - 1, run.ArchivePosAfter);
}

TEST_P(InflateSeam, FailedWriteStopsAndShowsInTheCrc)
{
    TBytes data;
    TBytes stream = StoredEntry(70000, data);
    TInflateResult run = RunInflate(stream, GetParam(), -1, 40000);   // the disk fills at 40,000
    EXPECT_EQ(INFLATE_WRITE_FAILED, run.Result);
    EXPECT_EQ(TBytes(data.begin(), data.begin() + 40000), run.Out);
    EXPECT_EQ(RefCrc(run.Out), run.Crc);         // the CRC covers what was written...
    EXPECT_NE(RefCrc(data), run.Crc);            // ...so the entry fails its check
    EXPECT_EQ((std::vector<int32_t>{32768, 32768}), run.WriteSizes);   // and decoding stopped
}

INSTANTIATE_TEST_SUITE_P(Sides, InflateSeam, ::testing::Values(WAY_MEMORY, WAY_FILES),
                         [](const ::testing::TestParamInfo<TInflateWay> &i) { return WayName(i.param); });

// ---- InflateBuffer ----

// Bytes counted without a file, written after what a file holds, and bounded by AOutMax (a
// window that would pass the bound is not written).
TEST(InflateBuffer, CountsAppendsAndBounds)
{
    const TBytes stream = RunOfX(100000);
    struct {
        bool File;
        int64_t Max;
        int Result;
        int64_t Len;
    } const table[] = {
        {false, -1, OK, 100000}, {true, -1, OK, 100000}, {false, 100000, OK, 100000},
        {true, 100000, OK, 100000}, {false, 99999, BAD, 98304}, {true, 70000, BAD, 65536},
    };
    for (const auto &t : table) {
        SCOPED_TRACE(testing::Message() << "file " << t.File << " max " << t.Max);
        TZipMemFile out;
        ZipMemCreate(out);
        ZipMemIO()->Write(ZipMemHandle(out), "head", 4);
        uint32_t crc = 0;
        int64_t len = -1;
        int r = InflateBuffer(stream.data(), (int32_t)stream.size(), t.File ? &out : 0, crc, t.Max, &len);
        EXPECT_EQ(t.Result, r);
        EXPECT_EQ(t.Len, len);
        EXPECT_EQ(RefCrc(TBytes((size_t)t.Len, 'x')), crc);
        EXPECT_EQ("head" + std::string(t.File ? (size_t)t.Len : 0, 'x'),
                  std::string((const char *)out.Data, (size_t)out.Size));
        ZipMemFree(out);
    }
}

// ---- Table builder ----

TEST(BuildCodeTable, ResultsForCodeSets)
{
    struct {
        const char *Name;
        std::vector<uint16_t> Lengths;
        int Requested;  // root width asked for
        int Result;
        int RootBits;   // actual root width
    } const table[] = {
        {"complete", {1, 2, 3, 3}, 7, OK, 3},
        {"incomplete", {2, 2, 3}, 7, BAD, 3},
        {"single 1-bit code (allowed)", {0, 1}, 7, OK, 1},
        {"over-subscribed", {1, 1, 2}, 7, INFLATE_OVERSUBSCRIBED, 0},
        {"over-subscribed at the longest length", {2, 2, 2, 3, 3, 3}, 7, INFLATE_OVERSUBSCRIBED, 0},
        {"length over 16", {1, 17}, 7, BAD, 0},
        {"no codes", {0, 0, 0}, 7, OK, 0},
        {"request raised to the shortest length", {3, 3, 3, 3, 3, 3, 3, 4, 4}, 1, OK, 3},
        {"root stays within the request", {3, 3, 3, 3, 3, 3, 3, 4, 4}, 3, OK, 3},
        {"request lowered to the longest length", {3, 3, 3, 3, 3, 3, 3, 4, 4}, 9, OK, 4},
    };
    for (const auto &t : table) {
        SCOPED_TRACE(t.Name);
        TCodeEntry *root, *chain;
        int bits = t.Requested;
        int r = BuildCodeTable(t.Lengths.data(), (int)t.Lengths.size(), 19, 0, 0, bits, root, chain);
        EXPECT_EQ(t.Result, r);
        bool built = r == OK || (r == BAD && t.RootBits > 0);   // an incomplete code is built
        EXPECT_EQ(built && t.RootBits > 0, root != 0);
        if (built) {
            EXPECT_EQ(t.RootBits, bits);
        }
        FreeCodeTables(chain);
    }
}

// Codes longer than the root width go through sub-tables (more than one level when the
// code is long); following the stream's bits through them gives every symbol back with its
// full length, base and extra-bit count.
void CheckEveryCode(const std::vector<int> &ALens, int ARequested, int AResult, int ARoot, int ALevels)
{
    const int n = (int)ALens.size();
    std::vector<uint16_t> b(ALens.begin(), ALens.end());
    std::vector<uint32_t> codes = CanonicalCodes(ALens);
    std::vector<uint16_t> base(n);
    std::vector<uint8_t> extra(n);
    for (int s = 0; s < n; s++) {
        base[s] = (uint16_t)(1000 + s);
        extra[s] = (uint8_t)(s % 5);
    }
    TCodeEntry *root, *chain;
    int bits = ARequested;
    ASSERT_EQ(AResult, BuildCodeTable(b.data(), n, 0, base.data(), extra.data(), bits, root, chain));
    EXPECT_EQ(ARoot, bits);
    int deepest = 0;
    for (int s = 0; s < n; s++) {
        if (ALens[s] == 0) continue;
        SCOPED_TRACE(s);
        uint32_t rev = 0;   // the code as the stream delivers it: first bit lowest
        for (int k = 0; k < ALens[s]; k++) rev |= ((codes[s] >> (ALens[s] - 1 - k)) & 1) << k;
        const TCodeEntry *e = &root[rev & ((1u << bits) - 1)];
        int used = 0, level = 0;
        while (e->Op > OP_LITERAL) {
            ASSERT_NE(OP_INVALID, e->Op);
            used += e->Bits;
            int w = e->Op - 16;
            e = &e->Next[(rev >> used) & ((1u << w) - 1)];
            level++;
        }
        if (level > deepest) deepest = level;
        EXPECT_EQ(ALens[s], used + e->Bits);
        EXPECT_EQ(1000 + s, e->Value);
        EXPECT_EQ(s % 5, e->Op);
    }
    FreeCodeTables(chain);
    EXPECT_EQ(ALevels, deepest);   // sub-table levels under the root
}

TEST(BuildCodeTable, SubTablesDecodeEveryCode)
{
    // 2, 2, 3, 3 bits, then 25 codes of 8 bits and one of 7: incomplete, two levels.
    std::vector<int> a(30);
    for (int s = 0; s < 30; s++) a[s] = s < 2 ? 2 : s < 4 ? 3 : s < 29 ? 8 : 7;
    CheckEveryCode(a, 4, BAD, 4, 1);
    // 1, 2, ..., 14, 15, 15 bits: complete, three levels under a 6-bit root.
    std::vector<int> b;
    for (int l = 1; l <= 15; l++) b.push_back(l);
    b.push_back(15);
    CheckEveryCode(b, 6, OK, 6, 2);
    // The same with symbols of length 0 between them.
    std::vector<int> c;
    for (int l : b) {
        c.push_back(0);
        c.push_back(l);
    }
    CheckEveryCode(c, 6, OK, 6, 2);
}

// ---- CRC-32 ----

TEST(Crc32, KnownValuesAndTable)
{
    BuildCrcTable();
    ASSERT_NE(nullptr, CrcTable);
    EXPECT_EQ(0x00000000u, CrcTable[0]);
    EXPECT_EQ(0x77073096u, CrcTable[1]);
    EXPECT_EQ(0x2D02EF8Du, CrcTable[255]);
    struct {
        std::string Text;
        uint32_t Crc;
    } const table[] = {
        {"", 0x00000000u},
        {"a", 0xE8B7BE43u},
        {"123456789", 0xCBF43926u},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
    };
    for (const auto &t : table) {
        uint32_t c = 0xFFFFFFFFu;
        UpdateCrc(t.Text.data(), (int32_t)t.Text.size(), c);
        EXPECT_EQ(t.Crc, ~c) << t.Text;
    }
}

TEST(Crc32, PiecesAlignmentsAndNonPositiveLengths)
{
    TBytes data(1000);
    for (size_t k = 0; k < data.size(); k++) data[k] = (uint8_t)(k * 131 + 7);
    for (size_t start = 0; start < 9; start++)
        for (size_t len = 0; len < 40; len++) {
            TBytes part(data.begin() + start, data.begin() + start + len * 17);
            uint32_t whole = 0xFFFFFFFFu, split = 0xFFFFFFFFu;
            UpdateCrc(data.data() + start, (int32_t)part.size(), whole);
            size_t cut = part.size() / 3;
            UpdateCrc(data.data() + start, (int32_t)cut, split);
            UpdateCrc(data.data() + start + cut, (int32_t)(part.size() - cut), split);
            EXPECT_EQ(RefCrc(part), ~whole);
            EXPECT_EQ(whole, split);
        }
    // Around the sizes where long buffers switch to three lanes at once.
    TBytes big(50000);
    for (size_t k = 0; k < big.size(); k++) big[k] = (uint8_t)((k * k) >> 5);
    for (size_t len : {1535, 1536, 1537, 1543, 12287, 12288, 12289, 32768, 49999}) {
        uint32_t whole = 0xFFFFFFFFu;
        UpdateCrc(big.data() + 1, (int32_t)len, whole);
        EXPECT_EQ(RefCrc(TBytes(big.begin() + 1, big.begin() + 1 + len)), ~whole) << len;
    }
    uint32_t c = 0x12345678u;
    UpdateCrc(data.data(), 0, c);
    UpdateCrc(data.data(), -5, c);
    EXPECT_EQ(0x12345678u, c);
}

// ---- Memory binding ----

TEST(ZipMemIO, ReadWriteSeek)
{
    TZipMemFile f;
    ZipMemCreate(f);
    TZipHandle h = ZipMemHandle(f);
    EXPECT_EQ(5, ZipMemIO()->Write(h, "hello", 5));
    EXPECT_EQ(2, ZipMemIO()->Seek(h, 2, ZIP_SEEK_BEGIN));
    char buf[8] = {0};
    EXPECT_EQ(3, ZipMemIO()->Read(h, buf, 8));
    EXPECT_STREQ("llo", buf);
    EXPECT_EQ(0, ZipMemIO()->Read(h, buf, 8));
    EXPECT_EQ(7, ZipMemIO()->Seek(h, 2, ZIP_SEEK_END));
    EXPECT_EQ(1, ZipMemIO()->Write(h, "!", 1));      // past the end: the gap is zero
    EXPECT_EQ(8, f.Size);
    EXPECT_EQ(0, f.Data[5]);
    EXPECT_EQ(-1, ZipMemIO()->Seek(h, -9, ZIP_SEEK_CURRENT));
    ZipMemFree(f);

    const char text[] = "abc";
    ZipMemOpen(f, text, 3);
    EXPECT_EQ(0, ZipMemIO()->Write(h, "x", 1));       // a borrowed view is read-only
    EXPECT_EQ('a', text[0]);
}

}  // namespace
