// QStr: the counted byte string.
#include "QStr.h"

#include <stdlib.h>
#include <string.h>

static char EmptyText[1] = {0};

string::string() : FData(0), FLen(0), FCap(0) {}

string::string(const char *AText) : FData(0), FLen(0), FCap(0)
{
    if (AText) append(AText, strlen(AText));
}

string::string(const char *AData, size_t ALen) : FData(0), FLen(0), FCap(0)
{
    append(AData, ALen);
}

string::string(size_t ACount, char AChar) : FData(0), FLen(0), FCap(0)
{
    resize(ACount, AChar);
}

string::string(const string &AOther) : FData(0), FLen(0), FCap(0)
{
    append(AOther.FData, AOther.FLen);
}

string::string(string &&AOther) noexcept : FData(AOther.FData), FLen(AOther.FLen), FCap(AOther.FCap)
{
    AOther.FData = 0;
    AOther.FLen = AOther.FCap = 0;
}

string::~string() { free(FData); }

string &string::operator=(const string &AOther)
{
    if (this != &AOther) {
        FLen = 0;
        append(AOther.FData, AOther.FLen);
    }
    return *this;
}

string &string::operator=(string &&AOther) noexcept
{
    if (this != &AOther) {
        free(FData);
        FData = AOther.FData;
        FLen = AOther.FLen;
        FCap = AOther.FCap;
        AOther.FData = 0;
        AOther.FLen = AOther.FCap = 0;
    }
    return *this;
}

const char *string::c_str() const { return FData ? FData : EmptyText; }

// Keeps room for ALen bytes plus the terminator; grows geometrically so appends stay linear.
void string::Reserve(size_t ALen)
{
    if (FData && ALen < FCap) return;
    size_t NewCap = FCap ? FCap : 16;
    while (NewCap <= ALen) NewCap *= 2;
    char *NewData = (char *)realloc(FData, NewCap);
    if (!NewData) abort();
    if (!FData) NewData[0] = 0;
    FData = NewData;
    FCap = NewCap;
}

void string::append(const char *AData, size_t ALen)
{
    if (ALen == 0 && FData) return;
    // AData may point into this string: remember its offset across the reallocation.
    size_t Offset = (FData && AData >= FData && AData < FData + FCap) ? (size_t)(AData - FData) : (size_t)-1;
    Reserve(FLen + ALen);
    if (Offset != (size_t)-1) AData = FData + Offset;
    if (ALen) memmove(FData + FLen, AData, ALen);
    FLen += ALen;
    FData[FLen] = 0;
}

void string::resize(size_t ALen, char AFill)
{
    Reserve(ALen);
    if (ALen > FLen) memset(FData + FLen, AFill, ALen - FLen);
    FLen = ALen;
    FData[FLen] = 0;
}

string &string::operator+=(const string &AOther) { append(AOther.c_str(), AOther.FLen); return *this; }
string &string::operator+=(const char *AText) { if (AText) append(AText, strlen(AText)); return *this; }
string &string::operator+=(char AChar) { append(&AChar, 1); return *this; }

string string::substr(size_t AIndex, size_t ACount) const
{
    if (AIndex >= FLen) return string();
    if (ACount > FLen - AIndex) ACount = FLen - AIndex;
    return string(FData + AIndex, ACount);
}

size_t string::find(char AChar, size_t AFrom) const
{
    for (size_t I = AFrom; I < FLen; I++)
        if (FData[I] == AChar) return I;
    return npos;
}

size_t string::rfind(char AChar) const
{
    for (size_t I = FLen; I > 0; I--)
        if (FData[I - 1] == AChar) return I - 1;
    return npos;
}

bool string::operator==(const string &AOther) const
{
    return FLen == AOther.FLen && (FLen == 0 || memcmp(FData, AOther.FData, FLen) == 0);
}

string operator+(const string &A, const string &B) { string R(A); R += B; return R; }
string operator+(const string &A, const char *B) { string R(A); R += B; return R; }
string operator+(const char *A, const string &B) { string R(A); R += B; return R; }
string operator+(const string &A, char B) { string R(A); R += B; return R; }
string operator+(char A, const string &B) { string R(1, A); R += B; return R; }
