// The undo under Wine: an update over an installed older version with a damaged entry in the
// middle is put back through the dialog (Yes to "Undo the installation?") and under /S; Cancel
// in the middle of a larger install leaves nothing new; a run killed before its undo is put
// back by the next run into the same folder. (Every entry position and failure: test_unzip_undo
// on the host.)
#include <gtest/gtest.h>

#include <set>

#include "InstallerChecks.h"
#include "QConst.h"

namespace {

const char *const UndoFolder = "Unfurl undo (do not delete)";

// Every file and folder under ADir, relative, with backslashes.
void ListTree(const std::string &ADir, const std::string &APrefix, std::set<std::string> &ANames)
{
    WIN32_FIND_DATAA Fd;
    HANDLE F = FindFirstFileA((ADir + "\\*").c_str(), &Fd);
    if (F == INVALID_HANDLE_VALUE) return;
    do {
        std::string N = Fd.cFileName;
        if (N == "." || N == "..") continue;
        ANames.insert(APrefix + N);
        if (Fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListTree(ADir + "\\" + N, APrefix + N + "\\", ANames);
    } while (FindNextFileA(F, &Fd));
    FindClose(F);
}

std::set<std::string> Tree(const std::string &ADir)
{
    std::set<std::string> Names;
    ListTree(ADir, "", Names);
    return Names;
}

// The older version: two files the update replaces, with times of their own.
std::vector<TZipItem> OldVersion()
{
    std::vector<TZipItem> E(2);
    E[0].Name = "a.txt";
    E[0].Data = "old first file\r\n";
    E[0].Date = 0x4A21;   // 2017-01-01
    E[1].Name = "docs/b.txt";
    E[1].Data = std::string(3000, 'o');
    E[1].Date = 0x4A22;
    E[1].Time = 0x5A31;
    return E;
}

// The folder after the older version and a file of the user's.
const std::set<std::string> OldTree = {"a.txt", "docs", "docs\\b.txt", "my.cfg"};

// The update: Payload (a.txt and docs\b.txt replaced, docs\stored.bin and z.txt new) and a
// new folder; ADamaged: docs\stored.bin, in the middle, fails its CRC.
std::vector<TZipItem> NewVersion(bool ADamaged)
{
    std::vector<TZipItem> E = Payload();
    E.push_back(Item("new/n.txt", "new folder's file"));
    E[3].BadCrc = ADamaged;
    return E;
}

// T emptied, then the older version installed (silently, by an installer) and the user's file.
void InstallOld(const std::string &AWork, const std::string &T)
{
    QRemoveTree(T);
    std::string Setup = MakeSetup(AWork, OldVersion(), "old.exe");
    TInstaller Inst;
    ASSERT_TRUE(Inst.Start(Setup, std::string(), 0, "/S /D=" + T));
    ASSERT_EQ(0, Inst.WaitExit());
    ASSERT_TRUE(QWriteFile(T + "\\my.cfg", "user settings"));
    ASSERT_EQ(OldTree, Tree(T));
}

void ExpectOldVersion(const std::string &T)
{
    EXPECT_EQ(OldTree, Tree(T));
    ExpectInstalled(T, OldVersion());
    EXPECT_EQ("user settings", QReadFile(T + "\\my.cfg"));
}

// The update through the dialog, "Rewrite all files" at the first prompt; answers the final
// "Error" box, the one asking whether to undo.
HWND UpdateUntilTheQuestion(TInstaller &AInst, const std::string &ASetup, const std::string &T)
{
    if (!StartInstall(AInst, ASetup, T)) return 0;
    HWND Ask = AInst.WaitWindow("File exist...", 60000);
    if (!Ask) return 0;
    SendDlgItemMessageA(Ask, CM_CHECK, BM_SETCHECK, BST_CHECKED, 0);
    Press(Ask, IDOK);
    return AInst.WaitWindow("Error", 60000);
}

}  // namespace

TEST(InstallerUndo, DamagedUpdateIsPutBackThroughTheDialogAndSilently)
{
    std::string D = Work("undo-update");
    std::string Setup = MakeSetup(D, NewVersion(true));
    for (bool Silent : {false, true}) {
        SCOPED_TRACE(Silent ? "/S" : "dialog");
        std::string T = D + "\\Program";
        InstallOld(D, T);
        TInstaller Inst;
        if (Silent) {
            ASSERT_TRUE(Inst.Start(Setup, std::string(), 0, "/S /D=" + T));
        } else {
            HWND Box = UpdateUntilTheQuestion(Inst, Setup, T);
            ASSERT_TRUE(Box);
            std::string Text = BoxText(Box);
            EXPECT_NE(std::string::npos, Text.find("\r\ndocs/stored.bin\r\n")) << Text;
            EXPECT_EQ(Text.size() - 26, Text.find("\r\n\r\nUndo the installation?")) << Text;
            EXPECT_TRUE(GetDlgItem(Box, IDYES) && GetDlgItem(Box, IDNO));
            Shoot(Box, "undo-question.bmp");
            Press(Box, IDYES);
        }
        EXPECT_EQ(2, Inst.WaitExit());
        ExpectOldVersion(T);
    }
}

TEST(InstallerUndo, CancelInTheMiddleLeavesNothingNew)
{
    std::string D = Work("undo-cancel");
    std::vector<TZipItem> E = ManyFiles(200, 1000);
    E.insert(E.begin() + 100, Item("sub/deeper/file.txt", "in new folders"));
    std::string Setup = MakeSetup(D, E);
    std::string T = D + "\\t";
    MakeFolders(T);
    ASSERT_TRUE(QWriteFile(T + "\\my.cfg", "user settings"));
    TInstaller Inst;
    HWND Dlg = StartInstall(Inst, Setup, T);
    ASSERT_TRUE(Dlg);
    // Cancel once the run is in the middle.
    for (int W = 0; W < 60000 && !IsFile(T + "\\f1100.txt"); W += 5) Sleep(5);
    Press(Dlg, CM_NO);
    HWND Ask = Inst.WaitWindow("Stop installation", 60000);
    ASSERT_TRUE(Ask);
    Press(Ask, IDYES);
    bool Boxed = false;
    for (int W = 0; W < 60000 && Inst.Running(); W += 10) {
        Boxed |= Inst.FindWindowOf("Error") != 0;
        Sleep(10);
    }
    EXPECT_EQ(2, Inst.WaitExit());
    EXPECT_FALSE(Boxed);   // the user asked for it: no question, nothing to report
    EXPECT_EQ(std::set<std::string>({"my.cfg"}), Tree(T));
    EXPECT_EQ("user settings", QReadFile(T + "\\my.cfg"));
}

TEST(InstallerUndo, AKilledRunIsPutBackByTheNextRun)
{
    std::string D = Work("undo-killed");
    std::string Damaged = MakeSetup(D, NewVersion(true), "damaged.exe");
    std::string Good = MakeSetup(D, NewVersion(false), "good.exe");
    for (bool Silent : {false, true}) {
        SCOPED_TRACE(Silent ? "/S" : "dialog");
        std::string T = D + "\\Program";
        InstallOld(D, T);
        {
            // Killed at its question: the replaced files are aside, the new ones in place.
            TInstaller Inst;
            ASSERT_TRUE(UpdateUntilTheQuestion(Inst, Damaged, T));
            Inst.End();
        }
        ASSERT_TRUE(IsFolder(T + "\\" + UndoFolder));
        EXPECT_TRUE(IsFile(T + "\\z.txt"));
        TInstaller Inst;
        if (Silent) {
            // Put back first, then this run fails in its turn and is undone: the old version.
            ASSERT_TRUE(Inst.Start(Damaged, std::string(), 0, "/S /D=" + T));
            EXPECT_EQ(2, Inst.WaitExit());
            ExpectOldVersion(T);
            continue;
        }
        // The next run offers it first; when it then asks about a.txt, the old version is back.
        ASSERT_TRUE(StartInstall(Inst, Good, T));
        HWND Box = Inst.WaitWindow("Error", 60000);
        ASSERT_TRUE(Box);
        EXPECT_EQ("An earlier installation into this folder did not finish.\r\n"
                  "Put the folder back as it was before it?",
                  BoxText(Box));
        Shoot(Box, "undo-put-back.bmp");
        Press(Box, IDYES);
        HWND Ask = Inst.WaitWindow("File exist...", 60000);
        ASSERT_TRUE(Ask);
        std::set<std::string> Back = OldTree;
        Back.insert(UndoFolder);   // this run's own
        Back.insert(std::string(UndoFolder) + "\\journal");
        EXPECT_EQ(Back, Tree(T));
        ExpectInstalled(T, OldVersion());
        SendDlgItemMessageA(Ask, CM_CHECK, BM_SETCHECK, BST_CHECKED, 0);
        Press(Ask, IDOK);
        HWND Done = Inst.WaitWindow("Confirmation.", 60000);
        ASSERT_TRUE(Done);
        Press(Done, IDOK);
        EXPECT_EQ(0, Inst.WaitExit());
        ExpectInstalled(T, NewVersion(false));
        EXPECT_FALSE(IsFolder(T + "\\" + UndoFolder));
    }
}
