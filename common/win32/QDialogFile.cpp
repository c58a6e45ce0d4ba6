// QDialogFile: Open and Save As through comdlg32.
#include "QDialogFile.h"

#include <string.h>

static_assert(FileRequestSize == (sizeof(void *) == 4 ? 76 : 136),
              "the classic request record ends where the appended fields begin");

LPOFNHOOKPROC DFInitHookProc = 0;
LPOFNHOOKPROC DFNotifyHookProc = 0;

UINT_PTR CALLBACK QlpfnHook(HWND Wnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    if (Msg == WM_INITDIALOG && DFInitHookProc) return DFInitHookProc(Wnd, Msg, wParam, lParam);
    if (Msg == WM_NOTIFY && DFNotifyHookProc) return DFNotifyHookProc(Wnd, Msg, wParam, lParam);
    return 0;
}

// An empty text is handed over as "none", so that the dialog uses its own title and the
// current folder rather than an empty caption.
static const char *TextOrNone(const string &S) { return S.empty() ? 0 : S.c_str(); }

void FillFileRequest(OPENFILENAMEA &R, HWND Parent, char (&AFileBuf)[FileNameBufSize],
                     const string &AFilter, const string &FInitialDir, const string &FTitle,
                     const string &FDefaultExt, DWORD AFlags, LPOFNHOOKPROC AHook)
{
    memset(&R, 0, sizeof R);
    R.lStructSize = FileRequestSize;
    R.hwndOwner = Parent;
    R.hInstance = GetModuleHandleA(0);
    R.lpstrFilter = TextOrNone(AFilter);
    R.nFilterIndex = 1;
    R.lpstrFile = AFileBuf;
    R.nMaxFile = MAX_PATH;
    R.lpstrInitialDir = TextOrNone(FInitialDir);
    R.lpstrTitle = TextOrNone(FTitle);
    R.Flags = AFlags;
    R.lpstrDefExt = TextOrNone(FDefaultExt);
    R.lpfnHook = AHook;
}

static string ShowFileDialog(HWND Parent, const string &FFileName, const string &FInitialDir,
                             const string &FTitle, const string &FFilter,
                             const string &FDefaultExt, DWORD AFlags, LPOFNHOOKPROC AHook,
                             TStyleOpen AStyle)
{
    char FileBuf[FileNameBufSize];
    FillFileNameBuf(FileBuf, FFileName);
    string Filter = AllocFilterStr(FFilter);
    OPENFILENAMEA R;
    FillFileRequest(R, Parent, FileBuf, Filter, FInitialDir, FTitle, FDefaultExt, AFlags, AHook);
    BOOL Ok = AStyle == sOpen ? GetOpenFileNameA(&R) : GetSaveFileNameA(&R);
    if (!Ok) return string();
    FileBuf[MAX_PATH] = 0;
    return string(FileBuf);
}

string GoFuncFileSize(HWND Parent, const string &FFileName, const string &FInitialDir,
                      const string &FTitle, const string &FFilter, const string &FDefaultExt,
                      TStyleOpen AStyle)
{
    return ShowFileDialog(Parent, FFileName, FInitialDir, FTitle, FFilter, FDefaultExt,
                          FileSizeFlags, 0, AStyle);
}

string OpenFileSize(HWND Parent, const string &FFileName, const string &FInitialDir,
                    const string &FTitle, const string &FFilter, const string &FDefaultExt)
{
    return GoFuncFileSize(Parent, FFileName, FInitialDir, FTitle, FFilter, FDefaultExt, sOpen);
}

string SaveFileSize(HWND Parent, const string &FFileName, const string &FInitialDir,
                    const string &FTitle, const string &FFilter, const string &FDefaultExt)
{
    return GoFuncFileSize(Parent, FFileName, FInitialDir, FTitle, FFilter, FDefaultExt, sSave);
}

string GoFuncFile(HWND Parent, const string &FFileName, const string &FInitialDir,
                  const string &FTitle, const string &FFilter, const string &FDefaultExt,
                  TOpenOptions AOptions, TStyleOpen AStyle)
{
    return ShowFileDialog(Parent, FFileName, FInitialDir, FTitle, FFilter, FDefaultExt,
                          FileFlags(AOptions), QlpfnHook, AStyle);
}

string OpenFile(HWND Parent, const string &FFileName, const string &FInitialDir,
                const string &FTitle, const string &FFilter, const string &FDefaultExt,
                TOpenOptions AOptions)
{
    return GoFuncFile(Parent, FFileName, FInitialDir, FTitle, FFilter, FDefaultExt, AOptions,
                      sOpen);
}

string SaveFile(HWND Parent, const string &FFileName, const string &FInitialDir,
                const string &FTitle, const string &FFilter, const string &FDefaultExt,
                TOpenOptions AOptions)
{
    return GoFuncFile(Parent, FFileName, FInitialDir, FTitle, FFilter, FDefaultExt, AOptions,
                      sSave);
}
