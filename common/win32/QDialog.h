// QDialog: window helpers every dialog procedure uses.
#ifndef QDIALOG_H
#define QDIALOG_H

#include <windows.h>

#include "QFont.h"    // the painted title's font (TitleFontDesc)
#include "QTypes.h"

// Centres Wnd horizontally on the primary screen with its top edge one third of the free
// height down; keeps its size, z-order and activation.
void CenterWindow(HWND Wnd);
// Makes the drop-down list of the combo box AWnd tall enough for its items, at most AList
// and at least one.
void ComboBoxList(HWND AWnd, int AList);
// Draws AText (ALen bytes, or -1 up to the NUL) centred three times with the font selected
// in DC: white in APasses[0], grey in APasses[1], then AColor in APasses[2], on a transparent
// background. Offset rectangles make the text look raised. DC is left as it was found.
void DrawEmbossedText(HDC DC, const char *AText, int ALen, const RECT APasses[3], COLORREF AColor);
// The same for a text in UTF-16 (ALen units, or -1 up to the NUL).
void DrawEmbossedTextW(HDC DC, const WCHAR *AText, int ALen, const RECT APasses[3],
                       COLORREF AColor);

#endif
