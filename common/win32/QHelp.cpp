// QHelp: the mini help viewer (dialog "HELPVIEW").
#include "QHelp.h"

#include "QConst.h"
#include "QDialog.h"
#include "QFont.h"
#include "QHelpLogic.h"

// What ViewMiniHelp hands to the dialog procedure; one viewer at a time.
static const char *HelpCaption;
static const char *HelpName;
static size_t HelpNameLen;
static const char *HelpText;
static COLORREF HelpColor;
static HWND HelpWin;              // the open viewer, for painting
static LOGFONTA HelpLogFont;      // kept between openings; the title font is built from it
static HFONT HelpTitleFont;       // made on each opening, released when the viewer closes
static TAnim HelpAnim;

// The 26-point bold Arial of the title, measured on the client area's device context.
static void HelpMakeTitleFont(HWND AWin)
{
    HDC DC = GetDC(AWin);
    int Resolution = GetDeviceCaps(DC, LOGPIXELSY);
    GetObjectA(GetCurrentObject(DC, OBJ_FONT), sizeof HelpLogFont, &HelpLogFont);
    ReleaseDC(AWin, DC);
    TitleFontDesc(&HelpLogFont, Resolution);
    HelpTitleFont = CreateFontIndirectA(&HelpLogFont);
}

// The name three times: white highlight, grey shadow, then the caller's colour between
// them. The rectangles share their right and bottom edges, so each copy is centred a
// little to the right of the one before.
static void HelpPaintTitle(HDC DC)
{
    static const RECT Passes[3] = {{50, 9, 390, 54}, {53, 11, 390, 54}, {51, 10, 390, 54}};
    HGDIOBJ OldFont = SelectObject(DC, HelpTitleFont);
    DrawEmbossedText(DC, HelpName, (int)HelpNameLen, Passes, HelpColor);
    SelectObject(DC, OldFont);
}

static void HelpOnInit(HWND DlgWin)
{
    CenterWindow(DlgWin);
    SetWindowTextA(DlgWin, HelpCaption);
    HelpWin = DlgWin;
    HelpMakeTitleFont(DlgWin);
    SetDlgItemTextA(DlgWin, CM_EDIT, HelpText);
    SetFocus(GetDlgItem(DlgWin, CM_NO));
    HelpAnimStart(HelpAnim);
    SetTimer(DlgWin, 1, 110, 0);
}

static void HelpOnTimer(HWND DlgWin)
{
    int Icon = AnimTick(HelpAnim);
    HICON H = LoadIconA(GetModuleHandleA(0), MAKEINTRESOURCEA(Icon));
    SendDlgItemMessageA(DlgWin, CM_ICON1, STM_SETICON, (WPARAM)H, 0);
}

static void HelpOnPaint(HWND DlgWin)
{
    PAINTSTRUCT PS;
    BeginPaint(DlgWin, &PS);
    HelpPaintTitle(PS.hdc);
    EndPaint(DlgWin, &PS);
}

static void HelpOnDestroy(HWND DlgWin)
{
    KillTimer(DlgWin, 1);
    if (HelpTitleFont) {
        DeleteObject(HelpTitleFont);
        HelpTitleFont = 0;
    }
    HelpWin = 0;
}

INT_PTR CALLBACK HelpDialogProc(HWND DlgWin, UINT DlgMessage, WPARAM DlgWParam, LPARAM DlgLParam)
{
    (void)DlgLParam;
    switch (DlgMessage) {
    case WM_INITDIALOG:
        HelpOnInit(DlgWin);
        return FALSE;                        // the focus set on Cancel stays
    case WM_TIMER:
        HelpOnTimer(DlgWin);
        return TRUE;
    case WM_PAINT:
        HelpOnPaint(DlgWin);
        return FALSE;
    case WM_DESTROY:
        HelpOnDestroy(DlgWin);
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(DlgWParam)) {
        case CM_OK:
        case CM_NO:                          // Cancel, Escape, the close box
            EndDialog(DlgWin, LOWORD(DlgWParam));
            return TRUE;
        case CM_BUT1:
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

void ViewMiniHelp(HWND AWin, COLORREF AColor, const string &ACaption, const string &AName,
                  const char *AText)
{
    HelpCaption = ACaption.c_str();
    HelpName = AName.c_str();
    HelpNameLen = AName.length();
    HelpText = AText ? AText : "";
    HelpColor = AColor;
    DialogBoxParamA(GetModuleHandleA(0), "HELPVIEW", AWin, HelpDialogProc, 0);
    HelpCaption = HelpName = HelpText = 0;
}
