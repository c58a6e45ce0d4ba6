// UnfurlDialog: the installer's one dialog, "MainDialog". Paints the setup texts, holds the
// installation folder, opens the folder chooser and runs the extraction on OK.
#ifndef UNFURLDIALOG_H
#define UNFURLDIALOG_H

#include <windows.h>

#include "UnfurlPayload.h"
#include "UnfurlRun.h"

// The installation folder: at most MAX_PATH - 1 characters and the zero byte, as the field
// (read with room for MAX_PATH bytes), /D= and the folder chooser hand it over. The
// extraction run only shortens it (its trailing backslash goes) and builds each entry's path
// in a string of its own, so the one byte beyond a path buffer is spare.
extern char InstallDir[MAX_PATH + 1];
// The setup texts: the unit's own record from UnfurlDialogInit on.
extern TInstall *SetupInfo;
extern HWND InstallWnd;          // the dialog, from WM_INITDIALOG on
extern HFONT TitleFont;          // 26-point bold Arial
extern HFONT SubtitleFont;       // 8-point Arial

// Texts of the end of an installation. "instaled" is the text users have always seen: kept
// as it is.
inline constexpr const char *MsgEndInstall = "End install.\r\nProduct is instaled in directory:\r\n";
inline constexpr const char *CaptionEndInstall = "Confirmation.";

// Unit start-up and shutdown: the setup-texts record and the folder buffer.
void UnfurlDialogInit();
void UnfurlDialogDone();

// The dialog procedure; its creation parameter is the run it works for (TUnZipRun *).
INT_PTR CALLBACK InstallDialogProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam);

// The /S installation: the dialog's runs of ARun into InstallDir (the current folder when
// empty) without showing it, existing files replaced; answers the exit code.
int SilentInstall(HINSTANCE AInstance, TUnZipRun &ARun);

#endif
