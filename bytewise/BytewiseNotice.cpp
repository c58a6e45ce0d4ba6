// BytewiseNotice: what a run or a command came to, in the user's words.
#include "BytewiseNotice.h"

#include "QSysUtil.h"

const char ClipboardFailedText[] =
    "The table could not be copied to the clipboard.\nAnother program may hold it open.";

TNotice NoticeOf(const TCompareResult &AResult)
{
    if (!AResult.Measured) return ntNone;
    if (AResult.Size1 != AResult.Size2) return ntSizes;
    if (AResult.Count == 0 && !AResult.Stopped && !AResult.Failed && AResult.Compared == AResult.Size1)
        return ntIdentical;
    return ntNone;
}

static string Bytes(int64_t ACount)
{
    return Int64ToStr(ACount) + (ACount == 1 ? " byte" : " bytes");
}

string NoticeText(const TCompareResult &AResult)
{
    switch (NoticeOf(AResult)) {
    case ntSizes:
        return "The files differ in size.\nFirst file: " + Bytes(AResult.Size1) +
               "\nSecond file: " + Bytes(AResult.Size2) + "\nCompared: " + Bytes(AResult.Compared);
    case ntIdentical:
        return "The files are identical.\nSize: " + Bytes(AResult.Size1);
    default:
        return string();
    }
}

void ShowNotice(HWND AWin, const TCompareResult &AResult)
{
    string Text = NoticeText(AResult);
    if (!Text.empty()) QMessageBox(AWin, Text, ContinuePromptCaption, qmbOK | qmbIconInformation);
}

string FileErrorText(int ACode, const string &AName)
{
    string Text = IOErrorText(ACode);
    // 32 shares the table's "File access denied" with 5; the reason differs.
    if (ACode == 32) Text += "\nThe file is in use by another program.";
    return Text + "\n" + AName;
}

void ShowFileError(HWND AWin, int ACode, const string &AName)
{
    QMessageBox(AWin, FileErrorText(ACode, AName), "Error", qmbOK | qmbIconError);
}

string SettingsNotSavedText(const string &AIniFile)
{
    return "The file names could not be saved in\n" + AIniFile;
}

void ShowSettingsNotSaved(HWND AWin, const string &AIniFile)
{
    QMessageBox(AWin, SettingsNotSavedText(AIniFile), "Error", qmbOK | qmbIconError);
}

void ShowClipboardFailed(HWND AWin)
{
    QMessageBox(AWin, ClipboardFailedText, "Error", qmbOK | qmbIconError);
}
