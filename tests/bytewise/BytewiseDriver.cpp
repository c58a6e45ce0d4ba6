// Driver side of the end-to-end tests: process, windows, boxes and clipboard.
#include "BytewiseDriver.h"
#include <stdio.h>

std::string BuiltProgramPath()
{
    return WinPath(BYTEWISE_EXE);
}

std::string WinPath(const std::string &APath)
{
    if (APath.empty() || APath[0] != '/') return APath;
    std::string R = "Z:" + APath;
    for (char &C : R)
        if (C == '/') C = '\\';
    return R;
}

static std::string CharCell(unsigned char AByte)
{
    if (AByte < 33) return "#" + std::to_string(AByte);
    return std::string(1, (char)AByte);
}

std::string ExpectedRow(long APos, unsigned char AByte1, unsigned char AByte2)
{
    char Buf[80];
    snprintf(Buf, sizeof Buf, "%7ld %3u %3u %3s %3s", APos, AByte1, AByte2,
             CharCell(AByte1).c_str(), CharCell(AByte2).c_str());
    return Buf;
}

// ---- the program ----

static int FolderCount;

TBytewise::TBytewise()
{
    ZeroMemory(&Proc, sizeof Proc);
    char Temp[MAX_PATH];
    GetTempPathA(MAX_PATH, Temp);
    Folder = std::string(Temp) + "bwtest_" + std::to_string(GetCurrentProcessId()) + "_" +
             std::to_string(++FolderCount) + "\\";
    CreateDirectoryA(Folder.c_str(), 0);
    CopyFileA(BuiltProgramPath().c_str(), File("Bytewise.exe").c_str(), FALSE);
}

TBytewise::~TBytewise()
{
    if (CmdThread) {
        WaitForSingleObject(CmdThread, 5000);
        CloseHandle(CmdThread);
    }
    if (Proc.hProcess) {
        if (WaitForSingleObject(Proc.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(Proc.hProcess, 1);
            WaitForSingleObject(Proc.hProcess, 5000);
        }
        CloseHandle(Proc.hProcess);
        CloseHandle(Proc.hThread);
    }
    QRemoveTree(Folder.substr(0, Folder.size() - 1));
}

struct TFind {
    DWORD Pid;
    HWND Except;
    std::vector<HWND> Found;
};

static BOOL CALLBACK FindDialogs(HWND W, LPARAM AFind)
{
    TFind *F = (TFind *)AFind;
    DWORD Pid = 0;
    GetWindowThreadProcessId(W, &Pid);
    char Class[32];
    if (Pid == F->Pid && W != F->Except && IsWindowVisible(W) && GetClassNameA(W, Class, sizeof Class) &&
        strcmp(Class, "#32770") == 0)
        F->Found.push_back(W);
    return TRUE;
}

bool TBytewise::Start()
{
    STARTUPINFOA SI;
    ZeroMemory(&SI, sizeof SI);
    SI.cb = sizeof SI;
    std::string Exe = File("Bytewise.exe");
    std::string Cmd = "\"" + Exe + "\"";
    std::string Cwd = WorkDir.empty() ? Folder : WorkDir;
    if (!CreateProcessA(Exe.c_str(), &Cmd[0], 0, 0, FALSE, 0, 0, Cwd.c_str(), &SI, &Proc)) return false;
    WaitForInputIdle(Proc.hProcess, 10000);
    for (int I = 0; I < 200 && !Dlg; I++) {
        TFind F = {Proc.dwProcessId, 0, {}};
        EnumWindows(FindDialogs, (LPARAM)&F);
        if (!F.Found.empty()) Dlg = F.Found[0];
        else Sleep(50);
    }
    if (Dlg) Sync();
    return Dlg != 0;
}

std::string TBytewise::ItemText(int AId, HWND AIn) const
{
    HWND W = GetDlgItem(AIn ? AIn : Dlg, AId);
    if (!W) return "<no control>";
    DWORD_PTR Len = 0;
    SendMessageTimeoutA(W, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &Len);
    std::string S(Len + 1, '\0');
    DWORD_PTR Got = 0;
    SendMessageTimeoutA(W, WM_GETTEXT, S.size(), (LPARAM)&S[0], SMTO_NORMAL, 5000, &Got);
    S.resize(Got);
    return S;
}

void TBytewise::SetItemText(int AId, const std::string &AText)
{
    SendMessageA(GetDlgItem(Dlg, AId), WM_SETTEXT, 0, (LPARAM)AText.c_str());
}

int TBytewise::ListCount() const
{
    return (int)SendMessageA(GetDlgItem(Dlg, 9500), LB_GETCOUNT, 0, 0);
}

struct TCmd {
    HWND Dlg;
    int Id;
};

static DWORD WINAPI SendCommand(LPVOID ACmd)
{
    TCmd *C = (TCmd *)ACmd;
    SendMessageA(C->Dlg, WM_COMMAND, MAKEWPARAM(C->Id, BN_CLICKED), (LPARAM)GetDlgItem(C->Dlg, C->Id));
    delete C;
    return 0;
}

void TBytewise::Command(int AId)
{
    if (CmdThread) {
        WaitForSingleObject(CmdThread, INFINITE);
        CloseHandle(CmdThread);
    }
    CmdThread = CreateThread(0, 0, SendCommand, new TCmd{Dlg, AId}, 0, 0);
}

bool TBytewise::WaitCommand(DWORD AMs)
{
    if (!CmdThread) return true;
    if (WaitForSingleObject(CmdThread, AMs) != WAIT_OBJECT_0) return false;
    CloseHandle(CmdThread);
    CmdThread = 0;
    return true;
}

void TBytewise::Post(int AId)
{
    PostMessageA(Dlg, WM_COMMAND, MAKEWPARAM(AId, BN_CLICKED), (LPARAM)GetDlgItem(Dlg, AId));
}

std::vector<TBox> TBytewise::Boxes() const
{
    TFind F = {Proc.dwProcessId, Dlg, {}};
    EnumWindows(FindDialogs, (LPARAM)&F);
    std::vector<TBox> R;
    for (HWND W : F.Found) {
        TBox B;
        B.Wnd = W;
        char Buf[512] = "";
        GetWindowTextA(W, Buf, sizeof Buf);
        B.Caption = Buf;
        B.Text = GetDlgItem(W, 0xFFFF) ? ItemText(0xFFFF, W) : "";
        R.push_back(B);
    }
    return R;
}

TBox TBytewise::WaitBox(DWORD AMs) const
{
    DWORD Start = GetTickCount();
    for (;;) {
        std::vector<TBox> B = Boxes();
        if (!B.empty()) {
            Sleep(100);           // let the box finish its set-up
            B = Boxes();
            if (!B.empty()) return B[0];
        }
        if (GetTickCount() - Start > AMs) return TBox{0, "", ""};
        Sleep(30);
    }
}

void TBytewise::Answer(const TBox &ABox, int AId) const
{
    PostMessageA(ABox.Wnd, WM_COMMAND, MAKEWPARAM(AId, BN_CLICKED), (LPARAM)GetDlgItem(ABox.Wnd, AId));
    for (int I = 0; I < 200 && IsWindow(ABox.Wnd) && IsWindowVisible(ABox.Wnd); I++) Sleep(20);
}

int TBytewise::WaitExit(DWORD AMs)
{
    if (WaitForSingleObject(Proc.hProcess, AMs) != WAIT_OBJECT_0) return -1;
    DWORD Code = 0;
    GetExitCodeProcess(Proc.hProcess, &Code);
    return (int)Code;
}

void TBytewise::Sync() const
{
    DWORD_PTR R;
    SendMessageTimeoutA(Dlg, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &R);
}

// ---- clipboard ----

std::string ClipboardText()
{
    std::string R;
    for (int I = 0; I < 50 && !OpenClipboard(0); I++) Sleep(20);
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
    for (int I = 0; I < 50 && !OpenClipboard(0); I++) Sleep(20);
    EmptyClipboard();
    HGLOBAL H = GlobalAlloc(GMEM_MOVEABLE, AText.size() + 1);
    char *P = (char *)GlobalLock(H);
    memcpy(P, AText.c_str(), AText.size() + 1);
    GlobalUnlock(H);
    SetClipboardData(CF_TEXT, H);
    CloseClipboard();
}
