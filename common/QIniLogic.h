// QIniLogic: how the settings store reads values, apart from the file service that stores them.
// A value may carry a comment after ";;", loses its trailing blanks, and numbers are read with
// every blank removed and C-style hexadecimal ("0x1F") accepted beside "$1F".
#ifndef QINILOGIC_H
#define QINILOGIC_H

#include <stdint.h>
#include "QStr.h"

// Cuts S before its first ";;" and removes the trailing blanks (character 32) of what is left.
string IniValueText(const string &S);
// The number a stored value stands for (S as IniValueText gives it), or ADefault.
int32_t IniIntegerValue(const string &S, int32_t ADefault);
// True when the number is not 0; ADefault when the value is no number.
bool IniBoolValue(const string &S, bool ADefault);
// The stored form of a boolean: "1" or "0".
string IniBoolText(bool AValue);

#endif
