// BytewiseNames: names from the command line and from a drop.
#include "BytewiseNames.h"

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
        if (R.Count == 0) R.First = Name;
        else if (R.Count == 1) R.Second = Name;
        R.Count++;
        Name = string();
    }
    return R;
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
