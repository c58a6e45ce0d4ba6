// How an installation is asked for and how it ends: the command line, the final message
// naming the entries not installed, and the entries that must not count as installed (a
// folder in a file's place, more data than declared, a stop asked by the user); DOS times that
// name no moment.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include "QTestFiles.h"
#include "UnfurlOutcome.h"
#include "UnzipHarness.h"
#include "ZipBuild.h"

namespace {

std::string Cmd(const char *ALine, TCommandLine &C)
{
    ParseCommandLine(ALine, C);
    return std::string(C.Silent ? "S" : "-") + (C.Usage ? "U" : "-") + "[" + C.Folder.c_str() + "]";
}

}  // namespace

// ---- Command line ---------------------------------------------------------------------------

TEST(CommandLine, SwitchesFolderAndUsage)
{
    struct {
        const char *Line, *Expect;   // S silent, U usage, [folder]
    } Cases[] = {
        {"", "--[]"},
        {"   ", "--[]"},
        {"/S", "S-[]"},
        {"\t/S  ", "S-[]"},
        {"/D=C:\\Program Files\\My App", "--[C:\\Program Files\\My App]"},
        {"/S /D=C:\\Program Files\\My App  ", "S-[C:\\Program Files\\My App]"},
        {"/D=C:\\a \"b\" /S", "--[C:\\a \"b\" /S]"},   // the rest of the line, verbatim
        {"/S /S", "S-[]"},
        {"/D=", "-U[]"},
        {"/D=   ", "-U[]"},
        {"/s", "-U[]"},
        {"/SS", "-U[]"},
        {"/S /X", "SU[]"},
        {"\"/S\"", "-U[]"},
        {"/d=C:\\x", "-U[]"},
        {"install.exe", "-U[]"},
        {"/D C:\\x", "-U[]"},
    };
    for (auto &C : Cases) {
        TCommandLine Line;
        EXPECT_EQ(C.Expect, Cmd(C.Line, Line)) << C.Line;
    }
    TCommandLine Line;
    EXPECT_EQ("--[]", Cmd(0, Line));
}

// ---- The final message --------------------------------------------------------------------

TEST(IncompleteMessage, NamesTheFirstTenThenCountsAndGivesTheFolder)
{
    TFailedList L;
    FailedReset(L);
    FailedAdd(L, "a.txt");
    FailedAdd(L, "sub/b.txt");
    EXPECT_EQ(2, L.Count);
    EXPECT_STREQ("The installation is incomplete.\r\nNot installed correctly:\r\n\r\n"
                 "a.txt\r\nsub/b.txt\r\n\r\nFolder: C:\\Program Files\\X",
                 IncompleteMessage(L, "C:\\Program Files\\X").c_str());

    FailedReset(L);
    for (int I = 0; I < 13; I++) FailedAdd(L, ("f" + std::to_string(10 + I)).c_str());
    std::string Text = IncompleteMessage(L, "D:\\y").c_str();
    EXPECT_NE(std::string::npos, Text.find("f10\r\nf11\r\n"));
    EXPECT_NE(std::string::npos, Text.find("f19\r\nand 3 more\r\n\r\nFolder: D:\\y"));
    EXPECT_EQ(std::string::npos, Text.find("f20"));
    EXPECT_EQ(13, L.Count);

    // Exactly ten: no count line.
    FailedReset(L);
    for (int I = 0; I < 10; I++) FailedAdd(L, "n");
    EXPECT_EQ(std::string::npos, std::string(IncompleteMessage(L, "x").c_str()).find("more"));
}

// ---- Entries that are not installed ----------------------------------------------------------

// Whatever the overwrite mode: no prompt about a folder, not kept as if it were the file; a
// folder entry whose folder is there is done.
TEST(NotInstalled, FolderHoldingAFilesNameIsAFileNotCreated)
{
    for (uint8_t Mode : {omReplace, omKeep, omAsk}) {
        SCOPED_TRACE((int)Mode);
        Walk W(ZipBuild({Item("sub", "file data"), Item("sub2/", ""), Item("z.txt", "z")}));
        W.Fs.Dirs.insert(W.At("sub"));
        W.Fs.Dirs.insert(W.At("sub2"));
        W.List();
        W.R.OverwriteMode = Mode;
        W.Extract();
        EXPECT_TRUE(W.Dlg.Asked.empty());
        EXPECT_FALSE(W.R.AllExtracted);
        EXPECT_EQ((std::set<std::string>{"sub"}), SelectedItems(W.Dlg));
        ASSERT_EQ(2u, W.Dlg.Errors.size());
        EXPECT_EQ("Cannot create file\r\nT:\\inst\\sub\r\nAccess is denied.", W.Error(0));
        EXPECT_NE(std::string::npos, W.Error(1).find(":\r\n\r\nsub\r\n\r\nFolder: T:\\inst"));
        EXPECT_EQ("z", W.Data("z.txt"));
    }
}

TEST(NotInstalled, MoreDataThanDeclaredStopsTheEntryAtTheBound)
{
    // Declared 1,000 bytes; the data holds 5,000 (one final write) or 100,000 (full windows),
    // deflated or stored. Nothing past the declared size reaches the disk; the CRC matches
    // the full data, so only the bound can catch it. (Every good run shows that data of
    // exactly the declared size passes.)
    for (size_t Size : {5000u, 100000u}) {
        for (uint16_t Method : {8, 0}) {
            std::string Data(Size, 'q');
            for (size_t I = 0; I < Size; I += 7) Data[I] = (char)('a' + I % 23);
            SCOPED_TRACE(std::to_string(Size) + " method " + std::to_string(Method));
            std::vector<TZipItem> Items = {Item("big.bin", Data, Method), Item("next.txt", "next")};
            Items[0].Declared = 1000;
            Walk W(ZipBuild(Items));
            ASSERT_TRUE(W.Run());
            ASSERT_TRUE(W.Has("big.bin"));
            EXPECT_LE(W.Data("big.bin").size(), 1000u);
            EXPECT_EQ((std::set<std::string>{"big.bin"}), SelectedItems(W.Dlg));
            EXPECT_EQ("next", W.Data("next.txt"));
            EXPECT_NE(std::string::npos, W.LastError().find("\r\nbig.bin\r\n"));
            EXPECT_EQ(-1, W.R.Entry.OutLeft);   // no bound left behind for the next entry
        }
    }
}

// The user's Yes to "Stop the installation?" comes while a file is being written (the one
// waiting message per file): that file is finished, the run stops before the next.
static TUnZipRun *StopRun = 0;
static void AskStopOnFirstDispatch(HWND ADlg)
{
    if (((TMemDialog *)(void *)ADlg)->Dispatched++ == 0) StopRun->StopAsked = true;
}

TEST(NotInstalled, StopAskedFinishesTheCurrentFileThenUndoesTheRun)
{
    std::vector<TZipItem> Items = {Item("a.txt", std::string(70000, 'a')), Item("b.txt", "b"),
                                   Item("c.txt", "c")};
    Walk W(ZipBuild(Items));
    StopRun = &W.R;
    W.List();
    TUnZipDialog Dialog = *W.R.Dialog;
    Dialog.DispatchOne = AskStopOnFirstDispatch;
    W.R.Dialog = &Dialog;
    W.Extract();
    EXPECT_EQ(reStopped, W.R.RunEnd);
    // a.txt was written whole (its item deselected), then the stopped run was undone without
    // a question or a message.
    EXPECT_EQ((std::set<std::string>{"b.txt", "c.txt"}), SelectedItems(W.Dlg));
    EXPECT_FALSE(W.Has("a.txt"));
    EXPECT_FALSE(W.Has("b.txt"));
    EXPECT_FALSE(W.R.AllExtracted);
    EXPECT_EQ(ExitIncomplete, RunExitCode(W.R));
    EXPECT_EQ(0u, W.Dlg.Errors.size());
}

// ---- Times --------------------------------------------------------------------------------

TEST(DosDateTimeValid, RealMomentsOnly)
{
    struct { int Y, Mo, D, H, Mi, S; bool Valid; } Cases[] = {
        {1980, 1, 1, 0, 0, 0, true},      {2107, 12, 31, 23, 59, 58, true},
        {2000, 2, 29, 12, 0, 0, true},    {2025, 4, 7, 12, 0, 0, true},
        {2001, 2, 29, 12, 0, 0, false},   {2100, 2, 29, 12, 0, 0, false},
        {2001, 4, 31, 12, 0, 0, false},   {2001, 13, 1, 12, 0, 0, false},
        {2001, 0, 1, 12, 0, 0, false},    {2001, 5, 0, 12, 0, 0, false},
        {2001, 5, 1, 24, 0, 0, false},    {2001, 5, 1, 23, 60, 0, false},
        {2001, 5, 1, 23, 0, 60, false},
    };
    EXPECT_FALSE(DosDateTimeValid(0));
    for (auto &C : Cases)
        EXPECT_EQ(C.Valid, DosDateTimeValid((uint32_t)((C.Y - 1980) << 9 | C.Mo << 5 | C.D) << 16 |
                                            (uint32_t)(C.H << 11 | C.Mi << 5 | C.S / 2)))
            << C.Y << "-" << C.Mo << "-" << C.D << " " << C.H << ":" << C.Mi << ":" << C.S;
}

TEST(DosDateTimeValid, DateZeroLeavesTheTimeAsWritten)
{
    TTempDir Box;
    TZipItem Zero = Item("zero.txt", "z");
    Zero.Date = 0;
    Zero.Time = 0;
    TZipItem Dated = Item("dated.txt", "d");   // 2025-04-07 12:00:00
    std::string Zip = Box.Join("t.zip");
    ASSERT_TRUE(QWriteFile(Zip, ZipBuild({Zero, Dated})));
    std::string Into = Box.Join("into");
    mkdir(Into.c_str(), 0777);
    TMemDialog Dlg;
    TUnZipRun Run;
    UseDisk(Run);
    OpenArchiveFile(Run, Zip.c_str());
    time_t Before = time(0);
    ASSERT_TRUE(RunInstall(Run, Dlg, Into.c_str(), 0));
    CloseArchive(Run);
    EXPECT_TRUE(Run.AllExtracted);
    struct stat St;
    ASSERT_EQ(0, stat((Into + "/zero.txt").c_str(), &St));
    EXPECT_GE(St.st_mtime, Before - 2);   // as written, not some day in 1979
    ASSERT_EQ(0, stat((Into + "/dated.txt").c_str(), &St));
    struct tm T;
    localtime_r(&St.st_mtime, &T);
    EXPECT_EQ(2025, T.tm_year + 1900);
    EXPECT_EQ(3, T.tm_mon);
    EXPECT_EQ(7, T.tm_mday);
}

// On the disk: a second install of the same archive leaves a file that holds its entry as it
// is (the same inode, never moved aside), and rewrites one whose time was changed and one
// whose entry has no time to compare.
TEST(DosDateTimeValid, ASecondInstallRewritesOnlyWhatDiffers)
{
    TTempDir Box;
    TZipItem Zero = Item("zero.txt", "z");
    Zero.Date = 0;
    Zero.Time = 0;
    std::string Zip = Box.Join("t.zip");
    ASSERT_TRUE(
        QWriteFile(Zip, ZipBuild({Item("same.txt", "alpha"), Item("touched.txt", "beta"), Zero})));
    std::string Into = Box.Join("into");
    mkdir(Into.c_str(), 0777);
    auto Install = [&] {
        TMemDialog Dlg;
        Dlg.Answers = {maOkAll};
        TUnZipRun Run;
        UseDisk(Run);
        OpenArchiveFile(Run, Zip.c_str());
        EXPECT_TRUE(RunInstall(Run, Dlg, Into.c_str(), 0));
        CloseArchive(Run);
        EXPECT_TRUE(Run.AllExtracted);
    };
    auto Inode = [&](const char *AName) {
        struct stat St;
        EXPECT_EQ(0, stat((Into + "/" + AName).c_str(), &St));
        return St.st_ino;
    };
    Install();
    ino_t Same = Inode("same.txt"), Touched = Inode("touched.txt"), ZeroIno = Inode("zero.txt");
    struct stat Was;
    ASSERT_EQ(0, stat((Into + "/touched.txt").c_str(), &Was));
    struct timespec Times[2] = {{0, UTIME_OMIT}, {Was.st_mtime + 1, 0}};
    ASSERT_EQ(0, utimensat(AT_FDCWD, (Into + "/touched.txt").c_str(), Times, 0));
    Install();
    EXPECT_EQ(Same, Inode("same.txt"));
    EXPECT_NE(Touched, Inode("touched.txt"));
    EXPECT_NE(ZeroIno, Inode("zero.txt"));
    struct stat Now;
    ASSERT_EQ(0, stat((Into + "/touched.txt").c_str(), &Now));
    EXPECT_EQ(Was.st_mtime, Now.st_mtime);
    EXPECT_EQ("beta", QReadFile(Into + "/touched.txt"));
    EXPECT_NE(0, stat((Into + "/" UNDO_FOLDER_NAME).c_str(), &Now));
}
