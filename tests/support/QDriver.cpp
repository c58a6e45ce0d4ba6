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
