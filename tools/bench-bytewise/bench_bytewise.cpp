// bench_bytewise: the real Bytewise.exe against the read floor, on the same two files.
//   bench_bytewise BYTEWISE.EXE FIRST SECOND [ROUNDS]
// Floor: this program reads both files in step, in blocks of the program's size (60,000
//   bytes), front to back, as the comparison does, and nothing else.
// Bytewise: the program is started, its name fields filled; the time runs from the
//   "Compare file" command to the notice the run ends with (identical files: " Notice!").
//   The progress line and Stop show during the run as they do for a user.
// Prints the best of ROUNDS (default 5) of each, alternating, and the ratio.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

static const DWORD Block = 60000;
static const int IdFirst = 9400, IdSecond = 9402, IdList = 9500, CmdCompare = 3, CmdCancel = 2;

static double Now()
{
    static LARGE_INTEGER Freq;
    if (!Freq.QuadPart) QueryPerformanceFrequency(&Freq);
    LARGE_INTEGER T;
    QueryPerformanceCounter(&T);
    return (double)T.QuadPart / (double)Freq.QuadPart;
}

static double ReadFloor(const wchar_t *A, const wchar_t *B)
{
    double T0 = Now();
    HANDLE H1 = CreateFileW(A, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, 0);
    HANDLE H2 = CreateFileW(B, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, 0);
    if (H1 == INVALID_HANDLE_VALUE || H2 == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "cannot open the files\n");
        exit(1);
    }
    char *Buf = (char *)malloc(2 * Block);
    DWORD Got1 = 0, Got2 = 0;
    do {
        if (!ReadFile(H1, Buf, Block, &Got1, 0) || !ReadFile(H2, Buf + Block, Block, &Got2, 0)) break;
    } while (Got1 == Block && Got2 == Block);
    free(Buf);
    CloseHandle(H1);
    CloseHandle(H2);
    return Now() - T0;
}

struct TFind {
    DWORD Pid;
    const wchar_t *Caption;   // 0: the window that holds the result list
    HWND Found;
};

static BOOL CALLBACK FindOne(HWND W, LPARAM AFind)
{
    TFind &F = *(TFind *)AFind;
    DWORD Pid = 0;
    GetWindowThreadProcessId(W, &Pid);
    if (Pid != F.Pid || !IsWindowVisible(W)) return TRUE;
    wchar_t Text[64] = L"";
    if (F.Caption ? GetWindowTextW(W, Text, 64) && lstrcmpW(Text, F.Caption) == 0 : GetDlgItem(W, IdList) != 0) {
        F.Found = W;
        return FALSE;
    }
    return TRUE;
}

static HWND FindOf(DWORD APid, const wchar_t *ACaption)
{
    TFind F = {APid, ACaption, 0};
    EnumWindows(FindOne, (LPARAM)&F);
    return F.Found;
}

static double BytewiseRun(const wchar_t *AExe, const wchar_t *A, const wchar_t *B)
{
    STARTUPINFOW Si = {};
    Si.cb = sizeof Si;
    PROCESS_INFORMATION Pi;
    wchar_t Line[1024];
    wsprintfW(Line, L"\"%s\"", AExe);
    if (!CreateProcessW(AExe, Line, 0, 0, FALSE, 0, 0, 0, &Si, &Pi)) {
        fprintf(stderr, "cannot start Bytewise\n");
        exit(1);
    }
    WaitForInputIdle(Pi.hProcess, 10000);
    HWND Dlg = 0;
    for (int I = 0; I < 400 && !Dlg; I++)
        if (!(Dlg = FindOf(Pi.dwProcessId, 0))) Sleep(25);
    if (!Dlg) {
        fprintf(stderr, "no Bytewise window\n");
        exit(1);
    }
    SendMessageW(GetDlgItem(Dlg, IdFirst), WM_SETTEXT, 0, (LPARAM)A);
    SendMessageW(GetDlgItem(Dlg, IdSecond), WM_SETTEXT, 0, (LPARAM)B);
    double T0 = Now();
    PostMessageW(Dlg, WM_COMMAND, MAKEWPARAM(CmdCompare, BN_CLICKED), (LPARAM)GetDlgItem(Dlg, CmdCompare));
    HWND Box = 0;
    // The notice is looked for every 2 ms by its caption (one server request per look).
    while (!(Box = FindWindowExW(0, 0, L"#32770", L" Notice!"))) Sleep(2);
    double T = Now() - T0;
    PostMessageW(Box, WM_COMMAND, IDOK, 0);
    Sleep(100);
    PostMessageW(Dlg, WM_COMMAND, MAKEWPARAM(CmdCancel, BN_CLICKED), 0);
    if (WaitForSingleObject(Pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(Pi.hProcess, 1);
    CloseHandle(Pi.hProcess);
    CloseHandle(Pi.hThread);
    return T;
}

int wmain(int argc, wchar_t **argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: bench_bytewise BYTEWISE.EXE FIRST SECOND [ROUNDS]\n");
        return 2;
    }
    int Rounds = argc > 4 ? _wtoi(argv[4]) : 5;
    double BestFloor = 1e9, BestRun = 1e9;
    ReadFloor(argv[2], argv[3]);    // both files into the cache
    for (int R = 0; R < Rounds; R++) {
        // Alternating order: a busy moment of the shared machine hits both alike.
        double F, B;
        if (R % 2) {
            B = BytewiseRun(argv[1], argv[2], argv[3]);
            F = ReadFloor(argv[2], argv[3]);
        } else {
            F = ReadFloor(argv[2], argv[3]);
            B = BytewiseRun(argv[1], argv[2], argv[3]);
        }
        printf("round %d: read floor %8.1f ms   Bytewise %8.1f ms\n", R + 1, F * 1000, B * 1000);
        if (F < BestFloor) BestFloor = F;
        if (B < BestRun) BestRun = B;
    }
    printf("best of %d: read floor %8.1f ms   Bytewise run %8.1f ms   ratio %.2f\n", Rounds,
           BestFloor * 1000, BestRun * 1000, BestRun / BestFloor);
    return 0;
}
