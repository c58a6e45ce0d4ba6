// How an installation ends under Wine: the final "Error" box naming what was not installed,
// the system's reason under a failed creation, the exit codes, the unattended switches /S and
// /D=, the usage box, and Cancel during the run.
#include <gtest/gtest.h>
#include "InstallerChecks.h"
#include "QConst.h"

namespace {

const char *const Incomplete = "The installation is incomplete.";

std::vector<TZipItem> Payload()
{
    std::vector<TZipItem> E(5);
    E[0].Name = "a.txt";
    E[0].Data = "first file\r\n";
    E[1].Name = "docs/";
    E[1].Method = 0;
    E[2].Name = "docs/b.txt";
    E[2].Data = std::string(5000, 'b') + "end";
    E[3].Name = "docs/stored.bin";
    E[3].Method = 0;
    for (int I = 0; I < 300; I++) E[3].Data += (char)(I * 7);
    E[4].Name = "z.txt";
    E[4].Data = "last";
    E[4].Time = 0x7A31;
    return E;
}

std::string MakeSetup(const std::string &ADir, const std::vector<TZipItem> &AEntries)
{
    std::string Exe = BuildInstaller(ZipBuild(AEntries), "Outcome", "exit codes and messages");
    EXPECT_FALSE(Exe.empty());
    std::string Path = ADir + "\\setup.exe";
    EXPECT_TRUE(QWriteFile(Path, Exe));
    return Path;
}

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
    ASSERT_TRUE(Inst.Start(Setup));
    HWND Dlg = Inst.WaitWindow(MainCaption);
    ASSERT_TRUE(Dlg);
    std::string T = D + "\\Target dir";
    SetItemText(Dlg, CM_EDIT, T);
    Press(Dlg, CM_OK);
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
    Press(Box, IDOK);
    EXPECT_EQ(Inst.WaitExit(), 2);
    EXPECT_FALSE(Inst.FindWindowOf("Confirmation."));
    ExpectInstalled(T, E, {"docs/b.txt"});
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
    ASSERT_TRUE(Inst.Start(Setup));
    HWND Dlg = Inst.WaitWindow(MainCaption);
    ASSERT_TRUE(Dlg);
    SetItemText(Dlg, CM_EDIT, T);
    Press(Dlg, CM_OK);
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
    Press(Box, IDOK);
    EXPECT_EQ(Inst.WaitExit(), 2);
    CloseHandle(Held);
    std::string Data;
    ASSERT_TRUE(QReadFile(T + "\\a.txt", Data));
    EXPECT_EQ("held", Data);
    ExpectInstalled(T, E, {"a.txt"});
}

// ---- Unattended ------------------------------------------------------------------------------

TEST(InstallerOutcome, SilentInstallIntoAFolderWithBlanksWritesEveryFile)
{
    std::string D = Work("outcome-silent");
    std::vector<TZipItem> E = Payload();
    std::string Setup = MakeSetup(D, E);
    std::string T = D + "\\My Programs\\Tool  two";
    MakeFolders(T);
    ASSERT_TRUE(QWriteFile(T + "\\a.txt", "old contents, replaced without asking"));
    TInstaller Inst;
    ASSERT_TRUE(Inst.Start(Setup, std::string(), 0, "/S /D=" + T));
    bool Seen = false;
    EXPECT_EQ(WaitSilent(Inst, Seen), 0);
    EXPECT_FALSE(Seen);
    ExpectInstalled(T, E);
}

TEST(InstallerOutcome, SilentInstallOfADamagedPayloadShowsNothingAndSaysSoInItsCode)
{
    std::string D = Work("outcome-silent-damaged");
    std::vector<TZipItem> E = Payload();
    std::string Zip = ZipBuild(E);
    std::vector<TZipItem> Bad = Payload();
    Bad[2].BadCrc = true;
    struct {
        const char *Name;
        std::string Exe;
        int Code;
    } Cases[] = {
        {"cut archive", BuildInstaller(Zip.substr(0, Zip.size() / 2), "Cut", "half"), 3},
        {"bad crc", BuildInstaller(ZipBuild(Bad), "Bad", "crc"), 2},
    };
    for (auto &C : Cases) {
        std::string T = D + "\\t";
        QRemoveTree(T);
        std::string Path = D + "\\setup.exe";
        ASSERT_TRUE(QWriteFile(Path, C.Exe)) << C.Name;
        TInstaller Inst;
        ASSERT_TRUE(Inst.Start(Path, std::string(), 0, "/S /D=" + T)) << C.Name;
        bool Seen = false;
        EXPECT_EQ(WaitSilent(Inst, Seen), C.Code) << C.Name;
        EXPECT_FALSE(Seen) << C.Name;
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
    EXPECT_EQ(Inst.WaitExit(), 1);
    EXPECT_FALSE(IsFolder(T));
}

TEST(InstallerOutcome, UnknownArgumentsShowTheUsageOrExitOneWhenSilent)
{
    std::string D = Work("outcome-usage");
    std::string Setup = MakeSetup(D, Payload());
    {
        TInstaller Inst;
        ASSERT_TRUE(Inst.Start(Setup, std::string(), 0, "/X"));
        HWND Box = Inst.WaitWindow("Usage");
        ASSERT_TRUE(Box);
        std::string Text = BoxText(Box);
        EXPECT_NE(std::string::npos, Text.find("/S")) << Text;
        EXPECT_NE(std::string::npos, Text.find("/D=FOLDER")) << Text;
        EXPECT_FALSE(Inst.FindWindowOf(MainCaption));
        Press(Box, IDOK);
        EXPECT_EQ(Inst.WaitExit(), 1);
    }
    {
        TInstaller Inst;
        ASSERT_TRUE(Inst.Start(Setup, std::string(), 0, "/S /X"));
        bool Seen = false;
        EXPECT_EQ(WaitSilent(Inst, Seen), 1);
        EXPECT_FALSE(Seen);
    }
    EXPECT_FALSE(IsFile(D + "\\a.txt"));
}

// ---- Cancel during the run --------------------------------------------------------------------

TEST(InstallerOutcome, CancelDuringTheRunAsksAndStopsAfterTheCurrentFile)
{
    std::string D = Work("outcome-stop");
    std::vector<TZipItem> E = ManyFiles(200, 1000);
    std::string Setup = MakeSetup(D, E);
    TInstaller Inst;
    ASSERT_TRUE(Inst.Start(Setup));
    HWND Dlg = Inst.WaitWindow(MainCaption);
    ASSERT_TRUE(Dlg);
    std::string T = D + "\\t";
    SetItemText(Dlg, CM_EDIT, T);
    // Cancel queued behind OK: the run meets it with its first file.
    Press(Dlg, CM_OK);
    Press(Dlg, CM_NO);
    HWND Ask = Inst.WaitWindow("Stop installation", 60000);
    ASSERT_TRUE(Ask);
    EXPECT_EQ("Stop the installation?", BoxText(Ask));
    EXPECT_TRUE(GetDlgItem(Ask, IDYES) && GetDlgItem(Ask, IDNO));
    Press(Ask, IDYES);
    HWND Box = Inst.WaitWindow("Error", 60000);
    ASSERT_TRUE(Box);
    std::string Text = BoxText(Box);
    EXPECT_EQ(0u, Text.find(Incomplete)) << Text;
    EXPECT_NE(std::string::npos, Text.find(" more\r\n")) << Text;
    Press(Box, IDOK);
    EXPECT_EQ(Inst.WaitExit(), 2);
    EXPECT_FALSE(Inst.FindWindowOf("Confirmation."));
    // The first file is whole; the last was never begun.
    std::string Data;
    ASSERT_TRUE(QReadFile(T + "\\f1000.txt", Data));
    EXPECT_TRUE(Data == E[0].Data);
    EXPECT_FALSE(IsFile(T + "\\f1199.txt"));
}
