// timed_start: starts a program with its arguments, waits for its end and prints the time
// from its start to its exit, measured as unfurl_walk measures the installer it drives, so
// the install benchmark compares two installers by the same clock.
// Usage: timed_start PROGRAM [ARGUMENTS...]; exits with the program's exit code.
#include <windows.h>
#include <stdio.h>
#include <string>

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: timed_start PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    // Quotes only around words with blanks: some programs read their switches verbatim
    // (NSIS takes "/S" in quotes for no switch at all).
    std::string Cmd;
    for (int I = 1; I < argc; I++) {
        std::string Arg = argv[I];
        if (I > 1) Cmd += ' ';
        Cmd += Arg.find_first_of(" \t") == std::string::npos ? Arg : '"' + Arg + '"';
    }
    STARTUPINFOA Si = {};
    Si.cb = sizeof Si;
    PROCESS_INFORMATION Pi = {};
    LARGE_INTEGER Freq, Begin, End;
    QueryPerformanceFrequency(&Freq);
    QueryPerformanceCounter(&Begin);
    if (!CreateProcessA(argv[1], &Cmd[0], 0, 0, FALSE, 0, 0, 0, &Si, &Pi)) {
        fprintf(stderr, "timed_start: cannot start %s (error %lu)\n", argv[1], GetLastError());
        return 2;
    }
    WaitForSingleObject(Pi.hProcess, INFINITE);
    QueryPerformanceCounter(&End);
    DWORD Code = 1;
    GetExitCodeProcess(Pi.hProcess, &Code);
    CloseHandle(Pi.hThread);
    CloseHandle(Pi.hProcess);
    printf("start to exit: %.0f ms\n",
           (double)(End.QuadPart - Begin.QuadPart) * 1000.0 / (double)Freq.QuadPart);
    return (int)Code;
}
