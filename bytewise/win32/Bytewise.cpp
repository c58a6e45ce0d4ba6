// Bytewise: compares two files byte by byte. The program is its main dialog; the process
// ends with it, always with exit code 0.
#include <windows.h>
#include <stdlib.h>
#include "BytewiseMain.h"
#include "BytewiseNames.h"
#include "BytewiseWindow.h"

int WINAPI WinMain(HINSTANCE AInstance, HINSTANCE, LPSTR, int)
{
    // "Bytewise.exe FIRST SECOND": the names reach the dialog's set-up, read from the wide
    // command line (UTF-8 inside the program) so that names in any script stay whole.
    string Line = Utf8Of(GetCommandLineW());
    TCmdNames Names = SplitCommandLine(SkipProgramName(Line.c_str()));
    // A Unicode dialog: its fields hold names beyond the code page.
    DialogBoxParamW(AInstance, L"MainDialog", 0, MainDialogProc, (LPARAM)&Names);
    return 0;
}

// The allocation functions, replaced so that the program carries no exception support: the
// library's operator new throws std::bad_alloc, and linking it brings the unwinder, the
// demangler and the exception runtime (some 150 KB) into a program built without exceptions.
// A failed allocation ends the program with a word instead.
void *operator new(size_t ASize)
{
    void *P = malloc(ASize ? ASize : 1);
    if (!P) FatalAppExitA(0, "Bytewise: out of memory.");
    return P;
}
void *operator new[](size_t ASize) { return operator new(ASize); }
void operator delete(void *P) noexcept { free(P); }
void operator delete[](void *P) noexcept { free(P); }
void operator delete(void *P, size_t) noexcept { free(P); }
void operator delete[](void *P, size_t) noexcept { free(P); }
