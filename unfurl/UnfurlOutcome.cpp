// UnfurlOutcome: command line, the list of entries not installed, DOS times (see the header).
#include "UnfurlOutcome.h"

#include <string.h>

#include "QSysUtil.h"

static bool IsBlank(char C) { return C == ' ' || C == '\t'; }

void ParseCommandLine(const char *ALine, TCommandLine &ACmd)
{
    ACmd.Silent = ACmd.Usage = false;
    ACmd.Folder = string();
    const char *P = ALine ? ALine : "";
    for (;;) {
        while (IsBlank(*P)) P++;
        if (!*P) return;
        if (strncmp(P, "/D=", 3) == 0) {
            // The rest of the line is the folder; blanks after it are the shell's, not its.
            const char *End = P + strlen(P);
            while (End > P + 3 && IsBlank(End[-1])) End--;
            ACmd.Folder = string(P + 3, (size_t)(End - (P + 3)));
            if (ACmd.Folder.empty()) ACmd.Usage = true;
            return;
        }
        const char *End = P;
        while (*End && !IsBlank(*End)) End++;
        if (End - P == 2 && P[0] == '/' && P[1] == 'S')
            ACmd.Silent = true;
        else
            ACmd.Usage = true;
        P = End;
    }
}

void FailedReset(TFailedList &AList)
{
    AList.Names = string();
    AList.Count = 0;
}

void FailedAdd(TFailedList &AList, const string &AName)
{
    if (AList.Count < FailedShown) {
        AList.Names += AName;
        AList.Names += "\r\n";
    }
    AList.Count++;
}

string IncompleteMessage(const TFailedList &AList, const string &AFolder)
{
    string Text = "The installation is incomplete.\r\nNot installed correctly:\r\n\r\n";
    Text += AList.Names;
    if (AList.Count > FailedShown)
        Text += "and " + IntToStr(AList.Count - FailedShown) + " more\r\n";
    Text += "\r\nFolder: ";
    Text += AFolder;
    return Text;
}

bool DosDateTimeValid(uint32_t ADosDateTime)
{
    static const uint8_t Days[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    uint32_t Date = ADosDateTime >> 16, Time = ADosDateTime & 0xFFFF;
    uint32_t Year = 1980 + (Date >> 9), Month = (Date >> 5) & 15, Day = Date & 31;
    if (Month < 1 || Month > 12 || Day < 1 || Day > Days[Month - 1]) return false;
    bool Leap = (Year % 4 == 0 && Year % 100 != 0) || Year % 400 == 0;
    if (Month == 2 && Day == 29 && !Leap) return false;
    return (Time >> 11) < 24 && ((Time >> 5) & 63) < 60 && (Time & 31) < 30;
}
