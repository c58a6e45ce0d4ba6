// UnfurlUnZipWin: the archive walk on Windows: the kernel's file API for the archive and the
// extracted files, the installer dialog's list box, progress bar and label, the overwrite
// prompt and the error boxes.
#include "UnfurlUnZipWin.h"

#include <commctrl.h>
#include <string.h>

#include "QConst.h"
#include "QDialog.h"
#include "QSysUtil.h"
#include "UnfurlOutcome.h"
#include "UnfurlUnZip.h"

// ---- Texts ------------------------------------------------------------------------------

// The walk's names and paths are UTF-8 here (NameFromAnsi); the system gets them in UTF-16.
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

string NameFromAnsi(const string &AText)
{
    WCHAR *Wide = WideText(AText, CP_ACP);
    string R = Utf8Text(Wide);
    delete[] Wide;
    return R;
}

// A path of the walk in UTF-16, in AWide (MAX_PATH + 4 units; the walk keeps paths shorter).
static WCHAR *WidePath(const char *APath, WCHAR *AWide)
{
    AWide[MultiByteToWideChar(CP_UTF8, 0, APath, -1, AWide, MAX_PATH + 3) ? MAX_PATH + 3 : 0] = 0;
    return AWide;
}

// ---- Files ------------------------------------------------------------------------------

void OpenArchiveFile(const char *AName)
{
    HANDLE H = CreateFileA(AName, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, 0);
    ArchiveFile = (TZipHandle)H;   // INVALID_HANDLE_VALUE is -1
}

void OpenArchive()
{
    char Name[MAX_PATH + 1];
    DWORD Len = GetModuleFileNameA(0, Name, MAX_PATH);
    Name[Len < MAX_PATH ? Len : MAX_PATH] = 0;
    OpenArchiveFile(Name);
}

void CloseArchive()
{
    if (ArchiveFile != -1) CloseHandle((HANDLE)ArchiveFile);
    ArchiveFile = -1;
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
void SetFileDosTime(TZipHandle AFile, uint32_t ADosDateTime)
{
    FILETIME Local, Utc;
    if (DosDateTimeToFileTime((WORD)(ADosDateTime >> 16), (WORD)ADosDateTime, &Local) &&
        LocalFileTimeToFileTime(&Local, &Utc))
        SetFileTime((HANDLE)AFile, 0, 0, &Utc);
}

// FileExists with one attribute query instead of a folder search (a search opens and lists
// the folder, several round trips per call under Wine). "/" becomes "\" in APath as
// FileExists does; a path ending in a backslash names a folder.
static bool WinExists(char *APath)
{
    size_t Len = strlen(APath);
    if (Len == 0) return false;
    char Copy[MAX_PATH + 4];
    char *Path = APath;
    if (APath[Len - 1] == '\\') {   // a folder: converted in a copy, as FileExists does
        if (Len >= sizeof Copy) return false;
        memcpy(Copy, APath, Len + 1);
        Path = Copy;
    }
    for (char *P = Path; *P; P++)
        if (*P == '/') *P = '\\';
    return WinAttributes(Path) != -1;
}

// ForceDirectories in UTF-16: mostly only the last level is missing and is made at once;
// else level by level from the root. A failure shows when the folder is next used.
static void WinForceDirs(const string &ADir)
{
    WCHAR Path[MAX_PATH + 4];
    if (ADir.length() < 3 || CreateDirectoryW(WidePath(ADir.c_str(), Path), 0) ||
        GetFileAttributesW(Path) != INVALID_FILE_ATTRIBUTES)
        return;
    for (WCHAR *P = Path + 3; *P; P++)
        if (*P == '\\') {
            *P = 0;
            CreateDirectoryW(Path, 0);
            *P = '\\';
        }
    CreateDirectoryW(Path, 0);
}

static bool WinClose(TZipHandle AFile) { return CloseHandle((HANDLE)AFile) != 0; }

static uint32_t WinLastError() { return GetLastError(); }

// The system's text for an error code ("Access is denied."), without its line break.
static string WinErrorText(uint32_t ACode)
{
    char Text[512];
    DWORD Len = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, 0,
                               ACode, 0, Text, sizeof Text, 0);
    while (Len > 0 && (Text[Len - 1] == '\r' || Text[Len - 1] == '\n' || Text[Len - 1] == ' '))
        Len--;
    if (Len == 0) return "Error " + IntToStr((int32_t)ACode);
    return string(Text, Len);
}

const TUnZipFileOps UnZipDiskOps = {WinExists,     WinForceDirs,     WinCreate,
                                    WinCreateNew,  WinAttributes,    SetFileDosTime,
                                    WinClose,      WinLastError,     WinErrorText};

// ---- The installer dialog ---------------------------------------------------------------

static HWND WinGetList(HWND ADlg, int AListId) { return GetDlgItem(ADlg, AListId); }

static void WinListReset(HWND AList) { SendMessageA(AList, LB_RESETCONTENT, 0, 0); }

// The list holds the names in UTF-16 (the dialog is a Unicode window).
static void WinListAdd(HWND AList, const string &AName)
{
    WCHAR Name[MAX_PATH + 4];
    SendMessageW(AList, LB_ADDSTRING, 0, (LPARAM)WidePath(AName.c_str(), Name));
}

// Names of printable ASCII characters alone are equal, case ignored, exactly when their
// bytes are equal but for the case of letters: the locale's comparison (many times slower)
// is needed only for other characters, and for the hyphen and the apostrophe, which word
// sorting weighs apart from the rest. 1 equal, 0 not, -1 the locale must decide.
static bool PlainChar(WCHAR C) { return C >= 0x20 && C <= 0x7E && C != '-' && C != '\''; }

static int PlainAsciiEqual(const WCHAR *A, const WCHAR *B)
{
    int Equal = 1;
    for (;; A++, B++) {
        WCHAR X = *A, Y = *B;
        if (X == 0 || Y == 0) {
            if (X != Y) Equal = 0;
            // the rest of the longer name must be plain, too
            for (const WCHAR *R = X ? A : B; *R; R++)
                if (!PlainChar(*R)) return -1;
            return Equal;
        }
        if (!PlainChar(X) || !PlainChar(Y)) return -1;
        if (X >= 'A' && X <= 'Z') X += 'a' - 'A';
        if (Y >= 'A' && Y <= 'Z') Y += 'a' - 'A';
        if (X != Y) Equal = 0;
    }
}

// The text of item AIndex into AText (NameBufSize + 2 units); false for no such item or one
// too long to fetch.
static bool ListItemText(HWND AList, int32_t AIndex, WCHAR *AText)
{
    LRESULT Len = SendMessageW(AList, LB_GETTEXTLEN, (WPARAM)AIndex, 0);
    if (Len == LB_ERR || Len < 0 || Len >= NameBufSize + 2) return false;
    SendMessageW(AList, LB_GETTEXT, (WPARAM)AIndex, (LPARAM)AText);
    return true;
}

// Whether item AIndex equals AName as LB_FINDSTRINGEXACT compares (case ignored, the user's
// locale); 0 no, 1 yes, -1 no such item or too long to fetch.
static int ListItemIs(HWND AList, int32_t AIndex, const WCHAR *AName)
{
    WCHAR Text[NameBufSize + 2];
    if (!ListItemText(AList, AIndex, Text)) return -1;
    int Plain = PlainAsciiEqual(Text, AName);
    if (Plain >= 0) return Plain;
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, Text, -1, AName, -1) ==
           CSTR_EQUAL;
}

// Item AIndex against AName in the list's sorting (case ignored, the user's locale): negative,
// 0 or positive; ListUnknown when the item cannot be fetched or compared.
enum { ListUnknown = 2 };

static int ListItemOrder(HWND AList, int32_t AIndex, const WCHAR *AName)
{
    WCHAR Text[NameBufSize + 2];
    if (!ListItemText(AList, AIndex, Text)) return ListUnknown;
    int R = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, Text, -1, AName, -1);
    return R == 0 ? ListUnknown : R - CSTR_EQUAL;
}

// LB_FINDSTRINGEXACT from AStart: the first equal item after AStart, wrapping. In the archive's
// order that is nearly always the next item; but where the archive's order and the list's
// sorting differ (say "a_b" and "a.b"), neighbours come swapped or whole runs of names stand
// elsewhere, and the list box's own search would run through the list item by item. The
// list is sorted, so equal items stand together: a match found near AStart, taken back to
// the first of its run, is the item the search would find; farther away a binary search
// finds the run. Only where that cannot tell does the list box search itself.
enum { ListNear = 8 };

// The binary search: the first item equal to AName after AStart, wrapping; -1 when it
// cannot tell.
static int32_t ListFindSorted(HWND AList, int32_t ACount, int32_t AStart, const WCHAR *AName)
{
    int32_t Lo = 0, Hi = ACount;   // Lo ends on the first item not before AName
    while (Lo < Hi) {
        int32_t Mid = Lo + (Hi - Lo) / 2;
        int Order = ListItemOrder(AList, Mid, AName);
        if (Order == ListUnknown) return -1;
        if (Order < 0)
            Lo = Mid + 1;
        else
            Hi = Mid;
    }
    if (Lo >= ACount || ListItemIs(AList, Lo, AName) != 1) return -1;
    if (AStart < Lo) return Lo;
    // AStart within or behind the run: its next item if that is equal, else round to the run.
    if (AStart + 1 < ACount && ListItemIs(AList, AStart + 1, AName) == 1) return AStart + 1;
    return Lo;
}

static int32_t WinListFind(HWND AList, int32_t AStart, const string &AUtf8Name)
{
    WCHAR AName[MAX_PATH + 4];
    WidePath(AUtf8Name.c_str(), AName);
    int32_t Count = (int32_t)SendMessageA(AList, LB_GETCOUNT, 0, 0);
    bool Known = true;   // every item compared could be fetched
    if (AStart >= 0 && AStart < Count && AName[0]) {
        int Next = ListItemIs(AList, AStart + 1 < Count ? AStart + 1 : 0, AName);
        if (Next == 1) return AStart + 1 < Count ? AStart + 1 : 0;
        for (int32_t D = 0; Next == 0 && D <= ListNear; D++) {
            // AStart, AStart - 1, ... and AStart + 2, AStart + 3, ...
            for (int Side = 0; Side < 2; Side++) {
                int32_t J = Side == 0 ? AStart - D : AStart + 2 + D;
                if (J < 0 || J >= Count) continue;
                int Is = ListItemIs(AList, J, AName);
                if (Is < 0) Next = -1;   // cannot tell: the list box searches
                if (Is != 1) continue;
                while (J > 0 && ListItemIs(AList, J - 1, AName) == 1) J--;
                return J;
            }
        }
        Known = Next == 0;
    }
    if (Known && AStart >= -1 && AStart < Count && AName[0]) {
        int32_t J = ListFindSorted(AList, Count, AStart, AName);
        if (J >= 0) return J;
    }
    LRESULT I = SendMessageW(AList, LB_FINDSTRINGEXACT, (WPARAM)AStart, (LPARAM)AName);
    return I == LB_ERR ? -1 : (int32_t)I;
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

// The bar and the label of the dialog, looked up once per dialog: each GetDlgItem lists the
// dialog's children, a round trip to the window server under Wine, twice per file.
static HWND ItemsDlg = 0, BarWnd = 0, LabelWnd = 0;

// The label's text is kept here and handed to the window only when the label is painted: a
// window's text lives in the window server, and setting it is a round trip that costs more
// per file than creating the file. The label's own procedure answers WM_GETTEXT and
// WM_GETTEXTLENGTH with the kept text meanwhile, so every reader sees the current name.
static WCHAR LabelText[MAX_PATH + 2];
static bool LabelPending = false;   // LabelText is newer than the window's own text

// A control whose procedure answers with a kept value (LabelProc, BarProc).
struct THook {
    HWND Wnd;          // the control, 0 when none is hooked
    WNDPROC Before;    // its own procedure
};
static THook LabelHook = {0, 0};

// Hands a message on to the control's own procedure ABefore; a hooked control that goes
// unhooks itself and drops its kept value (APending).
static LRESULT PassOn(THook &AHook, bool &APending, WNDPROC ABefore, HWND AWnd, UINT AMessage,
                      WPARAM AWParam, LPARAM ALParam)
{
    if (AMessage == WM_NCDESTROY && AWnd == AHook.Wnd) {
        AHook.Wnd = 0;
        APending = false;
    }
    return CallWindowProcW(ABefore, AWnd, AMessage, AWParam, ALParam);
}

static void SyncLabel()
{
    if (!LabelPending) return;
    LabelPending = false;
    if (LabelHook.Wnd && IsWindow(LabelHook.Wnd))
        DefWindowProcW(LabelHook.Wnd, WM_SETTEXT, 0, (LPARAM)LabelText);
}

static LRESULT CALLBACK LabelProc(HWND AWnd, UINT AMessage, WPARAM AWParam, LPARAM ALParam)
{
    WNDPROC Before = LabelHook.Before;
    if (AWnd == LabelHook.Wnd && LabelPending) {
        size_t Len = lstrlenW(LabelText);
        switch (AMessage) {
        case WM_GETTEXTLENGTH:
            return (LRESULT)Len;
        case WM_GETTEXT: {
            if (AWParam == 0 || !ALParam) return 0;
            size_t N = Len < AWParam - 1 ? Len : AWParam - 1;
            memcpy((WCHAR *)ALParam, LabelText, N * sizeof(WCHAR));
            ((WCHAR *)ALParam)[N] = 0;
            return (LRESULT)N;
        }
        case WM_SETTEXT:   // a text set from elsewhere replaces the kept one
            LabelPending = false;
            break;
        case WM_PAINT:
            SyncLabel();
            break;
        }
    }
    return PassOn(LabelHook, LabelPending, Before, AWnd, AMessage, AWParam, ALParam);
}

// The bar's position likewise: PBM_SETPOS repaints the bar at once, so the position is kept
// here and given to the bar when the bar is painted with the label; the bar's procedure
// answers PBM_GETPOS with it meanwhile.
static int32_t BarPos = 0;
static bool BarPending = false;   // BarPos is newer than the bar's own position
static THook BarHook = {0, 0};

static void SyncBar()
{
    if (!BarPending) return;
    BarPending = false;
    if (BarHook.Wnd && IsWindow(BarHook.Wnd))
        CallWindowProcW(BarHook.Before, BarHook.Wnd, PBM_SETPOS, (WPARAM)BarPos, 0);
}

static LRESULT CALLBACK BarProc(HWND AWnd, UINT AMessage, WPARAM AWParam, LPARAM ALParam)
{
    WNDPROC Before = BarHook.Before;
    if (AWnd == BarHook.Wnd && BarPending) {
        switch (AMessage) {
        case PBM_GETPOS:
            return (LRESULT)BarPos;
        case WM_PAINT:
            SyncBar();
            break;
        case PBM_SETPOS: case PBM_DELTAPOS: case PBM_STEPIT: case PBM_SETRANGE:
        case PBM_SETRANGE32:   // a change from elsewhere starts from the kept position
            SyncBar();
            break;
        }
    }
    return PassOn(BarHook, BarPending, Before, AWnd, AMessage, AWParam, ALParam);
}

// Puts AProc in front of AWnd's own procedure, once; ASync first hands a value kept for the
// control hooked before to that control.
static void Hook(THook &AHook, HWND AWnd, WNDPROC AProc, void (*ASync)())
{
    if (!AWnd || (AWnd == AHook.Wnd && (WNDPROC)GetWindowLongPtrW(AWnd, GWLP_WNDPROC) == AProc))
        return;
    ASync();
    WNDPROC Before = (WNDPROC)GetWindowLongPtrW(AWnd, GWLP_WNDPROC);
    if (!Before) return;
    AHook.Before = Before;
    AHook.Wnd = AWnd;
    SetWindowLongPtrW(AWnd, GWLP_WNDPROC, (LONG_PTR)AProc);
}

static void FindItems(HWND ADlg)
{
    // Still hooked, both are alive (a control unhooks itself when destroyed): no lookups.
    if (ADlg == ItemsDlg && BarWnd && BarWnd == BarHook.Wnd && LabelWnd && LabelWnd == LabelHook.Wnd)
        return;
    if (ADlg == ItemsDlg && IsWindow(BarWnd) && GetParent(BarWnd) == ADlg &&
        GetDlgCtrlID(BarWnd) == CM_PROGRESSBAR && IsWindow(LabelWnd) &&
        GetParent(LabelWnd) == ADlg && GetDlgCtrlID(LabelWnd) == CM_LABEL_PB)
        return;
    ItemsDlg = ADlg;
    BarWnd = GetDlgItem(ADlg, CM_PROGRESSBAR);
    LabelWnd = GetDlgItem(ADlg, CM_LABEL_PB);
    Hook(LabelHook, LabelWnd, LabelProc, SyncLabel);
    Hook(BarHook, BarWnd, BarProc, SyncBar);
}

// The bar and the label paint at most every ItemPaintTicks (ten times a second): each paint
// costs some twenty round trips to the window server, more than writing a small file. Their
// values are kept at once (PBM_GETPOS and WM_GETTEXT answer the current ones); a timer
// paints the last values after a quicker succession has stopped.
enum { ItemPaintTicks = 100 };
static DWORD ItemsPainted = 0;
static UINT_PTR PaintTimer = 0;
static bool LabelDirty = false, BarDirty = false;

static void PaintItems()
{
    ItemsPainted = GetTickCount();
    if (LabelDirty && LabelWnd && IsWindow(LabelWnd)) {
        SyncLabel();
        InvalidateRect(LabelWnd, 0, TRUE);
    }
    if (BarDirty && BarWnd && IsWindow(BarWnd)) {
        if (BarWnd == BarHook.Wnd && BarPending)
            SyncBar();   // the new position paints the bar at once
        else
            InvalidateRect(BarWnd, 0, TRUE);
    }
    LabelDirty = BarDirty = false;
}

static void CALLBACK PaintTimerProc(HWND, UINT, UINT_PTR, DWORD)
{
    KillTimer(0, PaintTimer);
    PaintTimer = 0;
    PaintItems();
}

static void PaintSoon()
{
    if (GetTickCount() - ItemsPainted >= ItemPaintTicks)
        PaintItems();
    else if (!PaintTimer)
        PaintTimer = SetTimer(0, 0, ItemPaintTicks, PaintTimerProc);
}

// A new position is kept (see BarProc) and given to the bar when it is painted.
static void WinSetProgress(HWND ADlg, int32_t APos)
{
    FindItems(ADlg);
    HWND Bar = BarWnd;
    if (!Bar) return;
    if (SendMessageA(Bar, PBM_GETPOS, 0, 0) == (LRESULT)APos) return;
    if (Bar == BarHook.Wnd) {
        BarPos = APos;
        BarPending = true;
    } else {
        SendMessageA(Bar, PBM_SETPOS, (WPARAM)APos, 0);
    }
    BarDirty = true;
    PaintSoon();
}

// The label under the bar: a static control paints itself at once on WM_SETTEXT; the text
// is kept here (see LabelProc) and painted with the bar.
static void WinSetLabel(HWND ADlg, const string &AText)
{
    FindItems(ADlg);
    HWND Label = LabelWnd;
    if (!Label) return;   // (InvalidateRect of no window would repaint the whole screen)
    WCHAR *Text = WideText(AText, CP_UTF8);
    if (Label == LabelHook.Wnd && lstrlenW(Text) < MAX_PATH + 2) {
        lstrcpyW(LabelText, Text);
        LabelPending = true;
    } else {
        LabelPending = false;
        DefWindowProcW(Label, WM_SETTEXT, 0, (LPARAM)Text);
    }
    delete[] Text;
    LabelDirty = true;
    PaintSoon();
}

// One waiting message per created file keeps the window painted and responsive.
static void WinDispatchOne()
{
    MSG Msg;
    if (PeekMessageA(&Msg, 0, 0, 0, PM_REMOVE)) {
        TranslateMessage(&Msg);
        DispatchMessageA(&Msg);
    }
}

static void WinShowError(const string &AText)
{
    if (Silent) return;
    WCHAR *Text = WideText(AText, CP_UTF8);
    MessageBoxW(0, Text, L"Error", MB_OK | MB_ICONHAND);
    delete[] Text;
}

static void WinAskOverwrite(HWND ADlg)
{
    DialogBoxParamW(GetModuleHandleA(0), L"FileExist", ADlg, FileExistDlgProc, 0);
}

static void WinEndProgram() { ExitProcess((UINT)EndProgramCode()); }

const TUnZipDialog UnZipPlatformDialog = {
    WinGetList,     WinListReset,  WinListAdd,      WinListText,   WinListFind,   WinListGetSel,
    WinListSetSel,  WinListCount,  WinListSelCount, WinSetProgress, WinSetLabel,
    WinDispatchOne, WinShowError,  WinAskOverwrite, WinEndProgram,
};

// ---- FILEEXIST ------------------------------------------------------------------------

INT_PTR CALLBACK FileExistDlgProc(HWND ADlg, UINT AMessage, WPARAM AWParam, LPARAM)
{
    switch (AMessage) {
    case WM_INITDIALOG:
        CenterWindow(ADlg);
        WCHAR Name[MAX_PATH + 4];
        SetDlgItemTextW(ADlg, CM_EDIT1, WidePath(FileExistName.c_str(), Name));
        // Focus on OK rather than on the name, which would show it highlighted.
        SetFocus(GetDlgItem(ADlg, IDOK));
        return FALSE;
    case WM_COMMAND: {
        int Id = LOWORD(AWParam);
        if (Id != IDOK && Id != IDCANCEL) return FALSE;
        bool All = SendDlgItemMessageA(ADlg, CM_CHECK, BM_GETCHECK, 0, 0) == BST_CHECKED;
        AnswerOverwrite(Id, All);
        EndDialog(ADlg, Id);
        return TRUE;
    }
    }
    return FALSE;
}
