// BytewiseMain: the main window "MainDialog" and its dialog procedure: set-up, the icon
// animation, owner drawing of the result table, the commands and teardown.
#ifndef BYTEWISEMAIN_H
#define BYTEWISEMAIN_H

#include <windows.h>
#include "QStr.h"

extern HWND MyWin;       // the main dialog, set at set-up
extern HWND hWndList;    // its result list (9500)

INT_PTR CALLBACK MainDialogProc(HWND ADlg, UINT AMsg, WPARAM AWParam, LPARAM ALParam);

// The text of a control of the main window.
string FieldText(int AId);
// Unscrambles the five About texts and shows the About box.
void ViewAb();

#endif
