// QIni: the program's settings in one INI file (FIniFile) through the system's profile-file
// service, plus one registry read. Every call is one request to the service; nothing is cached.
// Values read back are at most 1,023 characters, cut before ";;" and without trailing blanks.
#ifndef QINI_H
#define QINI_H

#include <stdint.h>
#include "QStr.h"

// Full path of the settings file; empty until the program sets it. While it is empty, reads
// give their defaults and writes do nothing (nothing lands in the system folder's WIN.INI).
extern string FIniFile;

string IniReadString(const string &Section, const string &Ident, const string &Default);
// False when the value could not be written (no file set, or the file cannot be written).
bool IniWriteString(const string &Section, const string &Ident, const string &Value);
int32_t IniReadInteger(const string &Section, const string &Ident, int32_t Default);
bool IniReadBool(const string &Section, const string &Ident, bool Default);
void IniWriteInteger(const string &Section, const string &Ident, int32_t Value);
void IniWriteBool(const string &Section, const string &Ident, bool Value);
void IniEraseSection(const string &Section);
void IniDeleteKey(const string &Section, const string &Ident);
// The key names of Section, each followed by CR LF ("" for a missing section).
string IniReadSection(const string &Section);

// A string value of the registry: ARootKey is a predefined root such as
// (intptr_t)HKEY_CURRENT_USER. Def when the key or value is missing or does not fit the
// 256-byte buffer (255 characters and the terminating zero).
string RegReadString(intptr_t ARootKey, const string &SubKey, const string &Value, const string &Def);

#endif
