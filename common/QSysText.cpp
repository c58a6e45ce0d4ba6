// QSysText: the portable routines of QSysUtil.h for numbers and fixed-width text.
#include "QSysUtil.h"

#include <stdio.h>

// ---- Numbers and fixed-width text ----

string Int64ToStr(int64_t Value)
{
    char Buf[24];
    char *P = Buf + sizeof Buf;
    // Work on the magnitude as unsigned so the most negative value is no overflow.
    uint64_t U = Value < 0 ? 0 - (uint64_t)Value : (uint64_t)Value;
    do {
        *--P = (char)('0' + U % 10);
        U /= 10;
    } while (U);
    if (Value < 0) *--P = '-';
    return string(P, (size_t)(Buf + sizeof Buf - P));
}

string IntToStr(int32_t Value) { return Int64ToStr(Value); }

static int HexDigit(char C)
{
    if (C >= '0' && C <= '9') return C - '0';
    if (C >= 'a' && C <= 'f') return C - 'a' + 10;
    if (C >= 'A' && C <= 'F') return C - 'A' + 10;
    return -1;
}

int32_t StrToInt(const string &S, int32_t ADefault)
{
    size_t I = 0, Len = S.length();
    while (I < Len && S[I] == ' ') I++;
    if (I < Len && S[I] == '$') {
        // Hexadecimal: at most 8 significant digits, the bit pattern taken as it is.
        I++;
        if (I == Len) return ADefault;
        uint32_t Value = 0;
        int Significant = 0;
        for (; I < Len; I++) {
            int D = HexDigit(S[I]);
            if (D < 0) return ADefault;
            if (Value || D) Significant++;
            if (Significant > 8) return ADefault;
            Value = Value * 16 + (uint32_t)D;
        }
        return (int32_t)Value;
    }
    bool Negative = false;
    if (I < Len && (S[I] == '-' || S[I] == '+')) Negative = S[I++] == '-';
    if (I == Len) return ADefault;
    int64_t Value = 0;
    for (; I < Len; I++) {
        if (S[I] < '0' || S[I] > '9') return ADefault;
        Value = Value * 10 + (S[I] - '0');
        if (Value > 2147483648LL) return ADefault;
    }
    if (Negative) Value = -Value;
    if (Value > 2147483647LL) return ADefault;
    return (int32_t)Value;
}

string InsCharL(const string &S, char C, int AI)
{
    if ((int64_t)S.length() >= AI) return S;
    return string((size_t)AI - S.length(), C) + S;
}

string InsCharR(const string &S, char C, int AI)
{
    if ((int64_t)S.length() >= AI) return S;
    return S + string((size_t)AI - S.length(), C);
}

string DStr(const string &S)
{
    size_t Len = S.length();
    while (Len > 0 && S[Len - 1] == ' ') Len--;
    return S.substr(0, Len);
}

string DelStr(const string &S, char AChar)
{
    string R;
    for (size_t I = 0; I < S.length(); I++)
        if (S[I] != AChar) R += S[I];
    return R;
}

static bool IsBlank(char C) { return (unsigned char)C <= 32; }

string TrimLeft(const string &S)
{
    size_t I = 0;
    while (I < S.length() && IsBlank(S[I])) I++;
    return S.substr(I);
}

string TrimRight(const string &S)
{
    size_t Len = S.length();
    while (Len > 0 && IsBlank(S[Len - 1])) Len--;
    return S.substr(0, Len);
}

string Trim(const string &S) { return TrimLeft(TrimRight(S)); }

bool IsValidIdent(const string &S)
{
    if (S.empty()) return false;
    for (size_t I = 0; I < S.length(); I++) {
        char C = S[I];
        bool Letter = (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_';
        bool Digit = C >= '0' && C <= '9';
        if (!Letter && !(Digit && I > 0)) return false;
    }
    return true;
}

string ExtToStr(double I, int W, int D)
{
    char Buf[400];
    if (W < 0) W = 0;
    if (W > 60) W = 60;
    if (D < 0) D = 0;
    if (D > 30) D = 30;
    snprintf(Buf, sizeof Buf, "%*.*f", W, D, I);
    return string(Buf);
}

string DopNul(int AI) { return AI < 10 ? "0" + IntToStr(AI) : IntToStr(AI); }

string Str3Space(const string &S)
{
    size_t Len = S.length();
    if (Len < 4) return S;
    // Groups of three counted from the right, a blank after every group.
    string R;
    size_t First = Len % 3 ? Len % 3 : 3;
    R.append(S.c_str(), First);
    R += ' ';
    for (size_t I = First; I < Len; I += 3) {
        R.append(S.c_str() + I, 3);
        R += ' ';
    }
    return R;
}

string Gen32_255()
{
    string R;
    for (int C = 32; C <= 255; C++) {
        R += (char)C;
        if ((C - 31) % 50 == 0) R += "\r\n";
    }
    return R;
}
