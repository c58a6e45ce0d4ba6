// QSysUtil: zero-terminated text buffers, paths, numbers, file and folder tests,
// folder creation and the user's texts for pending file I/O result codes.
// Portable routines live in QSysUtil.cpp (text buffers, paths, folders), QSysText.cpp (numbers
// and fixed-width text) and QSysIO.cpp (I/O result texts, message boxes, file size and copy);
// the ones that need the platform in QSysUtilWin.cpp (Windows) and QSysUtilPosix.cpp (the host
// build used by the tests).
#ifndef QSYSUTIL_H
#define QSYSUTIL_H

#include "QStr.h"
#include "QTypes.h"

typedef char *PChar;
typedef char TDPath[MAX_PATH];
typedef TDPath *PDPath;

// File attribute masks.
enum {
    faReadOnly = 1,
    faHidden = 2,
    faSysFile = 4,
    faVolumeID = 8,
    faDirectory = 16,
    faArchive = 32,
    faAnyFile = 63
};

// Text buffers.
PChar StrScan(const char *Str, char Chr);                      // 0 when not found
PChar StrLCopy(PChar Dest, const char *Source, unsigned MaxLen);
PChar StrPCopy(PChar Dest, const string &Source);
uint16_t StrLen(const char *Str);
string PCharToStr(const char *p, uint16_t Len = 0);
PChar Strend(const char *Str);
PChar AppendDirTail(PChar sDir);
PChar RemoveDirTail(PChar sDir);

// Paths.
string ExtractFilePath(const string &FileName);
string ExtractFileName(const string &FileName);
string ExtractFileExt(const string &FileName);
string ExtractFileDrive(const string &FileName);

// Numbers and fixed-width text.
string IntToStr(int32_t Value);
string Int64ToStr(int64_t Value);
int32_t StrToInt(const string &S, int32_t ADefault);
string InsCharL(const string &S, char C, int AI);
string InsCharR(const string &S, char C, int AI);
string DStr(const string &S);
string DelStr(const string &S, char AChar);
string Trim(const string &S);
string TrimLeft(const string &S);
string TrimRight(const string &S);
string AnsiUpperCase(const string &S);
string AnsiLowerCase(const string &S);
PChar AnsiStrUpper(PChar Str);
PChar AnsiStrLower(PChar Str);
bool IsValidIdent(const string &S);
string ExtToStr(double I, int W, int D);
string DopNul(int AI);
string Str3Space(const string &S);
string Gen32_255();

// Heap text buffers with their usable size in a 4-byte header.
PChar StrAlloc(uint32_t Size);
void StrDispose(PChar Str);
uint32_t StrBufSize(const char *Str);

// Files, folders, programs.
bool FileExists(PChar Filename);
bool DirectoryExists(const string &Name);
void ForceDirectories(const string &Dir);
bool CreateDir(const string &Dir);   // one folder, default security; false on failure
void RunExec(const string &AFileName, const string &APath, const string &AParams);
int64_t GetFileSize(const string &AFile);
bool QCopy(HWND AWin, const string &ASource, const string &ADest, bool AAppend);
void QMess(HWND AWin, const string &AText);
void GetWindowStyle(HWND Wnd);
string WindowStyleText(uint32_t AStyle);   // the text GetWindowStyle shows

// Message boxes of this unit go through QMessageBoxProc: MessageBoxA on Windows, a line on
// stderr (answer IDOK) on the host. Tests replace it to see and answer the boxes.
enum { qmbOK = 0x0, qmbRetryCancel = 0x5, qmbIconError = 0x10, qmbIconInformation = 0x40 };
enum { qidOK = 1, qidCancel = 2, qidRetry = 4 };
typedef int (*TMessageBoxProc)(HWND AWin, const char *AText, const char *ACaption, unsigned AType);
extern TMessageBoxProc QMessageBoxProc;
int QMessageBox(HWND AWin, const string &AText, const string &ACaption, unsigned AType);

// Pending I/O result codes (set by the file layer, QFile.h).
string IOErrorText(int ACode);      // the user's text for a nonzero code
bool ErrorIOResult(HWND AWin);      // reads and clears the code; shows it when nonzero
string ErrorIOResultStr();          // reads and clears the code; "" for 0

// The running program's executable, full path (used by ExtractFilePath("")).
string ProgramFileName();

#endif
