// Fuzz target: the decoder on arbitrary bytes from memory. It must never crash, leak or read
// outside its input; whenever zlib accepts the bytes as a raw deflate stream it must give the
// same output with the right CRC; and reading the input in short pieces must not change
// what it gives.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#include "InflateHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *AData, size_t ASize)
{
    if (ASize > (1u << 20)) return 0;
    // Decoder from memory; the input is copied so ASan sees every read past it.
    uint8_t *copy = (uint8_t *)malloc(ASize ? ASize : 1);
    if (ASize) memcpy(copy, AData, ASize);
    TZipMemFile out;
    ZipMemCreate(out);
    uint32_t crc = 0;
    int result = InflateBuffer(copy, (int32_t)ASize, &out, crc);
    if (result < INFLATE_OK || result > INFLATE_WRITE_FAILED) abort();

    // Two inputs in three again through the seam, read in short pieces (1 to 89 bytes per
    // read) so that the end of the input buffer falls anywhere in the stream: the same result,
    // bytes and CRC, and nothing read past the input.
    if (ASize % 3 != 0) {
        TInflateResult run = RunInflate(TBytes(copy, copy + ASize), WAY_MEMORY, -1, -1, (int32_t)(1 + ASize % 89));
        if (run.Result != result || run.Crc != crc || run.ArchivePosAfter > (int64_t)ASize) abort();
        if ((int64_t)run.Out.size() != out.Size || (out.Size && memcmp(run.Out.data(), out.Data, run.Out.size()) != 0))
            abort();
    }

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
        if (crc != (uint32_t)crc32(0, ref, (uInt)refLen)) abort();
    }
    free(ref);
    ZipMemFree(out);
    free(copy);
    return 0;
}
