// Test helpers for UnfurlZipInflate: one stream through InflateBuffer (the window-free entry
// point), one entry through InflateEntry on the I/O seam from memory or from real files
// (kernel handles on Windows, descriptors on the host) with its reads and writes recorded,
// and a bit writer that builds DEFLATE streams field by field.
#ifndef INFLATEHARNESS_H
#define INFLATEHARNESS_H

#include <stdint.h>
#include <string>
#include <vector>

#include "UnfurlZipInflate.h"

typedef std::vector<uint8_t> TBytes;

struct TInflateResult {
    int Result;
    TBytes Out;                        // bytes that reached the output
    uint32_t Crc;                      // CRC-32 of those bytes as the decoder kept it
    std::vector<int32_t> ReadSizes;    // requested size of every read of ArchiveFile (seam only)
    std::vector<int32_t> WriteSizes;   // size of every write to OutFile (seam only)
    int64_t ArchivePosAfter;           // file position of ArchiveFile afterwards (seam only)
    int32_t LeftAfter;                 // CompressedLeft afterwards (seam only)
};

// The ways a stream is decoded: InflateBuffer; InflateEntry on memory files; InflateEntry on
// real files.
enum TInflateWay { WAY_BUFFER, WAY_MEMORY, WAY_FILES };
const char *WayName(TInflateWay AWay);

// Decodes AIn[0 .. ALeft) (ALeft < 0: all of it); bytes after ALeft must not be read.
// Through the seam (WAY_MEMORY, WAY_FILES) AWriteLimit >= 0 makes OutFile accept only that
// many bytes in total and AReadCap > 0 makes each read of ArchiveFile return at most that many
// bytes (as a pipe may); WAY_BUFFER takes neither.
TInflateResult RunInflate(const TBytes &AIn, TInflateWay AWay = WAY_BUFFER, int64_t ALeft = -1,
                       int64_t AWriteLimit = -1, int32_t AReadCap = 0);

// Bits least significant first, as DEFLATE packs them.
struct TBitWriter {
    TBytes Bytes;
    unsigned Fill = 0;                 // bits used in the last byte (0: none)
    void Bits(uint32_t AValue, unsigned ACount);
    // A Huffman code of ALen bits: sent most significant bit first.
    void Code(uint32_t ACode, unsigned ALen);
    void AlignByte() { Fill = 0; }
};

// Canonical codes for a list of code lengths (RFC 1951 3.2.2).
std::vector<uint32_t> CanonicalCodes(const std::vector<int> &ALengths);

// The fixed code of literal/length symbol ASym and of distance symbol ASym.
void PutFixedLit(TBitWriter &W, int ASym);
void PutFixedDist(TBitWriter &W, int ASym);

std::string Text(const TBytes &ABytes);

#endif
