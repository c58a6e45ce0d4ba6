// UnfurlKeptItems: the progress bar and its label with kept values, because under Wine every
// change of a control's text or position is a round trip to the window server, and each paint
// some twenty: per file that cost more than writing a small file.
// The new position and text are kept here at once and handed to the controls only when they
// are painted, at most ten times a second (a timer paints the last values once a quicker
// succession has stopped). Meanwhile the controls' procedures answer PBM_GETPOS, WM_GETTEXT
// and WM_GETTEXTLENGTH with the kept values, so every reader sees the current ones.
#ifndef UNFURLKEPTITEMS_H
#define UNFURLKEPTITEMS_H

#include <windows.h>
#include <stdint.h>

// The position of the dialog's progress bar (CM_PROGRESSBAR).
void KeepProgress(HWND ADlg, int32_t APos);
// The text of the label under the bar (CM_LABEL_PB).
void KeepLabel(HWND ADlg, const WCHAR *AText);

#endif
