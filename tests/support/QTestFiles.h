// Test helper: a fresh temporary folder per fixture, removed with everything in it, and
// small file writers. Native separators (backslash on Windows, slash on the host).
#ifndef QTESTFILES_H
#define QTESTFILES_H

#include <stdio.h>
#include <string.h>

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef _WIN32
static const char QSep = '\\';
#else
static const char QSep = '/';
#endif

inline void QRemoveTree(const std::string &APath)
{
#ifdef _WIN32
    WIN32_FIND_DATAA Found;
    HANDLE H = FindFirstFileA((APath + "\\*").c_str(), &Found);
    if (H != INVALID_HANDLE_VALUE) {
        do {
            std::string Name = Found.cFileName;
            if (Name == "." || Name == "..") continue;
            std::string Full = APath + "\\" + Name;
            SetFileAttributesA(Full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (Found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) QRemoveTree(Full);
            else DeleteFileA(Full.c_str());
        } while (FindNextFileA(H, &Found));
        FindClose(H);
    }
    RemoveDirectoryA(APath.c_str());
#else
    DIR *D = opendir(APath.c_str());
    if (D) {
        while (struct dirent *E = readdir(D)) {
            std::string Name = E->d_name;
            if (Name == "." || Name == "..") continue;
            std::string Full = APath + "/" + Name;
            struct stat St;
            if (lstat(Full.c_str(), &St) == 0 && S_ISDIR(St.st_mode)) QRemoveTree(Full);
            else unlink(Full.c_str());
        }
        closedir(D);
    }
    rmdir(APath.c_str());
#endif
}

// A new empty folder under the system's temporary folder, removed by the destructor.
class TTempDir {
public:
    // ABase: the folder to make it in; empty for the system's temporary folder.
    explicit TTempDir(const std::string &ABase = std::string())
    {
#ifdef _WIN32
        char Base[MAX_PATH];
        DWORD Len = GetTempPathA(MAX_PATH, Base);
        std::string Root = ABase.empty() ? std::string(Base, Len) : ABase;
        if (!Root.empty() && Root.back() == '\\') Root.pop_back();
        for (unsigned N = GetTickCount() ^ (GetCurrentProcessId() << 12);; N++) {
            Path = Root + "\\qt" + std::to_string(N);
            if (CreateDirectoryA(Path.c_str(), 0)) break;
        }
#else
        const char *Tmp = getenv("TMPDIR");
        std::string Root = !ABase.empty() ? ABase : Tmp && *Tmp ? Tmp : "/tmp";
        std::string Pattern = Root + "/qtXXXXXX";
        Path = mkdtemp(&Pattern[0]) ? Pattern : std::string();
#endif
    }
    ~TTempDir() { QRemoveTree(Path); }
    std::string Join(const std::string &AName) const { return Path + QSep + AName; }
    std::string Path;
};

inline bool QWriteFile(const std::string &APath, const std::string &AData)
{
    FILE *F = fopen(APath.c_str(), "wb");
    if (!F) return false;
    bool Ok = fwrite(AData.data(), 1, AData.size(), F) == AData.size();
    return fclose(F) == 0 && Ok;
}

// The whole file into AData; false when it cannot be read (an empty file reads as true).
inline bool QReadFile(const std::string &APath, std::string &AData)
{
    AData.clear();
    FILE *F = fopen(APath.c_str(), "rb");
    if (!F) return false;
    char Buf[4096];
    size_t Got;
    while ((Got = fread(Buf, 1, sizeof Buf, F)) > 0) AData.append(Buf, Got);
    bool Ok = !ferror(F);
    fclose(F);
    return Ok;
}

inline std::string QReadFile(const std::string &APath)
{
    std::string R;
    FILE *F = fopen(APath.c_str(), "rb");
    if (!F) return R;
    char Buf[4096];
    size_t Got;
    while ((Got = fread(Buf, 1, sizeof Buf, F)) > 0) R.append(Buf, Got);
    fclose(F);
    return R;
}

#endif
