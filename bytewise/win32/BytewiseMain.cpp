// BytewiseMain: the main dialog procedure. Each message goes to a small routine of its own;
// the comparing, drawing and settings work lives in the units it calls.
#include "BytewiseMain.h"
#include "BytewiseAnim.h"
#include "BytewiseCompare.h"
#include "BytewiseList.h"
#include "BytewiseRows.h"
#include "BytewiseSettings.h"
#include "BytewiseTexts.h"
#include "QAbout.h"
#include "QConst.h"
#include "QDialog.h"
#include "QDialogFile.h"
#include "QHelp.h"
#include "QSysUtil.h"

HWND MyWin;
HWND hWndList;

static const UINT_PTR AniTimer = 1;

string FieldText(int AId)
{
    HWND W = GetDlgItem(MyWin, AId);
    int Len = GetWindowTextLengthA(W);
    if (Len <= 0) return string();
    string S((size_t)Len, ' ');
    Len = GetWindowTextA(W, S.begin_write(), Len + 1);
    S.resize(Len > 0 ? (size_t)Len : 0);
    return S;
}

void ViewAb()
{
    ViewAbout(MyWin, TextOf(SCProgName), TextOf(SCProgType), TextOf(SCProgDescription),
              TextOf(SCFootNote1), TextOf(SCFootNote2));
}

static void MainInit(HWND ADlg)
{
    CenterWindow(ADlg);
    MyWin = ADlg;
    hWndList = GetDlgItem(ADlg, CM_LIST);
    SetWindowTextA(ADlg, TextOf(SCTitle).c_str());
    // The class icon: title bar and task switcher of every dialog of the program.
    HICON Icon = LoadIconA(GetModuleHandleA(0), "MAINICON");
    SetClassLongPtrA(ADlg, GCLP_HICON, (LONG_PTR)Icon);
    SetDlgItemTextA(ADlg, CM_BUT2, TextOf(SCAboutButton).c_str());
    ReadSysIni();
    MakeListObjects(ADlg);
    AnimReset();
    SetTimer(ADlg, AniTimer, AniPeriod, 0);
}

static void MainTimer()
{
    int Icon = AnimTick();
    HICON H = LoadIconA(GetModuleHandleA(0), MAKEINTRESOURCEA(Icon));
    SendDlgItemMessageA(MyWin, CM_ICON, STM_SETICON, (WPARAM)H, 0);
}

static BOOL MainDrawItem(int ACtl, const DRAWITEMSTRUCT *ADraw)
{
    if (ACtl != CM_LIST) return FALSE;
    PD = ADraw;
    switch (ADraw->itemAction) {
    case ODA_DRAWENTIRE: DrawListItem(dsWhole); break;
    case ODA_SELECT: DrawListItem(dsSelect); break;
    case ODA_FOCUS: DrawListItem(dsFocus); break;
    }
    return TRUE;
}

// ---- the comparison's hooks: the list, the prompt box, the error box ----

static void AddRowToList(void *, const string &ARow)
{
    SendMessageA(hWndList, LB_ADDSTRING, 0, (LPARAM)ARow.c_str());
}

// The list is drawn only while the run waits at a prompt and after it: drawing it (and its
// scroll bar) after every appended row makes a long run many times slower.
static void ListRedraw(bool AOn)
{
    SendMessageA(hWndList, WM_SETREDRAW, AOn, 0);
    if (AOn) InvalidateRect(hWndList, 0, TRUE);
}

static bool GoOnPrompt(void *, int64_t ACount)
{
    ListRedraw(true);
    bool GoOn = AskContinue(MyWin, ACount);
    ListRedraw(false);
    return GoOn;
}

static void ReportFileError(void *, int ACode, const string &)
{
    ShowFileError(MyWin, ACode);
}

static void CompareCommand()
{
    string First = FieldText(CM_EDIT);
    string Second = FieldText(CM_EDIT2);
    SendMessageA(hWndList, LB_RESETCONTENT, 0, 0);
    if (First.empty() || Second.empty()) return;
    TCompareHooks Hooks = {0, AddRowToList, GoOnPrompt, ReportFileError};
    ListRedraw(false);
    bool Ran = CompareFiles(First, Second, Hooks);
    ListRedraw(true);
    if (Ran) SendMessageA(hWndList, LB_SETCURSEL, 0, 0);
}

static void BrowseCommand(int AField, const char *ATitle, const char *AFilter)
{
    string Text = FieldText(AField);
    string Chosen = OpenFileSize(MyWin, ExtractFileName(Text), ExtractFilePath(Text), ATitle,
                                 AFilter, "TXT");
    if (!Chosen.empty()) SetDlgItemTextA(MyWin, AField, Chosen.c_str());
}

static string HelpText;    // stays valid while the viewer shows it

static void HelpCommand()
{
    HelpText = GetTextHelp();
    ViewMiniHelp(MyWin, RGB(128, 0, 128), " Tarvo Description and Help", "Compare File", HelpText.c_str());
}

static BOOL MainCommand(int AId)
{
    switch (AId) {
    case CM_NO:
        WriteSysIni();
        EndDialog(MyWin, CM_NO);
        return TRUE;
    case CM_BUT:
        CompareCommand();
        return TRUE;
    case CM_BUT1:
    case CM_BUT2:
        ViewAb();
        // The About box sets link cursors; the main window gets the plain arrow back.
        SetClassLongPtrA(MyWin, GCLP_HCURSOR, (LONG_PTR)LoadCursorA(0, IDC_ARROW));
        return TRUE;
    case CM_BUT3:
        HelpCommand();
        return TRUE;
    case CM_BUT4:
        BrowseCommand(CM_EDIT, "First file for comparing",
                      "First Compare File (*.exe;*.txt;*.htm)|*.exe;*.txt;*.htm;*.html|Any file|*.*");
        return TRUE;
    case CM_BUT5:
        BrowseCommand(CM_EDIT2, "Second file for comparing",
                      "Second Compare File (*.exe;*.txt;*.htm)|*.exe;*.txt;*.htm;*.html|Any file|*.*");
        return TRUE;
    case CM_BUT7:
        CopyListToClipboard();
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK MainDialogProc(HWND ADlg, UINT AMsg, WPARAM AWParam, LPARAM ALParam)
{
    switch (AMsg) {
    case WM_INITDIALOG:
        MainInit(ADlg);
        return FALSE;    // no initial keyboard focus
    case WM_TIMER:
        MainTimer();
        return TRUE;
    case WM_DRAWITEM:
        return MainDrawItem((int)AWParam, (const DRAWITEMSTRUCT *)ALParam);
    case WM_COMMAND:
        return MainCommand(LOWORD(AWParam));
    case WM_DESTROY:
        KillTimer(ADlg, AniTimer);
        return TRUE;
    }
    return FALSE;
}
