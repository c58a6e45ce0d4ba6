// UnfurlZipInflate: the installer's DEFLATE decoder (RFC 1951).
// Decodes one archive entry straight from ArchiveFile into OutFile and keeps the CRC-32
// of every byte it writes. Reads and writes go through the ZipIO seam (UnfurlZipIO.h) so the
// same decoder runs on Windows file handles, host file descriptors or memory (UnfurlZipMem.h);
// the CRC-32 is UnfurlCrc32.h. InflateBuffer decodes one stream from memory without any of
// that set up by hand.
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

// ---- State shared with the archive walk ---------------------------------------------

extern TZipHandle ArchiveFile;     // read handle, positioned at the entry data by the walk
extern TZipHandle OutFile;         // write handle of the file being extracted
extern int32_t CompressedLeft;     // entry data bytes not yet read from ArchiveFile
extern uint32_t Crc;               // CRC-32 register: 0xFFFFFFFF before the entry, compare ~Crc
// Bytes the current entry may still write (its declared uncompressed size), -1 for no bound.
// A write that would go past it is a data error: a damaged or hostile entry cannot fill the
// disk before its CRC is compared.
extern int64_t OutLeft;

// Writes ACount bytes of ABuf to OutFile and adds what was written to Crc. INFLATE_DATA_ERROR
// (nothing written) when ACount exceeds OutLeft, INFLATE_WRITE_FAILED when OutFile took
// fewer bytes.
int WriteOutput(const uint8_t *ABuf, int32_t ACount);

// ---- Decoder ------------------------------------------------------------------------

// Decodes the entry's CompressedLeft bytes from ArchiveFile into OutFile: writes of 32,768
// bytes and one final shorter write (WriteOutput), Crc updated over every byte written. Reads at most
// CompressedLeft bytes, in reads of up to 32,768. Answers the result; a failure ends the
// entry quietly (bytes still in the window are not written), which then fails the CRC check.
// Crc covers the bytes OutFile reports written, so a failed write also fails that check.
int InflateEntry();

// Decodes AIn[0 .. AInLen) as one entry with InflateEntry, from memory: the five globals
// above and ZipIO are set for the call and left as they were. The bytes go to AOut at its
// position (a file from ZipMemCreate grows), or, with AOut 0, are only counted. ACrc gets
// their CRC-32 (final form, as a ZIP header holds it), AOutLen (when given) their count.
// AOutMax >= 0 bounds the output as OutLeft does. Answers InflateEntry's result.
int InflateBuffer(const void *AIn, int32_t AInLen, TZipMemFile *AOut, uint32_t &ACrc,
                  int64_t AOutMax = -1, int64_t *AOutLen = 0);

#endif
