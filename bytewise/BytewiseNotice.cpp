// BytewiseNotice: what a run or a command came to, in the user's words.
#include "BytewiseNotice.h"

#include <stdint.h>

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

string ErrorCodeText(int ACode)
{
    // Codes Windows gives for opening, measuring, reading and closing a file that the shared
    // table lacks, or holds with an older meaning of the number (150 to 162 other than
    // 152 are semaphore and thread codes on Windows; the program cannot meet them).
    static const struct {
        int Code;
        const char *Text;
    } Own[] = {
        {1, "Incorrect function (the device does not support this request)"},
        {8, "Not enough memory to compare the files"},
        {19, "The disk is write-protected"},
        {21, "Drive not ready"},
        {23, "Data error (cyclic redundancy check)"},
        {25, "Disk seek error"},
        {27, "Sector not found"},
        {30, "The device cannot be read"},
        {31, "The device does not work"},
        {53, "Network path not found"},
        {59, "Unexpected network error"},
        {64, "The network name is no longer available"},
        {65, "Network access denied"},
        {67, "Network share not found"},
        {87, "Invalid parameter"},
        {110, "The file cannot be opened"},
        {161, "Invalid path name"},
        {1117, "Device I/O error"},
        {1392, "The file or folder is damaged and cannot be read"},
        {1920, "The file cannot be accessed by the system"},
    };
    for (const auto &E : Own)
        if (E.Code == ACode) return E.Text;
    if (ACode >= 150 && ACode <= 162 && ACode != 152) return "Unknovn Error " + IntToStr(ACode);   // spelled as the table spells it
    return IOErrorText(ACode);
}

string FileErrorText(int ACode, const string &AName)
{
    string Text = ErrorCodeText(ACode);
    // 32 shares the table's "File access denied" with 5; the reason differs.
    if (ACode == 32) Text += "\nThe file is in use by another program.";
    return AName.empty() ? Text : Text + "\n" + AName;
}

string Grouped(int64_t AValue)
{
    string Digits = Int64ToStr(AValue < 0 ? -AValue : AValue);
    string R = AValue < 0 ? "-" : "";
    for (size_t I = 0; I < Digits.length(); I++) {
        if (I > 0 && (Digits.length() - I) % 3 == 0) R += ',';
        R += Digits[I];
    }
    return R;
}

string SummaryText(const TCompareResult &AResult)
{
    if (!AResult.Measured) return string();
    string R = Grouped(AResult.Count) + (AResult.Count == 1 ? " difference in " : " differences in ") +
               Grouped(AResult.Compared) + (AResult.Compared == 1 ? " byte compared" : " bytes compared");
    if (AResult.Stopped) R += " (stopped)";
    else if (AResult.Failed) R += " (ended by an error)";
    return R;
}

string ProgressText(int64_t ACompared, int64_t ATotal)
{
    int64_t Share = 100;
    if (ATotal > 0) Share = ATotal < INT64_MAX / 100 ? ACompared * 100 / ATotal : ACompared / (ATotal / 100);
    if (Share > 100) Share = 100;
    return "Comparing: " + Grouped(ACompared) + " of " + Grouped(ATotal) + " bytes (" + Int64ToStr(Share) + " %)";
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
