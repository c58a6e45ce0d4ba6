// UnfurlZipIO: the I/O seam of the decoder and the archive walk. Reads, writes and seeks on a
// TZipHandle go through a TZipIO binding that the run is given, so the same code runs on
// Windows file handles, host file descriptors or memory (UnfurlZipMem.h); the platform
// bindings are UnfurlZipInflateWin.cpp and UnfurlZipInflatePosix.cpp.
#ifndef UNFURLZIPIO_H
#define UNFURLZIPIO_H

#include <stdint.h>

// A file as the seam sees it: a HANDLE in the Windows build, a file descriptor on the
// host, a TZipMemFile pointer with the memory binding. -1 means no file.
typedef intptr_t TZipHandle;

// Seek methods (same values as FILE_BEGIN, FILE_CURRENT, FILE_END).
enum { ZIP_SEEK_BEGIN = 0, ZIP_SEEK_CURRENT = 1, ZIP_SEEK_END = 2 };

struct TZipIO {
    // Up to ACount bytes into ABuf; answers the count read (0 at end of file or on failure).
    int32_t (*Read)(TZipHandle AFile, void *ABuf, int32_t ACount);
    // ACount bytes from ABuf; answers the count written (less than ACount on failure).
    int32_t (*Write)(TZipHandle AFile, const void *ABuf, int32_t ACount);
    // Moves the file position; answers the new position from the start, or -1.
    int64_t (*Seek)(TZipHandle AFile, int64_t ADistance, int AMethod);
};

// Platform files: ReadFile/WriteFile/SetFilePointer on Windows, read/write/lseek on the host.
const TZipIO *ZipFileIO();

#endif
