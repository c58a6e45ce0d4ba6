// UnfurlUnZipWin: the Windows bindings of the archive walk (kernel files, the installer
// dialog's controls) and the overwrite prompt FILEEXIST (template in res/FileExist.rc).
#ifndef UNFURLUNZIPWIN_H
#define UNFURLUNZIPWIN_H

#include <windows.h>

// The dialog procedure of FILEEXIST: shows FileExistName; OK and Cancel answer through
// AnswerOverwrite with the state of the check box "Rewrite all files".
INT_PTR CALLBACK FileExistDlgProc(HWND ADlg, UINT AMessage, WPARAM AWParam, LPARAM ALParam);

#endif
