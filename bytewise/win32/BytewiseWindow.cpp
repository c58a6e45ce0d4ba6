// BytewiseWindow: the main window's handles, its fields and the UTF-8 / UTF-16 conversions.
#include "BytewiseWindow.h"

#include <stdlib.h>

HWND MyWin;
HWND hWndList;

TWide::TWide(const string &AUtf8)
{
    int Len = MultiByteToWideChar(CP_UTF8, 0, AUtf8.c_str(), (int)AUtf8.length(), 0, 0);
    Text = (WCHAR *)malloc(((size_t)Len + 1) * sizeof(WCHAR));
    if (!Text) return;
    Len = MultiByteToWideChar(CP_UTF8, 0, AUtf8.c_str(), (int)AUtf8.length(), Text, Len);
    Text[Len > 0 ? Len : 0] = 0;
}

TWide::~TWide() { free(Text); }

string Utf8Of(const WCHAR *AText, int ALen)
{
    if (!AText) return string();
    if (ALen < 0) ALen = lstrlenW(AText);
    if (ALen == 0) return string();
    int Len = WideCharToMultiByte(CP_UTF8, 0, AText, ALen, 0, 0, 0, 0);
    string S((size_t)(Len > 0 ? Len : 0), ' ');
    Len = WideCharToMultiByte(CP_UTF8, 0, AText, ALen, S.begin_write(), Len, 0, 0);
    S.resize(Len > 0 ? (size_t)Len : 0);
    return S;
}

string FieldText(int AId)
{
    HWND W = GetDlgItem(MyWin, AId);
    int Len = GetWindowTextLengthW(W);
    if (Len <= 0) return string();
    WCHAR *Buf = (WCHAR *)malloc(((size_t)Len + 1) * sizeof(WCHAR));
    if (!Buf) return string();
    Len = GetWindowTextW(W, Buf, Len + 1);
    string S = Utf8Of(Buf, Len > 0 ? Len : 0);
    free(Buf);
    return S;
}

void SetFieldText(int AId, const string &AText)
{
    TWide W(AText);
    SetDlgItemTextW(MyWin, AId, W.Text ? W.Text : L"");
}

string FullName(const string &AName)
{
    // A name with characters no file name holds (one pasted with its quotes) stays as it is,
    // for the run to refuse with the system's code and the name as the user gave it.
    if (AName.empty()) return AName;
    for (size_t I = 0; I < AName.length(); I++)
        if (AName[I] == '"' || AName[I] == '<' || AName[I] == '>' || AName[I] == '|' || AName[I] == '*')
            return AName;
    TWide W(AName);
    if (!W.Text) return AName;
    WCHAR Buf[MAX_PATH * 2];
    DWORD Len = GetFullPathNameW(W.Text, MAX_PATH * 2, Buf, 0);
    if (Len == 0 || Len >= MAX_PATH * 2) return AName;    // left for the run to refuse
    return Utf8Of(Buf, (int)Len);
}

int MessageBoxUtf8(HWND AWin, const char *AText, const char *ACaption, unsigned AType)
{
    TWide Text(AText), Caption(ACaption);
    return MessageBoxW(AWin, Text.Text, Caption.Text, AType);
}

string ProgramFolder()
{
    WCHAR Own[MAX_PATH * 2];
    DWORD Len = GetModuleFileNameW(0, Own, MAX_PATH * 2);
    string Program = Utf8Of(Own, Len < MAX_PATH * 2 ? (int)Len : 0);
    size_t Slash = Program.rfind('\\');
    return Slash == string::npos ? string() : Program.substr(0, Slash + 1);
}
