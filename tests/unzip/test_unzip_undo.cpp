// The undo of an extraction run: over a folder holding an older version, a failure at each
// entry in turn (a bad CRC, a write that fails, the user stopping) puts the folder back as it
// was (names, bytes, times); a run that stands leaves no undo data; a killed run's journal is
// put back by the next run.
#include <gtest/gtest.h>

#include "UnzipHarness.h"
#include "ZipBuild.h"

namespace {

const char *const UndoDir = "T:\\inst\\" UNDO_FOLDER_NAME;

// The folder as it stands: every file with its bytes and time, every folder.
std::string State(const TMemFs &AFs)
{
    std::string S;
    for (auto &D : AFs.Dirs) S += "D " + D + "\n";
    for (auto &F : AFs.Files) {
        auto T = AFs.Times.find(F.first);
        S += "F " + F.first + " " + std::to_string(T == AFs.Times.end() ? 0 : T->second) + " " +
             F.second + "\n";
    }
    return S;
}

// The older version: files with their own times, a file of the user's, an empty folder.
void OldVersion(TMemFs &AFs)
{
    const char *Files[][2] = {{"app.exe", "old app"},   {"readme.txt", "old readme"},
                              {"sub\\lib.dll", "old lib"}, {"my.cfg", "user settings"}};
    AFs.Dirs.insert("T:\\inst\\sub");
    AFs.Dirs.insert("T:\\inst\\empty");
    uint32_t Time = 0x4A210000;
    for (auto &F : Files) {
        std::string K = std::string("T:\\inst\\") + F[0];
        AFs.Files[K] = F[1];
        AFs.Times[K] = Time += 0x10001;
    }
}

// The new version: replaced files, new files, new folders (one given as a folder entry).
std::vector<TZipItem> NewVersion()
{
    return {Item("app.exe", "new app"),        Item("new.txt", "new text"),
            Item("sub/lib.dll", "new lib"),    Item("sub/deep/x.dat", "deep data"),
            Item("docs/"),                     Item("docs/guide.txt", "guide"),
            Item("readme.txt", "new readme")};
}

// A failure injected into the run's writes: the file of entry Entry fails to be written, or the
// user asks to stop while it is written; optionally the new file then cannot be removed.
struct TFault {
    std::string Path;    // the file whose writes the fault hits
    bool Stop = false;
    std::string Lock;    // a file locked when the fault hits (undo cannot remove it)
    TUnZipRun *Run = 0;
} Fault;

int32_t FaultWrite(TZipHandle AFile, const void *ABuf, int32_t ACount)
{
    TMemFs &Fs = *CurrentMemFs();
    auto Open = Fs.Open.find(AFile);
    if (Open != Fs.Open.end() && Open->second == Fault.Path) {
        if (!Fault.Lock.empty()) Fs.Locked.insert(Fault.Lock);
        if (!Fault.Stop) return 0;
        Fault.Run->StopAsked = true;
    }
    return ZipMemIO()->Write(AFile, ABuf, ACount);
}

const TZipIO *FaultIO()
{
    static TZipIO IO = {ZipMemIO()->Read, FaultWrite, ZipMemIO()->Seek};
    return &IO;
}

// A walk over the older version whose writes go through the fault.
struct UndoWalk : Walk {
    explicit UndoWalk(const std::string &AZip) : Walk(AZip)
    {
        OldVersion(Fs);
        R.IO = FaultIO();
        R.Entry.In = R.Entry.Out = FaultIO();
        Fault = TFault();
        Fault.Run = &R;
        Dlg.Answers = {maOkAll};   // the first prompt: replace all
    }
};

enum TKind { fkCrc, fkWrite, fkStop };

}  // namespace

TEST(Undo, FailureAtEveryEntryPutsTheFolderBack)
{
    // One file there holds its entry already (same bytes and time): it is never written, so
    // only a CRC that does not match it makes it an entry that fails.
    std::vector<TZipItem> Items = NewVersion();
    Items.insert(Items.begin() + 2, Item("same.txt", "same text"));
    for (TKind Kind : {fkCrc, fkWrite, fkStop})
        for (size_t At = 0; At < Items.size(); At++)
            for (bool Silent : {false, true}) {
                if (Items[At].Name.back() == '/' && Kind != fkCrc) continue;   // no file to write
                SCOPED_TRACE(testing::Message() << "fault " << Kind << " at " << Items[At].Name
                                                << (Silent ? " silent" : " dialog"));
                std::vector<TZipItem> Zip = Items;
                if (Kind == fkCrc) Zip[At].BadCrc = true;
                UndoWalk W(ZipBuild(Zip));
                W.Fs.Files[W.At("same.txt")] = "same text";
                W.Fs.Times[W.At("same.txt")] = (uint32_t)Items[2].Date << 16 | Items[2].Time;
                if (Kind != fkCrc) Fault.Path = W.At(Items[At].Name);
                Fault.Stop = Kind == fkStop;
                W.R.Silent = Silent;
                W.Dlg.AnswerYes = true;
                std::string Before = State(W.Fs);
                W.Run();
                // Folder entries cannot fail a CRC check, and the file that holds its entry is
                // not written: such a run stands.
                if (Items[At].Name.back() == '/' || (At == 2 && Kind != fkCrc)) {
                    EXPECT_EQ(ExitInstalled, RunExitCode(W.R));
                    EXPECT_EQ("same text", W.Data("same.txt"));
                    continue;
                }
                EXPECT_EQ(Before, State(W.Fs));
                EXPECT_EQ(ExitIncomplete, RunExitCode(W.R));
                // The user who stopped is not asked again; a silent run asks nothing.
                bool Asked = !Silent && Kind != fkStop;
                ASSERT_EQ(Asked ? 1u : 0u, W.Dlg.Errors.size());
                if (!Asked) continue;
                EXPECT_NE(std::string::npos, W.LastError().find("Not installed correctly:\r\n\r\n" +
                                                                Items[At].Name + "\r\n"));
                size_t Tail = strlen(MsgAskUndo);
                EXPECT_EQ(MsgAskUndo, W.LastError().substr(W.LastError().size() - Tail));
            }
}

TEST(Undo, ARunThatStandsOrIsKeptLeavesNoUndoData)
{
    struct {
        bool BadCrc;     // the last entry fails
        bool Yes;        // the answer to "Undo the installation?"
        const char *Readme;
    } Cases[] = {{false, false, "new readme"}, {true, false, "old readme"}};
    for (auto &C : Cases) {
        std::vector<TZipItem> Zip = NewVersion();
        Zip.push_back(Item("last.txt", "last"));
        Zip.back().BadCrc = C.BadCrc;
        UndoWalk W(ZipBuild(Zip));
        W.R.OverwriteMode = omReplace;
        W.Dlg.AnswerYes = C.Yes;
        W.List();
        W.R.OverwriteMode = omReplace;
        W.Extract();
        EXPECT_EQ(C.BadCrc ? ExitIncomplete : ExitInstalled, RunExitCode(W.R));
        EXPECT_EQ("new app", W.Data("app.exe"));
        EXPECT_EQ("new lib", W.Data("sub/lib.dll"));
        EXPECT_EQ("deep data", W.Data("sub/deep/x.dat"));
        EXPECT_EQ("user settings", W.Data("my.cfg"));
        EXPECT_TRUE(W.Fs.Dirs.count(W.At("docs")));
        EXPECT_FALSE(W.Fs.Dirs.count(UndoDir));
        for (auto &F : W.Fs.Files) EXPECT_EQ(std::string::npos, F.first.find(UNDO_FOLDER_NAME));
    }
}

// A target typed with slashes is the same folder: a failure puts it back, a run that stands
// leaves nothing of the undo behind.
TEST(Undo, ATargetTypedWithSlashesIsPutBackAsWell)
{
    for (bool Fails : {true, false}) {
        SCOPED_TRACE(Fails ? "fails" : "stands");
        std::vector<TZipItem> Zip = NewVersion();
        Zip.back().BadCrc = Fails;
        UndoWalk W(ZipBuild(Zip));
        W.Dlg.AnswerYes = true;
        std::string Before = State(W.Fs);
        W.List();
        W.Extract("T:/inst/");
        if (Fails) {
            EXPECT_EQ(Before, State(W.Fs));
            continue;
        }
        EXPECT_EQ("new app", W.Data("app.exe"));
        EXPECT_EQ("new readme", W.Data("readme.txt"));
        EXPECT_FALSE(W.Fs.Dirs.count(UndoDir));
        for (auto &F : W.Fs.Files) EXPECT_EQ(std::string::npos, F.first.find(UNDO_FOLDER_NAME));
    }
}

// A file that holds its entry already (the same size, time and CRC-32) is left as it is: not
// written, not moved aside. Anything that differs in one of them is replaced. The prompt
// still asks about it; a second run of the same installer writes nothing at all.
TEST(Undo, AFileThatHoldsItsEntryIsLeftAsItIs)
{
    std::vector<TZipItem> Zip = {Item("same.txt", "same text"),    Item("bytes.txt", "abcd"),
                                 Item("time.txt", "same text"),    Item("size.txt", "longer"),
                                 Item("stored.txt", "kept", 0),    Item("desc.txt", "via desc"),
                                 Item("empty.txt", "")};
    Zip[5].Descriptor = 1;
    uint32_t Time = (uint32_t)Zip[0].Date << 16 | Zip[0].Time;
    UndoWalk W(ZipBuild(Zip));
    W.Fs = TMemFs();
    W.Fs.Dirs.insert("T:\\inst");
    const char *Old[][2] = {{"same.txt", "same text"}, {"bytes.txt", "abce"},
                            {"time.txt", "same text"}, {"size.txt", "long"},
                            {"stored.txt", "kept"},    {"desc.txt", "via desc"},
                            {"empty.txt", ""}};
    for (auto &F : Old) {
        W.Fs.Files[W.At(F[0])] = F[1];
        W.Fs.Times[W.At(F[0])] = std::string(F[0]) == "time.txt" ? Time + 1 : Time;
    }
    W.Dlg.Answers = {maOk, maOk, maOk, maOk, maOk, maOk, maOk};
    W.Run();
    EXPECT_EQ(ExitInstalled, RunExitCode(W.R));
    EXPECT_EQ(7u, W.Dlg.Asked.size());
    // Written: the journal, then the changed bytes, the other time, the other size and the
    // descriptor's entry.
    EXPECT_EQ(5, W.Fs.Creates);
    for (auto &I : Zip) {
        EXPECT_EQ(I.Data, W.Data(I.Name)) << I.Name;
        EXPECT_EQ(Time, W.Fs.Times[W.At(I.Name)]) << I.Name;
    }
    EXPECT_FALSE(W.Fs.Dirs.count(UndoDir));
    for (auto &F : W.Fs.Files) EXPECT_EQ(std::string::npos, F.first.find(UNDO_FOLDER_NAME));

    // The same installer again, silently: only the journal and the descriptor's entry.
    TMemFs After = W.Fs;
    UndoWalk Again(ZipBuild(Zip));
    Again.Fs = After;
    Again.Fs.Creates = 0;
    Again.R.Silent = true;
    Again.Run();
    EXPECT_EQ(ExitInstalled, RunExitCode(Again.R));
    EXPECT_EQ(2, Again.Fs.Creates);
    EXPECT_EQ(State(After), State(Again.Fs));
}

TEST(Undo, AFileTheUserKeptStaysAndAFolderMadeForTheTargetGoes)
{
    // The prompt: replace app.exe, keep sub\lib.dll, replace readme.txt, whose CRC fails: undone.
    std::vector<TZipItem> Zip = NewVersion();
    Zip.back().BadCrc = true;   // readme.txt, the last entry
    UndoWalk W(ZipBuild(Zip));
    W.Fs.Files[W.At("sub/lib.dll")] = "changed by the user";
    W.Dlg.Answers = {maOk, maCancel, maOk};
    W.Dlg.AnswerYes = true;
    std::string Before = State(W.Fs);
    W.Run();
    ASSERT_EQ(3u, W.Dlg.Asked.size());
    EXPECT_EQ(Before, State(W.Fs));

    // The target folder itself made by the run (StartExtraction) goes with the rest.
    TMemFs Fs;
    TMemDialog Dlg;
    TZipMemFile Archive;
    std::vector<TZipItem> Bad = {Item("a/b.txt", "b")};
    Bad[0].BadCrc = true;
    std::string File = ZipBuild(Bad);
    TUnZipRun R;
    UseMemory(R, Fs, Archive, File);
    Fs.Dirs.insert("T:");
    R.Silent = true;
    UnZipFiles(R, MemDialogWnd(Dlg), 9500, true);
    MemSelectAll(Dlg);
    string Folder = "T:\\new\\inst";
    StartExtraction(R, Folder, "T:\\", 1);
    R.Ran = true;
    UnZipFiles(R, MemDialogWnd(Dlg), 9500, false);
    EXPECT_EQ(ExitIncomplete, RunExitCode(R));
    EXPECT_EQ("D T:\n", State(Fs));
}

TEST(Undo, WhatCannotBePutBackIsNamedOnce)
{
    std::vector<TZipItem> Zip = NewVersion();
    UndoWalk W(ZipBuild(Zip));
    Fault.Path = W.At("sub/deep/x.dat");   // fails after app.exe, new.txt, sub\lib.dll
    Fault.Lock = W.At("app.exe");          // the new app.exe is in use
    W.Dlg.AnswerYes = true;
    W.Run();
    EXPECT_EQ(ExitIncomplete, RunExitCode(W.R));
    EXPECT_EQ(std::string(MsgNotPutBack) + W.At("app.exe") + "\r\n", W.LastError());
    EXPECT_EQ("new app", W.Data("app.exe"));
    EXPECT_EQ("old lib", W.Data("sub/lib.dll"));   // the rest is put back
    EXPECT_FALSE(W.Has("new.txt"));
    EXPECT_TRUE(W.R.Undo.Failed);
}

TEST(Undo, AKilledRunIsPutBackByTheNextRun)
{
    // A run killed at its final question leaves the undo data as it was then.
    std::vector<TZipItem> Zip = NewVersion();
    Zip[3].BadCrc = true;
    TMemFs Killed;
    std::string Before;
    {
        UndoWalk W(ZipBuild(Zip));
        Before = State(W.Fs);
        W.Dlg.OnAsk = [&] {
            Killed = W.Fs;
            for (auto &O : W.Fs.Open) {   // what the journal holds so far
                TZipMemFile *F = (TZipMemFile *)O.first;
                Killed.Files[O.second] = std::string((const char *)F->Data, (size_t)F->Size);
            }
            Killed.Open.clear();
        };
        W.Run();
    }
    ASSERT_TRUE(Killed.Dirs.count(UndoDir));
    for (bool Yes : {true, false}) {
        SCOPED_TRACE(Yes ? "put back" : "dropped");
        // The next run: the question comes first; this run then stops at its first entry.
        UndoWalk W(ZipBuild(NewVersion()));
        W.Fs = Killed;
        Fault.Path = W.At("app.exe");
        Fault.Stop = true;
        W.Dlg.AnswerYes = Yes;
        W.Run();
        EXPECT_STREQ(MsgPutBack, W.Dlg.Errors.at(0).c_str());
        EXPECT_FALSE(W.Fs.Dirs.count(UndoDir));
        // Dropped: what the killed run wrote stays, its old files are gone.
        if (Yes) {
            EXPECT_EQ(Before, State(W.Fs));
        } else {
            EXPECT_EQ("new lib", W.Data("sub/lib.dll"));
        }
    }
}

TEST(Undo, WithoutAnUndoFolderFilesAreReplacedInPlaceAndNamedOnUndo)
{
    // Something of the user's holds the undo folder's name: no journal can be written.
    std::vector<TZipItem> Zip = NewVersion();
    Zip[3].BadCrc = true;   // sub/deep/x.dat: the run goes on and replaces readme.txt too
    UndoWalk W(ZipBuild(Zip));
    W.Fs.Files[UndoDir] = "the user's";
    W.Dlg.AnswerYes = true;
    W.Run();
    EXPECT_EQ(ExitIncomplete, RunExitCode(W.R));
    EXPECT_EQ(std::string(MsgNotPutBack) + W.At("readme.txt") + "\r\n" + W.At("sub/lib.dll") +
                  "\r\n" + W.At("app.exe") + "\r\n",
              W.LastError());
    EXPECT_EQ("new app", W.Data("app.exe"));
    EXPECT_FALSE(W.Has("new.txt"));   // what the run made still goes
    EXPECT_EQ("the user's", W.Fs.Files.at(UndoDir));
}

TEST(Undo, ManyFilesAsideAreSpreadOverFoldersAndAllComeBack)
{
    // 130 files replaced: three folders of at most 64 in the undo folder, all back after a CRC
    // failure at the end, every folder gone.
    std::vector<TZipItem> Zip;
    for (int I = 0; I < 130; I++) Zip.push_back(Item("f" + std::to_string(I), "new"));
    Zip.push_back(Item("last", "x"));
    Zip.back().BadCrc = true;
    UndoWalk W(ZipBuild(Zip));
    for (int I = 0; I < 130; I++) W.Fs.Files[W.At("f" + std::to_string(I))] = "old";
    std::string Before = State(W.Fs);
    std::map<std::string, int> PerFolder;
    W.Dlg.OnAsk = [&] {
        for (auto &F : W.Fs.Files)
            if (F.first.find(UNDO_FOLDER_NAME "\\") != std::string::npos &&
                F.first.find("journal") == std::string::npos)
                PerFolder[F.first.substr(0, F.first.rfind('\\'))]++;
    };
    W.Dlg.AnswerYes = true;
    W.Run();
    EXPECT_EQ((std::map<std::string, int>{{std::string(UndoDir) + "\\0", 64},
                                           {std::string(UndoDir) + "\\1", 64},
                                           {std::string(UndoDir) + "\\2", 2}}),
              PerFolder);
    EXPECT_EQ(Before, State(W.Fs));
}

// A journal found in the folder is no order to touch anything outside it: lines naming a file
// elsewhere, a way out by "..", a stream or the drive's root are passed over; lines inside the
// folder are put back as for a killed run.
TEST(Undo, AJournalFoundInTheFolderActsInsideItOnly)
{
    UndoWalk W(ZipBuild(NewVersion()));
    W.Fs.Files["T:\\victim.txt"] = "mine";
    W.Fs.Files["T:\\inst\\stream.txt"] = "mine too";
    W.Fs.Dirs.insert(UndoDir);
    W.Fs.Files[std::string(UndoDir) + "\\journal"] =
        "/T:\\\n"                          // the drive's root is no level the run made
        "+T:\\victim.txt\n"                // elsewhere
        "+T:\\inst\\..\\victim.txt\n"      // out by ".."
        "+T:\\inst/../victim.txt\n"        // the same with the other separator
        "+T:\\inst\\stream.txt:x\n"        // a stream of a file of the user's
        "+T:\\inst\\my.cfg\n";             // inside: a file the killed run made
    W.R.Silent = true;                     // puts the folder back without asking
    ASSERT_TRUE(W.Run());
    EXPECT_EQ("mine", W.Fs.Files["T:\\victim.txt"]);
    EXPECT_EQ("mine too", W.Fs.Files["T:\\inst\\stream.txt"]);
    EXPECT_TRUE(W.Fs.Dirs.count("T:"));
    EXPECT_FALSE(W.Has("my.cfg"));         // the line inside the folder was acted on
    EXPECT_TRUE(W.R.AllExtracted);
}
