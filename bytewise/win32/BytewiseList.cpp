// BytewiseList: owner-drawn rows of the result table and its copy to the clipboard.
#include "BytewiseList.h"
#include "BytewiseRows.h"
#include "BytewiseWindow.h"
#include "QConst.h"
#include "QFont.h"
#include "QStr.h"

HFONT WF2;
HBRUSH WB1, WB2, WB3, WB4;
HPEN WP1, WP2;
const DRAWITEMSTRUCT *PD;

static RECT RowRect;    // PD's rectangle while a row is drawn

void MakeListObjects(HWND ADlg)
{
    // The row font starts from the font the dialog's device context holds by default: a
    // first font (all-zero description) displaces it, and its description is read.
    HDC DC = GetDC(ADlg);
    LOGFONTA Zero;
    ZeroMemory(&Zero, sizeof Zero);
    HFONT WF1 = CreateFontIndirectA(&Zero);
    HGDIOBJ Default = SelectObject(DC, WF1);
    LOGFONTA LF;
    if (Default && GetObjectA(Default, sizeof LF, &LF) == (int)sizeof LF) {
        SetFontDesc(&LF, "Courier", 10, GetDeviceCaps(DC, LOGPIXELSY), FW_BOLD);
        WF2 = CreateFontIndirectA(&LF);
    }
    SelectObject(DC, Default);
    ReleaseDC(ADlg, DC);
    if (WF2) DeleteObject(WF1);
    else WF2 = WF1;    // the default could not be read: rows use the first font

    WB1 = CreateSolidBrush(ClrBand1);
    WB2 = CreateSolidBrush(ClrBand2);
    WB3 = CreateSolidBrush(ClrBand3);
    WB4 = CreateSolidBrush(ClrHighlight);
    WP1 = CreatePen(PS_SOLID, 1, ClrThinLine);
    WP2 = CreatePen(PS_SOLID, 3, ClrThickLine);
}

void DrawColorRect(int ALeft, int ARight, HBRUSH ABrush)
{
    RECT R = {RowRect.left + ALeft, RowRect.top, RowRect.left + ARight, RowRect.bottom};
    if (ARight > RowRect.right - RowRect.left) R.right = RowRect.right;
    FillRect(PD->hDC, &R, ABrush);
}

void HLine(int ALeft, int ATop, int ARight, HPEN APen)
{
    SelectObject(PD->hDC, APen);
    MoveToEx(PD->hDC, ALeft, ATop, 0);
    LineTo(PD->hDC, ARight, ATop);
}

void VLine(int X, HPEN APen)
{
    SelectObject(PD->hDC, APen);
    MoveToEx(PD->hDC, RowRect.left + X, RowRect.top, 0);
    LineTo(PD->hDC, RowRect.left + X, RowRect.bottom);
}

void DrawListItem(int AStyle)
{
    if ((int)PD->itemID < 0) return;    // an empty list asks to draw its focus
    HDC DC = PD->hDC;
    RowRect = PD->rcItem;
    int SavedDC = SaveDC(DC);           // pen, font, colours and mode go back afterwards
    SetTextColor(DC, RowTextColor(AStyle));
    SetBkMode(DC, TRANSPARENT);

    const HBRUSH Brushes[5] = {0, WB1, WB2, WB3, WB4};
    TBand Bands[3];
    int N = RowBands(AStyle, RowRect.right - RowRect.left, Bands);
    for (int I = 0; I < N; I++) DrawColorRect(Bands[I].Left, Bands[I].Right, Brushes[Bands[I].Brush]);

    HLine(RowRect.left, RowRect.top, RowRect.right, WP1);
    for (const TGridLine &G : GridLines) VLine(G.X, G.Thick ? WP2 : WP1);

    RowRect.top += 1;
    int Len = (int)SendMessageA(PD->hwndItem, LB_GETTEXTLEN, PD->itemID, 0);
    if (Len > 0) {
        string Text((size_t)Len, ' ');
        Len = (int)SendMessageA(PD->hwndItem, LB_GETTEXT, PD->itemID, (LPARAM)Text.begin_write());
        if (Len > 0) {
            SelectObject(DC, WF2);
            // ExtTextOut: the row's bytes as they stand ('&' is no prefix here), clipped, one
            // character every CellWidth pixels so that the fields stay between the grid lines
            // also when bold is simulated by widening each character.
            // The position is widened to its column (DrawnRow).
            static INT Dx[RowCellsMax];
            if (Dx[0] == 0)
                for (INT &D : Dx) D = CellWidth;
            char Drawn[RowCellsMax];
            int N = DrawnRow(Text.c_str(), Len, Drawn);
            ExtTextOutA(DC, RowRect.left, RowRect.top, ETO_CLIPPED, &RowRect, Drawn, N, Dx);
        }
    }
    RestoreDC(DC, SavedDC);
}

bool CopyListToClipboard()
{
    string Text;
    string Row;
    int Count = (int)SendMessageA(hWndList, LB_GETCOUNT, 0, 0);
    for (int I = 0; I < Count; I++) {
        int Len = (int)SendMessageA(hWndList, LB_GETTEXTLEN, I, 0);
        if (Len <= 0) continue;
        Row.resize((size_t)Len);
        Len = (int)SendMessageA(hWndList, LB_GETTEXT, I, (LPARAM)Row.begin_write());
        if (Len > 0) AppendClipRow(Text, Row.c_str(), (size_t)Len);
    }
    if (Text.empty()) return true;    // the clipboard keeps what it had
    HWND Edit = GetDlgItem(MyWin, CM_EDIT3);
    // An edit control holds 30,000 characters unless told otherwise; a big table is longer.
    SendMessageA(Edit, EM_SETLIMITTEXT, (WPARAM)Text.length() + 1, 0);
    SetWindowTextA(Edit, Text.c_str());
    SendMessageA(Edit, EM_SETSEL, 0, -1);
    // The edit says nothing when the clipboard cannot be opened (another program holds it
    // open), so it is tried here first.
    if (!OpenClipboard(Edit)) return false;
    CloseClipboard();
    SendMessageA(Edit, WM_COPY, 0, 0);
    return true;
}
