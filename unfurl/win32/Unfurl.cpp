// Unfurl: the installer's program entry. Opens its own file, reads the setup header behind
// the image, runs the installer dialog and reports where the product was installed.
#include <windows.h>
#include <commctrl.h>
#include <stdlib.h>
#include "QSysUtil.h"
#include "UnfurlDialog.h"
#include "UnfurlArchive.h"
#include "UnfurlOutcome.h"
#include "UnfurlPayload.h"
#include "UnfurlUnZip.h"
#include "UnfurlUnZipWin.h"

// DLLs load from the system folder only, before anything else can load one: a DLL planted
// beside the installer (a download folder) is never picked up. SetDefaultDllDirectories is
// looked up at run time, since older systems lack it; SetDllDirectoryA("") at least takes
// the current folder out of the search.
static void RestrictDllSearch()
{
    typedef BOOL(WINAPI * TSetDefaultDllDirectories)(DWORD);
    typedef BOOL(WINAPI * TSetDllDirectoryA)(LPCSTR);
    HMODULE Kernel = GetModuleHandleA("kernel32.dll");
    TSetDefaultDllDirectories SetDefault =
        (TSetDefaultDllDirectories)(void *)GetProcAddress(Kernel, "SetDefaultDllDirectories");
    if (SetDefault)
        SetDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    TSetDllDirectoryA SetDir = (TSetDllDirectoryA)(void *)GetProcAddress(Kernel, "SetDllDirectoryA");
    if (SetDir)
        SetDir("");
}

// Registers the progress bar class of the dialog template. The common controls library is
// loaded from the system folder by its full path, not imported, so that no copy of it
// beside the installer can be loaded in its place.
static void RegisterProgressClass()
{
    typedef BOOL(WINAPI * TInitCommonControlsEx)(const INITCOMMONCONTROLSEX *);
    char Path[MAX_PATH + 16];
    UINT Len = GetSystemDirectoryA(Path, MAX_PATH);
    if (Len == 0 || Len >= MAX_PATH)
        return;
    lstrcpyA(Path + Len, "\\comctl32.dll");
    HMODULE Lib = LoadLibraryA(Path);
    if (!Lib)
        return;
    TInitCommonControlsEx Init =
        (TInitCommonControlsEx)(void *)GetProcAddress(Lib, "InitCommonControlsEx");
    if (Init) {
        INITCOMMONCONTROLSEX Icc = {sizeof Icc, ICC_PROGRESS_CLASS};
        Init(&Icc);
    }
}

// The command line (UTF-16, any script) into the run's switches and InstallDir; false when it
// asks for the usage (shown unless silent).
static bool TakeCommandLine(const WCHAR *ALine, TUnZipRun &ARun)
{
    TCommandLine Cmd;
    ParseCommandLine(Utf8Text(ALine).c_str(), Cmd);
    ARun.Silent = Cmd.Silent;
    WCHAR *Folder = WideText(Cmd.Folder, CP_UTF8);
    bool Fits = lstrlenW(Folder) < MAX_PATH;
    if (Fits) lstrcpyW(InstallDir, Folder);
    delete[] Folder;
    if (Cmd.Usage || !Fits) {
        if (!ARun.Silent) MessageBoxA(0, MsgUsage, CaptionUsage, MB_OK | MB_ICONINFORMATION);
        return false;
    }
    return true;
}

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR lpCmdLine, int)
{
    RestrictDllSearch();
    RegisterProgressClass();
    BuildCrcTable();
    UnfurlDialogInit();
    TUnZipRun Run;
    RunInitPlatform(Run);
    if (!TakeCommandLine(lpCmdLine, Run)) return ExitCancelled;

    int Code = ExitDamaged;
    OpenArchive(Run);
    if (Run.ArchiveFile == (TZipHandle)INVALID_HANDLE_VALUE) {
        WCHAR Path[MAX_PATH + 1];
        DWORD Len = GetModuleFileNameW(0, Path, MAX_PATH);
        Path[Len < MAX_PATH ? Len : MAX_PATH] = 0;
        if (!Run.Silent) MessageBoxW(0, Path, L"Error Install File", MB_ICONERROR);
    } else {
        TArchiveRecord Record;
        ReadSetupHeader(Run, *SetupInfo, Record);
        // A damaged or cut download is refused before anything is written. The image and the
        // preparation tool are delivered together: a file without the record (or with a
        // record damaged past recognition) is damaged too, not an installer of old.
        if (VerifyArchive(Run, Record) != avIntact) {
            if (!Run.Silent) MessageBoxA(0, MsgInstallerDamaged, "Error", MB_ICONERROR);
            Code = ExitDamaged;
        } else if (Run.Silent) {
            Code = SilentInstall(hInstance, Run);
        } else {
            DialogBoxParamW(hInstance, L"MainDialog", 0, InstallDialogProc, (LPARAM)&Run);
            Code = RunExitCode(Run);
        }
        CloseArchive(Run);
        if (Run.AllExtracted && !Run.Silent) {
            WCHAR Text[MAX_PATH + 64];
            lstrcpyW(Text, MsgEndInstall);
            lstrcatW(Text, InstallDir);
            MessageBoxW(0, Text, CaptionEndInstall, MB_OK);
        }
    }

    UnfurlDialogDone();
    return Code;
}

// The allocation functions, replaced so that the installer carries no exception support:
// it is built without exceptions, and a failed allocation ends it like any fatal error.
void *operator new(size_t ASize)
{
    void *P = malloc(ASize ? ASize : 1);
    if (!P)
        ExitProcess(ExitIncomplete);
    return P;
}
void *operator new[](size_t ASize) { return operator new(ASize); }
void operator delete(void *P) noexcept { free(P); }
void operator delete[](void *P) noexcept { free(P); }
void operator delete(void *P, size_t) noexcept { free(P); }
void operator delete[](void *P, size_t) noexcept { free(P); }
