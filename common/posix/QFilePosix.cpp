// QFile backend for the host build (POSIX). Backslashes in names count as separators,
// as on Windows, and errno values are reported with the Windows numbers the programs'
// error texts know (2 file not found, 3 path not found, 5 access denied, ...).
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "QFile.h"
#include "QHostPath.h"

// ENOENT means "file not found" when the folder exists and "path not found" otherwise.
static int MissingCode(const char *AHostName)
{
    char Dir[MAX_PATH];
    strcpy(Dir, AHostName);
    char *Slash = strrchr(Dir, '/');
    if (!Slash) return 2;
    if (Slash == Dir) Slash[1] = 0; else *Slash = 0;
    struct stat St;
    return stat(Dir, &St) == 0 && S_ISDIR(St.st_mode) ? 2 : 3;
}

static int ErrnoCode(int AErr, const char *AHostName)
{
    switch (AErr) {
    case 0: return 0;
    case ENOENT: return AHostName ? MissingCode(AHostName) : 2;
    case ENOTDIR: case ENAMETOOLONG: case ELOOP: return 3;
    case EMFILE: case ENFILE: return 4;
    case EACCES: case EPERM: case EISDIR: case EROFS: case ETXTBSY: return 5;
    case EBADF: return 6;
    case ENOMEM: return 8;
    case EIO: return 30;          // ERROR_READ_FAULT
    case ENOSPC: case EFBIG: return 112;  // ERROR_DISK_FULL
    case EINVAL: return 87;       // ERROR_INVALID_PARAMETER
    case ESPIPE: return 25;       // ERROR_SEEK
    default: return 31;           // ERROR_GEN_FAILURE
    }
}

int FileSysOpen(const char *AName, int AHow, intptr_t &AHandle)
{
    // The host form, cut to a path buffer as the Windows calls take it.
    char Name[MAX_PATH];
    snprintf(Name, sizeof Name, "%s", HostPath(AName).c_str());
    if (!Name[0]) return 3;
    int Flags = O_CLOEXEC;
    if (AHow == fsOpenRead) Flags |= O_RDONLY;
    else if (AHow == fsCreate) Flags |= O_RDWR | O_CREAT | O_TRUNC;
    else Flags |= O_RDWR;
    int Fd = open(Name, Flags, 0666);
    if (Fd < 0) return ErrnoCode(errno, Name);
    // Windows refuses to open a folder as a file.
    struct stat St;
    if (fstat(Fd, &St) == 0 && S_ISDIR(St.st_mode)) {
        close(Fd);
        return 5;
    }
    // Files opened for reading are read front to back: let the cache read ahead.
    if (AHow == fsOpenRead) posix_fadvise(Fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    AHandle = Fd;
    return 0;
}

int FileSysRead(intptr_t AHandle, void *ABuf, uint32_t ABytes, uint32_t &ADone)
{
    ADone = 0;
    while (ADone < ABytes) {
        ssize_t Got = read((int)AHandle, (char *)ABuf + ADone, ABytes - ADone);
        if (Got < 0) {
            if (errno == EINTR) continue;
            return ErrnoCode(errno, 0);
        }
        if (Got == 0) break;
        ADone += (uint32_t)Got;
    }
    return 0;
}

int FileSysWrite(intptr_t AHandle, const void *ABuf, uint32_t ABytes, uint32_t &ADone)
{
    ADone = 0;
    while (ADone < ABytes) {
        ssize_t Put = write((int)AHandle, (const char *)ABuf + ADone, ABytes - ADone);
        if (Put < 0) {
            if (errno == EINTR) continue;
            return ErrnoCode(errno, 0);
        }
        if (Put == 0) break;
        ADone += (uint32_t)Put;
    }
    return 0;
}

int FileSysSeek(intptr_t AHandle, int64_t APos)
{
    if (lseek((int)AHandle, (off_t)APos, SEEK_SET) < 0) return ErrnoCode(errno, 0);
    return 0;
}

int FileSysPos(intptr_t AHandle, int64_t &APos)
{
    off_t At = lseek((int)AHandle, 0, SEEK_CUR);
    if (At < 0) return ErrnoCode(errno, 0);
    APos = At;
    return 0;
}

int FileSysSize(intptr_t AHandle, int64_t &ASize)
{
    struct stat St;
    if (fstat((int)AHandle, &St) != 0) return ErrnoCode(errno, 0);
    ASize = St.st_size;
    return 0;
}

int FileSysClose(intptr_t AHandle)
{
    if (close((int)AHandle) != 0 && errno != EINTR) return ErrnoCode(errno, 0);
    return 0;
}
