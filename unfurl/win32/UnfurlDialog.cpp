// UnfurlDialog: the installer dialog "MainDialog" and its dialog procedure.
#include "UnfurlDialog.h"
#include <commctrl.h>
#include <shlobj.h>
#include "QConst.h"
#include "QDialog.h"
#include "QGetDir.h"
#include "QSysUtil.h"
#include "UnfurlOutcome.h"
#include "UnfurlPayload.h"
#include "UnfurlUnZip.h"
#include "UnfurlUnZipWin.h"

TInstall *SetupInfo;
WCHAR InstallDir[MAX_PATH + 1];
HWND InstallWnd;
HFONT TitleFont;
HFONT SubtitleFont;

static TInstall SetupRecord;
static LOGFONTA FontDesc;        // working description both fonts are made from
static bool Installing;          // an extraction run is under way (OK is then ignored)

void UnfurlDialogInit()
{
    SetupInfo = &SetupRecord;
    InstallDir[0] = 0;
}

// The run the dialog works for: the parameter of its creation, kept in its window data.
static TUnZipRun &RunOf(HWND dlg) { return *(TUnZipRun *)GetWindowLongPtrA(dlg, DWLP_USER); }

void UnfurlDialogDone()
{
    SetupRecord.Title.clear();
    SetupRecord.Subtitle.clear();
    SetupInfo = 0;
}

// Title and subtitle fonts from the device context's initial font. When its description
// cannot be read, the title keeps the font of the all-zero description and the subtitle
// stays 0 (drawn in the context's own font).
static void MakeFonts(HWND dlg)
{
    HDC Dc = GetDC(dlg);
    int Res = GetDeviceCaps(Dc, LOGPIXELSY);
    ZeroMemory(&FontDesc, sizeof FontDesc);
    HFONT ZeroFont = CreateFontIndirectA(&FontDesc);
    HGDIOBJ Initial = SelectObject(Dc, ZeroFont);
    TitleFont = ZeroFont;
    if (GetObjectA(Initial, sizeof FontDesc, &FontDesc)) {
        TitleFontDesc(&FontDesc, Res);
        TitleFont = CreateFontIndirectA(&FontDesc);
        SetFontDesc(&FontDesc, "Arial", 8, Res, FW_NORMAL);
        FontDesc.lfUnderline = 0;
        FontDesc.lfQuality = PROOF_QUALITY;
        SubtitleFont = CreateFontIndirectA(&FontDesc);
    }
    SelectObject(Dc, Initial);
    if (TitleFont != ZeroFont)
        DeleteObject(ZeroFont);
    ReleaseDC(dlg, Dc);
}

static void OnInitDialog(HWND dlg, TUnZipRun &ARun)
{
    SetWindowLongPtrA(dlg, DWLP_USER, (LONG_PTR)&ARun);
    CenterWindow(dlg);
    ARun.AllExtracted = false;
    Installing = false;
    HICON Icon = LoadIconA(GetModuleHandleA(0), "MAINICON");
    SetClassLongPtrA(dlg, GCLP_HICON, (LONG_PTR)Icon);
    SendDlgItemMessageA(dlg, CM_ICON, STM_SETICON, (WPARAM)Icon, 0);
    InstallWnd = dlg;
    MakeFonts(dlg);
    // The folder given with /D=, else the installer's own folder.
    if (!InstallDir[0]) ProgramFolder(InstallDir);
    SetDlgItemTextW(dlg, CM_EDIT, InstallDir);
    // Typing stops where the text still fits a path buffer.
    SendDlgItemMessageW(dlg, CM_EDIT, EM_LIMITTEXT, MAX_PATH - 1, 0);
    ARun.OverwriteMode = omAsk;
    UnZipFiles(ARun, dlg, CM_LIST, true);
    SendDlgItemMessageA(dlg, CM_LIST, LB_SETSEL, TRUE, -1);
}

// The title three times (highlight, shadow, text) and the subtitle once.
static void OnPaint()
{
    static const RECT Passes[3] = {{80, 11, 500, 56}, {84, 13, 500, 56}, {82, 12, 500, 56}};
    PAINTSTRUCT Ps;
    BeginPaint(InstallWnd, &Ps);
    HDC Dc = GetDC(InstallWnd);
    SetBkMode(Dc, TRANSPARENT);
    HGDIOBJ Old = SelectObject(Dc, TitleFont);
    // Texts marked UTF-8 are painted as written, others in the code page as before.
    UINT CodePage = SetupInfo->Utf8 ? CP_UTF8 : CP_ACP;
    WCHAR *Text = WideText(SetupInfo->Title, CodePage);
    DrawEmbossedTextW(Dc, Text, -1, Passes, RGB(2, 125, 26));
    delete[] Text;
    if (SubtitleFont)
        SelectObject(Dc, SubtitleFont);
    RECT R = {80, 55, 500, 71};
    SetTextColor(Dc, RGB(5, 124, 248));
    Text = WideText(SetupInfo->Subtitle, CodePage);
    DrawTextW(Dc, Text, -1, &R, DT_CENTER);
    delete[] Text;
    SelectObject(Dc, Old);
    ReleaseDC(InstallWnd, Dc);
    EndPaint(InstallWnd, &Ps);
}

void ProgramFolder(WCHAR *AFolder)
{
    DWORD Len = GetModuleFileNameW(0, AFolder, MAX_PATH);
    AFolder[Len < MAX_PATH ? Len : 0] = 0;
    WCHAR *Slash = AFolder;
    for (WCHAR *P = AFolder; *P; P++)
        if (*P == '\\') Slash = P;
    // The folder without its backslash, except for a drive root (C:\).
    Slash[Slash > AFolder && Slash[-1] == ':' ? 1 : 0] = 0;
}

static void OnChooseFolder(HWND dlg)
{
    if (SelectFolder(dlg, BIF_RETURNONLYFSDIRS, InstallDir, L" Install into folder", L"&New folder",
                     L" Select folder or misplace new", L" Creating of new folder", L"Current folder",
                     L"Enter new folder title", L"&OK", L"&Cancel"))
        SetDlgItemTextW(dlg, CM_EDIT, InstallDir);
}

// The field's folder, exactly as the user named it (UTF-16 to the walk's UTF-8), into the
// run; an empty field becomes the current folder, which the field then shows.
static void OnInstall(HWND dlg, TUnZipRun &ARun)
{
    GetDlgItemTextW(dlg, CM_EDIT, InstallDir, MAX_PATH);
    WCHAR CurrentDir[MAX_PATH + 1] = L"";
    GetCurrentDirectoryW(MAX_PATH, CurrentDir);
    string Folder = Utf8Text(InstallDir);
    int Count = (int)SendDlgItemMessageA(dlg, CM_LIST, LB_GETCOUNT, 0, 0);
    bool Replaced = StartExtraction(ARun, Folder, Utf8Text(CurrentDir), Count);
    WCHAR *Wide = WideText(Folder, CP_UTF8);
    lstrcpynW(InstallDir, Wide, MAX_PATH);
    delete[] Wide;
    if (Replaced) SetDlgItemTextW(dlg, CM_EDIT, InstallDir);
    EnableWindow(GetDlgItem(dlg, CM_EDIT), FALSE);
    EnableWindow(GetDlgItem(dlg, CM_BUT), FALSE);
    EnableWindow(GetDlgItem(dlg, CM_LABEL), FALSE);
    ShowWindow(GetDlgItem(dlg, CM_LABEL_PB), SW_SHOW);
    ShowWindow(GetDlgItem(dlg, CM_PROGRESSBAR), SW_SHOW);
    ARun.Ran = true;
    UnZipFiles(ARun, dlg, CM_LIST, false);
    if (!ARun.Silent) EndDialog(dlg, 1);
}

// Cancel or the close box while files are being written: the run stops after the current
// file when the user says so. Once the files are written there is nothing to stop.
static void AskStop(HWND dlg, TUnZipRun &ARun)
{
    if (ARun.Writing && !ARun.StopAsked &&
        MessageBoxA(dlg, MsgStopInstall, CaptionStopInstall, MB_YESNO | MB_ICONQUESTION) == IDYES)
        ARun.StopAsked = true;
}

int SilentInstall(HINSTANCE AInstance, TUnZipRun &ARun)
{
    // The dialog is made but never shown: its list box holds the work list as in a normal run.
    HWND Dlg = CreateDialogParamW(AInstance, L"MainDialog", 0, InstallDialogProc, (LPARAM)&ARun);
    if (!Dlg) return ExitIncomplete;
    ARun.OverwriteMode = omReplace;   // existing files are replaced (set after WM_INITDIALOG, which resets it)
    Installing = true;
    OnInstall(Dlg, ARun);
    DestroyWindow(Dlg);
    return RunExitCode(ARun);
}

INT_PTR CALLBACK InstallDialogProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dlg, *(TUnZipRun *)lParam);
        return FALSE;
    case WM_PAINT:
        OnPaint();
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case CM_BUT:
            if (!Installing)
                OnChooseFolder(dlg);
            return TRUE;
        case CM_OK:
            // OK stays enabled during the run, and the run dispatches waiting messages:
            // a second click must not start a run inside the running one.
            if (!Installing) {
                Installing = true;
                OnInstall(dlg, RunOf(dlg));
            }
            return TRUE;
        case CM_NO:   // also Esc and the close box
            if (Installing)
                AskStop(dlg, RunOf(dlg));
            else
                EndDialog(dlg, 2);
            return TRUE;
        }
        break;
    }
    return FALSE;
}
