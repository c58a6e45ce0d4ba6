// UnfurlUnZipWin: the archive walk on Windows: the kernel's file API for the archive and the
// extracted files, the installer dialog's list box, progress bar and label, the overwrite
// prompt and the error boxes.
#include "UnfurlUnZipWin.h"

#include <commctrl.h>
#include <string.h>

#include "QConst.h"
#include "QDialog.h"
#include "QSysUtil.h"
#include "UnfurlArchive.h"
#include "UnfurlKeptItems.h"
#include "UnfurlListFind.h"
#include "UnfurlUnZip.h"

// ---- Texts ------------------------------------------------------------------------------

// The walk's names and paths are UTF-8; the system gets them in UTF-16.
WCHAR *WideText(const string &AText, UINT ACodePage)
{
    int Len = MultiByteToWideChar(ACodePage, 0, AText.c_str(), -1, 0, 0);
    WCHAR *Wide = new WCHAR[Len + 1];
    Wide[MultiByteToWideChar(ACodePage, 0, AText.c_str(), -1, Wide, Len + 1) ? Len : 0] = 0;
    return Wide;
}

string Utf8Text(const WCHAR *AText)
{
    int Len = WideCharToMultiByte(CP_UTF8, 0, AText, -1, 0, 0, 0, 0);
    char *Text = new char[Len + 1];
    Text[WideCharToMultiByte(CP_UTF8, 0, AText, -1, Text, Len + 1, 0, 0) ? Len : 0] = 0;
    string R(Text);
    delete[] Text;
    return R;
}

// A path of the walk in UTF-16, in AWide (MAX_PATH + 4 units; the walk keeps paths shorter).
static WCHAR *WidePath(const char *APath, WCHAR *AWide)
{
    AWide[MultiByteToWideChar(CP_UTF8, 0, APath, -1, AWide, MAX_PATH + 3) ? MAX_PATH + 3 : 0] = 0;
    return AWide;
}

// ---- Files ------------------------------------------------------------------------------

static void OpenArchiveWide(TUnZipRun &ARun, const WCHAR *AName)
{
    HANDLE H = CreateFileW(AName, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, 0);
    UseArchive(ARun, ZipFileIO(), (TZipHandle)H);   // INVALID_HANDLE_VALUE is -1
}

void OpenArchiveFile(TUnZipRun &ARun, const char *AName)
{
    WCHAR Name[MAX_PATH + 4];
    OpenArchiveWide(ARun, WidePath(AName, Name));
}

// The program's own file by its name in UTF-16: a folder named in any script opens.
void OpenArchive(TUnZipRun &ARun)
{
    WCHAR Name[MAX_PATH + 1];
    DWORD Len = GetModuleFileNameW(0, Name, MAX_PATH);
    Name[Len < MAX_PATH ? Len : MAX_PATH] = 0;
    OpenArchiveWide(ARun, Name);
}

void CloseArchive(TUnZipRun &ARun)
{
    if (ARun.ArchiveFile != -1) CloseHandle((HANDLE)ARun.ArchiveFile);
    ARun.ArchiveFile = ARun.Entry.ArchiveFile = -1;
}

static TZipHandle WinCreate(const char *APath)
{
    WCHAR Path[MAX_PATH + 4];
    HANDLE H = CreateFileW(WidePath(APath, Path), GENERIC_WRITE, FILE_SHARE_WRITE, 0, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, 0);
    return (TZipHandle)H;
}

static TZipHandle WinCreateNew(const char *APath, bool &AFolderMissing)
{
    WCHAR Path[MAX_PATH + 4];
    HANDLE H = CreateFileW(WidePath(APath, Path), GENERIC_WRITE, FILE_SHARE_WRITE, 0, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, 0);
    AFolderMissing = H == INVALID_HANDLE_VALUE && GetLastError() == ERROR_PATH_NOT_FOUND;
    return (TZipHandle)H;
}

static int32_t WinAttributes(const char *APath)
{
    WCHAR Path[MAX_PATH + 4];
    DWORD Attr = GetFileAttributesW(WidePath(APath, Path));
    return Attr == INVALID_FILE_ATTRIBUTES ? -1 : (int32_t)(Attr & 0x7FFFFFFF);
}

// The archive's times are local times; only the last-write time is set. A DOS time that
// names no real moment (a date of 0) leaves the time as written.
static bool DosToFileTime(uint32_t ADosDateTime, FILETIME &AUtc)
{
    FILETIME Local;
    return DosDateTimeToFileTime((WORD)(ADosDateTime >> 16), (WORD)ADosDateTime, &Local) &&
           LocalFileTimeToFileTime(&Local, &AUtc);
}

void SetFileDosTime(TZipHandle AFile, uint32_t ADosDateTime)
{
    FILETIME Utc;
    if (DosToFileTime(ADosDateTime, Utc)) SetFileTime((HANDLE)AFile, 0, 0, &Utc);
}

// One attribute query (no handle: no round trip to the server under Wine).
static bool WinSameSizeTime(const char *APath, uint32_t ASize, uint32_t ADosDateTime)
{
    WCHAR Path[MAX_PATH + 4];
    WIN32_FILE_ATTRIBUTE_DATA Data;
    FILETIME Utc;
    return GetFileAttributesExW(WidePath(APath, Path), GetFileExInfoStandard, &Data) &&
           !(Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && Data.nFileSizeHigh == 0 &&
           Data.nFileSizeLow == ASize && DosToFileTime(ADosDateTime, Utc) &&
           CompareFileTime(&Data.ftLastWriteTime, &Utc) == 0;
}

// FileExists with one attribute query instead of a folder search (a search opens and lists
// the folder, several round trips per call under Wine).
static bool WinExists(const char *APath) { return APath[0] && WinAttributes(APath) != -1; }

// ForceDirectories in UTF-16: mostly only the last level is missing and is made at once;
// else level by level from the start, so that a relative folder ("ab\cd", the installation
// folder typed as such) gets its first level too; the root's own attempt ("C:") just fails.
// A failure shows when the folder is next used.
static void WinForceDirs(const string &ADir)
{
    WCHAR Path[MAX_PATH + 4];
    if (ADir.empty() || CreateDirectoryW(WidePath(ADir.c_str(), Path), 0) ||
        GetFileAttributesW(Path) != INVALID_FILE_ATTRIBUTES)
        return;
    for (WCHAR *P = Path + 1; *P; P++)
        if (*P == '\\') {
            *P = 0;
            CreateDirectoryW(Path, 0);
            *P = '\\';
        }
    CreateDirectoryW(Path, 0);
}

static bool WinClose(TZipHandle AFile) { return CloseHandle((HANDLE)AFile) != 0; }

static uint32_t WinLastError() { return GetLastError(); }

// The system's text for an error code ("Access is denied."), without its line break; in
// UTF-16 from the system, so that it reads right in any language.
static string WinErrorText(uint32_t ACode)
{
    WCHAR Text[512];
    DWORD Len = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, 0,
                               ACode, 0, Text, 512, 0);
    while (Len > 0 && (Text[Len - 1] == '\r' || Text[Len - 1] == '\n' || Text[Len - 1] == ' '))
        Len--;
    if (Len == 0) return "Error " + IntToStr((int32_t)ACode);
    Text[Len] = 0;
    return Utf8Text(Text);
}

// The undo's operations. MoveFileW renames on the volume (the undo folder is in the target).
static bool WinRename(const char *AFrom, const char *ATo)
{
    WCHAR From[MAX_PATH + 4], To[MAX_PATH + 4];
    return MoveFileW(WidePath(AFrom, From), WidePath(ATo, To)) != 0;
}

static bool WinRemove(const char *APath)
{
    WCHAR Path[MAX_PATH + 4];
    WidePath(APath, Path);
    return (APath[strlen(APath) - 1] == '\\' ? RemoveDirectoryW(Path) : DeleteFileW(Path)) != 0;
}

static TZipHandle WinOpenRead(const char *APath)
{
    WCHAR Path[MAX_PATH + 4];
    return (TZipHandle)CreateFileW(WidePath(APath, Path), GENERIC_READ, FILE_SHARE_READ, 0,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
}

const TUnZipFileOps *UnZipDiskOps()
{
    static const TUnZipFileOps Ops = {WinExists,    WinForceDirs,  WinCreate,
                                      WinCreateNew, WinAttributes, SetFileDosTime,
                                      WinClose,     WinLastError,  WinErrorText,
                                      WinRename,    WinRemove,     WinOpenRead,
                                      WinSameSizeTime};
    return &Ops;
}

// ---- The installer dialog ---------------------------------------------------------------

static HWND WinGetList(HWND ADlg, int AListId) { return GetDlgItem(ADlg, AListId); }

static void WinListReset(HWND AList) { SendMessageA(AList, LB_RESETCONTENT, 0, 0); }

// The list holds the names in UTF-16 (the dialog is a Unicode window).
static void WinListAdd(HWND AList, const string &AName)
{
    WCHAR Name[MAX_PATH + 4];
    SendMessageW(AList, LB_ADDSTRING, 0, (LPARAM)WidePath(AName.c_str(), Name));
}

static int32_t WinListFind(HWND AList, int32_t AStart, const string &AName)
{
    WCHAR Name[MAX_PATH + 4];
    return FindListItem(AList, AStart, WidePath(AName.c_str(), Name));
}

static string WinListText(HWND AList, int32_t AIndex)
{
    WCHAR Text[NameBufSize + 2];
    return ListItemText(AList, AIndex, Text) ? Utf8Text(Text) : string();
}

static bool WinListGetSel(HWND AList, int32_t AIndex)
{
    return SendMessageA(AList, LB_GETSEL, (WPARAM)AIndex, 0) > 0;
}

static void WinListSetSel(HWND AList, int32_t AIndex, bool ASelected)
{
    SendMessageA(AList, LB_SETSEL, ASelected ? TRUE : FALSE, (LPARAM)AIndex);
}

static int32_t WinListCount(HWND AList) { return (int32_t)SendMessageA(AList, LB_GETCOUNT, 0, 0); }

static int32_t WinListSelCount(HWND AList)
{
    return (int32_t)SendMessageA(AList, LB_GETSELCOUNT, 0, 0);
}

static void WinSetLabel(HWND ADlg, const string &AText)
{
    WCHAR *Text = WideText(AText, CP_UTF8);
    KeepLabel(ADlg, Text);
    delete[] Text;
}

// One waiting message per created file keeps the window painted and responsive.
static void WinDispatchOne(HWND)
{
    MSG Msg;
    if (PeekMessageA(&Msg, 0, 0, 0, PM_REMOVE)) {
        TranslateMessage(&Msg);
        DispatchMessageA(&Msg);
    }
}

// Owned by the dialog, so that it stays disabled while the box is up.
static void WinShowError(HWND ADlg, const string &AText)
{
    WCHAR *Text = WideText(AText, CP_UTF8);
    MessageBoxW(ADlg, Text, L"Error", MB_OK | MB_ICONHAND);
    delete[] Text;
}

static bool WinAskError(HWND ADlg, const string &AText)
{
    WCHAR *Text = WideText(AText, CP_UTF8);
    int Answer = MessageBoxW(ADlg, Text, L"Error", MB_YESNO | MB_ICONHAND);
    delete[] Text;
    return Answer == IDYES;
}

static void WinAskOverwrite(TUnZipRun &ARun, HWND ADlg)
{
    DialogBoxParamW(GetModuleHandleA(0), L"FileExist", ADlg, FileExistDlgProc, (LPARAM)&ARun);
}

static void WinEndProgram(HWND, int32_t AExitCode) { ExitProcess((UINT)AExitCode); }

const TUnZipDialog *UnZipPlatformDialog()
{
    static const TUnZipDialog Dialog = {
        WinGetList,     WinListReset,   WinListAdd,      WinListText,   WinListFind,
        WinListGetSel,  WinListSetSel,  WinListCount,    WinListSelCount, KeepProgress,
        WinSetLabel,    WinDispatchOne, WinShowError,    WinAskOverwrite, WinEndProgram,
        WinAskError,
    };
    return &Dialog;
}

// ---- FILEEXIST ------------------------------------------------------------------------

// The run asking is the dialog's parameter, kept in its window data.
INT_PTR CALLBACK FileExistDlgProc(HWND ADlg, UINT AMessage, WPARAM AWParam, LPARAM ALParam)
{
    TUnZipRun *Run = (TUnZipRun *)GetWindowLongPtrA(ADlg, DWLP_USER);
    switch (AMessage) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(ADlg, DWLP_USER, ALParam);
        Run = (TUnZipRun *)ALParam;
        CenterWindow(ADlg);
        WCHAR Name[MAX_PATH + 4];
        SetDlgItemTextW(ADlg, CM_EDIT1, WidePath(Run->FileExistName.c_str(), Name));
        // Focus on OK rather than on the name, which would show it highlighted.
        SetFocus(GetDlgItem(ADlg, CM_OK));
        return FALSE;
    case WM_COMMAND: {
        int Id = LOWORD(AWParam);
        if (Id != CM_OK && Id != CM_NO) return FALSE;
        bool All = SendDlgItemMessageA(ADlg, CM_CHECK, BM_GETCHECK, 0, 0) == BST_CHECKED;
        AnswerOverwrite(*Run, Id, All);
        EndDialog(ADlg, Id);
        return TRUE;
    }
    }
    return FALSE;
}
