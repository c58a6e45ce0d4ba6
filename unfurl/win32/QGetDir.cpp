// QGetDir: the folder chooser on SHBrowseForFolderW with the added "New folder" button.
// Paths are UTF-16 throughout, so a folder in any script can be chosen and made.
#include "QGetDir.h"
#include <shlobj.h>
#include "QConst.h"
#include "QDialog.h"
#include "QSysUtil.h"

static WCHAR FolderPath[MAX_PATH + 1];   // the current selection, or the folder just made
static bool FolderChosen;          // OK in the browser or in the new-folder dialog
static HWND NewFolderButton;
static BROWSEINFOW BrowseInfo;
static const WCHAR *ACaptionText, *ANewButtonText, *ANewCaptionText, *ACurrentLabelText,
                   *AEnterLabelText, *AOkTextText, *ACancelTextText;

bool SelectFolder(HWND AOwner, UINT AFlags, WCHAR *ADir, const WCHAR *ACaption,
                  const WCHAR *ANewButton, const WCHAR *ATitle, const WCHAR *ANewCaption,
                  const WCHAR *ACurrentLabel, const WCHAR *AEnterLabel, const WCHAR *AOkText,
                  const WCHAR *ACancelText)
{
    ACaptionText = ACaption;
    ANewButtonText = ANewButton;
    ANewCaptionText = ANewCaption;
    ACurrentLabelText = ACurrentLabel;
    AEnterLabelText = AEnterLabel;
    AOkTextText = AOkText;
    ACancelTextText = ACancelText;
    ZeroMemory(&BrowseInfo, sizeof BrowseInfo);
    BrowseInfo.hwndOwner = AOwner;
    BrowseInfo.lpszTitle = ATitle;
    BrowseInfo.ulFlags = AFlags;
    BrowseInfo.lpfn = BrowseCallback;
    FolderChosen = false;
    FolderPath[0] = 0;
    NewFolderButton = 0;

    LPITEMIDLIST Item = SHBrowseForFolderW(&BrowseInfo);
    bool Result = FolderChosen;
    if (FolderChosen)
        lstrcpynW(ADir, FolderPath, MAX_PATH);
    else if (Item && !ANewButton && SHGetPathFromIDListW(Item, FolderPath)) {
        // Without the added button the browser's own OK ends it and returns the item:
        // that is a confirmation too.
        lstrcpynW(ADir, FolderPath, MAX_PATH);
        Result = true;
    }
    // With the button installed every OK and Cancel goes through BrowseWndProc; the
    // item the browser hands back after a Cancel is its last selection, not a choice.
    if (Item)
        ILFree(Item);
    NewFolderButton = 0;
    return Result;
}

int CALLBACK BrowseCallback(HWND wnd, UINT message, LPARAM lParam, LPARAM data)
{
    (void)data;
    switch (message) {
    case BFFM_INITIALIZED:
        if (ANewButtonText)
            AddNewFolderButton(wnd);
        break;
    case BFFM_SELCHANGED: {
        HWND Ok = GetDlgItem(wnd, CM_OK);
        if (!SHGetPathFromIDListW((LPCITEMIDLIST)lParam, FolderPath) || !FolderPath[0]) {
            // Not a file-system folder (a virtual folder of the shell, or one the shell
            // answers with an empty path).
            FolderPath[0] = 0;
            EnableWindow(Ok, FALSE);
        }
        if (NewFolderButton)
            EnableWindow(NewFolderButton, IsWindowEnabled(Ok));
        break;
    }
    }
    return 0;
}

void AddNewFolderButton(HWND wnd)
{
    SetWindowTextW(wnd, ACaptionText);
    HWND Ok = GetDlgItem(wnd, CM_OK);
    RECT R;
    GetWindowRect(Ok, &R);
    POINT P = {R.left, R.top};
    ScreenToClient(wnd, &P);
    NewFolderButton = CreateWindowExW(0, L"BUTTON", ANewButtonText,
                                      WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP |
                                          BS_PUSHBUTTON,
                                      P.x - 90, P.y, 85, R.bottom - R.top, wnd,
                                      (HMENU)(UINT_PTR)CM_NEWFOLDER, GetModuleHandleA(0), 0);
    HFONT Font = (HFONT)SendMessageA(Ok, WM_GETFONT, 0, 0);
    PostMessageA(NewFolderButton, WM_SETFONT, (WPARAM)Font, 1);
    EnableWindow(NewFolderButton, FALSE);
    // The browser's own procedure still runs: DefDlgProcW calls the dialog procedure
    // the shell gave the window, so the old window procedure is not needed.
    SetWindowLongPtrW(wnd, GWLP_WNDPROC, (LONG_PTR)BrowseWndProc);
}

LRESULT CALLBACK BrowseWndProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_COMMAND)
        return DefDlgProcW(wnd, message, wParam, lParam);
    switch (LOWORD(wParam)) {
    case CM_OK:
        // Enter or a posted OK while the selection is no file-system folder: nothing to take.
        if (!IsWindowEnabled(GetDlgItem(wnd, CM_OK)))
            break;
        FolderChosen = true;
        EndDialog(wnd, 1);
        break;
    case CM_NO:
        FolderChosen = false;
        EndDialog(wnd, 2);
        break;
    case CM_NEWFOLDER:
        FolderChosen = false;
        DialogBoxParamW(GetModuleHandleA(0), L"DLGNEW", wnd, NewFolderDlgProc, 0);
        if (FolderChosen)
            PostMessageA(wnd, WM_COMMAND, CM_OK, 0);
        break;
    }
    return 1;
}

// OK of the new-folder dialog: makes FolderPath\name and makes it the result. False
// (dialog stays open) when the joined path would not fit the path buffer.
static bool MakeNewFolder(HWND dlg)
{
    WCHAR Name[NewFolderNameMax + 1];
    GetDlgItemTextW(dlg, CM_EDIT, Name, NewFolderNameMax + 1);
    if (!Name[0])
        return true;        // nothing to make: the current folder stays the result
    WCHAR Path[MAX_PATH + 1];
    lstrcpynW(Path, FolderPath, MAX_PATH);
    int Len = lstrlenW(Path), NameLen = lstrlenW(Name);
    if (Len > 0 && Path[Len - 1] != '\\')
        Path[Len++] = '\\';
    if (Len + NameLen > MAX_PATH - 1)
        return false;
    lstrcpyW(Path + Len, Name);
    // A typed name may hold several levels: each is made in turn.
    for (WCHAR *P = Path + Len; *P; P++)
        if (*P == '\\' || *P == '/') {
            WCHAR Sep = *P;
            *P = 0;
            CreateDirectoryW(Path, 0);
            *P = Sep;
        }
    CreateDirectoryW(Path, 0);
    lstrcpyW(FolderPath, Path);
    return true;
}

INT_PTR CALLBACK NewFolderDlgProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG: {
        CenterWindow(dlg);
        SetWindowTextW(dlg, ANewCaptionText);
        SetDlgItemTextW(dlg, CM_LABEL, ACurrentLabelText);
        SetDlgItemTextW(dlg, CM_GROUP, AEnterLabelText);
        SetDlgItemTextW(dlg, CM_OK, AOkTextText);
        SetDlgItemTextW(dlg, CM_NO, ACancelTextText);
        WCHAR Current[MAX_PATH + 2];
        lstrcpynW(Current, FolderPath, MAX_PATH);
        int Len = lstrlenW(Current);
        if (Len > 0 && Current[Len - 1] != '\\')
            lstrcpyW(Current + Len, L"\\");
        SetDlgItemTextW(dlg, CM_LABEL1, Current);
        HWND Edit = GetDlgItem(dlg, CM_EDIT);
        SendMessageW(Edit, EM_LIMITTEXT, NewFolderNameMax, 0);
        SetFocus(Edit);
        return FALSE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case CM_OK:
            if (!MakeNewFolder(dlg)) {
                MessageBeep(MB_ICONHAND);
                return TRUE;
            }
            FolderChosen = true;
            EndDialog(dlg, 1);
            return TRUE;
        case CM_NO:
            EndDialog(dlg, 2);
            return TRUE;
        }
        break;
    }
    return FALSE;
}
