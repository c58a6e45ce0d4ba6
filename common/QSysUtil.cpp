// QSysUtil: the portable routines of text buffers, paths and folders. Numbers and
// fixed-width text are in QSysText.cpp, I/O result texts, message boxes and the file copy in
// QSysIO.cpp; the platform routines in win32/QSysUtilWin.cpp and posix/QSysUtilPosix.cpp.
#include "QSysUtil.h"

#include <stdlib.h>
#include <string.h>

// ---- Text buffers ----

PChar StrScan(const char *Str, char Chr)
{
    // The terminator is part of the text: searching for 0 finds it.
    for (const char *P = Str;; P++) {
        if (*P == Chr) return (PChar)P;
        if (!*P) return 0;
    }
}

PChar StrLCopy(PChar Dest, const char *Source, unsigned MaxLen)
{
    unsigned I = 0;
    for (; I < MaxLen && Source[I]; I++) Dest[I] = Source[I];
    Dest[I] = 0;
    return Dest;
}

PChar StrPCopy(PChar Dest, const string &Source) { return StrLCopy(Dest, Source.c_str(), 255); }

uint16_t StrLen(const char *Str) { return (uint16_t)strlen(Str); }

PChar Strend(const char *Str) { return (PChar)(Str + strlen(Str)); }

string PCharToStr(const char *p, uint16_t Len)
{
    if (Len == 0) Len = StrLen(p);
    // A fixed field may carry trailing zeros: keep the text before the first one.
    const void *Zero = memchr(p, 0, Len);
    return string(p, Zero ? (size_t)((const char *)Zero - p) : Len);
}

PChar AppendDirTail(PChar sDir)
{
    size_t Len = strlen(sDir);
    if (Len == 0 || sDir[Len - 1] != '\\') {
        sDir[Len] = '\\';
        sDir[Len + 1] = 0;
    }
    return sDir;
}

PChar RemoveDirTail(PChar sDir)
{
    size_t Len = strlen(sDir);
    if (Len > 0 && sDir[Len - 1] == '\\') sDir[Len - 1] = 0;
    return sDir;
}

// ---- Paths ----

static bool IsPathSep(char C) { return C == '\\' || C == '/' || C == ':'; }

// Index of the last backslash, slash or colon, or npos.
static size_t LastSep(const string &S)
{
    for (size_t I = S.length(); I > 0; I--)
        if (IsPathSep(S[I - 1])) return I - 1;
    return string::npos;
}

string ExtractFilePath(const string &FileName)
{
    string Name = FileName.empty() ? ProgramFileName() : FileName;
    if (Name.length() == 3 && Name.find(':') != string::npos) return Name;   // "C:\"
    size_t K = LastSep(Name);
    if (K == string::npos) return string();
    if (Name[K] == ':') return Name.substr(0, K + 1);                        // "C:file" -> "C:"
    if (K == 2 && Name[1] == ':') return Name.substr(0, 3);                  // "C:\file" -> "C:\"
    return Name.substr(0, K);
}

string ExtractFileName(const string &FileName)
{
    size_t K = LastSep(FileName);
    size_t From = K == string::npos ? 0 : K + 1;
    return FileName.substr(From, 255);
}

string ExtractFileExt(const string &FileName)
{
    size_t K = FileName.rfind('.');
    return K == string::npos ? string() : FileName.substr(K);
}

string ExtractFileDrive(const string &FileName)
{
    size_t Len = FileName.length();
    if (Len >= 2 && FileName[1] == ':') return FileName.substr(0, 2);
    if (Len >= 2 && FileName[0] == '\\' && FileName[1] == '\\') {
        // "\\server\share": up to, not including, the backslash after the share.
        size_t Server = FileName.find('\\', 2);
        if (Server == string::npos) return FileName;
        size_t Share = FileName.find('\\', Server + 1);
        return Share == string::npos ? FileName : FileName.substr(0, Share);
    }
    return string();
}

// ---- Heap text buffers ----

PChar StrAlloc(uint32_t Size)
{
    char *Block = (char *)malloc((size_t)Size + 4 + 1);
    if (!Block) return 0;
    memcpy(Block, &Size, 4);
    Block[4] = 0;
    return Block + 4;
}

void StrDispose(PChar Str)
{
    if (Str) free(Str - 4);
}

uint32_t StrBufSize(const char *Str)
{
    if (!Str) return 0;
    uint32_t Size;
    memcpy(&Size, Str - 4, 4);
    return Size;
}

// ---- Folders ----

void ForceDirectories(const string &Dir)
{
    if (Dir.empty()) return;   // a folder of one or two characters ("ab") is made too
    // Mostly just the last level is missing: creating it at once saves the test for it (a
    // test for a missing name reads its whole parent folder under Wine). When the creation
    // fails, the folder is either there or made level by level as before.
    if (CreateDir(Dir) || DirectoryExists(Dir)) return;
    string Parent = ExtractFilePath(Dir);
    if (Parent == Dir) return;   // a root such as "C:\"
    ForceDirectories(Parent);
    CreateDir(Dir);              // a failure shows when the folder is next used
}
