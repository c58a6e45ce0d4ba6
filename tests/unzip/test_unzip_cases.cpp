// The archive walk on hand-made archives, everything in memory: names, progress, prompts,
// damaged and hostile archives, buffers at their limits.
#include <gtest/gtest.h>

#include <stdlib.h>

#include "UnfurlOutcome.h"
#include "UnfurlPayload.h"
#include "UnzipHarness.h"
#include "ZipBuild.h"

namespace {

// The final message of a run that left ANames not installed in AFolder.
std::string Incomplete(const std::vector<std::string> &ANames, const char *AFolder = Target)
{
    TFailedList L;
    FailedReset(L);
    for (auto &N : ANames) FailedAdd(L, string(N.c_str()));
    return IncompleteMessage(L, AFolder).c_str();
}

std::string Text(size_t ALen, unsigned ASeed)
{
    std::string S(ALen, ' ');
    for (size_t I = 0; I < ALen; I++) {
        ASeed = ASeed * 1103515245u + 12345u;
        S[I] = "abcdefgh \n0123"[(ASeed >> 16) % 14];
    }
    return S;
}

}  // namespace

// ---- Names ------------------------------------------------------------------------------

TEST(OemToAnsiName, TableRowsAndAscii)
{
    struct { uint8_t From, To; } Cases[] = {
        {0x80, 0xC7}, {0x8F, 0xC6}, {0x9F, 0xE8}, {0xA0, 0xE1}, {0xA6, 0x8E}, {0xB0, 0x5F},
        {0xB3, 0xA6}, {0xBB, 0x2B}, {0xC4, 0x2D}, {0xCF, 0xA4}, {0xD0, 0xF0}, {0xDB, 0x5F},
        {0xE0, 0xD3}, {0xEF, 0xB4}, {0xF0, 0xAD}, {0xFD, 0xF8}, {0xFF, 0x5F},
    };
    for (auto C : Cases) {
        string S = OemToAnsiName(string(1, (char)C.From));
        ASSERT_EQ(1u, S.length());
        EXPECT_EQ(C.To, (uint8_t)S[0]) << std::hex << (int)C.From;
    }
    EXPECT_TRUE(OemToAnsiName("sub/File-1.txt") == "sub/File-1.txt");
    EXPECT_TRUE(OemToAnsiName("a\xA0\xC4z") == "a\xE1-z");
}

TEST(EntryNameFault, RefusedAndAcceptedNames)
{
    const char *Refused[] = {
        "../evil.txt", "..\\evil.txt", "a/../../evil.txt", "a\\..\\..\\evil", "sub/..",
        "/etc/passwd", "\\windows\\evil.dll", "\\\\server\\share\\x", "//server/share/x",
        "C:evil.txt", "C:\\evil.txt", "file.txt:stream", "CON", "con.txt", "sub/NUL",
        "aux.tar.gz", "COM1", "lpt9.log", "PRN ", "Clock$", "CONOUT$", "a//b", "...",
        "a/./b", "name.", "name ", "sub. /x", "what?.txt", "star*", "a<b", "a|b", "quo\"te",
        "tab\there", "",
    };
    for (const char *N : Refused) EXPECT_NE(nullptr, EntryNameFault(N)) << N;
    EXPECT_NE(nullptr, EntryNameFault(string(256, 'a')));
    const char *Accepted[] = {"readme.txt", "sub/file.txt", "sub/", "sub\\deep\\x.bin",
                              "a..b", ".hidden", "COM10", "console.txt", "LPT", "nul_x",
                              "con-1.txt", "x/auxiliary/y"};
    for (const char *N : Accepted) EXPECT_EQ(nullptr, EntryNameFault(N)) << N;
    EXPECT_EQ(nullptr, EntryNameFault(string(255, 'a')));
}

TEST(RoundHalfEven, Table)
{
    struct { double In; int32_t Out; } Cases[] = {
        {0, 0},     {0.4, 0},   {0.5, 0},   {1.5, 2},   {2.5, 2},   {12.5, 12},
        {37.5, 38}, {62.5, 62}, {87.5, 88}, {33.3, 33}, {66.7, 67}, {99.99, 100},
        {100, 100},
    };
    for (auto C : Cases) EXPECT_EQ(C.Out, RoundHalfEven(C.In)) << C.In;
}

// ---- Runs over good archives --------------------------------------------------------------

TEST(UnZipFiles, StoredDeflatedFoldersAndTimes)
{
    std::vector<TZipItem> Items = {Item("readme.txt", "hello\r\n", 0), Item("sub/", ""),
                                   Item("sub/file.txt", Text(100000, 1)),
                                   Item("sub/deep/b.bin", Text(70000, 2), 0), Item("empty", "")};
    Items[2].Time = 0x7B2F;   // 15:25:30
    Items[2].Date = 0x4A21;   // 2017-01-01
    Walk W(ZipBuild(Items));
    ASSERT_TRUE(W.Run());
    EXPECT_EQ(reComplete, RunEnd);
    EXPECT_TRUE(AllExtracted);
    EXPECT_TRUE(W.Dlg.Label == "ALL");
    EXPECT_TRUE(W.Dlg.Errors.empty());
    // The list is sorted and keeps the forward slashes.
    std::vector<std::string> Listed;
    for (auto &S : W.Dlg.Items) Listed.push_back(S.c_str());
    EXPECT_EQ((std::vector<std::string>{"empty", "readme.txt", "sub/", "sub/deep/b.bin",
                                        "sub/file.txt"}),
              Listed);
    for (auto &I : Items) {
        if (I.Name.back() == '/') continue;
        std::string Key = I.Name;
        for (char &C : Key)
            if (C == '/') C = '\\';
        ASSERT_TRUE(W.Has(Key)) << Key;
        EXPECT_EQ(I.Data, W.Data(Key)) << Key;
        EXPECT_EQ((uint32_t)I.Date << 16 | I.Time, W.Fs.Times[W.At(Key)]) << Key;
    }
    EXPECT_TRUE(W.Fs.Dirs.count(W.At("sub")) && W.Fs.Dirs.count(W.At("sub\\deep")));
    // The folder entry counts as done without creating a file: four files, four steps.
    EXPECT_EQ(4, FilesDone);
    EXPECT_EQ(4, W.Dlg.Dispatched);
    EXPECT_EQ((std::vector<int32_t>{20, 40, 60, 80}), W.Dlg.Positions);
    EXPECT_EQ("b.bin", std::string(W.Dlg.Labels[2].c_str()));
}

TEST(UnZipFiles, ProgressRoundsHalvesToEven)
{
    struct { int Files; std::vector<int32_t> Positions; } Cases[] = {
        {2, {50, 100}},
        {3, {33, 67, 100}},
        {8, {12, 25, 38, 50, 62, 75, 88, 100}},
    };
    for (auto &C : Cases) {
        std::vector<TZipItem> Items;
        for (int I = 0; I < C.Files; I++) Items.push_back(Item("f" + std::to_string(I), "x"));
        Walk W(ZipBuild(Items));
        ASSERT_TRUE(W.Run());
        EXPECT_EQ(C.Positions, W.Dlg.Positions) << C.Files;
    }
}

TEST(UnZipFiles, UnsortedArchiveOrderStillFindsEveryItem)
{
    std::vector<TZipItem> Items = {Item("Zeta.txt", "z"), Item("alpha.txt", "a"),
                                   Item("MID/x.txt", "m"), Item("beta.txt", "b")};
    Walk W(ZipBuild(Items));
    ASSERT_TRUE(W.Run());
    EXPECT_TRUE(AllExtracted);
    EXPECT_TRUE(SelectedItems(W.Dlg).empty());
}

TEST(UnZipFiles, DosNamesAreConverted)
{
    Walk W(ZipBuild({Item("\xA0-b\xC4.txt", "data")}));
    ASSERT_TRUE(W.Run());
    EXPECT_TRUE(W.Dlg.Items[0] == "\xE1-b-.txt");
    EXPECT_TRUE(W.Has("\xE1-b-.txt"));
}

TEST(UnZipFiles, DataDescriptorWithSignatureIsSkipped)
{
    std::vector<TZipItem> Items = {Item("a.txt", Text(5000, 3)), Item("b.txt", "bee", 0)};
    Items[0].Descriptor = 1;
    Items[1].Descriptor = 1;
    Walk W(ZipBuild(Items));
    ASSERT_TRUE(W.Run());
    EXPECT_TRUE(AllExtracted);
    EXPECT_EQ(Items[0].Data, W.Data("a.txt"));
    EXPECT_EQ("bee", W.Data("b.txt"));
}

TEST(UnZipFiles, CrcFailureKeepsFileAndItem)
{
    std::vector<TZipItem> Items = {Item("bad.txt", Text(3000, 4)), Item("good.txt", "ok")};
    Items[0].BadCrc = true;
    Walk W(ZipBuild(Items));
    ASSERT_TRUE(W.Run());
    EXPECT_FALSE(AllExtracted);
    EXPECT_TRUE(W.Dlg.Label == "STR_NOTSELEXT");
    EXPECT_EQ(Items[0].Data, W.Data("bad.txt"));                 // written all the same
    EXPECT_EQ((uint32_t)Items[0].Date << 16 | Items[0].Time, W.Fs.Times[W.At("bad.txt")]);
    EXPECT_EQ((std::set<std::string>{"bad.txt"}), SelectedItems(W.Dlg));
    ASSERT_EQ(1u, W.Dlg.Errors.size());                          // one box at the end
    EXPECT_EQ(Incomplete({"bad.txt"}), W.Error(0));
}

// ---- Archives that end the program or the run -----------------------------------------

TEST(UnZipFiles, CentralDirectoryFirstEndsSilently)
{
    std::string Zip = ZipBuild({});
    Walk W(Zip);
    EXPECT_FALSE(W.Run());
    EXPECT_EQ(1, W.Dlg.Ended);
    EXPECT_EQ(reNoEntries, RunEnd);
    EXPECT_TRUE(W.Dlg.Errors.empty());

    // Only the central directory of a real archive at the start.
    std::string Full = ZipBuild({Item("a", "x")});
    size_t Central = Full.find("PK\x01\x02");
    Walk W2(Full.substr(Central));
    EXPECT_FALSE(W2.Run());
    EXPECT_EQ(reNoEntries, RunEnd);
    EXPECT_TRUE(W2.Dlg.Errors.empty());
}

TEST(UnZipFiles, GarbageAtTheStartIsReportedAsDamaged)
{
    Walk W(std::string("MZ not an archive at all, just bytes"));
    EXPECT_FALSE(W.Run());
    EXPECT_EQ(reDamaged, RunEnd);
    ASSERT_EQ(1u, W.Dlg.Errors.size());
    EXPECT_TRUE(W.Dlg.Errors[0] == MsgDamaged);
    EXPECT_EQ(1, W.Dlg.Ended);
}

TEST(UnZipFiles, ArchiveCutBetweenEntriesIsNotComplete)
{
    std::vector<TZipItem> Items = {Item("a.txt", "one"), Item("b.txt", "two"),
                                   Item("c.txt", "three")};
    std::string Zip = ZipBuild(Items);
    size_t Third = Zip.find("PK\x03\x04", Zip.find("b.txt"));
    // Listing run over the cut archive: the damage shows before anything is written.
    Walk Cut(Zip.substr(0, Third));
    EXPECT_FALSE(Cut.Run());
    EXPECT_EQ(reDamaged, RunEnd);
    EXPECT_TRUE(Cut.Fs.Files.empty());
    // An extraction run that meets the cut (the list came from the whole archive).
    Walk W(Zip);
    UnZipFiles(MemDialogWnd(W.Dlg), 9500, true);
    MemSelectAll(W.Dlg);
    std::string Short = Zip.substr(0, Third);
    ZipMemOpen(W.Archive, Short.data(), (int64_t)Short.size());
    TargetDir = W.Dir;
    UnZipFiles(MemDialogWnd(W.Dlg), 9500, false);
    EXPECT_EQ(reDamaged, RunEnd);
    EXPECT_FALSE(AllExtracted);
    EXPECT_TRUE(W.Dlg.Label == "STR_NOTSELEXT");
    ASSERT_EQ(1u, W.Dlg.Errors.size());
    EXPECT_TRUE(W.Dlg.Errors[0] == MsgDamaged);
    EXPECT_EQ("two", W.Data("b.txt"));
}

TEST(UnZipFiles, DescriptorWithoutSignatureOrZeroSizesIsDamage)
{
    for (int Case = 0; Case < 2; Case++) {
        std::vector<TZipItem> Items = {Item("a.txt", Text(4000, 5)), Item("b.txt", "b")};
        Items[0].Descriptor = Case == 0 ? 2 : 1;
        Items[0].ZeroSizes = Case == 1;
        Walk W(ZipBuild(Items));
        EXPECT_FALSE(W.Run()) << Case;
        EXPECT_EQ(reDamaged, RunEnd) << Case;
        EXPECT_EQ(1u, W.Dlg.Errors.size()) << Case;
    }
}

// An encrypted entry or one of an unknown method ends the run before it: no file of its name
// is created, an existing one stays as it was (even when every file is to be replaced), and
// the final message names it and everything after it.
TEST(UnZipFiles, EncryptedOrUnknownMethodEndsTheRunBeforeItsFile)
{
    for (int Case = 0; Case < 2; Case++) {
        std::vector<TZipItem> Items = {Item("a.txt", "a"), Item("b.txt", "bbbb"),
                                       Item("c.txt", "c")};
        if (Case == 0) Items[1].Flags = 1;
        if (Case == 1) {
            Items[1].Method = 12;
            Items[1].Packed = "xxxx";
        }
        for (int Existing = 0; Existing < 2; Existing++) {
            Walk W(ZipBuild(Items));
            if (Existing) W.Fs.Files[W.At("b.txt")] = "keep me";
            ArchiveStart = 0;
            UnZipFiles(MemDialogWnd(W.Dlg), 9500, true);
            MemSelectAll(W.Dlg);
            TargetDir = W.Dir;
            OverwriteMode = 0;   // replace without asking
            UnZipFiles(MemDialogWnd(W.Dlg), 9500, false);
            EXPECT_EQ(Case == 0 ? reEncrypted : reInternal, RunEnd) << Case;
            EXPECT_EQ("a", W.Data("a.txt")) << Case;
            if (Existing)
                EXPECT_EQ("keep me", W.Data("b.txt")) << Case;
            else
                EXPECT_FALSE(W.Has("b.txt")) << Case;
            EXPECT_FALSE(W.Has("c.txt")) << Case;
            EXPECT_EQ(1, W.Fs.Creates) << Case;
            EXPECT_FALSE(AllExtracted);
            EXPECT_EQ(1u, W.Dlg.Labels.size()) << Case;   // the name of a.txt; no final status
            ASSERT_EQ(1u, W.Dlg.Errors.size()) << Case;
            EXPECT_EQ(Incomplete({"b.txt", "c.txt"}), W.Error(0)) << Case;
        }
    }
}

TEST(UnZipFiles, EmptyNameIsAnInternalError)
{
    Walk W(ZipBuild({Item("a.txt", "a"), Item("", "x"), Item("c.txt", "c")}));
    ArchiveStart = 0;
    UnZipFiles(MemDialogWnd(W.Dlg), 9500, true);
    EXPECT_EQ(reInternal, RunEnd);
    EXPECT_EQ(1u, W.Dlg.Errors.size());
    EXPECT_EQ(1u, W.Dlg.Items.size());
    EXPECT_EQ(0, W.Dlg.Ended);
}

TEST(UnZipFiles, FailedSeekToTheArchiveEndsTheProgram)
{
    Walk W(ZipBuild({Item("a.txt", "a")}));
    EXPECT_FALSE(W.Run(0x80000000u));
    EXPECT_EQ(reInternal, RunEnd);
    EXPECT_EQ(1, W.Dlg.Ended);
    EXPECT_EQ(1u, W.Dlg.Errors.size());
}

// ---- Existing files, folders, failures --------------------------------------------------

TEST(UnZipFiles, ExistingFilePromptAnswers)
{
    struct {
        const char *Title;
        std::vector<int> Answers;
        size_t Asked;
        const char *Expect;   // per file: R replaced, K kept
        uint8_t Mode;
    } Cases[] = {
        {"OK each", {maOk, maOk, maOk}, 3, "RRR", 2},
        {"Cancel each", {maCancel, maCancel, maCancel}, 3, "KKK", 2},
        {"OK then Cancel", {maOk, maCancel, maOk}, 3, "RKR", 2},
        {"OK with Rewrite all", {maOkAll}, 1, "RRR", 0},
        {"Cancel with Rewrite all", {maCancelAll}, 1, "KKK", 1},
    };
    for (auto &C : Cases) {
        std::vector<TZipItem> Items = {Item("a.txt", "new a"), Item("sub/b.txt", "new b"),
                                       Item("c.txt", "new c")};
        Walk W(ZipBuild(Items));
        W.Fs.Dirs.insert(W.At("sub"));
        for (const char *N : {"a.txt", "sub\\b.txt", "c.txt"}) W.Fs.Files[W.At(N)] = "old";
        W.Dlg.Answers = C.Answers;
        ASSERT_TRUE(W.Run()) << C.Title;
        ASSERT_EQ(C.Asked, W.Dlg.Asked.size()) << C.Title;
        EXPECT_TRUE(W.Dlg.Asked[0] == "a.txt");
        if (C.Asked > 1) {
            EXPECT_TRUE(W.Dlg.Asked[1] == "b.txt") << C.Title;
        }
        const char *Names[] = {"a.txt", "sub\\b.txt", "c.txt"};
        for (int I = 0; I < 3; I++)
            EXPECT_EQ(C.Expect[I] == 'R' ? "new " + std::string(1, "abc"[I]) : "old",
                      W.Data(Names[I]))
                << C.Title << " " << Names[I];
        EXPECT_EQ(C.Mode, OverwriteMode) << C.Title;
        EXPECT_TRUE(AllExtracted) << C.Title;   // a kept file counts as done
    }
}

TEST(UnZipFiles, ExistingFolderEntryIsDoneWithoutPrompt)
{
    Walk W(ZipBuild({Item("sub/", ""), Item("sub/x", "x")}));
    W.Fs.Dirs.insert(W.At("sub"));
    ASSERT_TRUE(W.Run());
    EXPECT_TRUE(W.Dlg.Asked.empty());
    EXPECT_TRUE(AllExtracted);
}

TEST(UnZipFiles, FolderThatCannotBeMadeStopsTheRun)
{
    Walk W(ZipBuild({Item("a.txt", "a"), Item("b.txt", "b")}), "T:\\file\\inst");
    W.Fs.Dirs.erase("T:\\file\\inst");
    W.Fs.Dirs.erase("T:\\file");
    W.Fs.Files["T:\\file"] = "a file where the folder should be";
    ASSERT_TRUE(W.Run());
    EXPECT_EQ(reStopped, RunEnd);
    ASSERT_EQ(2u, W.Dlg.Errors.size());
    EXPECT_EQ("Cannot create directory\r\nT:\\file\\inst\r\nAccess is denied.", W.Error(0));
    EXPECT_EQ(Incomplete({"a.txt", "b.txt"}, "T:\\file\\inst"), W.Error(1));
    EXPECT_TRUE(W.Dlg.Label == "STR_NOTSELEXT");
    EXPECT_FALSE(AllExtracted);
    EXPECT_EQ(2u, SelectedItems(W.Dlg).size());
}

TEST(UnZipFiles, EmptyFolderTextWritesNothing)
{
    Walk W(ZipBuild({Item("a.txt", "a")}), "");
    ASSERT_TRUE(W.Run());
    EXPECT_EQ(reStopped, RunEnd);
    ASSERT_EQ(2u, W.Dlg.Errors.size());
    EXPECT_EQ("Cannot create directory\r\n", W.Error(0));   // no system call failed: no reason
    EXPECT_EQ(Incomplete({"a.txt"}, ""), W.Error(1));
    EXPECT_TRUE(W.Fs.Files.empty());
    EXPECT_FALSE(AllExtracted);
}

TEST(UnZipFiles, FileThatCannotBeReplacedIsReportedAndTheRunGoesOn)
{
    Walk W(ZipBuild({Item("a.txt", "a"), Item("b.txt", "b")}));
    W.Fs.Files[W.At("a.txt")] = "locked";
    W.Fs.Locked.insert(W.At("a.txt"));
    W.Dlg.Answers = {maOk};
    ASSERT_TRUE(W.Run());
    ASSERT_EQ(2u, W.Dlg.Errors.size());
    EXPECT_EQ("Cannot create file\r\nT:\\inst\\a.txt\r\nAccess is denied.", W.Error(0));
    EXPECT_EQ(Incomplete({"a.txt"}), W.Error(1));
    EXPECT_EQ("locked", W.Data("a.txt"));
    EXPECT_EQ("b", W.Data("b.txt"));
    EXPECT_EQ((std::set<std::string>{"a.txt"}), SelectedItems(W.Dlg));
    EXPECT_FALSE(AllExtracted);
}

TEST(UnZipFiles, FailedCloseIsReported)
{
    Walk W(ZipBuild({Item("a.txt", "a")}));
    W.Fs.FailClose = true;
    ASSERT_TRUE(W.Run());
    ASSERT_EQ(2u, W.Dlg.Errors.size());
    EXPECT_EQ("Cannot close file\r\nT:\\inst\\a.txt\r\nAccess is denied.", W.Error(0));
    EXPECT_EQ(Incomplete({"a.txt"}), W.Error(1));   // what was written may not be on disk
    EXPECT_FALSE(AllExtracted);
}

// ---- Hostile names and buffers at their limits ----------------------------------------------

TEST(UnZipFiles, TraversalNamesAreNeverWritten)
{
    const char *Evil[] = {"../up.txt", "..\\up.txt", "sub/../../up.txt", "/abs.txt",
                          "\\abs.txt", "\\\\server\\share\\x.txt", "C:up.txt",
                          "C:\\up.txt", "ok.txt:stream", "CON", "nul.txt", "sub/COM1.log",
                          "a/./../../b"};
    std::vector<TZipItem> Items;
    for (const char *N : Evil) Items.push_back(Item(N, "evil"));
    Items.push_back(Item("good.txt", "good"));
    Walk W(ZipBuild(Items));
    ASSERT_TRUE(W.Run());
    for (auto &F : W.Fs.Files) EXPECT_EQ(0u, F.first.rfind("T:\\inst\\", 0)) << F.first;
    EXPECT_EQ(1u, W.Fs.Files.size());
    EXPECT_EQ("good", W.Data("good.txt"));
    ASSERT_EQ(sizeof Evil / sizeof *Evil + 1, W.Dlg.Errors.size());
    std::set<std::string> Reported, Expected;
    for (size_t I = 0; I + 1 < W.Dlg.Errors.size(); I++) Reported.insert(W.Error(I));
    for (const char *N : Evil) Expected.insert(std::string("Cannot create file\r\n") + N);
    EXPECT_EQ(Expected, Reported);
    EXPECT_EQ(sizeof Evil / sizeof *Evil, SelectedItems(W.Dlg).size());
    EXPECT_FALSE(AllExtracted);
    EXPECT_EQ(reComplete, RunEnd);
}

// Flag bit 11: the name is UTF-8 and written as it is, checked like any other; broken UTF-8
// (overlong, a surrogate, a cut sequence, a lone continuation byte) is never written. Names
// without the flag still go through the code page 852 table.
TEST(UnZipFiles, Utf8NamesAreWrittenAsTheyAre)
{
    auto Flagged = [](const std::string &AName, const std::string &AData) {
        TZipItem I = Item(AName, AData);
        I.Flags = 0x800;
        return I;
    };
    const char *Broken[] = {"over\xC0\xAF.txt", "surr\xED\xA0\x80.txt", "cut\xE6\x97", "lone\x80",
                            "big\xF4\x90\x80\x80"};
    std::vector<TZipItem> Items = {
        Flagged("caf\xC3\xA9/\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1.txt", "greek"),
        Flagged("\xE6\x97\xA5\xE6\x9C\xAC.txt", "japanese"),
        Flagged("\xC5\x82\xC3\xB3" "d\xC5\xBA/../../up.txt", "evil"),
        Flagged("COM\xC2\xB9.txt", "device"),
        Item("caf\x82.txt", "dos"),   // code page 852 e acute: Windows 1250 0xE9
    };
    for (const char *N : Broken) Items.push_back(Flagged(N, "broken"));
    Walk W(ZipBuild(Items));
    ASSERT_TRUE(W.Run());
    EXPECT_EQ("greek", W.Data("caf\xC3\xA9\\\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1.txt"));
    EXPECT_EQ("japanese", W.Data("\xE6\x97\xA5\xE6\x9C\xAC.txt"));
    EXPECT_EQ("dos", W.Data("caf\xE9.txt"));
    EXPECT_EQ(3u, W.Fs.Files.size());
    std::set<std::string> Reported, Expected;
    for (size_t I = 0; I < W.Dlg.Errors.size(); I++) Reported.insert(W.Error(I));
    for (const char *N : Broken) Expected.insert(std::string("Cannot create file\r\n") + N);
    Expected.insert("Cannot create file\r\n\xC5\x82\xC3\xB3" "d\xC5\xBA/../../up.txt");
    Expected.insert("Cannot create file\r\nCOM\xC2\xB9.txt");
    Reported.erase(W.Error(W.Dlg.Errors.size() - 1));   // the final message
    EXPECT_EQ(Expected, Reported);
}

TEST(UnZipFiles, OverlongNameIsCutAndRefused)
{
    std::string Long(300, 'n');
    Walk W(ZipBuild({Item(Long, "x"), Item("after.txt", "after")}));
    ASSERT_TRUE(W.Run());
    ASSERT_EQ(2u, W.Dlg.Items.size());
    EXPECT_EQ(255u, W.Dlg.Items[1].length());
    ASSERT_EQ(2u, W.Dlg.Errors.size());
    EXPECT_TRUE(W.Dlg.Errors[0] == "Cannot create file\r\n" + string(Long.substr(0, 255).c_str()));
    EXPECT_EQ("after", W.Data("after.txt"));
    EXPECT_FALSE(AllExtracted);
}

TEST(UnZipFiles, PathsLongerThanMaxPathAreRefused)
{
    std::string Dir = "T:\\" + std::string(240, 'd');
    std::string Name(30, 'f');
    Walk W(ZipBuild({Item(Name, "x"), Item("short", "y")}), Dir.c_str());
    ASSERT_TRUE(W.Run());
    ASSERT_EQ(2u, W.Dlg.Errors.size());
    EXPECT_TRUE(W.Dlg.Errors[0] == ("Cannot create file\r\n" + Dir + "\\" + Name).c_str());
    EXPECT_EQ("y", W.Fs.Files[Dir + "\\short"]);
    EXPECT_FALSE(AllExtracted);
}

TEST(UnZipFiles, FolderTextOf259CharactersStaysInItsBuffer)
{
    // The dialog's buffer holds 260 bytes; the run must neither append to it in place nor read
    // past it (AddressSanitizer watches the heap block).
    for (bool Tail : {false, true}) {
        char *Buf = (char *)malloc(MAX_PATH);
        std::string Dir = "T:\\" + std::string(Tail ? 255 : 256, 'd') + (Tail ? "\\" : "");
        ASSERT_EQ(259u, Dir.size());
        memcpy(Buf, Dir.c_str(), 260);
        Walk W(ZipBuild({Item("a", "x")}));
        UnZipFiles(MemDialogWnd(W.Dlg), 9500, true);
        MemSelectAll(W.Dlg);
        TargetDir = Buf;
        UnZipFiles(MemDialogWnd(W.Dlg), 9500, false);
        ASSERT_EQ(2u, W.Dlg.Errors.size());   // the file, then the final message
        EXPECT_EQ(0u, std::string(W.Dlg.Errors[0].c_str()).find("Cannot create file\r\nT:\\ddd"));
        EXPECT_TRUE(W.Fs.Files.empty());
        EXPECT_FALSE(AllExtracted);
        EXPECT_EQ(Tail ? 258u : 259u, strlen(Buf));   // only ever shortened
        free(Buf);
    }
}

// OK's steps before the walk: the field's trailing backslash goes, an empty field becomes the
// current folder (and the field must show it), the folder is made with its parents, and the
// list's entries share the bar.
TEST(StartExtraction, NormalisesTheFieldAndMakesTheFolder)
{
    struct {
        const char *Field, *Folder;
        bool Replaced;
    } Cases[] = {{"T:\\new\\deep\\", "T:\\new\\deep", false},
                 {"T:\\inst", "T:\\inst", false},
                 {"", "T:\\cwd", true}};
    for (auto &C : Cases) {
        SCOPED_TRACE(C.Field);
        Walk W(ZipBuild({Item("a/b.txt", "x")}));
        ArchiveStart = 0;
        UnZipFiles(MemDialogWnd(W.Dlg), 9500, true);
        MemSelectAll(W.Dlg);
        strcpy(W.Dir, C.Field);
        StopAsked = true;
        FilesDone = 7;
        EXPECT_EQ(C.Replaced, StartExtraction(W.Dir, "T:\\cwd", 4));
        EXPECT_STREQ(C.Folder, W.Dir);
        EXPECT_EQ(W.Dir, TargetDir);
        EXPECT_TRUE(W.Fs.Dirs.count(C.Folder));
        EXPECT_DOUBLE_EQ(25.0, ProgressStep);
        EXPECT_EQ(0, FilesDone);
        EXPECT_FALSE(StopAsked);
        // The run then writes under that folder, whatever the field held.
        UnZipFiles(MemDialogWnd(W.Dlg), 9500, false);
        EXPECT_TRUE(AllExtracted);
        EXPECT_EQ("x", W.Fs.Files[std::string(C.Folder) + "\\a\\b.txt"]);
    }
}

// ---- Truncated installers -------------------------------------------------------------------

TEST(UnZipFiles, InstallerCutAtEveryOffset)
{
    std::vector<TZipItem> Items = {Item("a.txt", Text(300, 6)), Item("sub/b.bin", "bb", 0),
                                   Item("c.txt", Text(200, 7))};
    Items[1].Descriptor = 1;
    std::string Zip = ZipBuild(Items);
    const size_t Image = 64;
    string Block = BuildSetupBlock("Title", "Sub");
    std::string Full = PayloadBuild(Image, std::string(Block.data(), Block.length()), Zip);
    size_t ArchiveAt = Full.size() - Zip.size();
    size_t CentralAt = ArchiveAt + Zip.find("PK\x01\x02");
    for (size_t Cut = 0; Cut <= Full.size(); Cut++) {
        Walk W(Full.substr(0, Cut));
        ArchiveStart = Image;
        ReadSetupHeader();
        bool Listed = W.Run(ArchiveStart);
        // Complete only when every local header was walked up to the central directory.
        EXPECT_EQ(Cut >= CentralAt + 4, AllExtracted) << Cut;
        EXPECT_EQ(Cut >= CentralAt + 4 ? 0u : 1u, W.Dlg.Errors.size()) << Cut;
        if (Listed) {
            EXPECT_GE(Cut, ArchiveAt) << Cut;
        }
        // What the extraction run deselected was written correctly.
        for (size_t I = 0; Listed && I < W.Dlg.Items.size(); I++) {
            if (W.Dlg.Selected[I]) continue;
            std::string N = W.Dlg.Items[I].c_str();
            for (auto &Z : Items)
                if (Z.Name == N && N.back() != '/') {
                    std::string K = N;
                    for (char &C : K)
                        if (C == '/') C = '\\';
                    ASSERT_TRUE(W.Has(K)) << Cut << " " << N;
                    EXPECT_EQ(Z.Data, W.Data(K)) << Cut << " " << N;
                }
        }
    }
}
