// BytewiseWindow: the main window's handles and the reader of its fields, shared by the
// dialog procedure (BytewiseMain), the table (BytewiseList) and the settings (BytewiseSettings)
// so that none of them needs another.
#ifndef BYTEWISEWINDOW_H
#define BYTEWISEWINDOW_H

#include <windows.h>
#include "QStr.h"

extern HWND MyWin;       // the main dialog, set at set-up
extern HWND hWndList;    // its result list (9500)

// The text of a control of the main window.
string FieldText(int AId);

#endif
