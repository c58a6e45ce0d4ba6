// How an installation ends under Wine: the final "Error" box naming what was not installed,
// the system's reason under a failed creation, the exit codes, the unattended switches /S and
// /D=, the usage box, and Cancel during the run. (The command line's rules and the message's
// list: test_unzip_outcome on the host.)
#include <gtest/gtest.h>
#include "InstallerChecks.h"
#include "QConst.h"

namespace {

const char *const Incomplete = "The installation is incomplete.";

// Waits for the end of a silent run; ASeen tells whether any window showed meanwhile.
int WaitSilent(TInstaller &AInst, bool &ASeen)
{
    ASeen = false;
    for (int T = 0; T < 60000 && AInst.Running(); T += 10) {
        ASeen |= AInst.AnyVisibleWindow();
        Sleep(10);
    }
    return AInst.WaitExit(1000);
}

}  // namespace

// ---- The final message and the reasons -----------------------------------------------------

TEST(InstallerOutcome, FinalErrorBoxNamesTheEntryFailingItsCrcAndExitsTwo)
{
    std::string D = Work("outcome-crc");
    std::vector<TZipItem> E = Payload();
    E[2].BadCrc = true;
    std::string Setup = MakeSetup(D, E);
    TInstaller Inst;
    std::string T = D + "\\Target dir";
    ASSERT_TRUE(StartInstall(Inst, Setup, T));
    HWND Box = Inst.WaitWindow("Error", 60000);
    ASSERT_TRUE(Box);
    Shoot(Box, "incomplete.bmp");
    std::string Text = BoxText(Box);
    EXPECT_EQ(0u, Text.find(Incomplete)) << Text;
    EXPECT_NE(std::string::npos, Text.find("\r\ndocs/b.txt\r\n")) << Text;
    EXPECT_EQ(std::string::npos, Text.find("a.txt")) << Text;
    EXPECT_EQ(std::string::npos, Text.find("z.txt")) << Text;
    EXPECT_NE(std::string::npos, Text.find("Folder: " + T)) << Text;
    EXPECT_TRUE(HasStopIcon(Box));
    Press(Box, IDNO);   // "Undo the installation?" No: what was written stays
    EXPECT_EQ(Inst.WaitExit(), 2);
    EXPECT_FALSE(Inst.FindWindowOf("Confirmation."));
    ExpectInstalled(T, E, {"docs/b.txt"});
    EXPECT_TRUE(IsFile(T + "\\docs\\b.txt"));   // the damaged file is still written
}

TEST(InstallerOutcome, FileHeldOpenGivesTheSystemsReasonThenTheFinalBox)
{
    std::string D = Work("outcome-held");
    std::vector<TZipItem> E = Payload();
    std::string Setup = MakeSetup(D, E);
    std::string T = D + "\\t";
    MakeFolders(T);
    ASSERT_TRUE(QWriteFile(T + "\\a.txt", "held"));
    // Held open without sharing: the installer cannot replace it.
    HANDLE Held = CreateFileA((T + "\\a.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, 0,
                              OPEN_EXISTING, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, Held);
    TInstaller Inst;
    ASSERT_TRUE(StartInstall(Inst, Setup, T));
    HWND Ask = Inst.WaitWindow("File exist...", 60000);
    ASSERT_TRUE(Ask);
    Press(Ask, IDOK);   // replace it
    HWND Box = Inst.WaitWindow("Error", 60000);
    ASSERT_TRUE(Box);
    std::string Text = BoxText(Box);
    std::string Head = "Cannot create file\r\n" + T + "\\a.txt\r\n";
    ASSERT_EQ(0u, Text.find(Head)) << Text;
    std::string Reason = Text.substr(Head.size());
    EXPECT_GT(Reason.size(), 5u) << Text;   // the system's text, one line
    EXPECT_EQ(std::string::npos, Reason.find('\n')) << Text;
    Press(Box, IDOK);
    while (IsWindow(Box)) Sleep(10);
    Box = Inst.WaitWindow("Error", 60000);
    ASSERT_TRUE(Box);
    Text = BoxText(Box);
    EXPECT_EQ(0u, Text.find(Incomplete)) << Text;
    EXPECT_NE(std::string::npos, Text.find("\r\na.txt\r\n")) << Text;
    Press(Box, IDNO);
    EXPECT_EQ(Inst.WaitExit(), 2);
    CloseHandle(Held);
    std::string Data;
    ASSERT_TRUE(QReadFile(T + "\\a.txt", Data));
    EXPECT_EQ("held", Data);
    ExpectInstalled(T, E, {"a.txt"});
}

// ---- Unattended ------------------------------------------------------------------------------

// Silent runs show no window and tell the outcome in the exit code only: installed, with an
// existing file replaced without asking (0); an entry failing its CRC (2, the folder put back);
// a cut archive or a damaged integrity record (3, put back too); a wrong command line (1,
// nothing written).
TEST(InstallerOutcome, SilentRunsShowNothingAndSayItInTheExitCode)
{
    std::string D = Work("outcome-silent");
    std::vector<TZipItem> E = Payload(), Bad = Payload();
    Bad[2].BadCrc = true;
    std::string Zip = ZipBuild(E);
    // One flipped byte in the mark of the integrity record: the record is gone, which an
    // installer made with it must not take for an installer of old.
    std::string NoMark = BuildInstaller(Zip, "Good", "all");
    NoMark[NoMark.rfind("UFck")] ^= 0x01;
    const struct {
        const char *Name;
        std::string Exe;
        const char *Switches;
        int Code;
    } Cases[] = {
        {"integrity mark damaged", NoMark, "/S /D=", 3},
        {"installed", BuildInstaller(Zip, "Good", "all"), "/S /D=", 0},
        {"bad crc", BuildInstaller(ZipBuild(Bad), "Bad", "crc"), "/S /D=", 2},
        {"cut archive", BuildInstaller(Zip.substr(0, Zip.size() / 2), "Cut", "half"), "/S /D=", 3},
        {"unknown switch", BuildInstaller(Zip, "Good", "all"), "/S /X /D=", 1},
    };
    std::string T = D + "\\My Programs\\Tool  two";
    for (const auto &C : Cases) {
        SCOPED_TRACE(C.Name);
        QRemoveTree(T);
        MakeFolders(T);
        ASSERT_TRUE(QWriteFile(T + "\\a.txt", "old contents"));
        std::string Path = D + "\\setup.exe";
        ASSERT_TRUE(QWriteFile(Path, C.Exe));
        TInstaller Inst;
        ASSERT_TRUE(Inst.Start(Path, std::string(), 0, C.Switches + T));
        bool Seen = false;
        EXPECT_EQ(WaitSilent(Inst, Seen), C.Code);
        EXPECT_FALSE(Seen);
        if (C.Code == 0) ExpectInstalled(T, E);
        // An incomplete or refused run leaves the folder as it was.
        if (C.Code != 0) {
            EXPECT_EQ(QReadFile(T + "\\a.txt"), "old contents");
            EXPECT_FALSE(IsFile(T + "\\z.txt"));
        }
    }
}

// Waits for the end of the process APi started and lets go of it: its exit code, or -1 when
// it does not end within a minute (it is then ended).
static int WaitCode(PROCESS_INFORMATION &APi)
{
    DWORD Code = (DWORD)-1;
    if (WaitForSingleObject(APi.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(APi.hProcess, &Code);
    else
        TerminateProcess(APi.hProcess, 9);
    CloseHandle(APi.hThread);
    CloseHandle(APi.hProcess);
    return (int)Code;
}

// Starts AExe with the whole command line ALine (its first word need not name AExe) and waits
// for its exit code; -1 when it does not end within a minute.
static int RunLine(const std::string &AExe, std::string ALine)
{
    STARTUPINFOA Si = {};
    Si.cb = sizeof Si;
    PROCESS_INFORMATION Pi = {};
    if (!CreateProcessA(AExe.c_str(), &ALine[0], 0, 0, FALSE, 0, 0, 0, &Si, &Pi)) return -1;
    return WaitCode(Pi);
}

// The switches start after the program's name however the starting program wrote it: the
// installer's own start-up takes the name off the command line (quoted parts hold blanks,
// every byte above a blank belongs to it, blanks and tabs after it are skipped).
TEST(InstallerOutcome, SwitchesFollowTheProgramsNameAsLaunchersWriteIt)
{
    std::string D = Work("outcome-name");
    std::vector<TZipItem> E = Payload();
    std::string Setup = MakeSetup(D, E);
    const struct {
        const char *Name;
        const char *First;   // the command line's first word, the program's name
    } Cases[] = {
        {"quoted with blanks", "\"C:\\Program Files\\My Setup.exe\""},
        {"unquoted", "C:\\Downloads\\setup.exe"},
        {"quoted part inside", "C:\\\"My Downloads\"\\setup.exe"},
        {"bytes above 0x7F unquoted", "C:\\T\xE9l\xE9" "chargements\\setup.exe"},
        {"followed by a tab and blanks", "\"C:\\setup.exe\"\t  "},
    };
    for (const auto &C : Cases) {
        SCOPED_TRACE(C.Name);
        std::string T = D + "\\t";
        QRemoveTree(T);
        std::string Line = std::string(C.First) + " /S /D=" + T;
        EXPECT_EQ(RunLine(Setup, Line), 0) << Line;
        ExpectInstalled(T, E);
    }
}

// A folder given relative to the current one, of one or two characters or with a first level
// of two letters, and missing: made level by level from there, and installed into.
TEST(InstallerOutcome, RelativeFolderIsMadeFromTheCurrentOne)
{
    std::string D = Work("outcome-relative");
    std::vector<TZipItem> E = Payload();
    std::string Path = D + "\\setup.exe";
    ASSERT_TRUE(QWriteFile(Path, BuildInstaller(ZipBuild(E), "Good", "all")));
    for (const char *Folder : {"ab\\cd", "ab", "x"}) {
        SCOPED_TRACE(Folder);
        QRemoveTree(D + "\\ab");
        QRemoveTree(D + "\\x");
        TInstaller Inst;
        ASSERT_TRUE(Inst.Start(Path, D, 0, std::string("/S /D=") + Folder));
        bool Seen = false;
        EXPECT_EQ(WaitSilent(Inst, Seen), 0);
        ExpectInstalled(D + "\\" + Folder, E);
    }
}

TEST(InstallerOutcome, FolderSwitchPresetsTheFieldAndCancelExitsOne)
{
    std::string D = Work("outcome-preset");
    std::string Setup = MakeSetup(D, Payload());
    std::string T = D + "\\with blanks \\and more";
    TInstaller Inst;
    ASSERT_TRUE(Inst.Start(Setup, std::string(), 0, "/D=" + T));
    HWND Dlg = Inst.WaitWindow(MainCaption);
    ASSERT_TRUE(Dlg);
    for (int W = 0; W < 2000 && ItemText(Dlg, CM_EDIT) != T; W += 20) Sleep(20);
    EXPECT_EQ(T, ItemText(Dlg, CM_EDIT));
    Press(Dlg, CM_NO);
    EXPECT_EQ(Inst.WaitExit(), 1);   // cancelled before anything was written
    EXPECT_FALSE(IsFolder(T));
}

TEST(InstallerOutcome, UnknownArgumentsShowTheUsageAndExitOne)
{
    std::string D = Work("outcome-usage");
    std::string Setup = MakeSetup(D, Payload());
    TInstaller Inst;
    ASSERT_TRUE(Inst.Start(Setup, D, 0, "/X"));
    HWND Box = Inst.WaitWindow("Usage");
    ASSERT_TRUE(Box);
    std::string Text = BoxText(Box);
    EXPECT_NE(std::string::npos, Text.find("/S")) << Text;
    EXPECT_NE(std::string::npos, Text.find("/D=FOLDER")) << Text;
    EXPECT_FALSE(Inst.FindWindowOf(MainCaption));
    Press(Box, IDOK);
    EXPECT_EQ(Inst.WaitExit(), 1);
    EXPECT_FALSE(IsFile(D + "\\a.txt"));
}

// ---- Cancel during the run --------------------------------------------------------------------

TEST(InstallerOutcome, CancelDuringTheRunAsksAndStopsAfterTheCurrentFile)
{
    std::string D = Work("outcome-stop");
    std::vector<TZipItem> E = ManyFiles(200, 1000);
    std::string Setup = MakeSetup(D, E);
    TInstaller Inst;
    std::string T = D + "\\t";
    // Cancel queued behind OK: the run meets it with its first file.
    HWND Dlg = StartInstall(Inst, Setup, T);
    ASSERT_TRUE(Dlg);
    Press(Dlg, CM_NO);
    HWND Ask = Inst.WaitWindow("Stop installation", 60000);
    ASSERT_TRUE(Ask);
    EXPECT_EQ("Stop the installation?", BoxText(Ask));
    EXPECT_TRUE(GetDlgItem(Ask, IDYES) && GetDlgItem(Ask, IDNO));
    Press(Ask, IDYES);
    EXPECT_EQ(Inst.WaitExit(), 2);
    EXPECT_FALSE(Inst.FindWindowOf("Confirmation."));
    // The run is undone: the folder it made is gone with the files.
    EXPECT_FALSE(IsFolder(T));
}

// ---- Paths in any script ---------------------------------------------------------------------

namespace {

std::wstring Wide(const std::string &AUtf8)
{
    std::wstring W(AUtf8.size() + 1, L'\0');
    int N = MultiByteToWideChar(CP_UTF8, 0, AUtf8.c_str(), -1, &W[0], (int)W.size());
    W.resize(N > 0 ? N - 1 : 0);
    return W;
}

// The bytes of the file named in UTF-8, read by its UTF-16 name; false when it cannot be read.
bool ReadWide(const std::string &AUtf8, std::string &AData)
{
    HANDLE H = CreateFileW(Wide(AUtf8).c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    if (H == INVALID_HANDLE_VALUE) return false;
    AData.assign(1 << 20, '\0');
    DWORD Got = 0;
    ReadFile(H, &AData[0], (DWORD)AData.size(), &Got, 0);
    CloseHandle(H);
    AData.resize(Got);
    return true;
}

// Every file entry of AEntries under ADir (UTF-8), byte for byte.
void ExpectInstalledWide(const std::string &ADir, const std::vector<TZipItem> &AEntries)
{
    for (const TZipItem &E : AEntries) {
        if (E.Name.back() == '/') continue;
        std::string Data;
        ASSERT_TRUE(ReadWide(ADir + "\\" + BackSlashes(E.Name), Data)) << E.Name;
        EXPECT_TRUE(Data == E.Data) << E.Name;
    }
}

// Starts AExe (UTF-8 path) with the tail AArgs through the UTF-16 API, as Explorer does.
bool StartWide(PROCESS_INFORMATION &APi, const std::string &AExe, const std::string &AArgs)
{
    std::wstring Line = L"\"" + Wide(AExe) + L"\" " + Wide(AArgs);
    STARTUPINFOW Si = {};
    Si.cb = sizeof Si;
    return CreateProcessW(Wide(AExe).c_str(), &Line[0], 0, 0, FALSE, 0, 0, 0, &Si, &APi) != 0;
}


}  // namespace

// The installer lies in a folder whose name is outside every single code page (Polish,
// Cyrillic and Japanese letters) and installs into a folder named in another script: given
// by /D= under /S, and typed into the field.
TEST(InstallerOutcome, FoldersInAnyScript)
{
    // A folder of its own for each run: the tree cleaner works with code page names only.
    std::string D = Work("outcome-scripts") + "\\" + std::to_string(GetTickCount());
    MakeFolders(D);
    const std::string Home = D + "\\\xC5\x81ukasz \xD0\x9F\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80 "
                                 "\xE6\x97\xA5\xE6\x9C\xAC";   // Łukasz Пример 日本
    const std::string Greek = "\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1";   // Ωμέγα
    ASSERT_TRUE(CreateDirectoryW(Wide(Home).c_str(), 0));
    std::vector<TZipItem> E = Payload();
    std::string Exe = BuildInstaller(ZipBuild(E), "Scripts", "any");
    std::string Setup = Home + "\\setup.exe";
    HANDLE H = CreateFileW(Wide(Setup).c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, H);
    DWORD Put = 0;
    WriteFile(H, Exe.data(), (DWORD)Exe.size(), &Put, 0);
    CloseHandle(H);

    // Silent, the folder given by /D=.
    PROCESS_INFORMATION Pi = {};
    std::string Silent = D + "\\" + Greek + " silent";
    ASSERT_TRUE(StartWide(Pi, Setup, "/S /D=" + Silent));
    EXPECT_EQ(0, WaitCode(Pi));
    ExpectInstalledWide(Silent, E);

    // Through the dialog, the folder typed into the field.
    std::string Typed = D + "\\" + Greek + " typed";
    ASSERT_TRUE(StartWide(Pi, Setup, ""));
    HWND Dlg = 0;
    for (int T = 0; T < 30000 && !Dlg; T += 50) {
        Dlg = FindWindowA("#32770", MainCaption);
        if (!Dlg || !IsWindowVisible(Dlg)) Dlg = 0, Sleep(50);
    }
    ASSERT_TRUE(Dlg);
    SendMessageW(GetDlgItem(Dlg, CM_EDIT), WM_SETTEXT, 0, (LPARAM)Wide(Typed).c_str());
    Press(Dlg, CM_OK);
    HWND Done = 0;
    for (int T = 0; T < 60000 && !Done; T += 50) {
        Done = FindWindowA("#32770", "Confirmation.");
        if (!Done) Sleep(50);
    }
    ASSERT_TRUE(Done);
    WCHAR Text[1024] = L"";
    GetDlgItemTextW(Done, 0xFFFF, Text, 1024);
    EXPECT_NE(std::wstring::npos, std::wstring(Text).find(Wide(Typed)));   // the folder as typed
    Press(Done, IDOK);
    EXPECT_EQ(0, WaitCode(Pi));
    ExpectInstalledWide(Typed, E);
}

// A folder that refuses every file (a copy left by an elevated install in a protected folder;
// here a folder stands where each file goes): one box tells the first failure with its
// reason, the final box names the files, the first ten and how many more.
TEST(InstallerOutcome, ManyFilesRefusedShowOneBoxThenTheList)
{
    std::string D = Work("outcome-refused");
    std::vector<TZipItem> E = ManyFiles(30, 100);
    std::string Setup = MakeSetup(D, E);
    std::string T = D + "\\t";
    for (const TZipItem &F : E) MakeFolders(T + "\\" + F.Name);
    TInstaller Inst;
    ASSERT_TRUE(StartInstall(Inst, Setup, T));
    HWND Box = Inst.WaitWindow("Error", 60000);
    ASSERT_TRUE(Box);
    std::string Text = BoxText(Box);
    EXPECT_EQ(0u, Text.find("Cannot create file\r\n" + T + "\\f100.txt\r\n")) << Text;
    Press(Box, IDOK);
    while (IsWindow(Box)) Sleep(10);
    Box = Inst.WaitWindow("Error", 60000);
    ASSERT_TRUE(Box);
    Text = BoxText(Box);
    EXPECT_EQ(0u, Text.find(Incomplete)) << Text;   // the next box is the final one
    EXPECT_NE(std::string::npos, Text.find("\r\nf109.txt\r\n")) << Text;
    EXPECT_NE(std::string::npos, Text.find("and 20 more")) << Text;
    Press(Box, IDNO);   // "Undo the installation?" No
    EXPECT_EQ(Inst.WaitExit(), 2);
}
