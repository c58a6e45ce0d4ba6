// UnfurlDialog: the installer's one dialog, "MainDialog". Paints the setup texts, holds the
// installation folder, opens the folder chooser and runs the extraction on OK.
#ifndef UNFURLDIALOG_H
#define UNFURLDIALOG_H

#include <windows.h>

#include "UnfurlPayload.h"
#include "UnfurlRun.h"

// The installation folder, in UTF-16: at most MAX_PATH - 1 characters and the zero, as the
// field, /D= and the folder chooser hand it over (any script).
extern WCHAR InstallDir[MAX_PATH + 1];
// The setup texts: the unit's own record from UnfurlDialogInit on.
extern TInstall *SetupInfo;
extern HWND InstallWnd;          // the dialog, from WM_INITDIALOG on
extern HFONT TitleFont;          // 26-point bold Arial
extern HFONT SubtitleFont;       // 8-point Arial

// Texts of the end of an installation. "instaled" is the text users have always seen: kept
// as it is.
inline constexpr const WCHAR *MsgEndInstall = L"End install.\r\nProduct is instaled in directory:\r\n";
inline constexpr const WCHAR *CaptionEndInstall = L"Confirmation.";

// Unit start-up and shutdown: the setup-texts record and the folder buffer.
void UnfurlDialogInit();
void UnfurlDialogDone();

// The dialog procedure; its creation parameter is the run it works for (TUnZipRun *).
INT_PTR CALLBACK InstallDialogProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam);

// The folder the dialog proposes when /D= names none: the installer's own folder.
void ProgramFolder(WCHAR *AFolder);

// The /S installation: the dialog's runs of ARun into InstallDir (the installer's own folder
// when /D= named none) without showing it, existing files replaced; answers the exit code.
int SilentInstall(HINSTANCE AInstance, TUnZipRun &ARun);

#endif
