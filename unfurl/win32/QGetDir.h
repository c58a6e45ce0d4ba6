// QGetDir: the folder chooser. The shell's folder browser with an added "New folder"
// button that opens the small dialog "DLGNEW", makes the typed folder under the current
// selection at once and confirms the browser with it. Every visible text comes from the
// caller. One chooser at a time (the state lives in the unit).
#ifndef QGETDIR_H
#define QGETDIR_H

#include <windows.h>

#include "QConst.h"   // CM_NEWFOLDER, the added button in the browser window

// Runs the browser modally over AOwner. True when the user confirmed a folder: ADir
// (at least MAX_PATH characters) then holds its path (no trailing backslash except for a
// drive root). False on Cancel: ADir is left as it was. ANewButton 0: no button.
bool SelectFolder(HWND AOwner, UINT AFlags, WCHAR *ADir, const WCHAR *ACaption,
                  const WCHAR *ANewButton, const WCHAR *ATitle, const WCHAR *ANewCaption,
                  const WCHAR *ACurrentLabel, const WCHAR *AEnterLabel, const WCHAR *AOkText,
                  const WCHAR *ACancelText);

// Called by the window system; public for the tests that drive the browser.
int CALLBACK BrowseCallback(HWND wnd, UINT message, LPARAM lParam, LPARAM data);
void AddNewFolderButton(HWND wnd);
LRESULT CALLBACK BrowseWndProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK NewFolderDlgProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam);

// Longest name the new-folder dialog accepts (its buffer holds one more character).
enum { NewFolderNameMax = 50 };

#endif
