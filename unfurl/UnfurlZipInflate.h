// UnfurlZipInflate: the installer's DEFLATE decoder (RFC 1951).
// Decodes one archive entry straight from its archive file into its output file and keeps
// the CRC-32 of every byte it writes. Reads and writes go through the I/O seam
// (UnfurlZipIO.h) the entry's state names, so the same decoder runs on Windows file handles,
// host file descriptors or memory (UnfurlZipMem.h); the CRC-32 is UnfurlCrc32.h.
// InflateBuffer decodes one stream from memory.
#ifndef UNFURLZIPINFLATE_H
#define UNFURLZIPINFLATE_H

#include <stdint.h>

#include "UnfurlCrc32.h"
#include "UnfurlZipIO.h"
#include "UnfurlZipMem.h"

// ---- Results ------------------------------------------------------------------------

// Results of the decoder's routines, of the table builder (UnfurlCodeTable.h) and of
// WriteOutput.
enum {
    INFLATE_OK = 0,
    INFLATE_DATA_ERROR = 1,      // malformed input; from BuildCodeTable also: an incomplete code
    INFLATE_OVERSUBSCRIBED = 2,  // over-subscribed code set
    INFLATE_NO_MEMORY = 3,
    INFLATE_WRITE_FAILED = 4     // OutFile took fewer bytes than given; decoding stopped
};

// ---- One entry's state ----------------------------------------------------------------

// What the decoder works on for one entry: where the compressed bytes come from, where the
// output goes, and the counters and CRC it keeps. The archive walk holds one in its run
// record (TUnZipRun::Entry) and sets it for each entry; InflateBuffer makes one of its own.
struct TInflateRun {
    const TZipIO *In;          // reads the compressed bytes: the archive, or a reader over it
    TZipHandle ArchiveFile;    // the handle In reads, positioned at the entry data
    const TZipIO *Out;         // writes the output
    TZipHandle OutFile;        // write handle of the file being extracted
    int32_t CompressedLeft;    // entry data bytes not yet read from ArchiveFile
    // Bytes the entry may still write (its declared uncompressed size), -1 for no bound. A
    // write that would go past it is a data error: a damaged or hostile entry cannot fill the
    // disk before its CRC is compared.
    int64_t OutLeft;
    uint32_t Crc;              // CRC-32 register: 0xFFFFFFFF before the entry, compare ~Crc
};

// Writes ACount bytes of ABuf to ARun's OutFile and adds what was written to its Crc.
// INFLATE_DATA_ERROR (nothing written) when ACount exceeds OutLeft, INFLATE_WRITE_FAILED when
// OutFile took fewer bytes.
int WriteOutput(TInflateRun &ARun, const uint8_t *ABuf, int32_t ACount);

// ---- Decoder ------------------------------------------------------------------------

// Decodes ARun's CompressedLeft bytes from ArchiveFile into OutFile: writes of 32,768 bytes
// and one final shorter write (WriteOutput), Crc updated over every byte written. Reads at
// most CompressedLeft bytes, in reads of up to 32,768. Answers the result; a failure ends the
// entry quietly (bytes still in the window are not written), which then fails the CRC check.
// Crc covers the bytes OutFile reports written, so a failed write also fails that check.
int InflateEntry(TInflateRun &ARun);

// Decodes AIn[0 .. AInLen) as one entry from memory, with an entry state of its own. The
// bytes go to AOut at its position (a file from ZipMemCreate grows), or, with AOut 0, are only
// counted. ACrc gets their CRC-32 (final form, as a ZIP header holds it), AOutLen (when given)
// their count. AOutMax >= 0 bounds the output as OutLeft does. Answers InflateEntry's result.
int InflateBuffer(const void *AIn, int32_t AInLen, TZipMemFile *AOut, uint32_t &ACrc,
                  int64_t AOutMax = -1, int64_t *AOutLen = 0);

#endif
