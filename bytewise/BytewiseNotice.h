// BytewiseNotice: the boxes that tell the user what a run or a command came to: the size
// and identical notices after a run, file errors with the file's name, and the settings
// and clipboard failures. The texts and the choice are made here, without a window.
#ifndef BYTEWISENOTICE_H
#define BYTEWISENOTICE_H

#include "BytewiseCompare.h"
#include "QStr.h"
#include "QTypes.h"

// What to say after a run: nothing, that the sizes differ, or that the files are identical.
enum TNotice { ntNone, ntSizes, ntIdentical };

// Sizes differ: after every run that measured both files. Identical: equal sizes, every
// position compared (not stopped, no read error) and no difference.
TNotice NoticeOf(const TCompareResult &AResult);
// The notice's text; empty for ntNone.
string NoticeText(const TCompareResult &AResult);
// Shows the notice (caption " Notice!", information icon) when there is one.
void ShowNotice(HWND AWin, const TCompareResult &AResult);

// The text of a file error code the program can meet: Windows' meaning for the system's
// codes, the file layer's own codes (100 a read that came up short, 102, 103), and QSysUtil's
// table where its text means what Windows means by the code.
string ErrorCodeText(int ACode);
// The code's text, a hint of its own for a file in use, and the name on the next line (no
// line for an empty name).
string FileErrorText(int ACode, const string &AName);
void ShowFileError(HWND AWin, int ACode, const string &AName);

// The line under the table after a run: the differences found and the bytes compared, and
// whether the run was stopped or ended by a read error; empty when nothing was compared.
string SummaryText(const TCompareResult &AResult);
// The same line while a run reads: bytes compared of ATotal and the share done.
string ProgressText(int64_t ACompared, int64_t ATotal);
// A count with a comma between groups of three digits: 1,073,741,824.
string Grouped(int64_t AValue);

// The settings file AIniFile could not be written; the window closes all the same.
string SettingsNotSavedText(const string &AIniFile);
void ShowSettingsNotSaved(HWND AWin, const string &AIniFile);
// The table could not be put on the clipboard (another program holds it open).
extern const char ClipboardFailedText[];
void ShowClipboardFailed(HWND AWin);

#endif
