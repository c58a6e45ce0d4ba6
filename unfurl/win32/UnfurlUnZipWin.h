// UnfurlUnZipWin: the Windows bindings of the archive walk (kernel files, the installer
// dialog's controls) and the overwrite prompt FILEEXIST (template in res/FileExist.rc).
#ifndef UNFURLUNZIPWIN_H
#define UNFURLUNZIPWIN_H

#include <windows.h>

#include "QStr.h"

// AText in UTF-16 from ACodePage (CP_UTF8 for the walk's names), in a block the caller
// releases with delete[].
WCHAR *WideText(const string &AText, UINT ACodePage);
// AText in UTF-8.
string Utf8Text(const WCHAR *AText);

// The dialog procedure of FILEEXIST, its parameter the asking run (TUnZipRun *): shows the
// run's FileExistName; OK and Cancel answer through AnswerOverwrite with the state of the
// check box "Rewrite all files".
INT_PTR CALLBACK FileExistDlgProc(HWND ADlg, UINT AMessage, WPARAM AWParam, LPARAM ALParam);

#endif
