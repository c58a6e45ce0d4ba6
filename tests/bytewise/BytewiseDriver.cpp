// Bytewise's additions to the test bench: see BytewiseDriver.h.
#include "BytewiseDriver.h"
#include <gtest/gtest.h>
#include <stdio.h>

std::string BuiltProgramPath() { return WinPath(BYTEWISE_EXE); }

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

static int FolderCount;

TBytewise::TBytewise()
{
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
    End();    // before the folder goes: the running copy holds its file
    QRemoveTree(Folder.substr(0, Folder.size() - 1));
}

bool TBytewise::Start(const std::string &AArgs)
{
    if (!TProgram::Start(File("Bytewise.exe"), WorkDir.empty() ? Folder : WorkDir, 0, AArgs))
        return false;
    WaitForInputIdle(Pi.hProcess, 10000);
    // The main window is the dialog that holds the table: names on the command line start a
    // comparison at once, and its boxes may show first.
    for (int I = 0; I < 200 && !Dlg; I++) {
        for (HWND W : Dialogs())
            if (GetDlgItem(W, IdList)) Dlg = W;
        if (!Dlg) Sleep(50);
    }
    if (Dlg) Sync();
    return Dlg != 0;
}

int TBytewise::ListCount() const
{
    return (int)SendMessageA(GetDlgItem(Dlg, IdList), LB_GETCOUNT, 0, 0);
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

std::vector<TBox> TBytewise::Boxes() const
{
    std::vector<TBox> R;
    for (HWND W : Dialogs(Dlg)) R.push_back(TBox{W, Caption(W), BoxText(W)});
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
    Press(ABox.Wnd, AId);
    for (int I = 0; I < 200 && IsWindow(ABox.Wnd) && IsWindowVisible(ABox.Wnd); I++) Sleep(20);
}

std::vector<std::string> TBytewise::RunAnswering(int AId, const std::vector<int> &AAnswers)
{
    std::vector<std::string> Seen;
    Command(AId);
    while (!WaitCommand(20)) {
        if (Boxes().empty()) continue;
        TBox B = WaitBox(1000);
        if (!B.Wnd) continue;
        EXPECT_EQ(GetWindow(B.Wnd, GW_OWNER), Dlg) << B.Caption;
        Answer(B, Seen.size() < AAnswers.size() ? AAnswers[Seen.size()] : IDOK);
        Seen.push_back(B.Caption + "|" + B.Text);
    }
    return Seen;
}

bool SparseFile(const std::string &AName, long long ASize, const std::vector<long long> &APositions,
                char AByte)
{
    HANDLE H = CreateFileA(AName.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    if (H == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER At;
    At.QuadPart = ASize;
    bool Ok = SetFilePointerEx(H, At, 0, FILE_BEGIN) && SetEndOfFile(H);
    for (long long P : APositions) {
        At.QuadPart = P;
        DWORD Put = 0;
        Ok = Ok && SetFilePointerEx(H, At, 0, FILE_BEGIN) && WriteFile(H, &AByte, 1, &Put, 0) && Put == 1;
    }
    CloseHandle(H);
    return Ok;
}
