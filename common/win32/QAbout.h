// QAbout: the maker's About box (template "ABOUT"): a blue band with the program's
// name and type written upwards, the cube logo with one cube lit twice a second,
// credit lines with a web and an e-mail link, and the small closing game.
// One About box at a time; the template and cursors 19700, 19701 come from
// common/res/QAbout.rc, which the program's resource script includes.
#ifndef QABOUT_H
#define QABOUT_H

#include <windows.h>
#include "QStr.h"

// Shows the About box owned by AWin (0 for none) and returns when it closes.
void ViewAbout(HWND AWin, const string &AProgName, const string &AProgType,
               const string &AProgDescription, const string &AFootNote1,
               const string &AFootNote2);

// The dialog procedure of "ABOUT". Over the two links the pointer is the web or the mail
// cursor, elsewhere the arrow: set with SetCursor on every mouse move and on WM_SETCURSOR over
// its client area, which it answers TRUE (DWLP_MSGRESULT TRUE) so that the class cursor does
// not flash in between; the cursors are private copies, destroyed when the box closes (the
// arrow is set first). Answers 0 for every other message.
INT_PTR CALLBACK AboutDialogProc(HWND DlgWin, UINT DlgMessage, WPARAM DlgWParam, LPARAM DlgLParam);

// How a link is opened: RunExec (QSysUtil) unless a test puts its own routine here.
typedef void (*TAboutOpenLink)(const string &AFileName, const string &APath, const string &AParams);
extern TAboutOpenLink AboutOpenLink;

#endif
