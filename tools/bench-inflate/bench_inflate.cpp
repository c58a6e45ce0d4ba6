// bench_inflate: decode speed of the installer's decoder (InflateBuffer, which runs
// InflateEntry on memory) against zlib's inflate and libdeflate, and
// UpdateCrc against zlib's crc32, on one raw-deflate stream.
//   bench_inflate make INPUT STREAM [LIMIT_MB]   compress INPUT (zlib, level 6, raw deflate)
//   bench_inflate run STREAM                     time the decoders and the CRCs
#include <libdeflate.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <zlib.h>

#include <vector>

#include "UnfurlZipInflate.h"

typedef std::vector<unsigned char> TBytes;

static double Now()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

static bool ReadAll(const char *AName, TBytes &AData, size_t ALimit)
{
    FILE *f = fopen(AName, "rb");
    if (!f) return false;
    unsigned char buf[1 << 16];
    size_t n;
    while (AData.size() < ALimit && (n = fread(buf, 1, sizeof(buf), f)) > 0) AData.insert(AData.end(), buf, buf + n);
    fclose(f);
    if (AData.size() > ALimit) AData.resize(ALimit);
    return true;
}

static int Make(const char *AIn, const char *AOut, size_t ALimit)
{
    TBytes data;
    if (!ReadAll(AIn, data, ALimit)) return 1;
    z_stream z = {};
    deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    TBytes out(deflateBound(&z, data.size()));
    z.next_in = data.data();
    z.avail_in = (uInt)data.size();
    z.next_out = out.data();
    z.avail_out = (uInt)out.size();
    if (deflate(&z, Z_FINISH) != Z_STREAM_END) return 1;
    out.resize(z.total_out);
    deflateEnd(&z);
    FILE *f = fopen(AOut, "wb");
    fwrite(out.data(), 1, out.size(), f);
    fclose(f);
    printf("%zu bytes of data -> %zu bytes of raw deflate (level 6)\n", data.size(), out.size());
    return 0;
}

enum { ROUNDS = 5 };

// Best times of ROUNDS rounds, in seconds.
struct TBest {
    double Zlib = 1e9, ZlibCrc = 1e9;     // zlib inflate; with crc32 after it
    double Mine = 1e9;                    // InflateEntry, which checks the CRC as it writes
    double Ld = 1e9, LdCrc = 1e9;         // libdeflate; with its crc32 after it
    double CrcMine = 1e9, CrcZlib = 1e9;  // the CRC alone over the decoded data
};

static void KeepBest(double &ABest, double ATime)
{
    if (ATime < ABest) ABest = ATime;
}

// zlib first: it also tells the output size and the reference CRC. False when it fails.
static bool RunZlib(const TBytes &AStream, TBytes &ARef, size_t &AOutSize, uint32_t &ARefCrc,
                    TBest &ABest)
{
    for (int r = 0; r < ROUNDS; r++) {
        double t0 = Now();
        z_stream z = {};
        inflateInit2(&z, -15);
        z.next_in = (Bytef *)AStream.data();
        z.avail_in = (uInt)AStream.size();
        z.next_out = ARef.data();
        z.avail_out = (uInt)ARef.size();
        if (inflate(&z, Z_FINISH) != Z_STREAM_END) {
            fprintf(stderr, "zlib failed (output larger than %zu?)\n", ARef.size());
            return false;
        }
        AOutSize = z.total_out;
        inflateEnd(&z);
        double t1 = Now();
        ARefCrc = (uint32_t)crc32(0, ARef.data(), (uInt)AOutSize);
        double t2 = Now();
        KeepBest(ABest.Zlib, t1 - t0);
        KeepBest(ABest.ZlibCrc, t2 - t0);
    }
    return true;
}

// InflateEntry into AMine; false when its output or CRC differs from zlib's.
// The decoder through InflateBuffer into one memory file, grown in the first round and
// written from its start in every round after, as zlib and libdeflate write into theirs.
static bool RunMine(const TBytes &AStream, TBytes &AMine, const TBytes &ARef, size_t AOutSize,
                    uint32_t ARefCrc, TBest &ABest)
{
    BuildCrcTable();
    TZipMemFile out;
    ZipMemCreate(out);
    bool Ok = true;
    for (int r = 0; r < ROUNDS && Ok; r++) {
        ZipMemIO()->Seek(ZipMemHandle(out), 0, ZIP_SEEK_BEGIN);
        uint32_t crc = 0;
        int64_t got = 0;
        double t0 = Now();
        int res = InflateBuffer(AStream.data(), (int32_t)AStream.size(), &out, crc, -1, &got);
        double t1 = Now();
        Ok = res == 0 && (size_t)got == AOutSize && memcmp(out.Data, ARef.data(), AOutSize) == 0 &&
             crc == ARefCrc;
        if (!Ok)
            fprintf(stderr, "InflateBuffer: result %d, %lld bytes, output or CRC differs from zlib\n", res,
                    (long long)got);
        KeepBest(ABest.Mine, t1 - t0);
    }
    if (Ok) memcpy(AMine.data(), out.Data, AOutSize);
    ZipMemFree(out);
    return Ok;
}

static bool RunLibdeflate(const TBytes &AStream, TBytes &ALd, size_t AOutSize, uint32_t ARefCrc,
                          TBest &ABest)
{
    libdeflate_decompressor *d = libdeflate_alloc_decompressor();
    bool Ok = true;
    for (int r = 0; r < ROUNDS && Ok; r++) {
        size_t got = 0;
        double t0 = Now();
        if (libdeflate_deflate_decompress(d, AStream.data(), AStream.size(), ALd.data(), ALd.size(), &got) !=
                LIBDEFLATE_SUCCESS ||
            got != AOutSize) {
            Ok = false;
            break;
        }
        double t1 = Now();
        uint32_t c = libdeflate_crc32(0, ALd.data(), got);
        double t2 = Now();
        if (c != ARefCrc) Ok = false;
        KeepBest(ABest.Ld, t1 - t0);
        KeepBest(ABest.LdCrc, t2 - t0);
    }
    libdeflate_free_decompressor(d);
    return Ok;
}

// The CRC alone over the decoded data: UpdateCrc against zlib's crc32.
static bool RunCrc(const TBytes &AData, size_t AOutSize, uint32_t ARefCrc, TBest &ABest)
{
    for (int r = 0; r < ROUNDS; r++) {
        double t0 = Now();
        uint32_t c = 0xFFFFFFFFu;
        for (size_t off = 0; off < AOutSize; off += 1u << 30)   // UpdateCrc takes 32-bit lengths
            UpdateCrc(AData.data() + off, (int32_t)(AOutSize - off < (1u << 30) ? AOutSize - off : 1u << 30), c);
        double t1 = Now();
        uint32_t z = (uint32_t)crc32(0, AData.data(), (uInt)AOutSize);
        double t2 = Now();
        if (~c != z || z != ARefCrc) return false;
        KeepBest(ABest.CrcMine, t1 - t0);
        KeepBest(ABest.CrcZlib, t2 - t1);
    }
    return true;
}

static void Report(size_t AStreamSize, size_t AOutSize, const TBest &B)
{
    double mb = AOutSize / 1e6;
    printf("stream %zu bytes -> %zu bytes decoded; best of %d rounds; MB/s of decoded output\n",
           AStreamSize, AOutSize, ROUNDS);
    printf("decode, output and CRC-32:\n");
    printf("  InflateEntry (decode + CRC)   %8.1f MB/s\n", mb / B.Mine);
    printf("  zlib inflate + crc32          %8.1f MB/s   ratio InflateEntry/zlib      %.2f\n", mb / B.ZlibCrc,
           B.ZlibCrc / B.Mine);
    printf("  libdeflate + crc32            %8.1f MB/s   ratio InflateEntry/libdeflate %.2f\n", mb / B.LdCrc,
           B.LdCrc / B.Mine);
    printf("decode only (no CRC):\n");
    printf("  zlib inflate                  %8.1f MB/s   ratio InflateEntry(+CRC)/zlib %.2f\n", mb / B.Zlib,
           B.Zlib / B.Mine);
    printf("  libdeflate                    %8.1f MB/s\n", mb / B.Ld);
    printf("CRC-32 alone:\n");
    printf("  UpdateCrc                     %8.1f MB/s\n", mb / B.CrcMine);
    printf("  zlib crc32                    %8.1f MB/s   ratio UpdateCrc/zlib        %.2f\n", mb / B.CrcZlib,
           B.CrcZlib / B.CrcMine);
}

int main(int argc, char **argv)
{
    if (argc >= 4 && strcmp(argv[1], "make") == 0)
        return Make(argv[2], argv[3], argc > 4 ? (size_t)atol(argv[4]) << 20 : (size_t)-1);
    if (argc < 3 || strcmp(argv[1], "run") != 0) {
        fprintf(stderr, "usage: bench_inflate make INPUT STREAM [LIMIT_MB] | run STREAM\n");
        return 2;
    }
    TBytes stream;
    if (!ReadAll(argv[2], stream, (size_t)-1) || stream.size() > 0x7FFFFFFF) return 1;
    size_t cap = stream.size() * 12 + (1 << 20);
    TBytes ref(cap), mine(cap), ld(cap);
    size_t outSize = 0;
    uint32_t refCrc = 0;
    TBest Best;
    if (!RunZlib(stream, ref, outSize, refCrc, Best) ||
        !RunMine(stream, mine, ref, outSize, refCrc, Best) ||
        !RunLibdeflate(stream, ld, outSize, refCrc, Best) || !RunCrc(mine, outSize, refCrc, Best))
        return 1;
    Report(stream.size(), outSize, Best);
    return 0;
}
