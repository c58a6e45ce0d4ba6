// QHelp: the mini help viewer, a small modal dialog (template "HELPVIEW") with an
// embossed title, a read-only scrolling text box, Cancel and an animated icon.
// One viewer at a time; the dialog template and icons 19900..19904 come from
// common/res/QHelp.rc, which the program's resource script includes.
#ifndef QHELP_H
#define QHELP_H

#include <windows.h>
#include "QStr.h"

// Shows AText (lines separated by CR LF) under the title AName painted in AColor
// (0x00BBGGRR), with ACaption as the window caption; AWin owns the dialog (0 for none).
// Returns when the user closes the viewer. The strings must stay valid until then.
void ViewMiniHelp(HWND AWin, COLORREF AColor, const string &ACaption, const string &AName,
                  const char *AText);

// The dialog procedure of "HELPVIEW".
INT_PTR CALLBACK HelpDialogProc(HWND DlgWin, UINT DlgMessage, WPARAM DlgWParam, LPARAM DlgLParam);

#endif
