// BytewiseSettings: reading and writing the two file names through the wide profile API.
// The file stays in the code page (the profile service writes it so): names that fit it are
// stored as ever; a name beyond it is stored as the code page renders it under the old key
// and in full, escaped, under a key of its own (BytewiseNames: EscapeName, StoredName).
#include "BytewiseSettings.h"

#include <stdlib.h>

#include "BytewiseNames.h"
#include "BytewiseRows.h"
#include "BytewiseWindow.h"
#include "QConst.h"
#include "QIni.h"
#include "QIniLogic.h"

const char SPROPERTY[] = "PROPERTY";

void GetFileIni()
{
    FIniFile = SettingsFileName(ProgramFolder());
}

// AName as the code page renders it (characters it lacks become "?").
static string InCodePage(const string &AName)
{
    TWide W(AName);
    if (!W.Text) return AName;
    int Len = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, W.Text, -1, 0, 0, "?", 0);
    if (Len <= 1) return string();
    string Ansi((size_t)Len - 1, ' ');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, W.Text, -1, Ansi.begin_write(), Len, "?", 0);
    int WLen = MultiByteToWideChar(CP_ACP, 0, Ansi.c_str(), (int)Ansi.length(), 0, 0);
    WCHAR *Back = (WCHAR *)malloc(((size_t)WLen + 1) * sizeof(WCHAR));
    if (!Back) return AName;
    WLen = MultiByteToWideChar(CP_ACP, 0, Ansi.c_str(), (int)Ansi.length(), Back, WLen);
    string R = Utf8Of(Back, WLen);
    free(Back);
    return R;
}

static string ReadKey(const char *AKey)
{
    TWide File(FIniFile), Section(SPROPERTY), Key(AKey);
    WCHAR Buf[1024];
    DWORD Len = GetPrivateProfileStringW(Section.Text, Key.Text, L"", Buf, 1024, File.Text);
    return IniValueText(Utf8Of(Buf, (int)Len));
}

static bool WriteKey(const char *AKey, const string *AValue)
{
    TWide File(FIniFile), Section(SPROPERTY), Key(AKey), Value(AValue ? *AValue : string());
    return WritePrivateProfileStringW(Section.Text, Key.Text, AValue ? Value.Text : 0, File.Text) != 0;
}

// The name of a field: the plain key and, beside it, the escaped key.
static string ReadName(const char *APlainKey, const char *AEscapedKey)
{
    string Plain = ReadKey(APlainKey);
    string Escaped = ReadKey(AEscapedKey);
    if (Escaped.empty()) return Plain;
    return StoredName(Plain, Escaped, IniValueText(InCodePage(UnescapeName(Escaped))));
}

static bool WriteName(const char *APlainKey, const char *AEscapedKey, const string &AName)
{
    string Plain = InCodePage(AName);
    bool Fits = Plain == AName;
    string Escaped = EscapeName(AName);
    bool Ok = WriteKey(APlainKey, &Plain);
    // A name that fits needs no escaped copy; an old one is removed.
    return WriteKey(AEscapedKey, Fits ? 0 : &Escaped) && Ok;
}

void ReadSysIni()
{
    GetFileIni();
    SetFieldText(CM_EDIT, ReadName("INPUT", "INPUT_UTF8"));
    SetFieldText(CM_EDIT2, ReadName("OUTPUT", "OUTPUT_UTF8"));
}

bool WriteSysIni()
{
    GetFileIni();
    // Names are kept whole and absolute, as a run would read them.
    bool Input = WriteName("INPUT", "INPUT_UTF8", FullName(FieldText(CM_EDIT)));
    bool Output = WriteName("OUTPUT", "OUTPUT_UTF8", FullName(FieldText(CM_EDIT2)));
    return Input && Output;
}
