// UnfurlZipMem: the memory binding of the I/O seam (UnfurlZipIO.h). A file in memory is a
// borrowed read-only view (ZipMemOpen) or a buffer that grows as it is written
// (ZipMemCreate); its handle is the record's address. Used by the tests, the fuzz targets,
// the preparation tool and InflateBuffer.
#ifndef UNFURLZIPMEM_H
#define UNFURLZIPMEM_H

#include "UnfurlZipIO.h"

// Writes past a read-only view fail.
struct TZipMemFile {
    uint8_t *Data;
    int64_t Size;      // bytes held
    int64_t Pos;       // next byte read or written
    int64_t Cap;       // allocated bytes; 0 for a borrowed view
    int32_t Reads;     // calls of Read and Write, for callers that check the block pattern
    int32_t Writes;
};
void ZipMemOpen(TZipMemFile &F, const void *AData, int64_t ASize);
void ZipMemCreate(TZipMemFile &F);
void ZipMemFree(TZipMemFile &F);       // releases an owned buffer; the record becomes empty
inline TZipHandle ZipMemHandle(TZipMemFile &F) { return (TZipHandle)&F; }

// Memory files: handles are TZipMemFile pointers (cast to TZipHandle).
const TZipIO *ZipMemIO();

#endif
