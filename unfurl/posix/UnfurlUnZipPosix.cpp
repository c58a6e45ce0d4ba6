// UnfurlUnZipPosix: the host's file binding of the archive walk (POSIX files; backslashes
// in paths are separators, as on Windows).
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "QHostPath.h"
#include "QSysUtil.h"
#include "UnfurlArchive.h"
#include "UnfurlOutcome.h"
#include "UnfurlUnZip.h"

void OpenArchiveFile(TUnZipRun &ARun, const char *AName)
{
    UseArchive(ARun, ZipFileIO(), open(HostPath(AName).c_str(), O_RDONLY));
}

void OpenArchive(TUnZipRun &ARun) { OpenArchiveFile(ARun, ProgramFileName().c_str()); }

void CloseArchive(TUnZipRun &ARun)
{
    if (ARun.ArchiveFile != -1) close((int)ARun.ArchiveFile);
    ARun.ArchiveFile = ARun.Entry.ArchiveFile = -1;
}

static TZipHandle HostCreate(const char *APath)
{
    return open(HostPath(APath).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
}

static TZipHandle HostCreateNew(const char *APath, bool &AFolderMissing)
{
    int F = open(HostPath(APath).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    AFolderMissing = F == -1 && (errno == ENOENT || errno == ENOTDIR);
    return F;
}

static int32_t HostAttributes(const char *APath)
{
    struct stat St;
    if (stat(HostPath(APath).c_str(), &St) != 0) return -1;
    return S_ISDIR(St.st_mode) ? faDirectory : faArchive;
}

// FileExists on a copy: the seam's paths are not to be changed.
static bool HostExists(const char *APath)
{
    TDPath Path;
    StrLCopy(Path, APath, MAX_PATH - 1);
    return FileExists(Path);
}

static bool HostClose(TZipHandle AFile) { return close((int)AFile) == 0; }

/* DOS date and time (local time):
     date  bits 15-9 year - 1980, 8-5 month 1-12, 4-0 day 1-31
     time  bits 15-11 hour, 10-5 minute, 4-0 seconds / 2 */
// The moment of a DOS time, or -1 for none (a date of 0): the time then stays as written, as
// on Windows, where the conversion fails for it.
static time_t DosToTime(uint32_t ADosDateTime)
{
    if (!DosDateTimeValid(ADosDateTime)) return (time_t)-1;
    uint16_t Date = (uint16_t)(ADosDateTime >> 16), Time = (uint16_t)ADosDateTime;
    struct tm T;
    memset(&T, 0, sizeof T);
    T.tm_year = 80 + (Date >> 9);
    T.tm_mon = ((Date >> 5) & 15) - 1;
    T.tm_mday = Date & 31;
    T.tm_hour = Time >> 11;
    T.tm_min = (Time >> 5) & 63;
    T.tm_sec = (Time & 31) * 2;
    T.tm_isdst = -1;
    return mktime(&T);
}

void SetFileDosTime(TZipHandle AFile, uint32_t ADosDateTime)
{
    struct timespec Times[2];
    Times[0].tv_sec = 0;
    Times[0].tv_nsec = UTIME_OMIT;   // the access time is left alone
    Times[1].tv_sec = DosToTime(ADosDateTime);
    Times[1].tv_nsec = 0;
    if (Times[1].tv_sec != (time_t)-1) futimens((int)AFile, Times);
}

static bool HostSameSizeTime(const char *APath, uint32_t ASize, uint32_t ADosDateTime)
{
    struct stat St;
    time_t T = DosToTime(ADosDateTime);
    return stat(HostPath(APath).c_str(), &St) == 0 && S_ISREG(St.st_mode) &&
           (uint64_t)St.st_size == ASize && T != (time_t)-1 && St.st_mtim.tv_sec == T &&
           St.st_mtim.tv_nsec == 0;
}

static uint32_t HostLastError() { return (uint32_t)errno; }

static string HostErrorText(uint32_t ACode) { return string(strerror((int)ACode)); }

static bool HostRename(const char *AFrom, const char *ATo)
{
    // rename() would replace ATo; the binding's contract is the kernel's MoveFile.
    string To = HostPath(ATo);
    return access(To.c_str(), F_OK) != 0 && rename(HostPath(AFrom).c_str(), To.c_str()) == 0;
}

static bool HostRemove(const char *APath)
{
    size_t Len = strlen(APath);
    string Path = HostPath(APath);
    return (Len && APath[Len - 1] == '\\' ? rmdir(Path.c_str()) : unlink(Path.c_str())) == 0;
}

static TZipHandle HostOpenRead(const char *APath) { return open(HostPath(APath).c_str(), O_RDONLY); }

const TUnZipFileOps *UnZipDiskOps()
{
    static const TUnZipFileOps Ops = {HostExists,    ForceDirectories, HostCreate,
                                      HostCreateNew, HostAttributes,   SetFileDosTime,
                                      HostClose,     HostLastError,    HostErrorText,
                                      HostRename,    HostRemove,       HostOpenRead,
                                      HostSameSizeTime};
    return &Ops;
}
