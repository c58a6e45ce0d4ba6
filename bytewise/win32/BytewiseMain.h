// BytewiseMain: the main window "MainDialog" and its dialog procedure: set-up, the icon
// animation, owner drawing of the result table, the commands and teardown.
#ifndef BYTEWISEMAIN_H
#define BYTEWISEMAIN_H

#include <windows.h>

INT_PTR CALLBACK MainDialogProc(HWND ADlg, UINT AMsg, WPARAM AWParam, LPARAM ALParam);

// Unscrambles the five About texts and shows the About box.
void ViewAb();

#endif
