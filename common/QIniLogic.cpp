// QIniLogic: reading rules of the settings store's values.
#include "QIniLogic.h"
#include "QSysUtil.h"

string IniValueText(const string &S)
{
    string R(S);
    for (size_t I = 0; I + 1 < R.length(); I++)
        if (R[I] == ';' && R[I + 1] == ';') {
            R.resize(I);
            break;
        }
    return DStr(R);
}

int32_t IniIntegerValue(const string &S, int32_t ADefault)
{
    string T = DelStr(S, ' ');
    // "0x" alone stays as it is (and is no number); "0x1F" becomes the runtime's "$1F".
    if (T.length() > 2 && T[0] == '0' && (T[1] == 'x' || T[1] == 'X'))
        T = string("$") + T.substr(2);
    return StrToInt(T, ADefault);
}

bool IniBoolValue(const string &S, bool ADefault)
{
    return IniIntegerValue(S, ADefault ? 1 : 0) != 0;
}

string IniBoolText(bool AValue) { return AValue ? string("1") : string("0"); }
