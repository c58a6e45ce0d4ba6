// QDialog: window helpers every dialog procedure uses.
#ifndef QDIALOG_H
#define QDIALOG_H

#include "QTypes.h"

// Centres Wnd horizontally on the primary screen with its top edge one third of the free
// height down; keeps its size, z-order and activation.
void CenterWindow(HWND Wnd);
// Makes the drop-down list of the combo box AWnd tall enough for its items, at most AList
// and at least one.
void ComboBoxList(HWND AWnd, int AList);

#endif
