// UnfurlZipInflateWin: the Windows file binding of the decoder's I/O seam (kernel handles).
#include <windows.h>

#include "UnfurlZipIO.h"

static int32_t WinRead(TZipHandle AFile, void *ABuf, int32_t ACount)
{
    DWORD n = 0;
    if (ACount <= 0 || !ReadFile((HANDLE)AFile, ABuf, (DWORD)ACount, &n, 0)) return 0;
    return (int32_t)n;
}

static int32_t WinWrite(TZipHandle AFile, const void *ABuf, int32_t ACount)
{
    DWORD n = 0;
    if (ACount <= 0) return 0;
    WriteFile((HANDLE)AFile, ABuf, (DWORD)ACount, &n, 0);
    return (int32_t)n;
}

static int64_t WinSeek(TZipHandle AFile, int64_t ADistance, int AMethod)
{
    LARGE_INTEGER d, r;
    d.QuadPart = ADistance;
    if (!SetFilePointerEx((HANDLE)AFile, d, &r, (DWORD)AMethod)) return -1;
    return (int64_t)r.QuadPart;
}

const TZipIO *ZipFileIO()
{
    static const TZipIO IO = {WinRead, WinWrite, WinSeek};
    return &IO;
}
