// QSysIO: the portable routines of QSysUtil.h for pending I/O result codes and their texts,
// message boxes and files through the file layer (size, copy).
#include "QSysUtil.h"

#include <stdlib.h>

#include "QFile.h"

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
    // "Unknovn" is the spelling users have always seen: kept as it is.
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
