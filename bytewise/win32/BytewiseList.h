// BytewiseList: the result table's drawing objects, its owner-drawn rows and the copy of
// all rows to the clipboard.
#ifndef BYTEWISELIST_H
#define BYTEWISELIST_H

#include <windows.h>

// Made once at set-up and kept until the process ends.
extern HFONT WF2;                    // row font: Courier, 10 points, bold
extern HBRUSH WB1, WB2, WB3, WB4;    // bands and highlight
extern HPEN WP1, WP2;                // thin and thick grid lines
// The draw request of the row being drawn (set by the dialog procedure).
extern const DRAWITEMSTRUCT *PD;

// Makes the font (measured on ADlg's device context), the brushes and the pens.
void MakeListObjects(HWND ADlg);
// Draws the row of PD: style 1 whole row, 2 selection changed, 3 focus changed (highlighted).
void DrawListItem(int AStyle);
void DrawColorRect(int ALeft, int ARight, HBRUSH ABrush);
void HLine(int ALeft, int ATop, int ARight, HPEN APen);
void VLine(int X, HPEN APen);
// Every row with CR LF onto the clipboard through the hidden edit 9403; nothing when empty.
// False when the clipboard did not take the text.
bool CopyListToClipboard();

#endif
