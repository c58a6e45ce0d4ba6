// The archive walk on hand-made archives, everything in memory: names, progress, prompts,
// damaged and hostile archives, buffers at their limits.
#include <gtest/gtest.h>

#include <stdlib.h>

#include "UnfurlOutcome.h"
#include "UnfurlPayload.h"
#include "UnzipHarness.h"
#include "ZipBuild.h"

namespace {

// The final message of a run that left ANames not installed in AFolder, with its question.
std::string Incomplete(const std::vector<std::string> &ANames, const char *AFolder = Target)
{
    TFailedList L;
    FailedReset(L);
    for (auto &N : ANames) FailedAdd(L, string(N.c_str()));
    return std::string(IncompleteMessage(L, AFolder).c_str()) + MsgAskUndo;
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

// Stored and deflated entries, some behind a data descriptor with its signature, folder
// entries, times.
TEST(UnZipFiles, StoredDeflatedFoldersAndTimes)
{
    std::vector<TZipItem> Items = {Item("ReadMe.txt", "hello\r\n", 0), Item("sub/", ""),
                                   Item("sub/file.txt", Text(100000, 1)),
                                   Item("sub/deep/b.bin", Text(70000, 2), 0), Item("empty", "")};
    Items[2].Time = 0x7B2F;   // 15:25:30
    Items[2].Date = 0x4A21;   // 2017-01-01
    Items[0].Descriptor = Items[2].Descriptor = 1;
    Walk W(ZipBuild(Items));
    ASSERT_TRUE(W.Run());
    EXPECT_EQ(reComplete, W.R.RunEnd);
    EXPECT_TRUE(W.R.AllExtracted);
    EXPECT_EQ(ExitInstalled, RunExitCode(W.R));
    W.R.Ran = false;   // the dialog closed without a run
    EXPECT_EQ(ExitCancelled, RunExitCode(W.R));
    EXPECT_TRUE(W.Dlg.Label == "ALL");
    EXPECT_TRUE(W.Dlg.Errors.empty());
    // Sorted with case ignored, forward slashes kept; every item found again in archive order.
    std::vector<std::string> Listed;
    for (auto &S : W.Dlg.Items) Listed.push_back(S.c_str());
    EXPECT_EQ((std::vector<std::string>{"empty", "ReadMe.txt", "sub/", "sub/deep/b.bin",
                                        "sub/file.txt"}),
              Listed);
    EXPECT_TRUE(SelectedItems(W.Dlg).empty());
    for (auto &I : Items) {
        if (I.Name.back() == '/') continue;
        ASSERT_TRUE(W.Has(I.Name)) << I.Name;
        EXPECT_EQ(I.Data, W.Data(I.Name)) << I.Name;
        EXPECT_EQ((uint32_t)I.Date << 16 | I.Time, W.Fs.Times[W.At(I.Name)]) << I.Name;
    }
    EXPECT_TRUE(W.Fs.Dirs.count(W.At("sub")) && W.Fs.Dirs.count(W.At("sub\\deep")));
    // The folder entry counts as done without creating a file: four files, four steps.
    EXPECT_EQ(4, W.R.FilesDone);
    EXPECT_EQ(4, W.Dlg.Dispatched);
    EXPECT_EQ((std::vector<int32_t>{20, 40, 60, 80}), W.Dlg.Positions);
    EXPECT_EQ("b.bin", std::string(W.Dlg.Labels[2].c_str()));
}

// Eight files: steps of 12.5, rounded half to even, none cut off.
TEST(UnZipFiles, ProgressRoundsHalvesToEven)
{
    std::vector<TZipItem> Items;
    for (int I = 0; I < 8; I++) Items.push_back(Item("f" + std::to_string(I), "x"));
    Walk W(ZipBuild(Items));
    ASSERT_TRUE(W.Run());
    EXPECT_EQ((std::vector<int32_t>{12, 25, 38, 50, 62, 75, 88, 100}), W.Dlg.Positions);
}

// An entry whose CRC-32 does not match is written all the same, with its time, and stays
// selected; the one box at the end names them (the first ten, then a count).
TEST(UnZipFiles, CrcFailuresAreWrittenAndNamedAtTheEnd)
{
    std::vector<TZipItem> Items;
    std::vector<std::string> Bad;
    for (int I = 0; I < 12; I++) {
        Bad.push_back("bad" + std::to_string(10 + I));
        Items.push_back(Item(Bad.back(), Text(300 + I, 4)));
        Items.back().BadCrc = true;
    }
    Items.push_back(Item("good", "fine"));
    Walk W(ZipBuild(Items));
    ASSERT_TRUE(W.Run());
    EXPECT_FALSE(W.R.AllExtracted);
    EXPECT_EQ(ExitIncomplete, RunExitCode(W.R));
    EXPECT_TRUE(W.Dlg.Label == "STR_NOTSELEXT");
    for (int I = 0; I < 12; I++) {
        EXPECT_EQ(Items[I].Data, W.Data(Bad[I]));
        EXPECT_EQ((uint32_t)Items[I].Date << 16 | Items[I].Time, W.Fs.Times[W.At(Bad[I])]);
    }
    EXPECT_EQ("fine", W.Data("good"));
    EXPECT_EQ(std::set<std::string>(Bad.begin(), Bad.end()), SelectedItems(W.Dlg));
    ASSERT_EQ(1u, W.Dlg.Errors.size());
    EXPECT_EQ(Incomplete(Bad), W.Error(0));
}

// ---- Archives that end the program or the run -----------------------------------------

TEST(UnZipFiles, CentralDirectoryFirstEndsSilently)
{
    std::string Full = ZipBuild({Item("a", "x")});
    for (const std::string &Zip : {ZipBuild({}), Full.substr(Full.find("PK\x01\x02"))}) {
        SCOPED_TRACE(Zip.size());
        Walk W(Zip);
        EXPECT_FALSE(W.Run());
        EXPECT_EQ(1, W.Dlg.Ended);
        EXPECT_EQ(reNoEntries, W.R.RunEnd);
        EXPECT_EQ(ExitInstalled, EndProgramCode(W.R));
        EXPECT_TRUE(W.Dlg.Errors.empty());
    }
}

TEST(UnZipFiles, GarbageAtTheStartIsReportedAsDamaged)
{
    Walk W(std::string("MZ not an archive at all, just bytes"));
    EXPECT_FALSE(W.Run());
    EXPECT_EQ(reDamaged, W.R.RunEnd);
    EXPECT_EQ(ExitDamaged, EndProgramCode(W.R));
    ASSERT_EQ(1u, W.Dlg.Errors.size());
    EXPECT_TRUE(W.Dlg.Errors[0] == MsgDamaged);
    EXPECT_EQ(1, W.Dlg.Ended);
}

TEST(UnZipFiles, ArchiveCutBetweenEntriesIsNotComplete)
{
    std::vector<TZipItem> Items = {Item("a.txt", "one"), Item("b.txt", "two"),
                                   Item("c.txt", "three")};
    std::string Zip = ZipBuild(Items);
    std::string Short = Zip.substr(0, Zip.find("PK\x03\x04", Zip.find("b.txt")));
    // Listing run over the cut archive: the damage shows before anything is written.
    Walk Cut(Short);
    EXPECT_FALSE(Cut.Run());
    EXPECT_EQ(reDamaged, Cut.R.RunEnd);
    EXPECT_TRUE(Cut.Fs.Files.empty());
    // An extraction run that meets the cut (the list came from the whole archive).
    Walk W(Zip);
    W.List();
    ZipMemOpen(W.Archive, Short.data(), (int64_t)Short.size());
    W.Extract();
    EXPECT_EQ(reDamaged, W.R.RunEnd);
    EXPECT_FALSE(W.R.AllExtracted);
    EXPECT_EQ(ExitDamaged, RunExitCode(W.R));
    EXPECT_TRUE(W.Dlg.Label == "STR_NOTSELEXT");
    ASSERT_EQ(1u, W.Dlg.Errors.size());
    EXPECT_EQ(std::string(MsgDamaged) + MsgAskUndo, W.Error(0));
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
        EXPECT_EQ(reDamaged, W.R.RunEnd) << Case;
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
            SCOPED_TRACE(Case * 2 + Existing);
            Walk W(ZipBuild(Items));
            if (Existing) W.Fs.Files[W.At("b.txt")] = "keep me";
            W.List();
            W.R.OverwriteMode = omReplace;
            W.Extract();
            EXPECT_EQ(Case == 0 ? reEncrypted : reInternal, W.R.RunEnd);
            EXPECT_EQ("a", W.Data("a.txt"));
            if (Existing)
                EXPECT_EQ("keep me", W.Data("b.txt"));
            else
                EXPECT_FALSE(W.Has("b.txt"));
            EXPECT_FALSE(W.Has("c.txt"));
            EXPECT_EQ(2, W.Fs.Creates);   // a.txt and the undo journal
            EXPECT_FALSE(W.R.AllExtracted);
            EXPECT_EQ(1u, W.Dlg.Labels.size());   // the name of a.txt; no final status
            ASSERT_EQ(1u, W.Dlg.Errors.size());
            EXPECT_EQ(Incomplete({"b.txt", "c.txt"}), W.Error(0));
        }
    }
}

TEST(UnZipFiles, EmptyNameIsAnInternalError)
{
    Walk W(ZipBuild({Item("a.txt", "a"), Item("", "x"), Item("c.txt", "c")}));
    W.List();
    EXPECT_EQ(reInternal, W.R.RunEnd);
    EXPECT_EQ(1u, W.Dlg.Errors.size());
    EXPECT_EQ(1u, W.Dlg.Items.size());
    EXPECT_EQ(0, W.Dlg.Ended);
}

TEST(UnZipFiles, FailedSeekToTheArchiveEndsTheProgram)
{
    Walk W(ZipBuild({Item("a.txt", "a")}));
    EXPECT_FALSE(W.Run(0x80000000u));
    EXPECT_EQ(reInternal, W.R.RunEnd);
    EXPECT_EQ(1, W.Dlg.Ended);
    EXPECT_EQ(1u, W.Dlg.Errors.size());
}

// ---- Existing files, folders, failures --------------------------------------------------

TEST(UnZipFiles, ExistingFilePromptAnswers)
{
    struct {
        const char *Title;
        std::vector<int> Answers;   // one for each prompt expected
        const char *Expect;   // per file: R replaced, K kept
        uint8_t Mode;
    } Cases[] = {
        {"OK each", {maOk, maOk, maOk}, "RRR", omAsk},
        {"Cancel each", {maCancel, maCancel, maCancel}, "KKK", omAsk},
        {"OK then Cancel", {maOk, maCancel, maOk}, "RKR", omAsk},
        {"OK with Rewrite all", {maOkAll}, "RRR", omReplace},
        {"Cancel with Rewrite all", {maCancelAll}, "KKK", omKeep},
    };
    const char *Names[] = {"a.txt", "sub/b.txt", "c.txt"};
    for (auto &C : Cases) {
        SCOPED_TRACE(C.Title);
        Walk W(ZipBuild(
            {Item(Names[0], "new a"), Item(Names[1], "new b"), Item(Names[2], "new c")}));
        W.Fs.Dirs.insert(W.At("sub"));
        for (const char *N : Names) W.Fs.Files[W.At(N)] = "old";
        W.Dlg.Answers = C.Answers;
        ASSERT_TRUE(W.Run());
        std::vector<std::string> Asked;
        for (auto &N : W.Dlg.Asked) Asked.push_back(N.c_str());
        std::vector<std::string> Expected = {"a.txt", "b.txt", "c.txt"};
        Expected.resize(C.Answers.size());
        EXPECT_EQ(Expected, Asked);
        for (int I = 0; I < 3; I++)
            EXPECT_EQ(C.Expect[I] == 'R' ? "new " + std::string(1, "abc"[I]) : "old",
                      W.Data(Names[I]))
                << Names[I];
        EXPECT_EQ(C.Mode, W.R.OverwriteMode);
        EXPECT_TRUE(W.R.AllExtracted);   // a kept file counts as done
    }
}

TEST(UnZipFiles, TargetFolderThatCannotBeMadeStopsTheRun)
{
    struct { const char *Folder, *Error; } Cases[] = {
        {"T:\\file\\inst", "Cannot create directory\r\nT:\\file\\inst\r\nAccess is denied."},
        {"", "Cannot create directory\r\n"},   // no system call failed: no reason
    };
    for (auto &C : Cases) {
        SCOPED_TRACE(C.Folder);
        Walk W(ZipBuild({Item("a.txt", "a"), Item("b.txt", "b")}), C.Folder);
        W.Fs.Dirs = {"T:"};
        W.Fs.Files["T:\\file"] = "a file where the folder should be";
        ASSERT_TRUE(W.Run());
        EXPECT_EQ(reStopped, W.R.RunEnd);
        ASSERT_EQ(2u, W.Dlg.Errors.size());
        EXPECT_EQ(C.Error, W.Error(0));
        EXPECT_EQ(Incomplete({"a.txt", "b.txt"}, C.Folder), W.Error(1));
        EXPECT_TRUE(W.Dlg.Label == "STR_NOTSELEXT");
        EXPECT_FALSE(W.R.AllExtracted);
        EXPECT_EQ(1u, W.Fs.Files.size());
        EXPECT_EQ(2u, SelectedItems(W.Dlg).size());
    }
}

// A file that cannot be replaced, or whose close fails (what was written may not be on disk),
// is reported with the system's reason and stays selected; the run goes on. Only the first
// such file gets a box of its own: the final message names them all.
TEST(UnZipFiles, FileThatCannotBeWrittenIsReportedAndTheRunGoesOn)
{
    for (bool Locked : {true, false}) {
        SCOPED_TRACE(Locked ? "locked" : "close fails");
        Walk W(ZipBuild({Item("a.txt", "a"), Item("b.txt", "b")}));
        if (Locked) {
            W.Fs.Files[W.At("a.txt")] = "locked";
            W.Fs.Locked.insert(W.At("a.txt"));
            W.Dlg.Answers = {maOk};
        } else {
            W.Fs.FailClose = true;
        }
        ASSERT_TRUE(W.Run());
        std::vector<std::string> Failed = {"a.txt"};
        if (!Locked) Failed.push_back("b.txt");
        ASSERT_EQ(2u, W.Dlg.Errors.size());
        EXPECT_EQ(std::string("Cannot ") + (Locked ? "create" : "close") +
                      " file\r\nT:\\inst\\a.txt\r\nAccess is denied.",
                  W.Error(0));
        EXPECT_EQ(Incomplete(Failed), W.LastError());
        EXPECT_EQ(std::set<std::string>(Failed.begin(), Failed.end()), SelectedItems(W.Dlg));
        EXPECT_EQ(Locked ? "locked" : "a", W.Data("a.txt"));
        EXPECT_EQ("b", W.Data("b.txt"));
        EXPECT_FALSE(W.R.AllExtracted);
    }
}

// ---- Hostile names and buffers at their limits ----------------------------------------------

// Names that could reach outside the target folder, name a device or cannot be a file's name
// are refused and the run goes on: the first with a box, all of them in the final message. With flag bit 11 a name is UTF-8, written
// as it is and checked like any other; broken UTF-8 (overlong, a surrogate, a cut sequence, a
// lone continuation byte, past U+10FFFF) is never written. Names without the flag go through the
// code page 852 table to code page 1250 and are written in UTF-8 whatever the system's code
// page. A name ends at a zero byte, and after 255 characters.
TEST(UnZipFiles, HostileNamesAreRefusedOneByOne)
{
    const char *Refused[] = {"../up.txt", "..\\up.txt", "sub/../../up.txt", "/abs.txt",
                             "\\abs.txt", "\\\\server\\share\\x.txt", "C:up.txt", "C:\\up.txt",
                             "ok.txt:stream", "CON", "nul.txt", "sub/COM1.log", "sub/aux.c",
                             "a/./../../b"};
    const char *RefusedUtf8[] = {"over\xC0\xAF.txt", "surr\xED\xA0\x80.txt", "cut\xE6\x97",
                                 "lone\x80", "big\xF4\x90\x80\x80",
                                 "\xC5\x82\xC3\xB3" "d\xC5\xBA/../../up.txt", "COM\xC2\xB9.txt"};
    const std::string Greek = "caf\xC3\xA9/\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1.txt",
                      Japanese = "\xE6\x97\xA5\xE6\x9C\xAC.txt", Long(300, 'n');
    auto Utf8 = [](const std::string &AName, const std::string &AData) {
        TZipItem I = Item(AName, AData);
        I.Flags = 0x800;
        return I;
    };
    std::vector<TZipItem> Items = {Utf8(Greek, "greek"), Utf8(Japanese, "japanese"),
                                   Item("caf\x82.txt", "dos"),   // Windows 1250 0xE9
                                   Item("good.txt", "good"),
                                   Item(std::string("evil.exe\0.txt", 13), "MZ"), Item(Long)};
    std::set<std::string> Expected = {"Cannot create file\r\nevil.exe",
                                      "Cannot create file\r\n" + Long.substr(0, 255)};
    for (const char *N : Refused) {
        Items.push_back(Item(N, "evil"));
        Expected.insert(std::string("Cannot create file\r\n") + N);
    }
    for (const char *N : RefusedUtf8) {
        Items.push_back(Utf8(N, "evil"));
        Expected.insert(std::string("Cannot create file\r\n") + N);
    }
    Walk W(ZipBuild(Items));
    ASSERT_TRUE(W.Run());
    EXPECT_EQ(reComplete, W.R.RunEnd);
    EXPECT_FALSE(W.R.AllExtracted);
    EXPECT_EQ((std::map<std::string, std::string>{{W.At(Greek), "greek"},
                                                  {W.At(Japanese), "japanese"},
                                                  {W.At("caf\xC3\xA9.txt"), "dos"},
                                                  {W.At("good.txt"), "good"}}),
              W.Fs.Files);
    ASSERT_EQ(2u, W.Dlg.Errors.size());   // the first refusal, then the final message
    EXPECT_EQ(1u, Expected.count(W.Error(0))) << W.Error(0);
    std::set<std::string> Selected = SelectedItems(W.Dlg);
    EXPECT_EQ(Expected.size(), Selected.size());
    EXPECT_NE(std::string::npos,
              W.LastError().find("and " + std::to_string(Expected.size() - FailedShown) + " more"));
    EXPECT_EQ(1u, Selected.count(Long.substr(0, 255)));
    bool DosListed = false;
    for (auto &S : W.Dlg.Items) DosListed |= S == "caf\xC3\xA9.txt";
    EXPECT_TRUE(DosListed);
}

// A path longer than the file layer takes is refused and the run goes on; a trailing
// backslash of the folder does not count.
TEST(UnZipFiles, PathsLongerThanMaxPathAreRefused)
{
    const std::string Name(30, 'f');
    struct { std::string Folder; bool ShortFits; } Cases[] = {
        {"T:\\" + std::string(240, 'd'), true},
        {"T:\\" + std::string(256, 'd'), false},
        {"T:\\" + std::string(255, 'd') + "\\", false},
    };
    for (auto &C : Cases) {
        SCOPED_TRACE(C.Folder.size());
        std::string Folder = MemFsKey(C.Folder.c_str());
        Walk W(ZipBuild({Item(Name, "x"), Item("short", "y")}), Folder.c_str());
        W.List();
        W.Extract(C.Folder.c_str());
        ASSERT_EQ(2u, W.Dlg.Errors.size());   // the long name's box, then the final message
        EXPECT_EQ("Cannot create file\r\n" + Folder + "\\" + Name, W.Error(0));
        EXPECT_EQ(C.ShortFits ? 1u : 0u, W.Fs.Files.count(Folder + "\\short"));
        EXPECT_EQ(W.Fs.Files.size(), W.Fs.Files.count(Folder + "\\short"));
        EXPECT_FALSE(W.R.AllExtracted);
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
                 {"T:/new/typed/", "T:\\new\\typed", false},
                 {"", "T:\\cwd", true}};
    for (auto &C : Cases) {
        SCOPED_TRACE(C.Field);
        Walk W(ZipBuild({Item("a/b.txt", "x")}));
        W.List();
        string Field = C.Field;
        W.R.StopAsked = true;
        W.R.FilesDone = 7;
        EXPECT_EQ(C.Replaced, StartExtraction(W.R, Field, "T:\\cwd", 4));
        EXPECT_STREQ(C.Folder, Field.c_str());
        EXPECT_STREQ(C.Folder, W.R.TargetDir.c_str());
        EXPECT_TRUE(W.Fs.Dirs.count(C.Folder));
        EXPECT_DOUBLE_EQ(25.0, W.R.ProgressStep);
        EXPECT_EQ(0, W.R.FilesDone);
        EXPECT_FALSE(W.R.StopAsked);
        // The run then writes under that folder, whatever the field held.
        UnZipFiles(W.R, MemDialogWnd(W.Dlg), 9500, false);
        EXPECT_TRUE(W.R.AllExtracted);
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
        W.R.ArchiveStart = Image;
        TInstall Info;
        TArchiveRecord Record;
        ReadSetupHeader(W.R, Info, Record);
        bool Listed = W.Run(W.R.ArchiveStart);
        // Complete only when every local header was walked up to the central directory.
        EXPECT_EQ(Cut >= CentralAt + 4, W.R.AllExtracted) << Cut;
        EXPECT_EQ(Cut >= CentralAt + 4 ? 0u : 1u, W.Dlg.Errors.size()) << Cut;
        if (Listed) {
            EXPECT_GE(Cut, ArchiveAt) << Cut;
        }
        // What the extraction run deselected was written correctly.
        for (size_t I = 0; Listed && I < W.Dlg.Items.size(); I++) {
            if (W.Dlg.Selected[I]) continue;
            std::string N = W.Dlg.Items[I].c_str();
            for (auto &Z : Items)
                if (Z.Name == N) {
                    ASSERT_TRUE(W.Has(N)) << Cut << " " << N;
                    EXPECT_EQ(Z.Data, W.Data(N)) << Cut << " " << N;
                }
        }
    }
}
