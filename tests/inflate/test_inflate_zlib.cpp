// The decoder against zlib: streams made by zlib's deflate at every level and strategy from
// varied data decode to the same bytes with the right CRC (through InflateBuffer; through
// InflateEntry on real files and with short reads); UpdateCrc equals zlib's crc32.
#include <gtest/gtest.h>
#include <zlib.h>

#include "InflateHarness.h"

namespace {

struct TRandom {   // small deterministic generator (xorshift)
    uint64_t S;
    explicit TRandom(uint64_t ASeed) : S(ASeed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t Next()
    {
        S ^= S << 13;
        S ^= S >> 7;
        S ^= S << 17;
        return (uint32_t)(S >> 16);
    }
    uint32_t Below(uint32_t AN) { return Next() % AN; }
};

// Kinds of input data, from incompressible to highly repetitive.
enum TKind { RANDOM, TEXT, RUNS, ZEROS, SMALL_ALPHABET, STRUCTURED, KIND_COUNT };

TBytes MakeData(TKind AKind, size_t ASize, uint64_t ASeed)
{
    TRandom r(ASeed);
    TBytes d;
    d.reserve(ASize);
    static const char *words[] = {"the ", "inflate ", "window ", "of ", "archive ", "entry ", "\r\n",
                                  "block ", "Huffman ", "code ", "length ", "distance ", "; ", "0x7F, "};
    while (d.size() < ASize) {
        switch (AKind) {
        case RANDOM: d.push_back((uint8_t)r.Next()); break;
        case TEXT: {
            const char *w = words[r.Below(14)];
            while (*w && d.size() < ASize) d.push_back((uint8_t)*w++);
            break;
        }
        case RUNS: {
            uint8_t b = (uint8_t)r.Next();
            size_t n = 1 + r.Below(r.Below(4) == 0 ? 600 : 20);
            while (n-- && d.size() < ASize) d.push_back(b);
            break;
        }
        case ZEROS: d.push_back(0); break;
        case SMALL_ALPHABET: d.push_back((uint8_t)("ACGT"[r.Below(4)])); break;
        case STRUCTURED: {   // records with fields and far repeats, like an executable's tables
            uint32_t v = (uint32_t)d.size() / 64 * 0x01000193u;
            uint8_t rec[16] = {(uint8_t)v, (uint8_t)(v >> 8), 0, 0, 0x4C, 0x8B, (uint8_t)r.Below(3), 0xFF,
                               0x15, (uint8_t)(d.size() >> 12), 0, 0x90, 0x90, (uint8_t)r.Below(256), 0xC3, 0};
            for (uint8_t b : rec)
                if (d.size() < ASize) d.push_back(b);
            if (d.size() > 40000 && r.Below(8) == 0) {   // copy from far back
                size_t from = d.size() - 32000 - r.Below(700);
                for (int k = 0; k < 300 && d.size() < ASize; k++) d.push_back(d[from + k]);
            }
            break;
        }
        default: break;
        }
    }
    return d;
}

// Raw deflate with zlib. AFlushEvery > 0 puts sync/full flushes in (empty stored blocks) and
// switches the level half way (a new block kind).
TBytes Deflate(const TBytes &AData, int ALevel, int AStrategy, int AWindowBits, int AMemLevel,
               size_t AFlushEvery = 0)
{
    z_stream z = {};
    EXPECT_EQ(Z_OK, deflateInit2(&z, ALevel, Z_DEFLATED, -AWindowBits, AMemLevel, AStrategy));
    TBytes out(deflateBound(&z, (uLong)AData.size()) + 1024 + AData.size() / 8);
    z.next_out = out.data();
    z.avail_out = (uInt)out.size();
    size_t pos = 0;
    int flushes = 0;
    do {
        size_t n = AData.size() - pos;
        if (AFlushEvery && n > AFlushEvery) n = AFlushEvery;
        z.next_in = const_cast<Bytef *>(AData.data() + pos);
        z.avail_in = (uInt)n;
        pos += n;
        int flush = pos == AData.size() ? Z_FINISH : (flushes++ % 2 ? Z_FULL_FLUSH : Z_SYNC_FLUSH);
        if (AFlushEvery && pos * 2 >= AData.size() && pos * 2 - n * 2 < AData.size())
            deflateParams(&z, ALevel == 1 ? 9 : 1, AStrategy);
        int r = deflate(&z, flush);
        EXPECT_TRUE(r == Z_OK || r == Z_STREAM_END || r == Z_BUF_ERROR);
    } while (pos < AData.size());
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

uint32_t ZlibCrc(const TBytes &AData)
{
    return (uint32_t)crc32(0, AData.data(), (uInt)AData.size());
}

const int Strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
const char *StrategyName[] = {"default", "filtered", "huffman-only", "rle", "fixed"};

TEST(InflateZlib, EveryLevelAndStrategyOnVariedData)
{
    const size_t sizes[] = {0, 1, 2, 3, 258, 259, 1000, 32767, 32768, 32769, 70001, 200000};
    int streams = 0;
    for (int kind = 0; kind < KIND_COUNT; kind++)
        for (size_t size : sizes)
            for (int level = 0; level <= 9; level++)
                for (int st = 0; st < 5; st++) {
                    if (level == 0 && st > 0) continue;   // stored blocks only
                    if (size > 40000 && (level + st + kind) % 3 != 0) continue;   // keep it quick
                    TBytes data = MakeData((TKind)kind, size, size * 31 + kind);
                    TBytes stream = Deflate(data, level, Strategies[st], 15, 8);
                    SCOPED_TRACE(testing::Message() << "kind " << kind << " size " << size << " level "
                                                    << level << " " << StrategyName[st]);
                    TInflateResult run = RunInflate(stream);
                    ASSERT_EQ(0, run.Result);
                    ASSERT_TRUE(data == run.Out);
                    ASSERT_EQ(ZlibCrc(data), run.Crc);
                    streams++;
                }
    EXPECT_GT(streams, 500);
}

TEST(InflateZlib, SmallWindowsMemLevelsFlushesAndLevelSwitches)
{
    TRandom r(7);
    for (int i = 0; i < 120; i++) {
        TKind kind = (TKind)(i % KIND_COUNT);
        size_t size = 1 + r.Below(i % 4 == 0 ? 300000 : 50000);
        int level = (int)r.Below(10), st = (int)r.Below(5);
        int windowBits = 8 + (int)r.Below(8);   // raw deflate accepts 9..15; 8 is taken as 9
        if (windowBits == 8) windowBits = 9;
        int memLevel = 1 + (int)r.Below(9);
        size_t flushEvery = i % 3 == 0 ? 1 + r.Below(20000) : 0;
        TBytes data = MakeData(kind, size, 1000 + i);
        TBytes stream = Deflate(data, level, Strategies[st], windowBits, memLevel, flushEvery);
        SCOPED_TRACE(testing::Message() << "case " << i << " size " << size << " level " << level << " "
                                        << StrategyName[st] << " window " << windowBits << " flush "
                                        << flushEvery);
        TInflateResult run = RunInflate(stream);
        ASSERT_EQ(0, run.Result);
        ASSERT_TRUE(data == run.Out);
        ASSERT_EQ(ZlibCrc(data), run.Crc);
    }
}

// Through real files too (kernel handles under Windows), a few larger streams.
TEST(InflateZlib, LargeStreamsThroughFiles)
{
    for (int kind = 0; kind < KIND_COUNT; kind++) {
        TBytes data = MakeData((TKind)kind, 600000 + kind * 12345, 99 + kind);
        TBytes stream = Deflate(data, 6, Z_DEFAULT_STRATEGY, 15, 8);
        TInflateResult run = RunInflate(stream, WAY_FILES);
        SCOPED_TRACE(kind);
        ASSERT_EQ(0, run.Result);
        ASSERT_TRUE(data == run.Out);
        ASSERT_EQ(ZlibCrc(data), run.Crc);
        for (size_t k = 0; k + 1 < run.WriteSizes.size(); k++) EXPECT_EQ(32768, run.WriteSizes[k]);
        for (int32_t n : run.ReadSizes) EXPECT_LE(n, 32768);
        EXPECT_EQ((int64_t)stream.size(), run.ArchivePosAfter);
    }
}

// Reads that return fewer bytes than asked (1 to 97 at a time) put the end of the input
// buffer everywhere in the stream: the same bytes come out.
TEST(InflateZlib, ShortReadsGiveTheSameBytes)
{
    for (int i = 0; i < 24; i++) {
        TBytes data = MakeData((TKind)(i % KIND_COUNT), 20000 + i * 3001, 500 + i);
        TBytes stream = Deflate(data, 1 + i % 9, Strategies[i % 5], 15, 8);
        int32_t cap = 1 + (i * 13) % 97;
        TInflateResult run = RunInflate(stream, WAY_MEMORY, -1, -1, cap);
        SCOPED_TRACE(testing::Message() << "case " << i << " cap " << cap);
        ASSERT_EQ(0, run.Result);
        ASSERT_TRUE(data == run.Out);
        ASSERT_EQ(ZlibCrc(data), run.Crc);
        EXPECT_EQ((int64_t)stream.size(), run.ArchivePosAfter);
    }
}

// Every cut of a valid stream is an error, never a success with short output (or a crash).
TEST(InflateZlib, TruncatedStreamsFail)
{
    TBytes data = MakeData(TEXT, 5000, 3);
    for (int st = 0; st < 5; st++) {
        TBytes stream = Deflate(data, 6, Strategies[st], 15, 8);
        for (size_t cut = 0; cut < stream.size(); cut++) {
            TBytes part(stream.begin(), stream.begin() + cut);
            TInflateResult run = RunInflate(part);
            ASSERT_NE(0, run.Result) << StrategyName[st] << " cut " << cut;
        }
    }
}

TEST(InflateZlib, CrcEqualsZlibOnRandomBuffers)
{
    TRandom r(42);
    TBytes buf(1 << 20);
    for (auto &b : buf) b = (uint8_t)r.Next();
    for (int i = 0; i < 400; i++) {
        size_t start = r.Below(64), len = r.Below(i % 10 == 0 ? (1 << 20) - 64 : 5000);
        uint32_t c = 0xFFFFFFFFu;
        UpdateCrc(buf.data() + start, (int32_t)len, c);
        ASSERT_EQ((uint32_t)crc32(0, buf.data() + start, (uInt)len), ~c) << start << " " << len;
    }
}

}  // namespace
