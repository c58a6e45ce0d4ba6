// BytewiseNames: names from the command line and from a drop.
#include "BytewiseNames.h"

#include <stdint.h>

// Appends the next name of the line at *AP to AName and moves *AP behind it; false when
// only blanks were left.
static bool NextName(const char *&AP, string &AName)
{
    while (*AP == ' ' || *AP == '\t') AP++;
    if (!*AP) return false;
    bool Quoted = false;
    for (; *AP; AP++) {
        if (*AP == '"') Quoted = !Quoted;
        else if (!Quoted && (*AP == ' ' || *AP == '\t')) break;
        else AName += *AP;
    }
    return true;
}

TCmdNames SplitCommandLine(const char *ALine)
{
    TCmdNames R;
    if (!ALine) return R;
    const char *P = ALine;
    string Name;
    while (NextName(P, Name)) {
        if (Name == "/?" || Name == "-?") R.Usage = true;
        if (R.Count == 0) R.First = Name;
        else if (R.Count == 1) R.Second = Name;
        R.Count++;
        Name = string();
    }
    if (R.Count > 2) R.Usage = true;
    return R;
}

const char *SkipProgramName(const char *ALine)
{
    if (!ALine) return 0;
    const char *P = ALine;
    if (*P == '"') {
        for (P++; *P && *P != '"'; P++) {
        }
        if (*P) P++;
    } else {
        while (*P && *P != ' ' && *P != '\t') P++;
    }
    return P;
}

const char UsageText[] =
    "Usage: Bytewise.exe [FIRST [SECOND]]\n\n"
    "FIRST and SECOND are the files to compare; names with blanks go in double quotes.\n"
    "With two names the comparison starts at once; one name fills the first field.";

static const char Hex[] = "0123456789ABCDEF";

string EscapeName(const string &AName)
{
    string R;
    for (size_t I = 0; I < AName.length(); I++) {
        uint8_t B = (uint8_t)AName[I];
        if (B > 32 && B <= 126 && B != '%' && B != ';') {
            R += (char)B;
        } else {
            R += '%';
            R += Hex[B >> 4];
            R += Hex[B & 15];
        }
    }
    return R;
}

static int HexDigit(char C)
{
    if (C >= '0' && C <= '9') return C - '0';
    if (C >= 'A' && C <= 'F') return C - 'A' + 10;
    if (C >= 'a' && C <= 'f') return C - 'a' + 10;
    return -1;
}

string UnescapeName(const string &AText)
{
    string R;
    size_t N = AText.length();
    for (size_t I = 0; I < N; I++) {
        if (AText[I] == '%' && I + 2 < N) {
            int H = HexDigit(AText[I + 1]), L = HexDigit(AText[I + 2]);
            if (H >= 0 && L >= 0) {
                R += (char)(H * 16 + L);
                I += 2;
                continue;
            }
        }
        R += AText[I];
    }
    return R;
}

string StoredName(const string &APlain, const string &AEscaped, const string &APlainOfEscaped)
{
    if (AEscaped.empty() || APlainOfEscaped != APlain) return APlain;
    return UnescapeName(AEscaped);
}

TDropPlan PlanDrop(int ACount, TDropSpot ASpot, bool AFirstEmpty, bool ASecondEmpty)
{
    TDropPlan R;
    if (ACount >= 2) {
        R.First = 0;
        R.Second = 1;
    } else if (ACount == 1) {
        if (ASpot == dpFirst || (ASpot == dpOther && AFirstEmpty)) R.First = 0;
        else if (ASpot == dpSecond || ASecondEmpty) R.Second = 0;
    }
    return R;
}
