// UnfurlZipInflate: DEFLATE decoder and CRC-32 of the installer (see the header).
#include "UnfurlZipInflate.h"

#include <stdlib.h>
#include <string.h>

TZipHandle ArchiveFile = -1;
TZipHandle OutFile = -1;
int32_t CompressedLeft = 0;
uint32_t Crc = 0xFFFFFFFFu;
uint32_t *CrcTable = 0;

// ---- Memory binding -----------------------------------------------------------------

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

const TZipIO ZipMemIO = {MemRead, MemWrite, MemSeek};

// ---- CRC-32 -------------------------------------------------------------------------

static uint32_t CrcBlock[256];

void BuildCrcTable()
{
    if (!CrcTable) CrcTable = CrcBlock;
    for (uint32_t n = 0; n < 256; n++) {
        uint32_t c = n;
        for (int k = 0; k < 8; k++) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        CrcTable[n] = c;
    }
}

void UpdateCrc(const void *ABuf, int32_t ALen, uint32_t &ACrc)
{
    if (!CrcTable) BuildCrcTable();
    const uint8_t *p = (const uint8_t *)ABuf;
    uint32_t c = ACrc;
    for (int32_t i = 0; i < ALen; i++) c = CrcTable[(c ^ p[i]) & 0xFF] ^ (c >> 8);
    ACrc = c;
}

// ---- Decoder ------------------------------------------------------------------------

int BuildCodeTable(const uint16_t *, int, int, const uint16_t *, const uint8_t *, int &ARootBits,
                   TCodeEntry *&ARoot, TCodeEntry *&AChain)
{
    ARootBits = 0;
    ARoot = AChain = 0;
    return INFLATE_DATA_ERROR;
}

void FreeCodeTables(TCodeEntry *AChain)
{
    while (AChain) {
        TCodeEntry *next = AChain->Next;
        free(AChain);
        AChain = next;
    }
}

int InflateEntry()
{
    return INFLATE_DATA_ERROR;
}
