// UnfurlZipInflatePosix: the host's file binding of the decoder's I/O seam (file descriptors).
#include "UnfurlZipIO.h"

#include <errno.h>
#include <unistd.h>

static int32_t PosixRead(TZipHandle AFile, void *ABuf, int32_t ACount)
{
    if (ACount <= 0) return 0;
    ssize_t n;
    do n = read((int)AFile, ABuf, (size_t)ACount); while (n < 0 && errno == EINTR);
    return n < 0 ? 0 : (int32_t)n;
}

static int32_t PosixWrite(TZipHandle AFile, const void *ABuf, int32_t ACount)
{
    int32_t done = 0;
    while (done < ACount) {   // a pipe or a full disk may take less than asked
        ssize_t n = write((int)AFile, (const char *)ABuf + done, (size_t)(ACount - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += (int32_t)n;
    }
    return done;
}

static int64_t PosixSeek(TZipHandle AFile, int64_t ADistance, int AMethod)
{
    int whence = AMethod == ZIP_SEEK_CURRENT ? SEEK_CUR : AMethod == ZIP_SEEK_END ? SEEK_END : SEEK_SET;
    off_t r = lseek((int)AFile, (off_t)ADistance, whence);
    return r < 0 ? -1 : (int64_t)r;
}

const TZipIO *ZipFileIO()
{
    static const TZipIO IO = {PosixRead, PosixWrite, PosixSeek};
    return &IO;
}
