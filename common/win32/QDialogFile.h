// QDialogFile: the system's Open and Save As dialogs behind one call that takes plain strings
// and returns the chosen full path, or "" when the user cancels or the dialog fails.
// The filter is written "Description|pattern|Description|pattern" (patterns split by ";").
#ifndef QDIALOGFILE_H
#define QDIALOGFILE_H

#include <windows.h>
#include <commdlg.h>
#include <stddef.h>
#include "QStr.h"
#include "QDialogFileLogic.h"

// Size of the request record handed to the dialogs: the classic record without the fields
// that later system versions append (76 bytes on 32-bit Windows, 136 on 64-bit).
const DWORD FileRequestSize = offsetof(OPENFILENAMEA, pvReserved);

// Resizable dialogs (no hook).
string OpenFileSize(HWND Parent, const string &FFileName, const string &FInitialDir,
                    const string &FTitle, const string &FFilter, const string &FDefaultExt);
string SaveFileSize(HWND Parent, const string &FFileName, const string &FInitialDir,
                    const string &FTitle, const string &FFilter, const string &FDefaultExt);
string GoFuncFileSize(HWND Parent, const string &FFileName, const string &FInitialDir,
                      const string &FTitle, const string &FFilter, const string &FDefaultExt,
                      TStyleOpen AStyle);

// Hooked dialogs of fixed size with the caller's options.
string OpenFile(HWND Parent, const string &FFileName, const string &FInitialDir,
                const string &FTitle, const string &FFilter, const string &FDefaultExt,
                TOpenOptions AOptions);
string SaveFile(HWND Parent, const string &FFileName, const string &FInitialDir,
                const string &FTitle, const string &FFilter, const string &FDefaultExt,
                TOpenOptions AOptions);
string GoFuncFile(HWND Parent, const string &FFileName, const string &FInitialDir,
                  const string &FTitle, const string &FFilter, const string &FDefaultExt,
                  TOpenOptions AOptions, TStyleOpen AStyle);

// Hook of the hooked dialogs: hands WM_INITDIALOG to DFInitHookProc and WM_NOTIFY to
// DFNotifyHookProc when they are set, and answers 0 (let the dialog handle it) otherwise.
UINT_PTR CALLBACK QlpfnHook(HWND Wnd, UINT Msg, WPARAM wParam, LPARAM lParam);
extern LPOFNHOOKPROC DFInitHookProc;
extern LPOFNHOOKPROC DFNotifyHookProc;

// Fills the request record as the dialogs above do (for tests and for callers that show
// the dialog themselves). AFilter must be AllocFilterStr's result and, like AFileBuf and the
// strings, outlive the record's use.
void FillFileRequest(OPENFILENAMEA &R, HWND Parent, char (&AFileBuf)[FileNameBufSize],
                     const string &AFilter, const string &FInitialDir, const string &FTitle,
                     const string &FDefaultExt, DWORD AFlags, LPOFNHOOKPROC AHook);

#endif
