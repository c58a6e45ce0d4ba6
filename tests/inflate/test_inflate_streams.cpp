// InflateEntry on short hand-made streams, each with the result it must give, run from
// memory and from real files. Streams are built field by field with TBitWriter.
#include <gtest/gtest.h>

#include <functional>

#include "InflateHarness.h"

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

// ---- Fixed-code helpers ----

// Block header: BFINAL, then BTYPE.
void Header(TBitWriter &W, bool ALast, int AType)
{
    W.Bits(ALast ? 1 : 0, 1);
    W.Bits((uint32_t)AType, 2);
}

void FixedText(TBitWriter &W, const std::string &AText)
{
    for (unsigned char ch : AText) PutFixedLit(W, ch);
}

// A match with the fixed code: length symbol + extra bits, distance symbol + extra bits.
void FixedMatch(TBitWriter &W, int ALenSym, uint32_t ALenExtra, unsigned ALenBits, int ADistSym,
                uint32_t ADistExtra, unsigned ADistBits)
{
    PutFixedLit(W, ALenSym);
    W.Bits(ALenExtra, ALenBits);
    PutFixedDist(W, ADistSym);
    W.Bits(ADistExtra, ADistBits);
}

// ---- Dynamic-code helpers ----

const int ClOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

struct TClSym {
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

std::vector<TClSym> Literally(const std::vector<int> &ALengths)
{
    std::vector<TClSym> seq;
    for (int l : ALengths) seq.push_back({l, 0});
    return seq;
}

// Dynamic block header: HLIT, HDIST, HCLEN, the code-length code lengths in their order, then
// the code-length symbols of ASeq (with their extra bits).
void DynHeader(TBitWriter &W, bool ALast, int ANl, int ANd, const std::vector<int> &ACl,
               const std::vector<TClSym> &ASeq)
{
    Header(W, ALast, 2);
    W.Bits((uint32_t)(ANl - 257), 5);
    W.Bits((uint32_t)(ANd - 1), 5);
    int nb = 19;
    while (nb > 4 && ACl[ClOrder[nb - 1]] == 0) nb--;
    W.Bits((uint32_t)(nb - 4), 4);
    for (int k = 0; k < nb; k++) W.Bits((uint32_t)ACl[ClOrder[k]], 3);
    std::vector<uint32_t> codes = CanonicalCodes(ACl);
    for (const TClSym &s : ASeq) {
        W.Code(codes[s.Sym], (unsigned)ACl[s.Sym]);
        if (s.Sym == 16) W.Bits(s.Extra, 2);
        if (s.Sym == 17) W.Bits(s.Extra, 3);
        if (s.Sym == 18) W.Bits(s.Extra, 7);
    }
}

// A dynamic block's two codes, with their lengths sent literally.
struct TDyn {
    std::vector<int> Lit, Dist;
    std::vector<uint32_t> LitCode, DistCode;
    TDyn(std::vector<int> ALit, std::vector<int> ADist) : Lit(ALit), Dist(ADist)
    {
        LitCode = CanonicalCodes(Lit);
        DistCode = CanonicalCodes(Dist);
    }
    void PutHeader(TBitWriter &W, bool ALast) const
    {
        std::vector<int> all = Lit;
        all.insert(all.end(), Dist.begin(), Dist.end());
        DynHeader(W, ALast, (int)Lit.size(), (int)Dist.size(), FullClCode(), Literally(all));
    }
    void PutLit(TBitWriter &W, int ASym) const { W.Code(LitCode[ASym], (unsigned)Lit[ASym]); }
    void PutDist(TBitWriter &W, int ASym) const { W.Code(DistCode[ASym], (unsigned)Dist[ASym]); }
};

// Lengths for nl literal/length codes: the given symbols with their lengths, others 0.
std::vector<int> Lens(int AN, std::initializer_list<std::pair<int, int>> ASymLen)
{
    std::vector<int> l(AN, 0);
    for (auto &p : ASymLen) l[p.first] = p.second;
    return l;
}

// The dynamic code used by several cases: 288 literal/length and 32 distance codes announced;
// 'a', 256 and 287 in 2 bits, 257 (length 3) and 286 in 3 bits; distances 0, 1, 30, 31 in 2.
TDyn Wide()
{
    return TDyn(Lens(288, {{'a', 2}, {256, 2}, {287, 2}, {257, 3}, {286, 3}}),
                Lens(32, {{0, 2}, {1, 2}, {30, 2}, {31, 2}}));
}

// ---- The cases ----

struct TCase {
    const char *Name;
    std::function<TBytes()> Stream;
    int Result;
    std::string Out;     // expected output when Result is 0
};

TBytes Raw(std::initializer_list<int> AList)
{
    TBytes b;
    for (int v : AList) b.push_back((uint8_t)v);
    return b;
}

TBytes WithText(TBytes AHead, const std::string &AText)
{
    AHead.insert(AHead.end(), AText.begin(), AText.end());
    return AHead;
}

const TCase Cases[] = {
    // Stored blocks.
    {"stored empty final block", [] { return Raw({0x01, 0x00, 0x00, 0xFF, 0xFF}); }, 0, ""},
    {"stored block", [] { return WithText(Raw({0x01, 0x05, 0x00, 0xFA, 0xFF}), "hello"); }, 0, "hello"},
    {"stored length 0, next header at the next byte",
     [] {
         TBitWriter w;
         w.Bytes = Raw({0x00, 0x00, 0x00, 0xFF, 0xFF});
         Header(w, true, 1);
         FixedText(w, "A");
         PutFixedLit(w, 256);
         return w.Bytes;
     },
     0, "A"},
    {"stored block after bits of a fixed block (skips to the byte boundary)",
     [] {
         TBitWriter w;
         Header(w, false, 1);
         FixedText(w, "ab");
         PutFixedLit(w, 256);
         Header(w, true, 0);
         w.AlignByte();
         TBytes b = WithText(w.Bytes, "");
         TBytes tail = WithText(Raw({0x02, 0x00, 0xFD, 0xFF}), "cd");
         b.insert(b.end(), tail.begin(), tail.end());
         return b;
     },
     0, "abcd"},
    {"invalid stored block lengths", [] { return WithText(Raw({0x01, 0x05, 0x00, 0xFA, 0xFE}), "hello"); }, 1, ""},
    {"stored data cut short", [] { return WithText(Raw({0x01, 0x05, 0x00, 0xFA, 0xFF}), "he"); }, 1, ""},
    {"stored length check cut short", [] { return Raw({0x01, 0x05, 0x00, 0xFA}); }, 1, ""},

    // Block headers and the end of the input.
    {"invalid block type", [] { return Raw({0x07}); }, 1, ""},
    {"invalid block type after a stored block (its bytes are not written)",
     [] { return WithText(Raw({0x00, 0x03, 0x00, 0xFC, 0xFF}), "abc\x07"); }, 1, ""},
    {"empty input", [] { return TBytes(); }, 1, ""},
    {"no final block", [] { TBitWriter w; Header(w, false, 1); FixedText(w, "x"); PutFixedLit(w, 256); return w.Bytes; }, 1, ""},
    {"input ends mid-block", [] { TBitWriter w; Header(w, true, 1); FixedText(w, "xyz"); return w.Bytes; }, 1, ""},
    {"input ends inside a length's extra bits",
     [] {
         TBitWriter w;
         Header(w, true, 1);
         FixedText(w, "xy");
         PutFixedLit(w, 284);   // 227 + 5 extra bits, which are missing
         return w.Bytes;
     },
     1, ""},

    // Fixed codes.
    {"fixed empty block", [] { return Raw({0x03, 0x00}); }, 0, ""},
    {"fixed literals of 8 and 9 bits",
     [] { TBitWriter w; Header(w, true, 1); FixedText(w, "Hi\x90\xff\x8f"); PutFixedLit(w, 256); return w.Bytes; },
     0, "Hi\x90\xff\x8f"},
    {"two fixed blocks",
     [] {
         TBitWriter w;
         Header(w, false, 1);
         FixedText(w, "one,");
         PutFixedLit(w, 256);
         Header(w, true, 1);
         FixedText(w, "two\xfe");
         FixedMatch(w, 257, 0, 0, 3, 0, 0);   // length 3, distance 4
         PutFixedLit(w, 256);
         return w.Bytes;
     },
     0, "one,two\xfetwo"},
    {"distance 1 length 258",
     [] { TBitWriter w; Header(w, true, 1); FixedText(w, "x"); FixedMatch(w, 285, 0, 0, 0, 0, 0); PutFixedLit(w, 256); return w.Bytes; },
     0, std::string(259, 'x')},
    {"distance from extra bits one past the first byte",
     [] {
         TBitWriter w;
         Header(w, true, 1);
         FixedText(w, "abcdefg");
         FixedMatch(w, 266, 1, 1, 5, 1, 1);   // length 14, distance 8 after 7 bytes
         PutFixedLit(w, 256);
         return w.Bytes;
     },
     1, ""},
    {"overlapping copy with extra bits",
     [] {
         TBitWriter w;
         Header(w, true, 1);
         FixedText(w, "abcdefgh");
         FixedMatch(w, 266, 1, 1, 5, 1, 1);   // length 14, distance 8
         PutFixedLit(w, 256);
         return w.Bytes;
     },
     0, "abcdefghabcdefghabcdef"},
    {"fixed length symbol 286", [] { TBitWriter w; Header(w, true, 1); FixedText(w, "a"); PutFixedLit(w, 286); return w.Bytes; }, 1, ""},
    {"fixed length symbol 287", [] { TBitWriter w; Header(w, true, 1); FixedText(w, "a"); PutFixedLit(w, 287); return w.Bytes; }, 1, ""},
    {"fixed distance symbol 30",
     [] { TBitWriter w; Header(w, true, 1); FixedText(w, "abc"); PutFixedLit(w, 257); PutFixedDist(w, 30); PutFixedLit(w, 256); return w.Bytes; }, 1, ""},
    {"fixed distance symbol 31",
     [] { TBitWriter w; Header(w, true, 1); FixedText(w, "abc"); PutFixedLit(w, 257); PutFixedDist(w, 31); PutFixedLit(w, 256); return w.Bytes; }, 1, ""},
    {"distance before the first byte",
     [] { TBitWriter w; Header(w, true, 1); FixedMatch(w, 257, 0, 0, 0, 0, 0); PutFixedLit(w, 256); return w.Bytes; }, 1, ""},
    {"distance too far back",
     [] { TBitWriter w; Header(w, true, 1); FixedText(w, "ab"); FixedMatch(w, 257, 0, 0, 2, 0, 0); PutFixedLit(w, 256); return w.Bytes; }, 1, ""},
    {"distance exactly back to the first byte",
     [] { TBitWriter w; Header(w, true, 1); FixedText(w, "abc"); FixedMatch(w, 257, 0, 0, 2, 0, 0); PutFixedLit(w, 256); return w.Bytes; }, 0, "abcabc"},

    // Dynamic codes.
    {"dynamic block",
     [] {
         TDyn d(Lens(286, {{'a', 2}, {'b', 2}, {256, 2}, {258, 3}, {259, 3}}), Lens(30, {{1, 1}, {3, 1}}));
         TBitWriter w;
         d.PutHeader(w, true);
         d.PutLit(w, 'a');
         d.PutLit(w, 'b');
         d.PutLit(w, 259);   // length 5
         d.PutDist(w, 1);    // distance 2
         d.PutLit(w, 256);
         return w.Bytes;
     },
     0, "abababa"},
    {"dynamic header with 288 and 32 codes",
     [] {
         TDyn d = Wide();
         TBitWriter w;
         d.PutHeader(w, true);
         d.PutLit(w, 'a');
         d.PutLit(w, 257);
         d.PutDist(w, 0);
         d.PutLit(w, 256);
         return w.Bytes;
     },
     0, "aaaa"},
    {"dynamic length symbol 286", [] { TDyn d = Wide(); TBitWriter w; d.PutHeader(w, true); d.PutLit(w, 'a'); d.PutLit(w, 286); d.PutLit(w, 256); return w.Bytes; }, 1, ""},
    {"dynamic length symbol 287", [] { TDyn d = Wide(); TBitWriter w; d.PutHeader(w, true); d.PutLit(w, 'a'); d.PutLit(w, 287); d.PutLit(w, 256); return w.Bytes; }, 1, ""},
    {"dynamic distance symbol 30",
     [] { TDyn d = Wide(); TBitWriter w; d.PutHeader(w, true); d.PutLit(w, 'a'); d.PutLit(w, 257); d.PutDist(w, 30); d.PutLit(w, 256); return w.Bytes; }, 1, ""},
    {"dynamic distance symbol 31",
     [] { TDyn d = Wide(); TBitWriter w; d.PutHeader(w, true); d.PutLit(w, 'a'); d.PutLit(w, 257); d.PutDist(w, 31); d.PutLit(w, 256); return w.Bytes; }, 1, ""},
    {"code lengths begin with a repeat (of length 0)",
     [] {
         // Symbols 0..2 get length 0 through code 16 (repeat 3), the rest literally.
         TDyn d(Lens(257, {{'a', 1}, {256, 1}}), Lens(1, {{0, 1}}));
         std::vector<int> all = d.Lit;
         all.insert(all.end(), d.Dist.begin(), d.Dist.end());
         std::vector<TClSym> seq = {{16, 0}};
         for (size_t k = 3; k < all.size(); k++) seq.push_back({all[k], 0});
         TBitWriter w;
         DynHeader(w, true, 257, 1, FullClCode(), seq);
         d.PutLit(w, 'a');
         d.PutLit(w, 256);
         return w.Bytes;
     },
     0, "a"},
    {"zero runs across literal and distance lengths",
     [] {
         // 'a' 1 bit, 256 1 bit; then 18 zeros x 2 cover 97+1..255, 257..287 and distance 0..
         std::vector<TClSym> seq;
         seq.push_back({18, 97 - 11});      // symbols 0..96
         seq.push_back({1, 0});             // 'a'
         seq.push_back({18, 138 - 11});     // 98..235
         seq.push_back({17, 10 - 3});       // 236..245
         seq.push_back({17, 10 - 3});       // 246..255
         seq.push_back({1, 0});             // 256
         seq.push_back({18, 31 + 5 - 11});  // 257..287 and distances 0..4
         seq.push_back({1, 0});             // distance 5
         seq.push_back({1, 0});             // distance 6
         TBitWriter w;
         DynHeader(w, true, 288, 7, FullClCode(), seq);
         w.Code(0, 1);                      // 'a'
         w.Code(1, 1);                      // 256
         return w.Bytes;
     },
     0, "a"},
    {"repeat past the last length",
     [] {
         std::vector<TClSym> seq = {{18, 127}, {18, 127}, {18, 31 - 11 + 1}};   // 138 + 138 + 21 = 297 > 296
         TBitWriter w;
         DynHeader(w, true, 257 + 8, 31, FullClCode(), seq);   // 265 + 31 = 296 lengths
         return w.Bytes;
     },
     1, ""},
    {"repeat of a length past the last length",
     [] {
         std::vector<int> all(258, 0);
         all['a'] = 1;
         all[256] = 1;
         std::vector<TClSym> seq = Literally(std::vector<int>(all.begin(), all.begin() + 256));
         seq.push_back({1, 0});   // 256
         seq.push_back({16, 0});  // repeats 1 three times: 257, distance 0 and one too many
         TBitWriter w;
         DynHeader(w, true, 257, 1, FullClCode(), seq);
         return w.Bytes;
     },
     1, ""},
    {"incomplete literal/length code",
     [] { TDyn d(Lens(257, {{'a', 2}, {256, 2}}), Lens(1, {{0, 1}})); TBitWriter w; d.PutHeader(w, true); d.PutLit(w, 256); return w.Bytes; }, 1, ""},
    {"over-subscribed literal/length code",
     [] { TDyn d(Lens(257, {{'a', 1}, {'b', 1}, {256, 1}}), Lens(1, {{0, 1}})); TBitWriter w; d.PutHeader(w, true); return w.Bytes; }, 1, ""},
    {"single 1-bit literal/length code",
     [] { TDyn d(Lens(257, {{256, 1}}), Lens(1, {{0, 1}})); TBitWriter w; d.PutHeader(w, true); d.PutLit(w, 256); return w.Bytes; }, 0, ""},
    {"incomplete distance code, used codes only",
     [] {
         TDyn d(Lens(258, {{'a', 1}, {256, 2}, {257, 2}}), Lens(3, {{2, 2}}));
         TBitWriter w;
         d.PutHeader(w, true);
         d.PutLit(w, 'a');
         d.PutLit(w, 257);
         d.PutDist(w, 2);   // distance 3: too far
         d.PutLit(w, 256);
         return w.Bytes;
     },
     1, ""},
    {"incomplete distance code",
     [] {
         TDyn d(Lens(258, {{'a', 1}, {256, 2}, {257, 2}}), Lens(3, {{0, 2}}));
         TBitWriter w;
         d.PutHeader(w, true);
         d.PutLit(w, 'a');
         d.PutLit(w, 257);
         d.PutDist(w, 0);
         d.PutLit(w, 256);
         return w.Bytes;
     },
     0, "aaaa"},
    {"incomplete distance code, spare code met",
     [] {
         TDyn d(Lens(258, {{'a', 1}, {256, 2}, {257, 2}}), Lens(3, {{0, 2}}));
         TBitWriter w;
         d.PutHeader(w, true);
         d.PutLit(w, 'a');
         d.PutLit(w, 257);
         w.Code(3, 2);      // 11: no distance symbol has this code
         d.PutLit(w, 256);
         return w.Bytes;
     },
     1, ""},
    {"over-subscribed distance code",
     [] { TDyn d(Lens(257, {{'a', 1}, {256, 1}}), Lens(3, {{0, 1}, {1, 1}, {2, 1}})); TBitWriter w; d.PutHeader(w, true); return w.Bytes; }, 2, ""},
    {"no distance codes, literals only",
     [] { TDyn d(Lens(258, {{'a', 1}, {256, 2}, {257, 2}}), Lens(1, {})); TBitWriter w; d.PutHeader(w, true); d.PutLit(w, 'a'); d.PutLit(w, 256); return w.Bytes; }, 0, "a"},
    {"no distance codes, length met",
     [] { TDyn d(Lens(258, {{'a', 1}, {256, 2}, {257, 2}}), Lens(1, {})); TBitWriter w; d.PutHeader(w, true); d.PutLit(w, 'a'); d.PutLit(w, 257); w.Bits(0, 8); d.PutLit(w, 256); return w.Bytes; }, 1, ""},
    {"no literal/length codes",
     [] { TDyn d(Lens(257, {}), Lens(1, {{0, 1}})); TBitWriter w; d.PutHeader(w, true); w.Bits(0, 16); return w.Bytes; }, 1, ""},
    {"no end-of-block code (input runs out)",
     [] { TDyn d(Lens(257, {{'a', 1}, {'b', 1}}), Lens(1, {{0, 1}})); TBitWriter w; d.PutHeader(w, true); d.PutLit(w, 'a'); return w.Bytes; }, 1, ""},
    {"incomplete code-length code",
     [] {
         std::vector<int> cl(19, 0);
         cl[1] = 2;
         cl[0] = 2;
         TBitWriter w;
         DynHeader(w, true, 257, 1, cl, {{1, 0}});
         return w.Bytes;
     },
     1, ""},
    {"over-subscribed code-length code",
     [] {
         std::vector<int> cl(19, 0);
         cl[0] = 1;
         cl[1] = 1;
         cl[2] = 1;
         TBitWriter w;
         DynHeader(w, true, 257, 1, cl, {});
         return w.Bytes;
     },
     1, ""},
    {"no code-length codes", [] { TBitWriter w; DynHeader(w, true, 257, 1, std::vector<int>(19, 0), {}); w.Bits(0, 16); return w.Bytes; }, 1, ""},
    {"dynamic header cut short", [] { TBitWriter w; Header(w, true, 2); w.Bits(29, 5); return w.Bytes; }, 1, ""},
};

class InflateStreams : public ::testing::TestWithParam<TInflateSide> {};

TEST_P(InflateStreams, EachStreamGivesItsResult)
{
    for (const TCase &c : Cases) {
        SCOPED_TRACE(c.Name);
        TInflateRun run = RunInflate(c.Stream(), GetParam());
        EXPECT_EQ(c.Result, run.Result);
        if (c.Result == 0) {
            EXPECT_EQ(c.Out, Text(run.Out));
            EXPECT_EQ(RefCrc(run.Out), run.Crc);
        } else {
            // A failed entry writes nothing of the window it was filling (all these are short).
            EXPECT_TRUE(run.Out.empty());
        }
    }
}

// Output in full 32,768-byte writes and one final shorter write.
TBytes RunOfX(int ACount)   // 'x' then matches of distance 1, all with the fixed code
{
    TBitWriter w;
    Header(w, true, 1);
    FixedText(w, "x");
    int left = ACount - 1;
    while (left >= 258 + 3 || left == 258) {
        FixedMatch(w, 285, 0, 0, 0, 0, 0);
        left -= 258;
    }
    while (left >= 3) {
        int len = left > 10 ? 10 : left;
        FixedMatch(w, 257 + len - 3, 0, 0, 0, 0, 0);
        left -= len;
    }
    while (left-- > 0) FixedText(w, "x");
    PutFixedLit(w, 256);
    return w.Bytes;
}

TEST_P(InflateStreams, WritesFullWindowsThenTheRest)
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
        TInflateRun run = RunInflate(RunOfX(t.Size), GetParam());
        ASSERT_EQ(0, run.Result);
        EXPECT_EQ(t.Writes, run.WriteSizes);
        EXPECT_EQ(TBytes(t.Size, 'x'), run.Out);
        EXPECT_EQ(RefCrc(run.Out), run.Crc);
    }
}

// A stored entry of ASize bytes of a counting pattern, in blocks of at most 65,535.
TBytes StoredEntry(int ASize, TBytes *AData)
{
    TBytes s;
    int done = 0;
    do {
        int n = ASize - done > 65535 ? 65535 : ASize - done;
        s.push_back(done + n == ASize ? 1 : 0);
        s.push_back((uint8_t)n);
        s.push_back((uint8_t)(n >> 8));
        s.push_back((uint8_t)~n);
        s.push_back((uint8_t)(~n >> 8));
        for (int k = 0; k < n; k++) {
            uint8_t b = (uint8_t)((done + k) * 7 + (done + k) / 251);
            s.push_back(b);
            AData->push_back(b);
        }
        done += n;
    } while (done < ASize);
    return s;
}

TEST_P(InflateStreams, ReadsOnlyTheEntryInBlocksOfAtMost32K)
{
    TBytes data;
    TBytes stream = StoredEntry(100000, &data);
    const int64_t size = (int64_t)stream.size();
    TBytes withTail = stream;
    withTail.insert(withTail.end(), 5000, 0xEE);   // the next header of the archive

    TInflateRun run = RunInflate(withTail, GetParam(), size);
    ASSERT_EQ(0, run.Result);
    EXPECT_EQ(data, run.Out);
    EXPECT_EQ(RefCrc(data), run.Crc);
    EXPECT_EQ(size, run.ArchivePosAfter);
    std::vector<int32_t> expected = {32768, 32768, 32768, (int32_t)(size - 3 * 32768)};
    EXPECT_EQ(expected, run.ReadSizes);
    EXPECT_EQ(0, CompressedLeft);

    // One byte short of the entry: the stream ends inside its last block.
    run = RunInflate(withTail, GetParam(), size - 1);
    EXPECT_EQ(1, run.Result);
    EXPECT_EQ(size - 1, run.ArchivePosAfter);
}

TEST_P(InflateStreams, FailedWriteStopsAndShowsInTheCrc)
{
    TBytes data;
    TBytes stream = StoredEntry(70000, &data);
    TInflateRun run = RunInflate(stream, GetParam(), -1, 40000);   // the disk fills at 40,000
    EXPECT_EQ(INFLATE_WRITE_FAILED, run.Result);
    EXPECT_EQ(TBytes(data.begin(), data.begin() + 40000), run.Out);
    EXPECT_EQ(RefCrc(run.Out), run.Crc);         // the CRC covers what was written...
    EXPECT_NE(RefCrc(data), run.Crc);            // ...so the entry fails its check
    EXPECT_EQ((std::vector<int32_t>{32768, 32768}), run.WriteSizes);   // and decoding stopped
}

// Matches that reach back across the window's wrap, up to the full 32,768.
TEST_P(InflateStreams, DistancesAcrossWindowWrites)
{
    TBitWriter w;
    Header(w, true, 1);
    TBytes expect;
    uint32_t seed = 1;
    for (int k = 0; k < 40000; k++) {   // pseudo-random literals
        seed = seed * 1103515245u + 12345u;
        uint8_t b = (uint8_t)(seed >> 16);
        PutFixedLit(w, b);
        expect.push_back(b);
    }
    // distance 32768 (symbol 29, extra 8191), length 258; then distance 24577, length 3
    FixedMatch(w, 285, 0, 0, 29, 8191, 13);
    for (int k = 0; k < 258; k++) expect.push_back(expect[expect.size() - 32768]);
    FixedMatch(w, 257, 0, 0, 29, 0, 13);
    for (int k = 0; k < 3; k++) expect.push_back(expect[expect.size() - 24577]);
    PutFixedLit(w, 256);
    TInflateRun run = RunInflate(w.Bytes, GetParam());
    ASSERT_EQ(0, run.Result);
    ASSERT_EQ(expect.size(), run.Out.size());
    for (size_t k = 0; k < expect.size(); k++) ASSERT_EQ(expect[k], run.Out[k]) << k;
    EXPECT_EQ(RefCrc(expect), run.Crc);
}

INSTANTIATE_TEST_SUITE_P(Sides, InflateStreams, ::testing::Values(SIDE_MEMORY, SIDE_FILES),
                         [](const ::testing::TestParamInfo<TInflateSide> &i) {
                             return std::string(i.param == SIDE_MEMORY ? "Memory" : "Files");
                         });

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
        {"complete", {1, 2, 3, 3}, 7, 0, 3},
        {"incomplete", {2, 2, 3}, 7, 1, 3},
        {"single 1-bit code (allowed)", {0, 1}, 7, 0, 1},
        {"over-subscribed", {1, 1, 2}, 7, 2, 0},
        {"over-subscribed at the longest length", {2, 2, 2, 3, 3, 3}, 7, 2, 0},
        {"no codes", {0, 0, 0}, 7, 0, 0},
        {"request raised to the shortest length", {3, 3, 3, 3, 3, 3, 3, 4, 4}, 1, 0, 3},
        {"root stays within the request", {3, 3, 3, 3, 3, 3, 3, 4, 4}, 3, 0, 3},
        {"request lowered to the longest length", {3, 3, 3, 3, 3, 3, 3, 4, 4}, 9, 0, 4},
    };
    for (const auto &t : table) {
        SCOPED_TRACE(t.Name);
        TCodeEntry *root, *chain;
        int bits = t.Requested;
        int r = BuildCodeTable(t.Lengths.data(), (int)t.Lengths.size(), 19, 0, 0, bits, root, chain);
        EXPECT_EQ(t.Result, r);
        if (r == 0 || r == 1) {
            EXPECT_EQ(t.RootBits, bits);
            EXPECT_EQ(t.RootBits == 0, root == 0);
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
    CheckEveryCode(a, 4, 1, 4, 1);
    // 1, 2, ..., 14, 15, 15 bits: complete, three levels under a 6-bit root.
    std::vector<int> b;
    for (int l = 1; l <= 15; l++) b.push_back(l);
    b.push_back(15);
    CheckEveryCode(b, 6, 0, 6, 2);
    // The same with symbols of length 0 between them.
    std::vector<int> c;
    for (int l : b) {
        c.push_back(0);
        c.push_back(l);
    }
    CheckEveryCode(c, 6, 0, 6, 2);
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
    EXPECT_EQ(5, ZipMemIO.Write(h, "hello", 5));
    EXPECT_EQ(2, ZipMemIO.Seek(h, 2, ZIP_SEEK_BEGIN));
    char buf[8] = {0};
    EXPECT_EQ(3, ZipMemIO.Read(h, buf, 8));
    EXPECT_STREQ("llo", buf);
    EXPECT_EQ(0, ZipMemIO.Read(h, buf, 8));
    EXPECT_EQ(7, ZipMemIO.Seek(h, 2, ZIP_SEEK_END));
    EXPECT_EQ(1, ZipMemIO.Write(h, "!", 1));      // past the end: the gap is zero
    EXPECT_EQ(8, f.Size);
    EXPECT_EQ(0, f.Data[5]);
    EXPECT_EQ(-1, ZipMemIO.Seek(h, -9, ZIP_SEEK_CURRENT));
    ZipMemFree(f);

    const char text[] = "abc";
    ZipMemOpen(f, text, 3);
    EXPECT_EQ(0, ZipMemIO.Write(h, "x", 1));       // a borrowed view is read-only
    EXPECT_EQ('a', text[0]);
}

}  // namespace
