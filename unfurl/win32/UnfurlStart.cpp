// UnfurlStart: the installer's process entry, in place of the C runtime's start-up code.
// The image is linked without start files (-nostartfiles, unfurl/program.cmake): they bring
// argument globbing, TLS callbacks, a runtime relocator, a signal-based exception filter and
// their unwind tables, 10 KB that a one-thread dialog program never uses (the system's
// msvcrt.dll sets itself up when it loads). What the program does need is here: the global
// constructors, atexit's list, wWinMain's command tail and the exit code.
#include <windows.h>
#include <stdlib.h>

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR lpCmdLine, int);

typedef void (*TStartFunc)(void);

// The linker's list of constructors (.ctors): a count or -1, the functions, a zero.
extern "C" TStartFunc __CTOR_LIST__[];

// The destructors of global objects, registered by their constructors. The installer has a
// handful; one more than fits is refused, as the C standard lets atexit do.
static TStartFunc ExitFuncs[32];
static int ExitCount = 0;

extern "C" int __cdecl atexit(TStartFunc AFunc)
{
    if (ExitCount == (int)(sizeof ExitFuncs / sizeof ExitFuncs[0]))
        return -1;
    ExitFuncs[ExitCount++] = AFunc;
    return 0;
}

// Constructors run from the end of the list to its start, as GCC's own start-up runs them.
static void RunConstructors()
{
    int Count = 0;
    while (__CTOR_LIST__[Count + 1])
        Count++;
    for (int I = Count; I >= 1; I--)
        __CTOR_LIST__[I]();
}

// The command line without the program's name (quoted or not) and the blanks after it: the
// tail wWinMain gets, in UTF-16 so that a folder named in any script arrives as typed.
static WCHAR *CommandTail(WCHAR *ALine)
{
    WCHAR *P = ALine;
    bool Quoted = false;
    while (*P > ' ' || (*P && Quoted)) {
        if (*P == '"')
            Quoted = !Quoted;
        P++;
    }
    while (*P && *P <= ' ')
        P++;
    return P;
}

// The entry point the linker looks for in a GUI program. Windows calls it with a stack
// aligned to 4 bytes only on 32-bit x86: it aligns the stack for the code it calls.
extern "C"
#ifdef __i386__
__attribute__((force_align_arg_pointer))
#endif
void WinMainCRTStartup(void)
{
    RunConstructors();
    int Code = wWinMain(GetModuleHandleA(0), 0, CommandTail(GetCommandLineW()), SW_SHOWDEFAULT);
    while (ExitCount > 0)
        ExitFuncs[--ExitCount]();
    ExitProcess(Code);
}
