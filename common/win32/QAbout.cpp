// QAbout: the maker's About box (dialog "ABOUT").
#include "QAbout.h"

#include "QAboutLogic.h"
#include "QConst.h"
#include "QDialog.h"
#include "QFont.h"
#include "QSysUtil.h"

// The maker's fixed lines and link targets.
static const char AboutLogo[] = "    TARVO";
static const char AboutRights[] = "(C) Tarvo Workshop. All rights reserved.";
static const char AboutWebText[] = "www.tarvo.test";
static const char AboutMailText[] = "desk@tarvo.test";
static const char AboutTrademark[] = "TARVO is a trademark of Tarvo Workshop.";
static const char AboutLocation[] = "Tarvo Workshop, 1 Harbour Lane, Northbay";
static const char AboutWebTarget[] = "http://www.tarvo.test/";
static const char AboutMailTarget[] = "mailto:desk@tarvo.test";

enum { AboutCursorWeb = 19700, AboutCursorMail = 19701 };

TAboutOpenLink AboutOpenLink = RunExec;

// The five texts of the caller (program name, type, description, two footnotes).
static string AS1, AS2, AS3, AS4, AS5;
static int NumEnd;

// Drawing objects and cursors, made on each opening and released when the box closes.
enum { afLogo, afName, afType, afText, afLink, AboutFontCount };
static HFONT AboutFonts[AboutFontCount];
static HBRUSH AboutBlueBrush;
static HPEN AboutWhitePen, AboutGreyPen;
static HCURSOR AboutArrow, AboutWebCursor, AboutMailCursor;

// ---- Set-up and teardown ------------------------------------------------------------------

static void AboutMakeFonts(HWND AWin)
{
    static const struct { int Points, Weight; bool Underline; int Escapement; } Specs[AboutFontCount] = {
        {26, FW_BOLD, true, 0},       // logo word
        {14, FW_BOLD, false, 900},    // program name, upwards in the band
        {8, FW_BOLD, false, 900},     // program type, upwards in the band
        {8, FW_NORMAL, false, 0},     // credit lines
        {8, FW_BOLD, true, 0},        // the two links
    };
    LOGFONTA Base;
    HDC DC = GetDC(AWin);
    int Resolution = GetDeviceCaps(DC, LOGPIXELSY);
    GetObjectA(GetCurrentObject(DC, OBJ_FONT), sizeof Base, &Base);
    ReleaseDC(AWin, DC);
    for (int I = 0; I < AboutFontCount; I++) {
        LOGFONTA F = Base;
        SetFontDesc(&F, "Arial", Specs[I].Points, Resolution, Specs[I].Weight);
        F.lfEscapement = Specs[I].Escapement;
        F.lfOrientation = Specs[I].Escapement;
        F.lfUnderline = Specs[I].Underline;
        F.lfQuality = PROOF_QUALITY;
        AboutFonts[I] = CreateFontIndirectA(&F);
    }
}

static HCURSOR AboutLoadCursor(int AId)
{
    // A private copy (not shared), so that it can be destroyed when the box closes.
    return (HCURSOR)LoadImageA(GetModuleHandleA(0), MAKEINTRESOURCEA(AId), IMAGE_CURSOR, 0, 0,
                               LR_DEFAULTSIZE);
}

// All three buttons are default buttons in the template, and the dialog manager would
// send Enter to the last of them even while it is hidden; Enter presses the shown OK,
// or "... &me !" while the pair is up.
static void AboutShowGameButtons(HWND DlgWin, bool APair)
{
    ShowWindow(GetDlgItem(DlgWin, CM_OK), APair ? SW_HIDE : SW_SHOW);
    ShowWindow(GetDlgItem(DlgWin, CM_BUT1), APair ? SW_SHOW : SW_HIDE);
    ShowWindow(GetDlgItem(DlgWin, CM_BUT), APair ? SW_SHOW : SW_HIDE);
    SendMessageA(DlgWin, DM_SETDEFID, APair ? CM_BUT : CM_OK, 0);
}

static void AboutOnInit(HWND DlgWin)
{
    CenterWindow(DlgWin);
    AboutArrow = LoadCursorA(0, (LPCSTR)IDC_ARROW);
    AboutWebCursor = AboutLoadCursor(AboutCursorWeb);
    AboutMailCursor = AboutLoadCursor(AboutCursorMail);
    SetCursor(AboutArrow);
    AboutShowGameButtons(DlgWin, false);      // hides 3 and 4
    AboutMakeFonts(DlgWin);
    AboutBlueBrush = CreateSolidBrush(RGB(0, 0, 255));
    AboutWhitePen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    AboutGreyPen = CreatePen(PS_SOLID, 1, RGB(128, 128, 128));
    SetTimer(DlgWin, 1, 500, 0);
    NumEnd = 0;
}

static void AboutOnDestroy(HWND DlgWin)
{
    KillTimer(DlgWin, 1);
    // The link cursor may be showing (a link was clicked): leave the arrow before
    // destroying it.
    SetCursor(AboutArrow);
    if (AboutWebCursor) DestroyCursor(AboutWebCursor);
    if (AboutMailCursor) DestroyCursor(AboutMailCursor);
    AboutWebCursor = AboutMailCursor = 0;
    for (HFONT &F : AboutFonts) {
        if (F) DeleteObject(F);
        F = 0;
    }
    if (AboutBlueBrush) DeleteObject(AboutBlueBrush);
    if (AboutWhitePen) DeleteObject(AboutWhitePen);
    if (AboutGreyPen) DeleteObject(AboutGreyPen);
    AboutBlueBrush = 0;
    AboutWhitePen = AboutGreyPen = 0;
}

// ---- Painting ------------------------------------------------------------------------------

// An 8 x 8 square from (X, Y), right and bottom exclusive.
static void Cube(HDC DC, int X, int Y, COLORREF AColor)
{
    HBRUSH B = CreateSolidBrush(AColor);
    HRGN R = CreateRectRgn(X, Y, X + CubeSize, Y + CubeSize);
    FillRgn(DC, R, B);
    DeleteObject(R);
    DeleteObject(B);
}

// The logo grid row by row: the row's three grey shadows one pixel down and right first,
// then its three cubes over them.
static void PaintCubes(HDC DC)
{
    for (int Row = 0; Row < 3; Row++) {
        int Y = CubeTop + CubePitch * Row;
        for (int Col = 0; Col < 3; Col++)
            Cube(DC, CubeLeft + CubePitch * Col + 1, Y + 1, RGB(128, 128, 128));
        for (int Col = 0; Col < 3; Col++)
            Cube(DC, CubeLeft + CubePitch * Col, Y, CubeColor(Row, Col, AT));
    }
}

static void AboutTextLine(HDC DC, int AFont, COLORREF AColor, int ALeft, int ATop,
                          const char *AText, int ALen, UINT AFormat)
{
    RECT R = {ALeft, ATop, 290, ATop + 86};
    SelectObject(DC, AboutFonts[AFont]);
    SetTextColor(DC, AColor);
    DrawTextA(DC, AText, ALen, &R, AFormat);
}

static void AboutPaint(HWND DlgWin, HDC DC)
{
    RECT C;
    GetClientRect(DlgWin, &C);
    int OldMode = SetBkMode(DC, TRANSPARENT);
    HGDIOBJ OldFont = GetCurrentObject(DC, OBJ_FONT);
    HGDIOBJ OldPen = GetCurrentObject(DC, OBJ_PEN);

    PaintCubes(DC);

    // Sunken frame: grey on the left and top, white on the right and bottom.
    SelectObject(DC, AboutGreyPen);
    MoveToEx(DC, 5, C.bottom - 40, 0);
    LineTo(DC, 5, C.top + 5);
    LineTo(DC, C.right - 5, C.top + 5);
    SelectObject(DC, AboutWhitePen);
    LineTo(DC, C.right - 5, C.bottom - 40);
    LineTo(DC, 5, C.bottom - 40);

    RECT Band = {C.left + 6, C.top + 6, 52, C.bottom - 40};
    FillRect(DC, &Band, AboutBlueBrush);

    SelectObject(DC, AboutFonts[afLogo]);
    SetTextColor(DC, RGB(128, 128, 128));
    TextOutA(DC, 101, 8, AboutLogo, sizeof AboutLogo - 1);
    SetTextColor(DC, RGB(0, 0, 128));
    TextOutA(DC, 100, 6, AboutLogo, sizeof AboutLogo - 1);

    const COLORREF Black = RGB(0, 0, 0), DarkRed = RGB(128, 0, 0), LinkBlue = RGB(0, 0, 225);
    AboutTextLine(DC, afText, Black, 60, 54, AS3.c_str(), (int)AS3.length(), DT_CENTER);
    AboutTextLine(DC, afText, Black, 60, 70, AboutRights, -1, DT_CENTER);
    AboutTextLine(DC, afLink, LinkBlue, 70, 86, AboutWebText, -1, DT_LEFT);
    AboutTextLine(DC, afLink, LinkBlue, 190, 86, AboutMailText, -1, DT_LEFT);
    AboutTextLine(DC, afText, Black, 60, 102, AboutTrademark, -1, DT_CENTER);
    AboutTextLine(DC, afText, Black, 60, 118, AboutLocation, -1, DT_CENTER);
    AboutTextLine(DC, afText, DarkRed, 60, 134, AS4.c_str(), (int)AS4.length(), DT_CENTER);
    AboutTextLine(DC, afText, DarkRed, 60, 150, AS5.c_str(), (int)AS5.length(), DT_CENTER);

    // The program's name upwards in the band, outlined: four light copies around the
    // dark red one.
    static const POINT Outline[4] = {{6, 159}, {8, 160}, {8, 158}, {10, 159}};
    SelectObject(DC, AboutFonts[afName]);
    SetTextColor(DC, RGB(255, 255, 225));
    for (const POINT &P : Outline)
        TextOutA(DC, P.x, P.y, AS1.c_str(), (int)AS1.length());
    SetTextColor(DC, DarkRed);
    TextOutA(DC, 8, 159, AS1.c_str(), (int)AS1.length());

    SelectObject(DC, AboutFonts[afType]);
    SetTextColor(DC, RGB(255, 255, 225));
    TextOutA(DC, 35, 62, AS2.c_str(), (int)AS2.length());

    SelectObject(DC, OldFont);
    SelectObject(DC, OldPen);
    SetBkMode(DC, OldMode);
}

static void AboutOnPaint(HWND DlgWin)
{
    PAINTSTRUCT PS;
    BeginPaint(DlgWin, &PS);
    AboutPaint(DlgWin, PS.hdc);
    EndPaint(DlgWin, &PS);
}

static void AboutOnTimer(HWND DlgWin)
{
    NextLitCube();
    HDC DC = GetDC(DlgWin);
    PaintCubes(DC);
    ReleaseDC(DlgWin, DC);
}

// ---- Mouse ---------------------------------------------------------------------------------

static TAboutLink AboutLinkAtMessage(LPARAM ALParam)
{
    return AboutLinkAt((short)LOWORD(ALParam), (short)HIWORD(ALParam));
}

static HCURSOR AboutCursorFor(TAboutLink ALink)
{
    switch (ALink) {
    case alWeb: return AboutWebCursor;
    case alMail: return AboutMailCursor;
    default: return AboutArrow;
    }
}

static void AboutOnClick(HWND DlgWin, LPARAM ALParam)
{
    switch (AboutLinkAtMessage(ALParam)) {
    case alWeb:
        AboutOpenLink(AboutWebTarget, "", "");
        EndDialog(DlgWin, CM_OK);
        break;
    case alMail:
        AboutOpenLink(AboutMailTarget, "", "");
        EndDialog(DlgWin, CM_OK);
        break;
    default:
        break;
    }
}

static void AboutOnCommand(HWND DlgWin, int AId)
{
    switch (AboutGameCommand(NumEnd, AId)) {
    case gaClose:
        EndDialog(DlgWin, AId);
        break;
    case gaShowPair:
        AboutShowGameButtons(DlgWin, true);
        break;
    case gaShowOk:
        AboutShowGameButtons(DlgWin, false);
        break;
    case gaNone:
        break;
    }
}

INT_PTR CALLBACK AboutDialogProc(HWND DlgWin, UINT DlgMessage, WPARAM DlgWParam, LPARAM DlgLParam)
{
    switch (DlgMessage) {
    case WM_INITDIALOG:
        AboutOnInit(DlgWin);
        break;
    case WM_DESTROY:
        AboutOnDestroy(DlgWin);
        break;
    case WM_TIMER:
        AboutOnTimer(DlgWin);
        break;
    case WM_PAINT:
        AboutOnPaint(DlgWin);
        break;
    case WM_MOUSEMOVE:
        SetCursor(AboutCursorFor(AboutLinkAtMessage(DlgLParam)));
        break;
    case WM_SETCURSOR:
        // Over the dialog's own client area the cursor is chosen here as well, so that
        // the class cursor does not flash in between mouse moves.
        if ((HWND)DlgWParam == DlgWin && LOWORD(DlgLParam) == HTCLIENT) {
            POINT P;
            GetCursorPos(&P);
            ScreenToClient(DlgWin, &P);
            SetCursor(AboutCursorFor(AboutLinkAt(P.x, P.y)));
            SetWindowLongPtrA(DlgWin, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
        AboutOnClick(DlgWin, DlgLParam);
        break;
    case WM_COMMAND:
        AboutOnCommand(DlgWin, LOWORD(DlgWParam));
        break;
    }
    return 0;
}

void ViewAbout(HWND AWin, const string &AProgName, const string &AProgType,
               const string &AProgDescription, const string &AFootNote1,
               const string &AFootNote2)
{
    AS1 = AProgName;
    AS2 = AProgType;
    AS3 = AProgDescription;
    AS4 = AFootNote1;
    AS5 = AFootNote2;
    DialogBoxParamA(GetModuleHandleA(0), "ABOUT", AWin, AboutDialogProc, 0);
}
