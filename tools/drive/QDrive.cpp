// QDrive: working another program's windows (see QDrive.h).
#include "QDrive.h"

#include <stdio.h>
#include <string.h>

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
    FILE *Out = fopen(AName.c_str(), "wb");
    if (!Out) return false;
    bool Ok = fwrite(F.data(), 1, F.size(), Out) == F.size();
    return fclose(Out) == 0 && Ok;
}
