// Test helpers for UnfurlZipInflate: run one entry through InflateEntry from memory or from
// real files (kernel handles on Windows, descriptors on the host), and a bit writer that
// builds DEFLATE streams field by field.
#ifndef INFLATEHARNESS_H
#define INFLATEHARNESS_H

#include <stdint.h>
#include <string>
#include <vector>

#include "UnfurlZipInflate.h"

typedef std::vector<uint8_t> TBytes;

struct TInflateRun {
    int Result;
    TBytes Out;                        // bytes that reached OutFile
    uint32_t Crc;                      // ~Crc after the entry
    std::vector<int32_t> ReadSizes;    // requested size of every read of ArchiveFile
    std::vector<int32_t> WriteSizes;   // size of every write to OutFile
    int64_t ArchivePosAfter;           // file position of ArchiveFile afterwards
};

enum TInflateSide { SIDE_MEMORY, SIDE_FILES };

// Decodes AIn[0 .. ALeft) (ALeft < 0: all of it); bytes after ALeft stay in the archive and
// must not be read. AWriteLimit >= 0 makes OutFile accept only that many bytes in total;
// AReadCap > 0 makes each read of ArchiveFile return at most that many bytes (as a pipe may).
TInflateRun RunInflate(const TBytes &AIn, TInflateSide ASide = SIDE_MEMORY, int64_t ALeft = -1,
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

TBytes Bytes(const std::string &AText);
std::string Text(const TBytes &ABytes);

#endif
