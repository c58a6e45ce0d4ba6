// UnfurlDialog: the installer's one dialog, "MainDialog". Paints the setup texts, holds the
// installation folder, opens the folder chooser and runs the extraction on OK.
#ifndef UNFURLDIALOG_H
#define UNFURLDIALOG_H

#include <windows.h>

// The installation folder: at most MAX_PATH - 1 characters and the zero byte, as the field
// (read with room for MAX_PATH bytes), /D= and the folder chooser hand it over. The
// extraction run only shortens it (its trailing backslash goes) and builds each entry's path
// in a string of its own, so the one byte beyond a path buffer is spare.
extern char InstallDir[MAX_PATH + 1];
extern HWND InstallWnd;          // the dialog, from WM_INITDIALOG on
extern bool InstallRan;          // an extraction run took place
extern HFONT TitleFont;          // 26-point bold Arial
extern HFONT SubtitleFont;       // 8-point Arial

// Texts of the end of an installation.
extern const char *const MsgEndInstall;       // followed by the folder
extern const char *const CaptionEndInstall;

// Unit start-up and shutdown: the setup-texts record and the folder buffer.
void UnfurlDialogInit();
void UnfurlDialogDone();

INT_PTR CALLBACK InstallDialogProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam);

// The /S installation: the dialog's runs into InstallDir (the current folder when empty)
// without showing it, existing files replaced; answers the exit code.
int SilentInstall(HINSTANCE AInstance);

#endif
