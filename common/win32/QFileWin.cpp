// QFile backend on the Windows kernel's file API. Errors are GetLastError's numbers.
#include <windows.h>

#include "QFile.h"

static HANDLE H(intptr_t AHandle) { return (HANDLE)AHandle; }

int FileSysOpen(const char *AName, int AHow, intptr_t &AHandle)
{
    // Others may read and write the file meanwhile; reading only needs read access,
    // so a read-only file can be opened for input.
    DWORD Access = AHow == fsOpenRead ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    DWORD Disposition = AHow == fsCreate ? CREATE_ALWAYS : OPEN_EXISTING;
    // Files opened for reading are read front to back: let the cache read ahead.
    DWORD Flags = FILE_ATTRIBUTE_NORMAL | (AHow == fsOpenRead ? FILE_FLAG_SEQUENTIAL_SCAN : 0);
#ifdef Q_FILE_NAMES_UTF8
    // UTF-8 names through the wide API: any script, whatever the code page.
    WCHAR Wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, AName, -1, Wide, MAX_PATH))
        return GetLastError() == ERROR_INSUFFICIENT_BUFFER ? 206 : 123;
    HANDLE Handle = CreateFileW(Wide, Access, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, Disposition,
                                Flags, 0);
#else
    HANDLE Handle = CreateFileA(AName, Access, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, Disposition,
                                Flags, 0);
#endif
    if (Handle == INVALID_HANDLE_VALUE) {
        DWORD Code = GetLastError();
        return Code ? (int)Code : 5;
    }
    AHandle = (intptr_t)Handle;
    return 0;
}

int FileSysRead(intptr_t AHandle, void *ABuf, uint32_t ABytes, uint32_t &ADone)
{
    ADone = 0;
    // A file delivers fewer bytes than asked only at its end; loop for devices and pipes.
    while (ADone < ABytes) {
        DWORD Got = 0;
        if (!ReadFile(H(AHandle), (char *)ABuf + ADone, ABytes - ADone, &Got, 0)) {
            DWORD Code = GetLastError();
            if (Code == ERROR_HANDLE_EOF || Code == ERROR_BROKEN_PIPE) return 0;
            return Code ? (int)Code : 30;
        }
        if (Got == 0) break;
        ADone += Got;
    }
    return 0;
}

int FileSysWrite(intptr_t AHandle, const void *ABuf, uint32_t ABytes, uint32_t &ADone)
{
    ADone = 0;
    while (ADone < ABytes) {
        DWORD Put = 0;
        if (!WriteFile(H(AHandle), (const char *)ABuf + ADone, ABytes - ADone, &Put, 0)) {
            DWORD Code = GetLastError();
            return Code ? (int)Code : 29;
        }
        if (Put == 0) break;
        ADone += Put;
    }
    return 0;
}

int FileSysSeek(intptr_t AHandle, int64_t APos)
{
    LARGE_INTEGER To;
    To.QuadPart = APos;
    if (!SetFilePointerEx(H(AHandle), To, 0, FILE_BEGIN)) return (int)GetLastError();
    return 0;
}

int FileSysPos(intptr_t AHandle, int64_t &APos)
{
    LARGE_INTEGER Zero, At;
    Zero.QuadPart = 0;
    if (!SetFilePointerEx(H(AHandle), Zero, &At, FILE_CURRENT)) return (int)GetLastError();
    APos = At.QuadPart;
    return 0;
}

int FileSysSize(intptr_t AHandle, int64_t &ASize)
{
    LARGE_INTEGER Size;
    if (!GetFileSizeEx(H(AHandle), &Size)) return (int)GetLastError();
    ASize = Size.QuadPart;
    return 0;
}

int FileSysClose(intptr_t AHandle)
{
    if (!CloseHandle(H(AHandle))) return (int)GetLastError();
    return 0;
}
