// UnfurlArchive: the installer's own file as the archive it carries. Opening and closing it
// (platform bindings), the built-in offset of the payload, and the reads and seeks of the
// setup header reader and the walk. Reads and seeks go through the run's entry state
// (Entry.In on Entry.ArchiveFile), which is the archive itself outside a walk and a read-ahead
// buffer over it during one.
#ifndef UNFURLARCHIVE_H
#define UNFURLARCHIVE_H

#include "UnfurlRun.h"

// The installer image holds the built-in value of ArchiveStart right behind this text and
// its zero byte (16 bytes), so that the preparation tool can find it and set it to the image's
// size. The text occurs nowhere else in the installer.
#define UNFURL_START_MARK "UnfurlArchStart"
enum { StartMarkSize = 16 };
struct TStartMark {
    char Mark[StartMarkSize];
    uint32_t Start;             // BuiltInArchiveStart reads this field
};

// Opens the running program's own file read-only as ARun's ArchiveFile (-1 when it cannot)
// and sets ArchiveStart to the built-in value.
void OpenArchive(TUnZipRun &ARun);
// The same for the named file (the host's OpenArchive and the tests use it).
void OpenArchiveFile(TUnZipRun &ARun, const char *AName);
void CloseArchive(TUnZipRun &ARun);

// File offset where the payload begins: the size of the installer executable, set in the
// image by the preparation tool behind its marker (UnfurlPayload.h).
uint32_t BuiltInArchiveStart();
// Makes AFile (read through AIO) the run's archive, ArchiveStart the built-in value.
void UseArchive(TUnZipRun &ARun, const TZipIO *AIO, TZipHandle AFile);

// Moves the archive to APos by AMethod (ZIP_SEEK_BEGIN, ...); ArchivePos gets the new
// position, or -1 when the seek failed.
void SeekArchive(TUnZipRun &ARun, uint32_t APos, int AMethod);
// Up to ACount bytes from the archive's position; answers the count read.
int32_t ReadArchive(TUnZipRun &ARun, void *ABuf, int32_t ACount);
// As many reads as it takes for ACount bytes; answers the count read.
uint32_t ReadArchiveFully(TUnZipRun &ARun, void *ABuf, uint32_t ACount);

#endif
