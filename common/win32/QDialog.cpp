// QDialog: window centring, combo-box list height and the painted title.
#include <windows.h>
#include "QDialog.h"

void CenterWindow(HWND Wnd)
{
    RECT R;
    if (!GetWindowRect(Wnd, &R)) return;
    int W = R.right - R.left;
    int H = R.bottom - R.top;
    // C division truncates toward zero, also for windows larger than the screen.
    int X = (GetSystemMetrics(SM_CXSCREEN) - W) / 2;
    int Y = (GetSystemMetrics(SM_CYSCREEN) - H) / 3;
    SetWindowPos(Wnd, 0, X, Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ComboBoxList(HWND AWnd, int AList)
{
    int N = (int)SendMessageA(AWnd, CB_GETCOUNT, 0, 0);
    if (N > AList) N = AList;
    if (N < 1) N = 1;
    int ItemHeight = (int)SendMessageA(AWnd, CB_GETITEMHEIGHT, 0, 0);
    RECT R;
    GetWindowRect(AWnd, &R);
    // A drop-down combo box's window height includes its list; resizing it hidden and showing
    // it again without redraw avoids a flash of the half-sized list.
    SetWindowPos(AWnd, 0, 0, 0, R.right - R.left, R.bottom - R.top + 2 + N * ItemHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_HIDEWINDOW);
    SetWindowPos(AWnd, 0, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW |
                     SWP_SHOWWINDOW);
}

void DrawEmbossedText(HDC DC, const char *AText, int ALen, const RECT APasses[3], COLORREF AColor)
{
    int Len = MultiByteToWideChar(CP_ACP, 0, AText, ALen, 0, 0);
    WCHAR *Text = new WCHAR[Len + 1];
    Len = MultiByteToWideChar(CP_ACP, 0, AText, ALen, Text, Len);
    DrawEmbossedTextW(DC, Text, Len, APasses, AColor);
    delete[] Text;
}

void DrawEmbossedTextW(HDC DC, const WCHAR *AText, int ALen, const RECT APasses[3],
                       COLORREF AColor)
{
    const COLORREF Colors[3] = {RGB(255, 255, 255), RGB(128, 128, 128), AColor};
    int OldMode = SetBkMode(DC, TRANSPARENT);
    COLORREF OldColor = GetTextColor(DC);
    for (int I = 0; I < 3; I++) {
        RECT R = APasses[I];    // DrawTextW takes a writable rectangle
        SetTextColor(DC, Colors[I]);
        DrawTextW(DC, AText, ALen, &R, DT_CENTER);
    }
    SetTextColor(DC, OldColor);
    SetBkMode(DC, OldMode);
}
