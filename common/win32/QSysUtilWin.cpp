// QSysUtil: the routines that ask Windows (files, folders, shell, case mapping, boxes).
#include <windows.h>
#include <shellapi.h>

#include <string.h>

#include "QSysUtil.h"

static int WinMessageBox(HWND AWin, const char *AText, const char *ACaption, unsigned AType)
{
    return MessageBoxA(AWin, AText, ACaption, AType);
}

TMessageBoxProc QMessageBoxProc = WinMessageBox;

bool FileExists(PChar Filename)
{
    size_t Len = strlen(Filename);
    if (Len == 0) return false;
    char Pattern[MAX_PATH + 4];
    const char *Search = Filename;
    if (Filename[Len - 1] == '\\') {
        // A folder name: search its entries in a scratch copy; "." matches in any folder.
        if (Len + 3 >= sizeof Pattern) return false;
        memcpy(Pattern, Filename, Len);
        memcpy(Pattern + Len, "*.*", 4);
        for (char *P = Pattern; *P; P++)
            if (*P == '/') *P = '\\';
        Search = Pattern;
    } else {
        for (char *P = Filename; *P; P++)
            if (*P == '/') *P = '\\';
    }
    WIN32_FIND_DATAA Found;
    HANDLE H = FindFirstFileA(Search, &Found);
    if (H == INVALID_HANDLE_VALUE) return false;
    FindClose(H);
    return true;
}

bool DirectoryExists(const string &Name)
{
    DWORD Attr = GetFileAttributesA(Name.c_str());
    return Attr != INVALID_FILE_ATTRIBUTES && (Attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateDir(const string &Dir) { return CreateDirectoryA(Dir.c_str(), 0) != 0; }

void RunExec(const string &AFileName, const string &APath, const string &AParams)
{
    ShellExecuteA(0, 0, AFileName.c_str(), AParams.empty() ? 0 : AParams.c_str(),
                  APath.empty() ? 0 : APath.c_str(), SW_SHOW);
}

string AnsiUpperCase(const string &S)
{
    string R(S);
    if (!R.empty()) CharUpperBuffA(R.begin_write(), (DWORD)R.length());
    return R;
}

string AnsiLowerCase(const string &S)
{
    string R(S);
    if (!R.empty()) CharLowerBuffA(R.begin_write(), (DWORD)R.length());
    return R;
}

PChar AnsiStrUpper(PChar Str)
{
    CharUpperA(Str);
    return Str;
}

PChar AnsiStrLower(PChar Str)
{
    CharLowerA(Str);
    return Str;
}

string ProgramFileName()
{
    char Buf[MAX_PATH + 1];
    DWORD Len = GetModuleFileNameA(0, Buf, MAX_PATH);
    if (Len >= MAX_PATH) Len = 0;
    return string(Buf, Len);
}

void GetWindowStyle(HWND Wnd)
{
    uint32_t Style = (uint32_t)GetWindowLongA(Wnd, GWL_STYLE);
    QMessageBox(Wnd, WindowStyleText(Style), "Style Window", MB_OK | MB_ICONINFORMATION);
}
