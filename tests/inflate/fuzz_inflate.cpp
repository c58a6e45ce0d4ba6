// Fuzz target: InflateEntry on arbitrary bytes from memory. It must never crash, leak or read
// outside its input, and whenever zlib accepts the bytes as a raw deflate stream it must
// give the same output with the right CRC.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#include "UnfurlZipInflate.h"

// Two inputs in three read the archive in short pieces (1 to 89 bytes per read), so that the
// end of the input buffer falls anywhere in the stream.
static int32_t ReadCap;

static int32_t CappedRead(TZipHandle AFile, void *ABuf, int32_t ACount)
{
    return ZipMemIO.Read(AFile, ABuf, ReadCap > 0 && ACount > ReadCap ? ReadCap : ACount);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *AData, size_t ASize)
{
    if (ASize > (1u << 20)) return 0;
    // Decoder from memory; the input is copied so ASan sees every read past it.
    uint8_t *copy = (uint8_t *)malloc(ASize ? ASize : 1);
    if (ASize) memcpy(copy, AData, ASize);
    TZipMemFile in, out;
    ZipMemOpen(in, copy, (int64_t)ASize);
    ZipMemCreate(out);
    ZipIO = ZipMemIO;
    ReadCap = ASize % 3 == 0 ? 0 : (int32_t)(1 + ASize % 89);
    ZipIO.Read = CappedRead;
    ArchiveFile = ZipMemHandle(in);
    OutFile = ZipMemHandle(out);
    CompressedLeft = (int32_t)ASize;
    Crc = 0xFFFFFFFFu;
    int result = InflateEntry();
    if (in.Pos > (int64_t)ASize) abort();
    if (result < 0 || result > 4) abort();

    // zlib's answer, raw deflate, output bounded.
    const size_t limit = 64u << 20;
    uint8_t *ref = (uint8_t *)malloc(1 << 16);
    size_t refCap = 1 << 16, refLen = 0;
    z_stream z = {};
    inflateInit2(&z, -15);
    z.next_in = copy;
    z.avail_in = (uInt)ASize;
    int zr;
    do {
        if (refLen == refCap) {
            refCap *= 2;
            ref = (uint8_t *)realloc(ref, refCap);
        }
        z.next_out = ref + refLen;
        z.avail_out = (uInt)(refCap - refLen);
        zr = inflate(&z, Z_NO_FLUSH);
        refLen = refCap - z.avail_out;
    } while (zr == Z_OK && refLen < limit);
    inflateEnd(&z);

    if (zr == Z_STREAM_END) {
        // zlib accepts: so must we, with the same bytes and their CRC.
        if (result != INFLATE_OK) abort();
        if ((size_t)out.Size != refLen || (refLen && memcmp(out.Data, ref, refLen) != 0)) abort();
        if (~Crc != (uint32_t)crc32(0, ref, (uInt)refLen)) abort();
    }
    free(ref);
    ZipMemFree(out);
    free(copy);
    return 0;
}
