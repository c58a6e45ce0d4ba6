// BytewiseWindow: the main window's handles and the reader and writer of its fields, shared
// by the dialog procedure (BytewiseMain), the table (BytewiseList) and the settings
// (BytewiseSettings) so that none of them needs another. Names and texts are UTF-8 inside
// the program and UTF-16 at the system's wide API, so that a name in any script stays whole.
#ifndef BYTEWISEWINDOW_H
#define BYTEWISEWINDOW_H

#include <windows.h>
#include "QStr.h"

extern HWND MyWin;       // the main dialog, set at set-up
extern HWND hWndList;    // its result list (9500)

// The text of a control of the main window, and a new text for it.
string FieldText(int AId);
void SetFieldText(int AId, const string &AText);

// A UTF-16 copy of a UTF-8 text, freed with the record.
struct TWide {
    WCHAR *Text;
    explicit TWide(const string &AUtf8);
    ~TWide();
    TWide(const TWide &) = delete;
    TWide &operator=(const TWide &) = delete;
};
// UTF-8 of a UTF-16 text (ALen units, or up to its zero with -1).
string Utf8Of(const WCHAR *AText, int ALen = -1);

// The full name of AName (a relative name joined to the current folder, "." and ".."
// resolved); AName itself when the system cannot make one (an empty or too long name) or
// when it holds a character no file name has (" < > | *).
string FullName(const string &AName);

// The program's folder with its trailing backslash (UTF-8, any script).
string ProgramFolder();

// The message boxes of the shared units (QMessageBoxProc), with UTF-8 texts.
int MessageBoxUtf8(HWND AWin, const char *AText, const char *ACaption, unsigned AType);

#endif
