// QIni: settings file through the profile-file service, and one registry read.
#include <windows.h>
#include <string.h>
#include "QIni.h"
#include "QIniLogic.h"
#include "QSysUtil.h"

string FIniFile;

// The profile service reads an unset (empty) file name as WIN.INI in the system folder;
// an unset settings file must not touch that.
static bool IniFileSet() { return !FIniFile.empty(); }

string IniReadString(const string &Section, const string &Ident, const string &Default)
{
    char Buf[1024];
    DWORD Len = 0;
    if (IniFileSet())
        Len = GetPrivateProfileStringA(Section.c_str(), Ident.c_str(), Default.c_str(), Buf,
                                       sizeof Buf, FIniFile.c_str());
    string Value = IniFileSet() ? string(Buf, Len) : Default;
    return IniValueText(Value);
}

bool IniWriteString(const string &Section, const string &Ident, const string &Value)
{
    return IniFileSet() && WritePrivateProfileStringA(Section.c_str(), Ident.c_str(), Value.c_str(),
                                                      FIniFile.c_str());
}

int32_t IniReadInteger(const string &Section, const string &Ident, int32_t Default)
{
    return IniIntegerValue(IniReadString(Section, Ident, ""), Default);
}

bool IniReadBool(const string &Section, const string &Ident, bool Default)
{
    return IniBoolValue(IniReadString(Section, Ident, ""), Default);
}

void IniWriteInteger(const string &Section, const string &Ident, int32_t Value)
{
    IniWriteString(Section, Ident, IntToStr(Value));
}

void IniWriteBool(const string &Section, const string &Ident, bool Value)
{
    IniWriteString(Section, Ident, IniBoolText(Value));
}

void IniEraseSection(const string &Section)
{
    if (IniFileSet()) WritePrivateProfileStringA(Section.c_str(), 0, 0, FIniFile.c_str());
}

void IniDeleteKey(const string &Section, const string &Ident)
{
    if (IniFileSet())
        WritePrivateProfileStringA(Section.c_str(), Ident.c_str(), 0, FIniFile.c_str());
}

string IniReadSection(const string &Section)
{
    char Buf[8192];
    string Names;
    if (!IniFileSet()) return Names;
    // Without a key name the service lists the section's key names, each ended by a zero.
    DWORD Len = GetPrivateProfileStringA(Section.c_str(), 0, "", Buf, sizeof Buf,
                                         FIniFile.c_str());
    for (DWORD I = 0; I < Len;) {
        size_t N = strnlen(Buf + I, Len - I);
        if (N == 0) break;
        Names.append(Buf + I, N);
        Names += "\r\n";
        I += N + 1;
    }
    return Names;
}

string RegReadString(intptr_t ARootKey, const string &SubKey, const string &Value, const string &Def)
{
    HKEY Key;
    if (RegOpenKeyExA((HKEY)ARootKey, SubKey.c_str(), 0, KEY_READ, &Key) != ERROR_SUCCESS)
        return Def;
    string Result = Def;
    char Buf[256];
    DWORD Size = 0;
    // Ask for the size first: a value that does not fit the buffer is never read into it.
    if (RegQueryValueExA(Key, Value.c_str(), 0, 0, 0, &Size) == ERROR_SUCCESS &&
        Size <= sizeof Buf) {
        Size = sizeof Buf;
        if (RegQueryValueExA(Key, Value.c_str(), 0, 0, (BYTE *)Buf, &Size) == ERROR_SUCCESS &&
            Size <= sizeof Buf) {
            // The text up to its first zero; an empty value may come with a size of 0.
            const char *End = (const char *)memchr(Buf, 0, Size);
            Result = string(Buf, End ? (size_t)(End - Buf) : Size);
        }
    }
    RegCloseKey(Key);
    return Result;
}
