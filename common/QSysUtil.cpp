// QSysUtil: the portable routines (text buffers, paths, numbers, error texts, file copy).
// The platform routines are in win32/QSysUtilWin.cpp and posix/QSysUtilPosix.cpp.
#include "QSysUtil.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "QFile.h"

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

// ---- Numbers and fixed-width text ----

string Int64ToStr(int64_t Value)
{
    char Buf[24];
    char *P = Buf + sizeof Buf;
    // Work on the magnitude as unsigned so the most negative value is no overflow.
    uint64_t U = Value < 0 ? 0 - (uint64_t)Value : (uint64_t)Value;
    do {
        *--P = (char)('0' + U % 10);
        U /= 10;
    } while (U);
    if (Value < 0) *--P = '-';
    return string(P, (size_t)(Buf + sizeof Buf - P));
}

string IntToStr(int32_t Value) { return Int64ToStr(Value); }

static int HexDigit(char C)
{
    if (C >= '0' && C <= '9') return C - '0';
    if (C >= 'a' && C <= 'f') return C - 'a' + 10;
    if (C >= 'A' && C <= 'F') return C - 'A' + 10;
    return -1;
}

int32_t StrToInt(const string &S, int32_t ADefault)
{
    size_t I = 0, Len = S.length();
    while (I < Len && S[I] == ' ') I++;
    if (I < Len && S[I] == '$') {
        // Hexadecimal: at most 8 significant digits, the bit pattern taken as it is.
        I++;
        if (I == Len) return ADefault;
        uint32_t Value = 0;
        int Significant = 0;
        for (; I < Len; I++) {
            int D = HexDigit(S[I]);
            if (D < 0) return ADefault;
            if (Value || D) Significant++;
            if (Significant > 8) return ADefault;
            Value = Value * 16 + (uint32_t)D;
        }
        return (int32_t)Value;
    }
    bool Negative = false;
    if (I < Len && (S[I] == '-' || S[I] == '+')) Negative = S[I++] == '-';
    if (I == Len) return ADefault;
    int64_t Value = 0;
    for (; I < Len; I++) {
        if (S[I] < '0' || S[I] > '9') return ADefault;
        Value = Value * 10 + (S[I] - '0');
        if (Value > 2147483648LL) return ADefault;
    }
    if (Negative) Value = -Value;
    if (Value > 2147483647LL) return ADefault;
    return (int32_t)Value;
}

string InsCharL(const string &S, char C, int AI)
{
    if ((int64_t)S.length() >= AI) return S;
    return string((size_t)AI - S.length(), C) + S;
}

string InsCharR(const string &S, char C, int AI)
{
    if ((int64_t)S.length() >= AI) return S;
    return S + string((size_t)AI - S.length(), C);
}

string DStr(const string &S)
{
    size_t Len = S.length();
    while (Len > 0 && S[Len - 1] == ' ') Len--;
    return S.substr(0, Len);
}

string DelStr(const string &S, char AChar)
{
    string R;
    for (size_t I = 0; I < S.length(); I++)
        if (S[I] != AChar) R += S[I];
    return R;
}

static bool IsBlank(char C) { return (unsigned char)C <= 32; }

string TrimLeft(const string &S)
{
    size_t I = 0;
    while (I < S.length() && IsBlank(S[I])) I++;
    return S.substr(I);
}

string TrimRight(const string &S)
{
    size_t Len = S.length();
    while (Len > 0 && IsBlank(S[Len - 1])) Len--;
    return S.substr(0, Len);
}

string Trim(const string &S) { return TrimLeft(TrimRight(S)); }

bool IsValidIdent(const string &S)
{
    if (S.empty()) return false;
    for (size_t I = 0; I < S.length(); I++) {
        char C = S[I];
        bool Letter = (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_';
        bool Digit = C >= '0' && C <= '9';
        if (!Letter && !(Digit && I > 0)) return false;
    }
    return true;
}

string ExtToStr(double I, int W, int D)
{
    char Buf[400];
    if (W < 0) W = 0;
    if (W > 60) W = 60;
    if (D < 0) D = 0;
    if (D > 30) D = 30;
    snprintf(Buf, sizeof Buf, "%*.*f", W, D, I);
    return string(Buf);
}

string DopNul(int AI) { return AI < 10 ? "0" + IntToStr(AI) : IntToStr(AI); }

string Str3Space(const string &S)
{
    size_t Len = S.length();
    if (Len < 4) return S;
    // Groups of three counted from the right, a blank after every group.
    string R;
    size_t First = Len % 3 ? Len % 3 : 3;
    R.append(S.c_str(), First);
    R += ' ';
    for (size_t I = First; I < Len; I += 3) {
        R.append(S.c_str() + I, 3);
        R += ' ';
    }
    return R;
}

string Gen32_255()
{
    string R;
    for (int C = 32; C <= 255; C++) {
        R += (char)C;
        if ((C - 31) % 50 == 0) R += "\r\n";
    }
    return R;
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
    if (Dir.length() < 3) return;
    // Mostly just the last level is missing: creating it at once saves the test for it (a
    // test for a missing name reads its whole parent folder under Wine). When the creation
    // fails, the folder is either there or made level by level as before.
    if (CreateDir(Dir) || DirectoryExists(Dir)) return;
    string Parent = ExtractFilePath(Dir);
    if (Parent == Dir) return;   // a root such as "C:\"
    ForceDirectories(Parent);
    CreateDir(Dir);              // a failure shows when the folder is next used
}

// ---- Pending I/O result codes ----

string IOErrorText(int ACode)
{
    switch (ACode) {
    case 2: return "File not found";
    case 3: return "Path not found";
    case 4: return "Too many open files";
    case 5: case 32: case 103: return "File access denied";
    case 6: return "Invalid file handle";
    case 12: return "Invalid file access code";
    case 15: return "Invalid drive number";
    case 16: return "Cannot remove current directory";
    case 17: return "Cannot rename across drives";
    case 18: return "No more files";
    // Platform codes a user meets with file names: a name pasted with its quotes, a name
    // too long, a file another program holds.
    case 33: return "File locked by another program";
    case 123: return "Invalid file name";
    case 206: return "File name too long";
    case 100: return "Disk read error";
    case 101: return "Disk write error";
    case 102: return "File not assigned";
    case 104: return "File not open for input";
    case 105: return "File not open for output";
    case 106: return "Invalid numeric format";
    case 150: return "Disk is write-protected";
    case 151: return "Bad drive request struct length";
    case 152: return "Drive not ready";
    case 154: return "CRC error in data";
    case 156: return "Disk seek error";
    case 157: return "Unknown media type";
    case 158: return "Sector Not Found";
    case 159: return "Printer out of paper";
    case 160: return "Device write fault";
    case 161: return "Device read fault";
    case 162: return "Hardware failure";
    default: return "Unknovn Error " + IntToStr(ACode);
    }
}

bool ErrorIOResult(HWND AWin)
{
    int Code = IOResult();
    if (Code == 0) return false;
    QMessageBox(AWin, IOErrorText(Code), "Error", qmbOK | qmbIconError);
    return true;
}

string ErrorIOResultStr()
{
    int Code = IOResult();
    return Code ? IOErrorText(Code) : string();
}

int QMessageBox(HWND AWin, const string &AText, const string &ACaption, unsigned AType)
{
    return QMessageBoxProc(AWin, AText.c_str(), ACaption.c_str(), AType);
}

void QMess(HWND AWin, const string &AText)
{
    QMessageBox(AWin, AText, "Information", qmbOK | qmbIconInformation);
}

string WindowStyleText(uint32_t AStyle)
{
    static const struct {
        uint32_t Bits;
        const char *Name;
    } Flags[] = {
        {0x00800000, "WS_BORDER"},      {0x00C00000, "WS_CAPTION"},     {0x40000000, "WS_CHILD"},
        {0x40000000, "WS_CHILDWINDOW"}, {0x02000000, "WS_CLIPCHILDREN"}, {0x04000000, "WS_CLIPSIBLINGS"},
        {0x08000000, "WS_DISABLED"},    {0x00400000, "WS_DLGFRAME"},    {0x00020000, "WS_GROUP"},
        {0x00100000, "WS_HSCROLL"},     {0x00200000, "WS_VSCROLL"},     {0x01000000, "WS_MAXIMIZE"},
        {0x00010000, "WS_MAXIMIZEBOX"}, {0x20000000, "WS_MIMIZE"},      {0x00020000, "WS_MINIMIZEBOX"},
        {0x80000000, "WS_POPUP"},       {0x00080000, "WS_SYSMENU"},     {0x00010000, "WS_TABSTOP"},
        {0x00040000, "WS_THICKFRAME"},  {0x10000000, "WS_VISIBLE"},
    };
    string R;
    for (const auto &F : Flags)
        if (AStyle & F.Bits) {
            R += F.Name;
            R += "\r\n";
        }
    return R;
}

// ---- Files through the file layer ----

int64_t GetFileSize(const string &AFile)
{
    TFile F;
    AssignFile(F, AFile.c_str());
    Reset(F, 1);
    if (ErrorIOResult(0)) return -1;
    int64_t Size = FileSize(F);
    int Code = IOResult();
    CloseFile(F);
    if (Code) SetIOResult(Code);   // the size failure is the one to show
    if (ErrorIOResult(0)) return -1;
    return Size;
}

bool QCopy(HWND AWin, const string &ASource, const string &ADest, bool AAppend)
{
    enum { CopyBlock = 65000 };
    TFile Dst, Src;
    AssignFile(Dst, ADest.c_str());
    if (AAppend) {
        Reset(Dst, 1, fmOpenReadWrite);
        if (FileIsOpen(Dst)) Seek(Dst, FileSize(Dst));
    } else {
        Rewrite(Dst, 1);
    }
    bool Ok = !ErrorIOResult(AWin);
    char *Buf = 0;
    if (Ok) {
        AssignFile(Src, ASource.c_str());
        Reset(Src, 1);
        Ok = !ErrorIOResult(AWin);
    }
    if (Ok) {
        Buf = (char *)malloc(CopyBlock);
        if (!Buf) {
            SetIOResult(8);
            Ok = !ErrorIOResult(AWin);
        }
    }
    while (Ok) {
        uint32_t Got = 0;
        BlockRead(Src, Buf, CopyBlock, &Got);
        if (ErrorIOResult(AWin)) Ok = false;
        else if (Got == 0) break;
        else {
            BlockWrite(Dst, Buf, Got);
            Ok = !ErrorIOResult(AWin);
        }
    }
    free(Buf);
    // After a shown failure the files are still closed, quietly.
    if (FileIsOpen(Src)) {
        CloseFile(Src);
        if (Ok) Ok = !ErrorIOResult(AWin); else IOResult();
    }
    if (FileIsOpen(Dst)) {
        CloseFile(Dst);
        if (Ok) Ok = !ErrorIOResult(AWin); else IOResult();
    }
    return Ok;
}
