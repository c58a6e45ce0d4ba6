// BytewiseWindow: the main window's handles and its field reader.
#include "BytewiseWindow.h"

HWND MyWin;
HWND hWndList;

string FieldText(int AId)
{
    HWND W = GetDlgItem(MyWin, AId);
    int Len = GetWindowTextLengthA(W);
    if (Len <= 0) return string();
    string S((size_t)Len, ' ');
    Len = GetWindowTextA(W, S.begin_write(), Len + 1);
    S.resize(Len > 0 ? (size_t)Len : 0);
    return S;
}
