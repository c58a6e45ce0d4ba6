// UnfurlArchive: the archive's offset, reads and seeks (see the header).
#include "UnfurlArchive.h"

// The built-in ArchiveStart sits right behind its marker; the preparation tool sets it to the
// size of the executable image it appends the payload to. Volatile: the value is read from
// the image as the tool left it, never folded into the code.
static volatile TStartMark StartMarkRec = {UNFURL_START_MARK, 0x9A00};

uint32_t BuiltInArchiveStart() { return StartMarkRec.Start; }

void UseArchive(TUnZipRun &ARun, const TZipIO *AIO, TZipHandle AFile)
{
    ARun.IO = AIO;
    ARun.ArchiveFile = AFile;
    ARun.Entry.In = AIO;
    ARun.Entry.ArchiveFile = AFile;
    ARun.ArchiveStart = BuiltInArchiveStart();
    ARun.ArchivePos = 0;
}

void SeekArchive(TUnZipRun &ARun, uint32_t APos, int AMethod)
{
    // Offsets are 32-bit and the walk only moves forward: a position the signed 32-bit
    // ArchivePos cannot hold counts as a failed seek rather than wrapping backwards.
    if (APos > 0x7FFFFFFFu && AMethod == ZIP_SEEK_BEGIN) {
        ARun.ArchivePos = -1;
        return;
    }
    int64_t Pos = ARun.Entry.In->Seek(ARun.Entry.ArchiveFile, (int64_t)(int32_t)APos, AMethod);
    ARun.ArchivePos = Pos < 0 || Pos > 0x7FFFFFFF ? -1 : (int32_t)Pos;
}

int32_t ReadArchive(TUnZipRun &ARun, void *ABuf, int32_t ACount)
{
    return ARun.Entry.In->Read(ARun.Entry.ArchiveFile, ABuf, ACount);
}

uint32_t ReadArchiveFully(TUnZipRun &ARun, void *ABuf, uint32_t ACount)
{
    uint32_t Done = 0;
    while (Done < ACount) {
        int32_t Got = ReadArchive(ARun, (uint8_t *)ABuf + Done, (int32_t)(ACount - Done));
        if (Got <= 0) break;
        Done += (uint32_t)Got;
    }
    return Done;
}
