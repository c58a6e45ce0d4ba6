// BytewiseMain: the main dialog procedure. Each message goes to a small routine of its own;
// the comparing, drawing and settings work lives in the units it calls.
#include "BytewiseMain.h"
#include "BytewiseAnim.h"
#include "BytewiseCompare.h"
#include "BytewiseList.h"
#include "BytewiseNames.h"
#include "BytewiseNotice.h"
#include "BytewiseProgress.h"
#include "BytewiseRows.h"
#include "BytewiseSettings.h"
#include "BytewiseTexts.h"
#include "BytewiseWindow.h"
#include "QAbout.h"
#include "QConst.h"
#include "QDialog.h"
#include "QDialogFileLogic.h"
#include "QHelp.h"
#include "QIni.h"
#include "QSysUtil.h"
#include <commdlg.h>
#include <shellapi.h>
#include <stdlib.h>

static const UINT_PTR AniTimer = 1;
// The state of a run (see "a run" below).
static bool Running;       // a run is on
static bool StopAsked;     // Esc, Stop, Alt+F4 or the close box during the run
static TProgressPace Pace;
static HWND StopButton;    // CM_BUT6, shown while a long run reads
static HWND FocusBefore;   // the focus the run took for the Stop button

static TAnim Anim;    // the icon animation's counters

void ViewAb()
{
    ViewAbout(MyWin, TextOf(SCProgName), TextOf(SCProgType), TextOf(SCProgDescription),
              TextOf(SCFootNote1), TextOf(SCFootNote2));
}

// Messages the window posts to itself: the usage box and the command line's run come once
// the window is up and painted.
enum { WM_SHOWUSAGE = WM_APP + 1, WM_STARTRUN = WM_APP + 2 };

// Names given on the command line replace the remembered ones, made absolute at once (the
// current folder is the one the program started in); with two of them the comparison starts
// as soon as the window has painted. A third name or "/?" shows the usage instead.
static void TakeCommandLine(const TCmdNames *ANames)
{
    if (!ANames || ANames->Count == 0) return;
    if (ANames->Usage) {
        PostMessageW(MyWin, WM_SHOWUSAGE, 0, 0);
        return;
    }
    SetFieldText(CM_EDIT, FullName(ANames->First));
    if (ANames->Count < 2) return;
    SetFieldText(CM_EDIT2, FullName(ANames->Second));
    PostMessageW(MyWin, WM_STARTRUN, 0, 0);
}

static void MainInit(HWND ADlg, const TCmdNames *ANames)
{
    CenterWindow(ADlg);
    MyWin = ADlg;
    hWndList = GetDlgItem(ADlg, CM_LIST);
    StopButton = GetDlgItem(ADlg, CM_BUT6);
    QMessageBoxProc = MessageBoxUtf8;    // names in the boxes are UTF-8
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

// ---- a run: the list, the prompt box, the error box, progress and Stop ----

// The run reads in this thread. Between blocks it looks at the window's messages every
// PumpEvery ms (BytewiseProgress): the window paints, its icon turns, and Esc, the Stop
// button or the close box ask the run to stop. Keys and clicks meant for anything else are
// dropped then and at the run's end, so that none of them acts after the run.

static void AddRowToList(void *, const string &ARow)
{
    SendMessageA(hWndList, LB_ADDSTRING, 0, (LPARAM)ARow.c_str());
}

// The list is drawn only at the progress updates, while the run waits at a prompt and after
// it: drawing it (and its scroll bar) after every appended row makes a long run many times
// slower.
static void ListRedraw(bool AOn)
{
    SendMessageA(hWndList, WM_SETREDRAW, AOn, 0);
    if (AOn) InvalidateRect(hWndList, 0, TRUE);
}

// The hourglass while a run reads (a box of the run shows the arrow over it meanwhile; the
// Stop button shows the arrow); answers the cursor it replaced.
static HCURSOR BusyCursor()
{
    return SetCursor(LoadCursorA(0, IDC_WAIT));
}

static bool RunInput(const MSG &M)
{
    return (M.message >= WM_KEYFIRST && M.message <= WM_KEYLAST) ||
           (M.message >= WM_MOUSEFIRST && M.message <= WM_MOUSELAST);
}

// The window's messages while the run reads. Esc and Alt+F4 ask to stop; keys and clicks
// reach the Stop button only; the rest (painting, timers, the title bar) goes on as usual.
static void PumpRun()
{
    MSG M;
    while (PeekMessageW(&M, 0, 0, 0, PM_REMOVE)) {
        if (M.message == WM_QUIT) {
            PostQuitMessage((int)M.wParam);
            StopAsked = true;
            return;
        }
        if ((M.message == WM_KEYDOWN && M.wParam == VK_ESCAPE) ||
            (M.message == WM_SYSKEYDOWN && M.wParam == VK_F4)) {
            StopAsked = true;
            continue;
        }
        if (RunInput(M) && M.hwnd != StopButton) continue;
        if (!IsDialogMessageW(MyWin, &M)) {
            TranslateMessage(&M);
            DispatchMessageW(&M);
        }
    }
}

// Keys and clicks still queued when the run ends were meant for it.
static void DropRunInput()
{
    MSG M;
    while (PeekMessageW(&M, 0, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
    while (PeekMessageW(&M, 0, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
}

static bool RunProgress(void *, int64_t ACompared, int64_t ATotal)
{
    int Due = PaceStep(Pace, GetTickCount());
    if (Due & psShowFirst) {
        ShowWindow(StopButton, SW_SHOW);
        FocusBefore = GetFocus();
        SendMessageW(MyWin, WM_NEXTDLGCTL, (WPARAM)StopButton, TRUE);
    }
    if (Due & psShow) {
        SetFieldText(CM_LABEL1, ProgressText(ACompared, ATotal));
        ListRedraw(true);
        UpdateWindow(hWndList);
        ListRedraw(false);
    }
    if (Due & psPump) PumpRun();
    return !StopAsked;
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

// A name of a field made absolute where it is given, so that the run, the settings and a
// later run read the same file whatever folder is current then; the field shows it.
static string FieldName(int AId)
{
    string Name = FieldText(AId);
    string Full = FullName(Name);
    if (Full != Name) SetFieldText(AId, Full);
    return Full;
}

static void CompareCommand()
{
    string First = FieldName(CM_EDIT);
    string Second = FieldName(CM_EDIT2);
    SendMessageA(hWndList, LB_RESETCONTENT, 0, 0);
    SetFieldText(CM_LABEL1, string());
    if (First.empty() || Second.empty()) return;
    TCompareHooks Hooks = {0, AddRowToList, GoOnPrompt, ReportFileError, RunProgress};
    TCompareResult Result;
    Running = true;
    StopAsked = false;
    FocusBefore = 0;
    PaceStart(Pace, GetTickCount());
    HCURSOR Old = BusyCursor();
    ListRedraw(false);
    bool Ran = CompareFiles(First, Second, Hooks, Result);
    DropRunInput();
    Running = false;
    ShowWindow(StopButton, SW_HIDE);
    if (FocusBefore) SendMessageW(MyWin, WM_NEXTDLGCTL, (WPARAM)FocusBefore, TRUE);
    ListRedraw(true);
    SetCursor(Old);
    SetFieldText(CM_LABEL1, SummaryText(Result));
    if (Ran) SendMessageA(hWndList, LB_SETCURSEL, 0, 0);
    ShowNotice(MyWin, Result);
}

// The cursor while a run is on: the hourglass, the arrow over Stop.
static BOOL RunCursor(HWND AOver)
{
    if (!Running) return FALSE;
    SetCursor(LoadCursorA(0, AOver == StopButton ? IDC_ARROW : IDC_WAIT));
    SetWindowLongPtrW(MyWin, DWLP_MSGRESULT, TRUE);
    return TRUE;
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
    UINT Len = DragQueryFileW(ADrop, (UINT)AIndex, 0, 0);
    WCHAR *Buf = (WCHAR *)malloc(((size_t)Len + 1) * sizeof(WCHAR));
    if (!Buf) return string();
    Len = DragQueryFileW(ADrop, (UINT)AIndex, Buf, Len + 1);
    string Name = Utf8Of(Buf, (int)Len);
    free(Buf);
    return Name;
}

static void MainDropFiles(HDROP ADrop)
{
    if (Running) {    // the names of a run stay until it ends
        DragFinish(ADrop);
        return;
    }
    POINT Pt = {0, 0};
    DragQueryPoint(ADrop, &Pt);
    int Count = (int)DragQueryFileW(ADrop, 0xFFFFFFFF, 0, 0);
    TDropPlan Plan = PlanDrop(Count, DropSpotAt(Pt), FieldText(CM_EDIT).empty(), FieldText(CM_EDIT2).empty());
    if (Plan.First >= 0) SetFieldText(CM_EDIT, DroppedName(ADrop, Plan.First));
    if (Plan.Second >= 0) SetFieldText(CM_EDIT2, DroppedName(ADrop, Plan.Second));
    DragFinish(ADrop);
}

// The chooser through the wide API. OFN_NOCHANGEDIR: the current folder stays where it was,
// so that names typed or given relative keep meaning the same files.
static string ChooseFile(const string &AName, const string &AFolder, const char *ATitle, const char *AFilter)
{
    WCHAR FileBuf[MAX_PATH + 2];
    ZeroMemory(FileBuf, sizeof FileBuf);
    TWide Name(AName), Folder(AFolder), Title(ATitle), Filter(AllocFilterStr(AFilter)), Ext("TXT");
    if (Name.Text && lstrlenW(Name.Text) < MAX_PATH) lstrcpyW(FileBuf, Name.Text);
    OPENFILENAMEW R;
    ZeroMemory(&R, sizeof R);
    R.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    R.hwndOwner = MyWin;
    R.hInstance = GetModuleHandleW(0);
    R.lpstrFilter = Filter.Text;
    R.nFilterIndex = 1;
    R.lpstrFile = FileBuf;
    R.nMaxFile = MAX_PATH;
    R.lpstrInitialDir = AFolder.empty() ? 0 : Folder.Text;
    R.lpstrTitle = Title.Text;
    R.Flags = FileSizeFlags | OFN_NOCHANGEDIR;
    R.lpstrDefExt = Ext.Text;
    if (!GetOpenFileNameW(&R)) return string();
    FileBuf[MAX_PATH] = 0;
    return Utf8Of(FileBuf);
}

static void BrowseCommand(int AField, const char *ATitle, const char *AFilter)
{
    // An empty field opens the chooser in the program's folder.
    string Text = FieldText(AField);
    string Folder = Text.empty() ? ProgramFolder() : ExtractFilePath(Text);
    string Chosen = ChooseFile(ExtractFileName(Text), Folder, ATitle, AFilter);
    if (!Chosen.empty()) SetFieldText(AField, Chosen);
}

static string HelpText;    // stays valid while the viewer shows it

static void HelpCommand()
{
    HelpText = GetTextHelp();
    ViewMiniHelp(MyWin, RGB(128, 0, 128), " Tarvo Description and Help", "Compare File", HelpText.c_str());
}

static BOOL MainCommand(int AId)
{
    if (Running) {
        // Stop, Esc and the close box (both IDCANCEL) stop the run; nothing else acts.
        if (AId == CM_BUT6 || AId == CM_NO) StopAsked = true;
        return TRUE;
    }
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
    case WM_SETCURSOR:
        return RunCursor((HWND)AWParam);
    case WM_SHOWUSAGE:
        QMessageBox(ADlg, UsageText, "Bytewise", qmbOK | qmbIconInformation);
        return TRUE;
    case WM_STARTRUN:
        // The window is up: paint it whole before the run takes the thread.
        RedrawWindow(ADlg, 0, 0, RDW_UPDATENOW | RDW_ALLCHILDREN);
        CompareCommand();
        return TRUE;
    case WM_DESTROY:
        KillTimer(ADlg, AniTimer);
        return TRUE;
    }
    return FALSE;
}
