// BytewiseMain: the main dialog procedure. Each message goes to a small routine of its own;
// the comparing, drawing and settings work lives in the units it calls.
#include "BytewiseMain.h"
#include "BytewiseAnim.h"
#include "BytewiseCompare.h"
#include "BytewiseList.h"
#include "BytewiseNames.h"
#include "BytewiseNotice.h"
#include "BytewiseRows.h"
#include "BytewiseSettings.h"
#include "BytewiseTexts.h"
#include "BytewiseWindow.h"
#include "QAbout.h"
#include "QConst.h"
#include "QDialog.h"
#include "QDialogFile.h"
#include "QHelp.h"
#include "QIni.h"
#include "QSysUtil.h"
#include <shellapi.h>

static const UINT_PTR AniTimer = 1;
static TAnim Anim;    // the icon animation's counters

void ViewAb()
{
    ViewAbout(MyWin, TextOf(SCProgName), TextOf(SCProgType), TextOf(SCProgDescription),
              TextOf(SCFootNote1), TextOf(SCFootNote2));
}

// Names given on the command line replace the remembered ones; with two of them the
// comparison starts as soon as the window is up.
static void TakeCommandLine(const TCmdNames *ANames)
{
    if (!ANames || ANames->Count == 0) return;
    SetDlgItemTextA(MyWin, CM_EDIT, ANames->First.c_str());
    if (ANames->Count < 2) return;
    SetDlgItemTextA(MyWin, CM_EDIT2, ANames->Second.c_str());
    PostMessageA(MyWin, WM_COMMAND, MAKEWPARAM(CM_BUT, BN_CLICKED), (LPARAM)GetDlgItem(MyWin, CM_BUT));
}

static void MainInit(HWND ADlg, const TCmdNames *ANames)
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
    TakeCommandLine(ANames);
    DragAcceptFiles(ADlg, TRUE);
    MakeListObjects(ADlg);
    BytewiseAnimStart(Anim);
    SetTimer(ADlg, AniTimer, AniPeriod, 0);
}

static void MainTimer()
{
    int Icon = AnimTick(Anim);
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

// The hourglass while a run reads (a box of the run shows the arrow over it meanwhile);
// answers the cursor it replaced.
static HCURSOR BusyCursor()
{
    return SetCursor(LoadCursorA(0, IDC_WAIT));
}

static bool GoOnPrompt(void *, int64_t ACount)
{
    ListRedraw(true);
    bool GoOn = AskContinue(MyWin, ACount);
    ListRedraw(false);
    BusyCursor();
    return GoOn;
}

static void ReportFileError(void *, int ACode, const string &AName)
{
    ShowFileError(MyWin, ACode, AName);
    BusyCursor();
}

static void CompareCommand()
{
    string First = FieldText(CM_EDIT);
    string Second = FieldText(CM_EDIT2);
    SendMessageA(hWndList, LB_RESETCONTENT, 0, 0);
    if (First.empty() || Second.empty()) return;
    TCompareHooks Hooks = {0, AddRowToList, GoOnPrompt, ReportFileError};
    TCompareResult Result;
    HCURSOR Old = BusyCursor();
    ListRedraw(false);
    bool Ran = CompareFiles(First, Second, Hooks, Result);
    ListRedraw(true);
    SetCursor(Old);
    if (Ran) SendMessageA(hWndList, LB_SETCURSEL, 0, 0);
    ShowNotice(MyWin, Result);
}

// The name frame (group box with its field and "..." button) under a client point.
static TDropSpot DropSpotAt(POINT APt)
{
    const struct { int Frame; TDropSpot Spot; } Frames[] = {{CM_GROUP2, dpFirst}, {CM_GROUP3, dpSecond}};
    for (const auto &F : Frames) {
        RECT R;
        GetWindowRect(GetDlgItem(MyWin, F.Frame), &R);
        MapWindowPoints(0, MyWin, (POINT *)&R, 2);
        if (PtInRect(&R, APt)) return F.Spot;
    }
    return dpOther;
}

static string DroppedName(HDROP ADrop, int AIndex)
{
    UINT Len = DragQueryFileA(ADrop, (UINT)AIndex, 0, 0);
    string Name((size_t)Len, ' ');
    Len = DragQueryFileA(ADrop, (UINT)AIndex, Name.begin_write(), Len + 1);
    Name.resize(Len);
    return Name;
}

static void MainDropFiles(HDROP ADrop)
{
    POINT Pt = {0, 0};
    DragQueryPoint(ADrop, &Pt);
    int Count = (int)DragQueryFileA(ADrop, 0xFFFFFFFF, 0, 0);
    TDropPlan Plan = PlanDrop(Count, DropSpotAt(Pt), FieldText(CM_EDIT).empty(), FieldText(CM_EDIT2).empty());
    if (Plan.First >= 0) SetDlgItemTextA(MyWin, CM_EDIT, DroppedName(ADrop, Plan.First).c_str());
    if (Plan.Second >= 0) SetDlgItemTextA(MyWin, CM_EDIT2, DroppedName(ADrop, Plan.Second).c_str());
    DragFinish(ADrop);
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
        if (!WriteSysIni()) ShowSettingsNotSaved(MyWin, FIniFile);
        EndDialog(MyWin, CM_NO);
        return TRUE;
    case CM_BUT:
        CompareCommand();
        return TRUE;
    case CM_BUT1:
    case CM_BUT2:
        ViewAb();
        // The About box picks its link cursors with SetCursor only. This window shares the
        // dialog class (and so the class cursor) with the box; the arrow as class cursor makes
        // the first mouse move over this window after the box closes show the arrow again.
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
        if (!CopyListToClipboard()) ShowClipboardFailed(MyWin);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK MainDialogProc(HWND ADlg, UINT AMsg, WPARAM AWParam, LPARAM ALParam)
{
    switch (AMsg) {
    case WM_INITDIALOG:
        MainInit(ADlg, (const TCmdNames *)ALParam);
        return FALSE;    // no initial keyboard focus
    case WM_TIMER:
        MainTimer();
        return TRUE;
    case WM_DRAWITEM:
        return MainDrawItem((int)AWParam, (const DRAWITEMSTRUCT *)ALParam);
    case WM_COMMAND:
        return MainCommand(LOWORD(AWParam));
    case WM_DROPFILES:
        MainDropFiles((HDROP)AWParam);
        return TRUE;
    case WM_DESTROY:
        KillTimer(ADlg, AniTimer);
        return TRUE;
    }
    return FALSE;
}
