// UnfurlZipMem: the memory binding of the I/O seam (see the header).
#include "UnfurlZipMem.h"

#include <stdlib.h>
#include <string.h>

void ZipMemOpen(TZipMemFile &F, const void *AData, int64_t ASize)
{
    F.Data = (uint8_t *)AData;
    F.Size = ASize;
    F.Pos = 0;
    F.Cap = 0;
    F.Reads = F.Writes = 0;
}

void ZipMemCreate(TZipMemFile &F)
{
    ZipMemOpen(F, 0, 0);
}

void ZipMemFree(TZipMemFile &F)
{
    if (F.Cap > 0) free(F.Data);
    ZipMemOpen(F, 0, 0);
}

static int32_t MemRead(TZipHandle AFile, void *ABuf, int32_t ACount)
{
    TZipMemFile &f = *(TZipMemFile *)AFile;
    f.Reads++;
    if (ACount <= 0 || f.Pos >= f.Size) return 0;
    int64_t n = f.Size - f.Pos < ACount ? f.Size - f.Pos : ACount;
    memcpy(ABuf, f.Data + f.Pos, (size_t)n);
    f.Pos += n;
    return (int32_t)n;
}

static int32_t MemWrite(TZipHandle AFile, const void *ABuf, int32_t ACount)
{
    TZipMemFile &f = *(TZipMemFile *)AFile;
    f.Writes++;
    if (ACount <= 0) return 0;
    if (f.Data && f.Cap == 0) return 0;          // a borrowed view is read-only
    int64_t end = f.Pos + ACount;
    if (end > f.Cap) {
        int64_t cap = f.Cap < 65536 ? 65536 : f.Cap;
        while (cap < end) cap *= 2;
        if ((uint64_t)cap > (size_t)-1) return 0;
        uint8_t *p = (uint8_t *)realloc(f.Data, (size_t)cap);
        if (!p) return 0;
        f.Data = p;
        f.Cap = cap;
    }
    if (f.Pos > f.Size) memset(f.Data + f.Size, 0, (size_t)(f.Pos - f.Size));
    memcpy(f.Data + f.Pos, ABuf, (size_t)ACount);
    f.Pos = end;
    if (end > f.Size) f.Size = end;
    return ACount;
}

static int64_t MemSeek(TZipHandle AFile, int64_t ADistance, int AMethod)
{
    TZipMemFile &f = *(TZipMemFile *)AFile;
    int64_t base = AMethod == ZIP_SEEK_CURRENT ? f.Pos : AMethod == ZIP_SEEK_END ? f.Size : 0;
    if (base + ADistance < 0) return -1;
    f.Pos = base + ADistance;
    return f.Pos;
}

const TZipIO *ZipMemIO()
{
    static const TZipIO IO = {MemRead, MemWrite, MemSeek};
    return &IO;
}
