// QSysUtil on the host (the native build that runs the tests): POSIX files and folders,
// backslashes taken as separators, message boxes as lines on stderr.
#include <glob.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "QHostPath.h"
#include "QSysUtil.h"

static int HostMessageBox(HWND, const char *AText, const char *ACaption, unsigned)
{
    fprintf(stderr, "[%s] %s\n", ACaption, AText);
    return qidOK;
}

TMessageBoxProc QMessageBoxProc = HostMessageBox;

static bool IsFolder(const string &AHostName)
{
    struct stat St;
    return stat(AHostName.c_str(), &St) == 0 && S_ISDIR(St.st_mode);
}

bool FileExists(PChar Filename)
{
    size_t Len = strlen(Filename);
    if (Len == 0) return false;
    if (Filename[Len - 1] == '\\') return IsFolder(HostPath(Filename));   // "." always matches
    for (char *P = Filename; *P; P++)
        if (*P == '/') *P = '\\';
    string Name = HostPath(Filename);
    if (strpbrk(Name.c_str(), "*?")) {
        // Wildcards match as in a directory search.
        glob_t G;
        int Rc = glob(Name.c_str(), GLOB_NOSORT, 0, &G);
        globfree(&G);
        return Rc == 0;
    }
    struct stat St;
    return lstat(Name.c_str(), &St) == 0;
}

bool DirectoryExists(const string &Name) { return IsFolder(HostPath(Name.c_str())); }

bool CreateDir(const string &Dir) { return mkdir(HostPath(Dir.c_str()).c_str(), 0777) == 0; }

// The desktop's opener stands in for the shell; the outcome is ignored as on Windows.
void RunExec(const string &AFileName, const string &APath, const string &AParams)
{
    pid_t Child = fork();
    if (Child == 0) {
        // A grandchild does the work so nobody has to wait for it.
        if (fork() == 0) {
            if (!APath.empty() && chdir(HostPath(APath.c_str()).c_str()) != 0) _exit(1);
            string File = HostPath(AFileName.c_str());
            if (AParams.empty())
                execlp("xdg-open", "xdg-open", File.c_str(), (char *)0);
            else
                execlp(File.c_str(), File.c_str(), AParams.c_str(), (char *)0);
            _exit(127);
        }
        _exit(0);
    }
    if (Child > 0) waitpid(Child, 0, 0);
}

// Windows-1252 case pairs: ASCII letters, the Latin-1 letters and the few in 0x8A-0x9F.
static unsigned char UpperOf(unsigned char C)
{
    if (C >= 'a' && C <= 'z') return C - 32;
    if (C >= 0xE0 && C <= 0xFE && C != 0xF7) return C - 32;
    if (C == 0x9A || C == 0x9C || C == 0x9E) return C - 16;
    if (C == 0xFF) return 0x9F;
    return C;
}

static unsigned char LowerOf(unsigned char C)
{
    if (C >= 'A' && C <= 'Z') return C + 32;
    if (C >= 0xC0 && C <= 0xDE && C != 0xD7) return C + 32;
    if (C == 0x8A || C == 0x8C || C == 0x8E) return C + 16;
    if (C == 0x9F) return 0xFF;
    return C;
}

string AnsiUpperCase(const string &S)
{
    string R(S);
    for (size_t I = 0; I < R.length(); I++) R[I] = (char)UpperOf((unsigned char)R[I]);
    return R;
}

string AnsiLowerCase(const string &S)
{
    string R(S);
    for (size_t I = 0; I < R.length(); I++) R[I] = (char)LowerOf((unsigned char)R[I]);
    return R;
}

PChar AnsiStrUpper(PChar Str)
{
    for (char *P = Str; *P; P++) *P = (char)UpperOf((unsigned char)*P);
    return Str;
}

PChar AnsiStrLower(PChar Str)
{
    for (char *P = Str; *P; P++) *P = (char)LowerOf((unsigned char)*P);
    return Str;
}

string ProgramFileName()
{
    char Buf[4096];
    ssize_t Len = readlink("/proc/self/exe", Buf, sizeof Buf);
    return Len > 0 && Len < (ssize_t)sizeof Buf ? string(Buf, (size_t)Len) : string();
}

// The host has no windows: the box lists the flags of an empty style.
void GetWindowStyle(HWND Wnd)
{
    QMessageBox(Wnd, WindowStyleText(0), "Style Window", qmbOK | qmbIconInformation);
}
