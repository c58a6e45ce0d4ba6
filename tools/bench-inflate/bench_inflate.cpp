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

    // zlib first: it also tells the output size.
    size_t cap = stream.size() * 12 + (1 << 20);
    TBytes ref(cap), ld(cap);
    double zlibBest = 1e9, zlibCrcBest = 1e9;
    size_t outSize = 0;
    uint32_t refCrc = 0;
    for (int r = 0; r < ROUNDS; r++) {
        double t0 = Now();
        z_stream z = {};
        inflateInit2(&z, -15);
        z.next_in = stream.data();
        z.avail_in = (uInt)stream.size();
        z.next_out = ref.data();
        z.avail_out = (uInt)cap;
        if (inflate(&z, Z_FINISH) != Z_STREAM_END) {
            fprintf(stderr, "zlib failed (output larger than %zu?)\n", cap);
            return 1;
        }
        outSize = z.total_out;
        inflateEnd(&z);
        double t1 = Now();
        refCrc = (uint32_t)crc32(0, ref.data(), (uInt)outSize);
        double t2 = Now();
        if (t1 - t0 < zlibBest) zlibBest = t1 - t0;
        if (t2 - t0 < zlibCrcBest) zlibCrcBest = t2 - t0;
    }

    // The decoder through InflateBuffer into one memory file, grown in the first round and
    // written from its start in every round after, as zlib and libdeflate write into theirs.
    double mineBest = 1e9;
    BuildCrcTable();
    TZipMemFile out;
    ZipMemCreate(out);
    for (int r = 0; r < ROUNDS; r++) {
        ZipMemIO.Seek(ZipMemHandle(out), 0, ZIP_SEEK_BEGIN);
        uint32_t crc = 0;
        int64_t got = 0;
        double t0 = Now();
        int res = InflateBuffer(stream.data(), (int32_t)stream.size(), &out, crc, -1, &got);
        double t1 = Now();
        if (res != 0 || (size_t)got != outSize || memcmp(out.Data, ref.data(), outSize) != 0 || crc != refCrc) {
            fprintf(stderr, "InflateBuffer: result %d, %lld bytes, output or CRC differs from zlib\n", res,
                    (long long)got);
            return 1;
        }
        if (t1 - t0 < mineBest) mineBest = t1 - t0;
    }

    double ldBest = 1e9, ldCrcBest = 1e9;
    libdeflate_decompressor *d = libdeflate_alloc_decompressor();
    for (int r = 0; r < ROUNDS; r++) {
        size_t got = 0;
        double t0 = Now();
        if (libdeflate_deflate_decompress(d, stream.data(), stream.size(), ld.data(), cap, &got) != LIBDEFLATE_SUCCESS ||
            got != outSize)
            return 1;
        double t1 = Now();
        uint32_t c = libdeflate_crc32(0, ld.data(), got);
        double t2 = Now();
        if (c != refCrc) return 1;
        if (t1 - t0 < ldBest) ldBest = t1 - t0;
        if (t2 - t0 < ldCrcBest) ldCrcBest = t2 - t0;
    }
    libdeflate_free_decompressor(d);

    // CRC alone over the decoded data.
    double crcMine = 1e9, crcZlib = 1e9;
    for (int r = 0; r < ROUNDS; r++) {
        double t0 = Now();
        uint32_t c = 0xFFFFFFFFu;
        for (size_t off = 0; off < outSize; off += 1u << 30)   // UpdateCrc takes 32-bit lengths
            UpdateCrc(out.Data + off, (int32_t)(outSize - off < (1u << 30) ? outSize - off : 1u << 30), c);
        double t1 = Now();
        uint32_t z = (uint32_t)crc32(0, out.Data, (uInt)outSize);
        double t2 = Now();
        if (~c != z || z != refCrc) return 1;
        if (t1 - t0 < crcMine) crcMine = t1 - t0;
        if (t2 - t1 < crcZlib) crcZlib = t2 - t1;
    }

    double mb = outSize / 1e6;
    printf("stream %zu bytes -> %zu bytes decoded; best of %d rounds; MB/s of decoded output\n",
           stream.size(), outSize, ROUNDS);
    printf("decode, output and CRC-32:\n");
    printf("  InflateEntry (decode + CRC)   %8.1f MB/s\n", mb / mineBest);
    printf("  zlib inflate + crc32          %8.1f MB/s   ratio InflateEntry/zlib      %.2f\n", mb / zlibCrcBest,
           zlibCrcBest / mineBest);
    printf("  libdeflate + crc32            %8.1f MB/s   ratio InflateEntry/libdeflate %.2f\n", mb / ldCrcBest,
           ldCrcBest / mineBest);
    printf("decode only (no CRC):\n");
    printf("  zlib inflate                  %8.1f MB/s   ratio InflateEntry(+CRC)/zlib %.2f\n", mb / zlibBest,
           zlibBest / mineBest);
    printf("  libdeflate                    %8.1f MB/s\n", mb / ldBest);
    printf("CRC-32 alone:\n");
    printf("  UpdateCrc                     %8.1f MB/s\n", mb / crcMine);
    printf("  zlib crc32                    %8.1f MB/s   ratio UpdateCrc/zlib        %.2f\n", mb / crcZlib,
           crcZlib / crcMine);
    ZipMemFree(out);
    return 0;
}
