// UnfurlKeptItems: the progress bar and its label with kept values (see the header).
#include "UnfurlKeptItems.h"

#include <commctrl.h>

#include "QConst.h"

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

void KeepProgress(HWND ADlg, int32_t APos)
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

void KeepLabel(HWND ADlg, const WCHAR *AText)
{
    FindItems(ADlg);
    HWND Label = LabelWnd;
    if (!Label) return;   // (InvalidateRect of no window would repaint the whole screen)
    if (Label == LabelHook.Wnd && lstrlenW(AText) < MAX_PATH + 2) {
        lstrcpyW(LabelText, AText);
        LabelPending = true;
    } else {
        LabelPending = false;
        DefWindowProcW(Label, WM_SETTEXT, 0, (LPARAM)AText);
    }
    LabelDirty = true;
    PaintSoon();
}

