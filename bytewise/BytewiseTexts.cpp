// BytewiseTexts: unscrambling of the stored texts.
#include "BytewiseTexts.h"
#include "QEncr.h"

string TextOf(const char *AScrambled)
{
    return DeCrypt(string(AScrambled), TextShift);
}

string GetTextHelp()
{
    string R;
    for (int I = 0; I < SCHelpLines; I++) {
        if (I > 0) R += "\r\n";
        R += TextOf(SCHelp[I]);
    }
    return R;
}
