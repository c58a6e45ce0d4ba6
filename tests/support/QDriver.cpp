// The test bench's driver: see QDriver.h.
#include "QDriver.h"

#include <string.h>

#include "QTestFiles.h"

// ---- Paths and files ------------------------------------------------------------------

std::string WinPath(const std::string &APath)
{
    if (APath.empty() || APath[0] != '/') return APath;
    std::string R = "Z:" + APath;
    for (char &C : R)
        if (C == '/') C = '\\';
    return R;
}

static DWORD Attributes(const std::string &AName) { return GetFileAttributesA(AName.c_str()); }

bool IsFile(const std::string &AName)
{
    DWORD A = Attributes(AName);
    return A != INVALID_FILE_ATTRIBUTES && !(A & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(const std::string &AName)
{
    DWORD A = Attributes(AName);
    return A != INVALID_FILE_ATTRIBUTES && (A & FILE_ATTRIBUTE_DIRECTORY);
}

void MakeFolders(const std::string &AName)
{
    for (size_t I = 3; I <= AName.size(); I++)
        if (I == AName.size() || AName[I] == '\\') CreateDirectoryA(AName.substr(0, I).c_str(), 0);
}

uint32_t FileDosTime(const std::string &AName)
{
    WIN32_FILE_ATTRIBUTE_DATA D;
    if (!GetFileAttributesExA(AName.c_str(), GetFileExInfoStandard, &D)) return 0;
    FILETIME Local;
    WORD Date = 0, Time = 0;
    FileTimeToLocalFileTime(&D.ftLastWriteTime, &Local);
    FileTimeToDosDateTime(&Local, &Date, &Time);
    return (uint32_t)Date << 16 | Time;
}

// ---- A program under test -------------------------------------------------------------

bool TProgram::Start(const std::string &AExe, const std::string &ACurDir, DWORD AFlags,
                     const std::string &AArgs)
{
    STARTUPINFOA Si = {};
    Si.cb = sizeof Si;
    std::string Cmd = "\"" + AExe + "\"" + (AArgs.empty() ? "" : " " + AArgs);
    // Wine has refused, once in a whole test run, to start an installer the test had just
    // written: another try a moment later.
    for (int Try = 0; Try < 3; Try++) {
        std::string Line = Cmd;
        if (CreateProcessA(AExe.c_str(), &Line[0], 0, 0, FALSE, AFlags, 0,
                           ACurDir.empty() ? 0 : ACurDir.c_str(), &Si, &Pi))
            return true;
        Sleep(300);
    }
    return false;
}

static bool OfProcess(HWND W, DWORD APid)
{
    DWORD Pid = 0;
    GetWindowThreadProcessId(W, &Pid);
    return Pid == APid;
}

// FindWindowEx narrows the search to dialogs with the caption in the window server, so a
// poll costs a few round trips rather than several for every top-level window (the install
// benchmark polls while the installer works).
HWND TProgram::FindWindowOf(const char *ACaption) const
{
    HWND W = 0;
    while ((W = FindWindowExA(0, W, "#32770", ACaption)) != 0)
        if (OfProcess(W, Pi.dwProcessId) && IsWindowVisible(W) && Caption(W) == ACaption) return W;
    return 0;
}

HWND TProgram::WaitWindow(const char *ACaption, int AMs) const
{
    for (int T = 0; T < AMs; T += 20) {
        HWND W = FindWindowOf(ACaption);
        if (W) return W;
        if (!Running()) return 0;
        Sleep(20);
    }
    return 0;
}

struct TFind {
    DWORD Pid;
    HWND Except;
    std::vector<HWND> Found;
};

static BOOL CALLBACK FindDialogs(HWND W, LPARAM AFind)
{
    TFind *F = (TFind *)AFind;
    char Class[32];
    if (W != F->Except && OfProcess(W, F->Pid) && IsWindowVisible(W) &&
        GetClassNameA(W, Class, sizeof Class) && strcmp(Class, "#32770") == 0)
        F->Found.push_back(W);
    return TRUE;
}

std::vector<HWND> TProgram::Dialogs(HWND AExcept) const
{
    TFind F = {Pi.dwProcessId, AExcept, {}};
    EnumWindows(FindDialogs, (LPARAM)&F);
    return F.Found;
}

struct TVisible {
    DWORD Pid;
    bool Found;
};

static BOOL CALLBACK FindVisible(HWND W, LPARAM AFind)
{
    TVisible *F = (TVisible *)AFind;
    if (OfProcess(W, F->Pid) && IsWindowVisible(W)) F->Found = true;
    return !F->Found;
}

bool TProgram::AnyVisibleWindow() const
{
    TVisible F = {Pi.dwProcessId, false};
    EnumWindows(FindVisible, (LPARAM)&F);
    return F.Found;
}

bool TProgram::Running() const
{
    return Pi.hProcess && WaitForSingleObject(Pi.hProcess, 0) == WAIT_TIMEOUT;
}

int TProgram::WaitExit(int AMs)
{
    if (!Pi.hProcess) return -1;
    if (WaitForSingleObject(Pi.hProcess, AMs) != WAIT_OBJECT_0) {
        TerminateProcess(Pi.hProcess, 99);
        WaitForSingleObject(Pi.hProcess, 5000);
        return -1;
    }
    DWORD Code = 0;
    GetExitCodeProcess(Pi.hProcess, &Code);
    return (int)Code;
}

void TProgram::End()
{
    if (!Pi.hProcess) return;
    if (Running()) {
        TerminateProcess(Pi.hProcess, 99);
        WaitForSingleObject(Pi.hProcess, 5000);
    }
    CloseHandle(Pi.hProcess);
    CloseHandle(Pi.hThread);
    Pi = PROCESS_INFORMATION();
}

// ---- Dialog items and message boxes ---------------------------------------------------

// Through SendMessageTimeout: a program that hangs fails the test instead of stopping it.
std::string ItemText(HWND ADlg, int AId)
{
    HWND W = GetDlgItem(ADlg, AId);
    if (!W) return "<no control>";
    DWORD_PTR Len = 0;
    SendMessageTimeoutA(W, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &Len);
    std::string S(Len + 1, '\0');
    DWORD_PTR Got = 0;
    SendMessageTimeoutA(W, WM_GETTEXT, S.size(), (LPARAM)&S[0], SMTO_NORMAL, 5000, &Got);
    S.resize(Got);
    return S;
}

void SetItemText(HWND ADlg, int AId, const std::string &AText)
{
    SendMessageA(GetDlgItem(ADlg, AId), WM_SETTEXT, 0, (LPARAM)AText.c_str());
}

void Press(HWND ADlg, int AId)
{
    PostMessageA(ADlg, WM_COMMAND, MAKEWPARAM(AId, BN_CLICKED), (LPARAM)GetDlgItem(ADlg, AId));
}

std::string Caption(HWND AWnd)
{
    char Buf[512] = "";
    GetWindowTextA(AWnd, Buf, sizeof Buf);
    return Buf;
}

std::string BoxText(HWND ABox)
{
    return GetDlgItem(ABox, 0xFFFF) ? ItemText(ABox, 0xFFFF) : std::string();
}

// The icon static AControl shows, compared by its pixels on the screen with AIcon drawn by
// this process on the same background: icon handles of another process mean nothing here.
static bool ShowsIcon(HWND AControl, HICON AIcon)
{
    TPicture Shown;
    if (!CaptureWindow(AControl, Shown) || Shown.Width < 2 || Shown.Height < 2) return false;
    TPicture Drawn = Shown;
    HDC Screen = GetDC(0);
    HDC Mem = CreateCompatibleDC(Screen);
    BITMAPINFO Bi = {};
    Bi.bmiHeader.biSize = sizeof Bi.bmiHeader;
    Bi.bmiHeader.biWidth = Shown.Width;
    Bi.bmiHeader.biHeight = -Shown.Height;
    Bi.bmiHeader.biPlanes = 1;
    Bi.bmiHeader.biBitCount = 32;
    void *Bits = 0;
    HBITMAP Bmp = CreateDIBSection(Mem, &Bi, DIB_RGB_COLORS, &Bits, 0, 0);
    HGDIOBJ Old = SelectObject(Mem, Bmp);
    uint32_t Background = Shown.At(0, 0);   // a corner the icon leaves transparent
    for (size_t I = 0; I < Drawn.Pixels.size(); I++) ((uint32_t *)Bits)[I] = Background;
    DrawIconEx(Mem, 0, 0, AIcon, 0, 0, 0, 0, DI_NORMAL);
    GdiFlush();
    for (size_t I = 0; I < Drawn.Pixels.size(); I++) Drawn.Pixels[I] = ((uint32_t *)Bits)[I] & 0xFFFFFF;
    SelectObject(Mem, Old);
    DeleteObject(Bmp);
    DeleteDC(Mem);
    ReleaseDC(0, Screen);
    return Drawn.Pixels == Shown.Pixels;
}

bool HasStopIcon(HWND ABox)
{
    HICON Hand = LoadIconA(0, (LPCSTR)IDI_HAND);
    for (HWND C = GetWindow(ABox, GW_CHILD); C; C = GetWindow(C, GW_HWNDNEXT)) {
        char Class[32];
        GetClassNameA(C, Class, sizeof Class);
        if (lstrcmpiA(Class, "Static") != 0 || (GetWindowLongA(C, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
            continue;
        if ((HICON)SendMessageA(C, STM_GETICON, 0, 0) == Hand) return true;   // this process's box
        return ShowsIcon(C, Hand);
    }
    return false;
}

void Sync(HWND AWnd)
{
    DWORD_PTR R;
    SendMessageTimeoutA(AWnd, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &R);
}

// ---- Input as a person gives it -------------------------------------------------------

void Key(WORD AVk)
{
    INPUT In[2] = {};
    In[0].type = In[1].type = INPUT_KEYBOARD;
    In[0].ki.wVk = In[1].ki.wVk = AVk;
    In[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, In, sizeof In[0]);
    Sleep(150);
}

// The X server may report an older place for a moment after a warp, so wait until the
// system agrees on the new one.
POINT MoveTo(HWND AWin, int X, int Y)
{
    POINT P = {X, Y};
    ClientToScreen(AWin, &P);
    for (int I = 0; I < 20; I++) {
        SetCursorPos(P.x, P.y);
        Sleep(60);
        POINT Now;
        GetCursorPos(&Now);
        if (Now.x == P.x && Now.y == P.y) break;
    }
    Sleep(60);
    return P;
}

// Moving and pressing travel in one input, so the press cannot land on an older place.
bool Click(HWND AWin, int X, int Y, bool ARight)
{
    POINT P = MoveTo(AWin, X, Y);
    int W = GetSystemMetrics(SM_CXSCREEN), H = GetSystemMetrics(SM_CYSCREEN);
    INPUT In[2] = {};
    for (INPUT &I : In) {
        I.type = INPUT_MOUSE;
        I.mi.dx = (P.x * 65536 + W - 1) / W;
        I.mi.dy = (P.y * 65536 + H - 1) / H;
    }
    In[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE |
                       (ARight ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
    In[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE |
                       (ARight ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
    SendInput(2, In, sizeof In[0]);
    Sleep(150);
    POINT Now;
    GetCursorPos(&Now);
    return Now.x == P.x && Now.y == P.y;
}

bool ClickControl(HWND ADlg, int AId)
{
    RECT R;
    GetWindowRect(GetDlgItem(ADlg, AId), &R);
    POINT P = {(R.left + R.right) / 2, (R.top + R.bottom) / 2};
    ScreenToClient(ADlg, &P);
    return Click(ADlg, P.x, P.y);
}

// ---- Clipboard ------------------------------------------------------------------------

// Another program may hold the clipboard for a moment: try for a second.
static bool OpenTheClipboard()
{
    for (int I = 0; I < 50; I++) {
        if (OpenClipboard(0)) return true;
        Sleep(20);
    }
    return false;
}

std::string ClipboardText()
{
    std::string R;
    if (!OpenTheClipboard()) return R;
    HANDLE H = GetClipboardData(CF_TEXT);
    if (H) {
        const char *P = (const char *)GlobalLock(H);
        if (P) R = P;
        GlobalUnlock(H);
    }
    CloseClipboard();
    return R;
}

void PutClipboard(const std::string &AText)
{
    if (!OpenTheClipboard()) return;
    EmptyClipboard();
    HGLOBAL H = GlobalAlloc(GMEM_MOVEABLE, AText.size() + 1);
    char *P = (char *)GlobalLock(H);
    memcpy(P, AText.c_str(), AText.size() + 1);
    GlobalUnlock(H);
    SetClipboardData(CF_TEXT, H);
    CloseClipboard();
}

// ---- Pictures -------------------------------------------------------------------------

bool CaptureWindow(HWND AWnd, TPicture &APicture, bool AWholeScreen)
{
    RECT R;
    if (AWholeScreen) {
        R.left = R.top = 0;
        R.right = GetSystemMetrics(SM_CXSCREEN);
        R.bottom = GetSystemMetrics(SM_CYSCREEN);
    } else if (!GetWindowRect(AWnd, &R))
        return false;
    int W = R.right - R.left, H = R.bottom - R.top;
    if (W <= 0 || H <= 0) return false;
    HDC Screen = GetDC(0);
    HDC Mem = CreateCompatibleDC(Screen);
    BITMAPINFO Bi = {};
    Bi.bmiHeader.biSize = sizeof Bi.bmiHeader;
    Bi.bmiHeader.biWidth = W;
    Bi.bmiHeader.biHeight = -H;     // top-down
    Bi.bmiHeader.biPlanes = 1;
    Bi.bmiHeader.biBitCount = 32;
    void *Bits = 0;
    HBITMAP Bmp = CreateDIBSection(Mem, &Bi, DIB_RGB_COLORS, &Bits, 0, 0);
    HGDIOBJ Old = SelectObject(Mem, Bmp);
    bool Ok = BitBlt(Mem, 0, 0, W, H, Screen, R.left, R.top, SRCCOPY) != 0;
    GdiFlush();
    APicture.Width = W;
    APicture.Height = H;
    APicture.Pixels.assign((const uint32_t *)Bits, (const uint32_t *)Bits + (size_t)W * H);
    for (uint32_t &P : APicture.Pixels) P &= 0xFFFFFF;
    SelectObject(Mem, Old);
    DeleteObject(Bmp);
    DeleteDC(Mem);
    ReleaseDC(0, Screen);
    return Ok;
}

static void Put16(std::string &S, uint32_t V) { S += (char)(V & 255); S += (char)(V >> 8 & 255); }
static void Put32(std::string &S, uint32_t V) { Put16(S, V & 0xFFFF); Put16(S, V >> 16); }

bool SaveBitmap(const TPicture &APicture, const std::string &AName)
{
    int W = APicture.Width, H = APicture.Height, Stride = (W * 3 + 3) & ~3;
    std::string F = "BM";
    Put32(F, 54 + Stride * H);
    Put32(F, 0);
    Put32(F, 54);            // pixels after the two headers
    Put32(F, 40);
    Put32(F, W);
    Put32(F, H);             // bottom-up rows
    Put16(F, 1);
    Put16(F, 24);
    Put32(F, 0);
    Put32(F, Stride * H);
    Put32(F, 2835);          // 72 dpi
    Put32(F, 2835);
    Put32(F, 0);
    Put32(F, 0);
    for (int Y = H - 1; Y >= 0; Y--) {
        std::string Row;
        for (int X = 0; X < W; X++) {
            uint32_t P = APicture.At(X, Y);
            Row += (char)(P & 255);
            Row += (char)(P >> 8 & 255);
            Row += (char)(P >> 16 & 255);
        }
        Row.resize(Stride, 0);
        F += Row;
    }
    return QWriteFile(AName, F);
}

int CountColor(const TPicture &APicture, uint32_t ARgb, int X0, int Y0, int X1, int Y1)
{
    int N = 0;
    for (int Y = Y0 < 0 ? 0 : Y0; Y < Y1 && Y < APicture.Height; Y++)
        for (int X = X0 < 0 ? 0 : X0; X < X1 && X < APicture.Width; X++)
            if (APicture.At(X, Y) == ARgb) N++;
    return N;
}

std::string ShotDir()
{
    char Buf[MAX_PATH] = "";
    DWORD N = GetEnvironmentVariableA("UNFURL_SHOTS", Buf, sizeof Buf);
    return N && N < sizeof Buf ? std::string(Buf) : std::string();
}
