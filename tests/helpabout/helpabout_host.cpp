// Test program: opens the help viewer or the About box as a program would, records the
// links the About box opens, and answers the driver's questions about what is on screen
// (pixels, the current cursor, dialog-unit places) through a hidden probe window.
//
//   helpabout_host MODE LINKFILE [HELPFILE]
//   MODE: help, help-empty, about, about-empty, about-twice; with "-owned" added
//   (help-owned, about-owned, ...) the dialog is opened from a program window. HELPFILE: a
//   text the help viewer shows (line ends made CR LF, as the program's own text has them)
//   instead of the long test text.
#include <windows.h>

#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <algorithm>
#include <vector>

#include "HelpAboutProbe.h"
#include "QAbout.h"
#include "QAboutLogic.h"
#include "QHelp.h"

static const char *LinkFile;

// What the first two About boxes showed right after their first paint, and how the first
// one ended.
struct TFirstLook { int Lit = -2, Draws = -2; };
static TFirstLook FirstLook[3];
static int AboutOpenings;
static int ATAtFirstClose = -1, DrawsAtFirstClose = -1;

// The seam: what the About box would give the shell, appended as "file|path|params".
static void RecordLink(const string &AFileName, const string &APath, const string &AParams)
{
    FILE *F = fopen(LinkFile, "ab");
    if (!F)
        return;
    fprintf(F, "%s|%s|%s\n", AFileName.c_str(), APath.c_str(), AParams.c_str());
    fclose(F);
}

// ---- Looking at the screen --------------------------------------------------------------

// The client area of AWin as 0x00RRGGBB pixels, row by row from the top.
struct TShot {
    int W = 0, H = 0;
    std::vector<uint32_t> Px;
    uint32_t At(int X, int Y) const { return Px[(size_t)Y * W + X]; }
};

static TShot Capture(HWND AWin)
{
    TShot S;
    RECT R;
    UpdateWindow(AWin);                       // finish any pending paint first
    GetClientRect(AWin, &R);
    S.W = R.right;
    S.H = R.bottom;
    if (S.W <= 0 || S.H <= 0)
        return S;
    HDC WinDC = GetDC(AWin);
    HDC MemDC = CreateCompatibleDC(WinDC);
    BITMAPINFO BI = {};
    BI.bmiHeader.biSize = sizeof BI.bmiHeader;
    BI.bmiHeader.biWidth = S.W;
    BI.bmiHeader.biHeight = -S.H;
    BI.bmiHeader.biPlanes = 1;
    BI.bmiHeader.biBitCount = 32;
    void *Bits = 0;
    HBITMAP Bmp = CreateDIBSection(WinDC, &BI, DIB_RGB_COLORS, &Bits, 0, 0);
    HGDIOBJ Old = SelectObject(MemDC, Bmp);
    BitBlt(MemDC, 0, 0, S.W, S.H, WinDC, 0, 0, SRCCOPY);
    GdiFlush();
    S.Px.assign((uint32_t *)Bits, (uint32_t *)Bits + (size_t)S.W * S.H);
    for (uint32_t &P : S.Px)
        P &= 0xFFFFFF;
    SelectObject(MemDC, Old);
    DeleteObject(Bmp);
    DeleteDC(MemDC);
    ReleaseDC(AWin, WinDC);
    return S;
}

static uint32_t AsRGB(COLORREF C)             // 0x00BBGGRR to the DIB's 0x00RRGGBB
{
    return (GetRValue(C) << 16) | (GetGValue(C) << 8) | GetBValue(C);
}

// Pixels of AColor inside the rectangle, and their bounding box.
static void Census(const TProbeRequest &Q, TProbeAnswer &A)
{
    TShot S = Capture(Q.Win);
    uint32_t Want = AsRGB(Q.Color);
    A.Count = 0;
    A.Box = {INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int Y = std::max(0, (int)Q.Area.top); Y < std::min(S.H, (int)Q.Area.bottom); Y++)
        for (int X = std::max(0, (int)Q.Area.left); X < std::min(S.W, (int)Q.Area.right); X++)
            if (S.At(X, Y) == Want) {
                A.Count++;
                A.Box.left = std::min(A.Box.left, (LONG)X);
                A.Box.top = std::min(A.Box.top, (LONG)Y);
                A.Box.right = std::max(A.Box.right, (LONG)X + 1);
                A.Box.bottom = std::max(A.Box.bottom, (LONG)Y + 1);
            }
}

// How many draws the generator has made since the program started.
static int DrawsSoFar()
{
    uint32_t S = 0;
    for (int N = 0; N < 100000; N++) {
        if (S == RandSeed)
            return N;
        S = S * 134775813u + 1u;
    }
    return -1;
}

// Which cube shows lit on screen (0 none, -1 more than one or a wrong colour anywhere).
static int LitCubeOnScreen(HWND AWin)
{
    TShot S = Capture(AWin);
    int Lit = 0;
    for (int Row = 0; Row < 3; Row++)
        for (int Col = 0; Col < 3; Col++) {
            int X = CubeLeft + CubePitch * Col, Y = CubeTop + CubePitch * Row;
            uint32_t Face = S.At(X + 4, Y + 4), Shadow = S.At(X + 8, Y + 8);
            if (Shadow != 0x808080)
                return -1;
            if (Face == 0x0000FF) {
                if (Lit != 0 || CubeNumber(Row, Col) == 0)
                    return -1;
                Lit = CubeNumber(Row, Col);
            } else if (Face != AsRGB(CubeColor(Row, Col, 0))) {
                return -1;
            }
        }
    return Lit;
}

// ---- The current cursor --------------------------------------------------------------------

// Hot spot and colour bits of a cursor, to tell copies of one resource from others.
static std::vector<uint8_t> CursorPrint(HCURSOR C)
{
    std::vector<uint8_t> P;
    ICONINFO II;
    if (!C || !GetIconInfo(C, &II))
        return P;
    P.push_back((uint8_t)II.xHotspot);
    P.push_back((uint8_t)II.yHotspot);
    HBITMAP B = II.hbmColor ? II.hbmColor : II.hbmMask;
    BITMAP BM;
    if (GetObjectA(B, sizeof BM, &BM)) {
        BITMAPINFO BI = {};
        BI.bmiHeader.biSize = sizeof BI.bmiHeader;
        BI.bmiHeader.biWidth = BM.bmWidth;
        BI.bmiHeader.biHeight = BM.bmHeight;
        BI.bmiHeader.biPlanes = 1;
        BI.bmiHeader.biBitCount = 32;
        std::vector<uint8_t> Bits((size_t)BM.bmWidth * abs(BM.bmHeight) * 4);
        HDC DC = GetDC(0);
        GetDIBits(DC, B, 0, abs(BM.bmHeight), Bits.data(), &BI, DIB_RGB_COLORS);
        ReleaseDC(0, DC);
        P.insert(P.end(), Bits.begin(), Bits.end());
    }
    if (II.hbmColor) DeleteObject(II.hbmColor);
    if (II.hbmMask) DeleteObject(II.hbmMask);
    return P;
}

static int CurrentCursor()
{
    HCURSOR C = GetCursor();
    if (C == LoadCursorA(0, (LPCSTR)IDC_ARROW))
        return pcArrow;
    std::vector<uint8_t> Now = CursorPrint(C);
    for (int Id : {19700, 19701}) {
        HCURSOR Ref = (HCURSOR)LoadImageA(GetModuleHandleA(0), MAKEINTRESOURCEA(Id), IMAGE_CURSOR,
                                          0, 0, LR_DEFAULTSIZE);
        bool Same = !Now.empty() && CursorPrint(Ref) == Now;
        DestroyCursor(Ref);
        if (Same)
            return Id == 19700 ? pcWeb : pcMail;
    }
    return C ? pcOther : pcNone;
}

// ---- The probe window ------------------------------------------------------------------------

static LRESULT CALLBACK ProbeProc(HWND W, UINT M, WPARAM WP, LPARAM LP)
{
    if (M != WM_COPYDATA)
        return DefWindowProcA(W, M, WP, LP);
    const COPYDATASTRUCT *CD = (const COPYDATASTRUCT *)LP;
    if (CD->cbData != sizeof(TProbeRequest))
        return 0;
    TProbeRequest Q;
    memcpy(&Q, CD->lpData, sizeof Q);
    TProbeAnswer A = {};
    switch (Q.Op) {
    case poCensus:
        Census(Q, A);
        break;
    case poCursor:
        A.Value = CurrentCursor();
        break;
    case poCubes:
        A.Value = LitCubeOnScreen(Q.Win);
        A.Count = DrawsSoFar();
        A.Box.left = AT;
        break;
    case poFirstPaint:
        if (Q.Area.left >= 1 && Q.Area.left <= 2) {
            A.Value = FirstLook[Q.Area.left].Lit;
            A.Count = FirstLook[Q.Area.left].Draws;
        }
        A.Box.top = ATAtFirstClose;
        A.Box.right = DrawsAtFirstClose;
        break;
    case poDialogUnits:
        A.Box = Q.Area;
        MapDialogRect(Q.Win, &A.Box);
        break;
    }
    // The answer goes back through a file the driver names: WM_COPYDATA carries one way.
    FILE *F = fopen(Q.AnswerFile, "wb");
    if (F) {
        fwrite(&A, sizeof A, 1, F);
        fclose(F);
    }
    return 1;
}

// Watches the About box: counts the openings and, through a subclass of each box, looks
// at the cubes as soon as the box has painted itself for the first time.
static WNDPROC AboutOriginalProc;

static LRESULT CALLBACK AboutSubclass(HWND W, UINT M, WPARAM WP, LPARAM LP)
{
    LRESULT R = CallWindowProcA(AboutOriginalProc, W, M, WP, LP);
    if (M == WM_PAINT && AboutOpenings <= 2 && FirstLook[AboutOpenings].Lit == -2) {
        FirstLook[AboutOpenings].Lit = LitCubeOnScreen(W);
        FirstLook[AboutOpenings].Draws = DrawsSoFar();
    }
    return R;
}

static LRESULT CALLBACK WatchAbout(int ACode, WPARAM AWParam, LPARAM ALParam)
{
    const CWPRETSTRUCT *M = (const CWPRETSTRUCT *)ALParam;
    if (ACode == HC_ACTION && M->message == WM_INITDIALOG) {
        char Caption[32] = "";
        GetWindowTextA(M->hwnd, Caption, sizeof Caption);
        if (strcmp(Caption, "  About program") == 0) {
            AboutOpenings++;
            AboutOriginalProc = (WNDPROC)SetWindowLongPtrA(M->hwnd, GWLP_WNDPROC, (LONG_PTR)AboutSubclass);
        }
    }
    return CallNextHookEx(0, ACode, AWParam, ALParam);
}

static void MakeProbe()
{
    SetWindowsHookExA(WH_CALLWNDPROCRET, WatchAbout, 0, GetCurrentThreadId());
    WNDCLASSA WC = {};
    WC.lpfnWndProc = ProbeProc;
    WC.hInstance = GetModuleHandleA(0);
    WC.lpszClassName = ProbeClass;
    RegisterClassA(&WC);
    CreateWindowA(ProbeClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, 0, WC.hInstance, 0);
}

// ---- The dialogs as a program opens them ---------------------------------------------------------

static const char *HelpFile = 0;

static string LongHelp()
{
    string T;
    if (FILE *F = HelpFile ? fopen(HelpFile, "rb") : 0) {
        for (int C; (C = fgetc(F)) != EOF;) {
            if (C == '\r') continue;
            if (C == '\n') T += '\r';
            T += (char)C;
        }
        fclose(F);
        while (T.length() >= 2 && T[T.length() - 1] == '\n') T = T.substr(0, T.length() - 2);
        return T;
    }
    for (int I = 1; I <= 60; I++) {
        if (I > 1)
            T += "\r\n";
        char Line[100];
        sprintf(Line, "Line %d of the help text: press the keys, read the rows.", I);
        T += Line;
    }
    return T;
}

static void ShowAbout(HWND AOwner, bool AEmpty)
{
    if (AEmpty)
        ViewAbout(AOwner, "", "Freeware", "Compares two files byte by byte.", "", "");
    else
        ViewAbout(AOwner, "Bytewise 1.0", "Freeware", "Compares two files byte by byte.",
                  "Use it freely; keep this notice with copies.", "Made with care.");
}

// The "-owned" modes open the dialog from a small program window, as Bytewise does from
// its main window (the owner stays hidden behind the dialog).
static string OwnedMode;

static void ShowDialog(const string &AMode, HWND AOwner);

static LRESULT CALLBACK OwnerProc(HWND W, UINT M, WPARAM WP, LPARAM LP)
{
    if (M == WM_TIMER) {
        KillTimer(W, 1);
        ShowDialog(OwnedMode, W);
        DestroyWindow(W);
        return 0;
    }
    if (M == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(W, M, WP, LP);
}

static void RunOwned(const string &AMode)
{
    OwnedMode = AMode;
    WNDCLASSA WC = {};
    WC.lpfnWndProc = OwnerProc;
    WC.hInstance = GetModuleHandleA(0);
    WC.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    WC.lpszClassName = "QHelpAboutOwner";
    RegisterClassA(&WC);
    int W = 120, H = 80;
    HWND O = CreateWindowA(WC.lpszClassName, "Owner", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE,
                           (GetSystemMetrics(SM_CXSCREEN) - W) / 2, (GetSystemMetrics(SM_CYSCREEN) - H) / 3,
                           W, H, 0, 0, WC.hInstance, 0);
    SetTimer(O, 1, 300, 0);
    MSG Msg;
    while (GetMessageA(&Msg, 0, 0, 0) > 0) {
        TranslateMessage(&Msg);
        DispatchMessageA(&Msg);
    }
}

static void ShowDialog(const string &Mode, HWND AOwner)
{
    if (Mode == "help") {
        string Text = LongHelp();
        ViewMiniHelp(AOwner, RGB(128, 0, 128), " Tarvo Description and Help", "Compare File", Text.c_str());
    } else if (Mode == "help-empty") {
        ViewMiniHelp(AOwner, RGB(128, 0, 128), " Tarvo Description and Help", "", "");
    } else if (Mode == "about" || Mode == "about-empty") {
        ShowAbout(AOwner, Mode == "about-empty");
    } else if (Mode == "about-twice") {
        ShowAbout(AOwner, false);
        ATAtFirstClose = AT;
        DrawsAtFirstClose = DrawsSoFar();
        ShowAbout(AOwner, false);
    }
}

int main(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    LinkFile = argv[2];
    if (argc > 3) HelpFile = argv[3];
    AboutOpenLink = RecordLink;
    MakeProbe();
    string Mode = argv[1];
    size_t Dash = Mode.rfind('-');
    if (Dash != string::npos && Mode.substr(Dash) == "-owned")
        RunOwned(Mode.substr(0, Dash));
    else
        ShowDialog(Mode, 0);
    return 0;
}
