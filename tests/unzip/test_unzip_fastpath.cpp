// The walk's shortcuts. The read-ahead on the archive: every read and seek through it must
// give what the file itself gives, across buffer boundaries, big reads, the end of the file
// and failing seeks; a whole run must take far fewer reads from the file than it has entries.
// The folder of the last file: made once for the files that follow in it, and made again when
// it has gone meanwhile.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UnfurlReadAhead.h"
#include "UnzipHarness.h"
#include "ZipBuild.h"

namespace {

std::string Bytes(size_t ALen)
{
    std::string S(ALen, 0);
    uint32_t X = 12345;
    for (size_t I = 0; I < ALen; I++) {
        X = X * 1103515245u + 12345u;
        S[I] = (char)(X >> 16);
    }
    return S;
}

struct TOp {
    char Kind;       // 'r' read, 'b' seek from the start, 'c' from the position, 'e' from the end
    int64_t Arg;     // count or distance
};

// Runs AOps on a plain memory file and on the same bytes through the read-ahead; both must
// answer alike, byte for byte.
void Compare(const std::string &AData, const std::vector<TOp> &AOps, int64_t AStart = 0)
{
    TZipMemFile Plain, Buffered;
    ZipMemOpen(Plain, AData.data(), (int64_t)AData.size());
    ZipMemOpen(Buffered, AData.data(), (int64_t)AData.size());
    Plain.Pos = Buffered.Pos = AStart;
    const TZipIO *Mem = ZipMemIO(), *Ahead = ReadAheadIO();
    TReadAhead A;
    ASSERT_TRUE(ReadAheadBegin(A, Mem, ZipMemHandle(Buffered), AStart));
    for (size_t I = 0; I < AOps.size(); I++) {
        const TOp &Op = AOps[I];
        if (Op.Kind == 'r') {
            std::string A1((size_t)Op.Arg, 0), B((size_t)Op.Arg, 0);
            int32_t GotA = Mem->Read(ZipMemHandle(Plain), &A1[0], (int32_t)Op.Arg);
            int32_t GotB = Ahead->Read(ReadAheadHandle(A), &B[0], (int32_t)Op.Arg);
            ASSERT_EQ(GotA, GotB) << "op " << I;
            ASSERT_TRUE(A1 == B) << "op " << I;
        } else {
            int Method = Op.Kind == 'b' ? ZIP_SEEK_BEGIN : Op.Kind == 'c' ? ZIP_SEEK_CURRENT : ZIP_SEEK_END;
            int64_t PosA = Mem->Seek(ZipMemHandle(Plain), Op.Arg, Method);
            int64_t PosB = Ahead->Seek(ReadAheadHandle(A), Op.Arg, Method);
            ASSERT_EQ(PosA, PosB) << "op " << I;
        }
    }
    ReadAheadEnd(A);
    // Afterwards the file itself stands where the reads and seeks left it.
    EXPECT_EQ(Plain.Pos, Buffered.Pos);
}

}  // namespace

TEST(ReadAhead, AnswersAsTheFileItself)
{
    const std::string Data = Bytes(3 * ReadAheadSize + 1234);
    const int64_t B = ReadAheadSize, End = (int64_t)Data.size();
    struct { const char *What; int64_t Start; std::vector<TOp> Ops; } Cases[] = {
        {"small reads across a buffer boundary", 0,
         {{'r', 30}, {'r', 200}, {'b', B - 10}, {'r', 30}, {'r', 5}, {'r', B - 20}}},
        {"seeks back and forth inside the buffer", 100,
         {{'r', 10}, {'b', 100}, {'r', 10}, {'c', 500}, {'r', 1}, {'c', -300}, {'r', 40},
          {'b', 100 + B}, {'r', 1}}},
        {"a seek to the buffer's very end, then a read", 0,
         {{'r', 1}, {'b', B}, {'r', 8}, {'b', B - 1}, {'r', 2}}},
        {"big reads go past the buffer", 7,
         {{'r', 16}, {'r', B / 2}, {'r', 2 * B}, {'r', 100}, {'b', 3}, {'r', B / 2 - 1}}},
        {"reads at and past the end of the file", 0,
         {{'b', End - 5}, {'r', 10}, {'r', 10}, {'b', End + 100}, {'r', 4}, {'e', -3}, {'r', 9},
          {'c', 0}}},
        {"seeks that fail keep the position", 50,
         {{'r', 20}, {'b', -1}, {'r', 20}, {'c', -1000}, {'r', 3}, {'e', -End - 1}, {'r', 2}}},
        {"seeks from the end and the current position", 0,
         {{'e', -B}, {'r', 64}, {'c', -64}, {'r', 64}, {'c', B}, {'r', 1}, {'e', 0}, {'r', 1}}},
        {"empty reads", 0, {{'r', 0}, {'r', 4}, {'r', 0}, {'c', 0}}},
    };
    for (auto &C : Cases) {
        SCOPED_TRACE(C.What);
        Compare(Data, C.Ops, C.Start);
    }
}

TEST(ReadAhead, SmallReadsCostOneFileReadPerBuffer)
{
    const std::string Data = Bytes(4 * ReadAheadSize);
    TZipMemFile F;
    ZipMemOpen(F, Data.data(), (int64_t)Data.size());
    TReadAhead A;
    ASSERT_TRUE(ReadAheadBegin(A, ZipMemIO(), ZipMemHandle(F), 0));
    const TZipIO *Ahead = ReadAheadIO();
    // Nothing is written through the reader.
    EXPECT_EQ(0, Ahead->Write(ReadAheadHandle(A), "x", 1));
    std::string Out(100, 0);
    int64_t Pos = 0;
    for (int I = 0; I < 2 * ReadAheadSize / 150; I++) {   // read 100, skip 50
        ASSERT_EQ(100, Ahead->Read(ReadAheadHandle(A), &Out[0], 100));
        ASSERT_TRUE(Out == Data.substr((size_t)Pos, 100));
        Pos += 150;
        ASSERT_EQ(Pos, Ahead->Seek(ReadAheadHandle(A), Pos, ZIP_SEEK_BEGIN));
    }
    EXPECT_LE(F.Reads, 3);
    ReadAheadEnd(A);
    EXPECT_EQ(Pos, F.Pos);
}

TEST(ReadAhead, RunTakesFewFileReadsAndReadsTheArchiveDirectlyAfterwards)
{
    std::vector<TZipItem> Items;
    for (int I = 0; I < 300; I++) {
        TZipItem It;
        It.Name = "dir" + std::to_string(I / 100) + "/file" + std::to_string(1000 + I) + ".txt";
        It.Data = Bytes(100 + I * 2);
        It.Method = I % 3 == 0 ? 0 : 8;
        It.Descriptor = I % 5 == 0 ? 1 : 0;
        Items.push_back(It);
    }
    std::string Zip = ZipBuild(Items);
    ASSERT_LT(Zip.size(), (size_t)ReadAheadSize * 4);
    Walk W(Zip);
    ASSERT_TRUE(W.Run());
    EXPECT_EQ(reComplete, W.R.RunEnd);
    EXPECT_TRUE(W.R.AllExtracted);
    for (auto &It : Items) {
        ASSERT_TRUE(W.Has(It.Name)) << It.Name;
        EXPECT_TRUE(W.Data(It.Name) == It.Data) << It.Name;
    }
    // Two runs over less than four buffers: a handful of reads, not several per entry.
    EXPECT_LE(W.Archive.Reads, 12);
    EXPECT_EQ(W.R.IO, W.R.Entry.In);
    EXPECT_EQ(W.R.ArchiveFile, W.R.Entry.ArchiveFile);
}

// ---- The folder of the last file -----------------------------------------------------------

namespace {

// Folders made for entries (the undo folder of the run is not counted).
int ForceDirsCalls = 0;
void CountForceDirs(const string &ADir)
{
    if (!strstr(ADir.c_str(), UNDO_FOLDER_NAME)) ForceDirsCalls++;
}
void CountingForceDirs(const string &ADir)
{
    CountForceDirs(ADir);
    MemFsForceDirs(ADir);
}

// Removes the folder d (and what is in it) once the first file is created: another program
// deleting it while the installer runs.
TMemFs *DropFs = 0;
TMemDialog *DropDlg = 0;
void DropFolderOnFirstDispatch(HWND)
{
    if (DropDlg->Dispatched++ == 0) {
        DropFs->Dirs.erase("T:\\inst\\d");
        DropFs->Dirs.erase("T:\\inst\\d\\e");
    }
}

// A run over files "data of NAME" with every folder it makes counted.
struct FolderRun : Walk {
    TUnZipFileOps Ops;
    TUnZipDialog Dialog;
    explicit FolderRun(const std::vector<std::string> &ANames) : Walk(Zip(ANames))
    {
        Ops = *R.FileOps;
        Ops.ForceDirs = CountingForceDirs;
        R.FileOps = &Ops;
        Dialog = *R.Dialog;
        R.Dialog = &Dialog;
        ForceDirsCalls = 0;
        DropFs = &Fs;
        DropDlg = &Dlg;
    }
    static std::string Zip(const std::vector<std::string> &ANames)
    {
        std::vector<TZipItem> Items;
        for (auto &N : ANames) Items.push_back(Item(N, "data of " + N));
        return ZipBuild(Items);
    }
    bool Written(const std::string &AName) const
    {
        return Has(AName) && Data(AName) == "data of " + AName;
    }
};

}  // namespace

// A folder is made when a file cannot be created in it, once: later files in it, also after
// files of other folders, are created at once.
TEST(EntryFolder, MadeOnceForTheFilesInIt)
{
    struct { const char *What; std::vector<std::string> Names; int Makes; } Cases[] = {
        {"one folder", {"d/a", "d/b", "d/c"}, 1},
        {"folder, other folder, back", {"d/a", "e/a", "d/b"}, 2},
        {"sub-folder between", {"d/a", "d/e/a", "d/e/b", "d/z"}, 2},
        {"top level and a folder", {"a", "b", "d/a", "d/b"}, 1},
    };
    for (auto &C : Cases) {
        SCOPED_TRACE(C.What);
        FolderRun R(C.Names);
        ASSERT_TRUE(R.Run());
        EXPECT_TRUE(R.R.AllExtracted);
        EXPECT_EQ(C.Makes, ForceDirsCalls);
        for (auto &N : C.Names) EXPECT_TRUE(R.Written(N)) << N;
    }
}

TEST(EntryFolder, FolderGoneMeanwhileIsMadeAgain)
{
    FolderRun R({"d/a", "d/b", "d/e/c"});
    R.List();
    R.Dialog.DispatchOne = DropFolderOnFirstDispatch;   // after d/a is written
    R.Extract();
    EXPECT_TRUE(R.Dlg.Errors.empty());
    EXPECT_TRUE(R.R.AllExtracted);
    EXPECT_TRUE(R.Written("d/b"));
    EXPECT_TRUE(R.Written("d/e/c"));
    EXPECT_TRUE(R.Fs.Dirs.count("T:\\inst\\d"));
}

TEST(EntryFolder, FolderThatCannotBeMadeAgainStopsTheRun)
{
    FolderRun R({"d/a", "d/b"});
    R.List();
    R.Fs.Dirs.insert("T:\\inst\\d");
    // The folder goes after the first file and can no longer be made (say, no rights).
    R.Dialog.DispatchOne = DropFolderOnFirstDispatch;
    R.Ops.ForceDirs = [](const string &ADir) {
        CountForceDirs(ADir);
        CurrentMemFs()->LastError = MemFsAccessDenied;
    };
    R.Extract();
    EXPECT_EQ(reStopped, R.R.RunEnd);
    EXPECT_FALSE(R.R.AllExtracted);
    // d/a goes into the folder still there; d/b, which cannot be created, makes it once.
    EXPECT_EQ(1, ForceDirsCalls);
    ASSERT_EQ(2u, R.Dlg.Errors.size());   // the folder, then what was not installed
    EXPECT_EQ(std::string(MsgCannotCreateDir) + "\r\nT:\\inst\\d\r\nAccess is denied.",
              R.Dlg.Errors[0].c_str());
    EXPECT_NE(std::string::npos, std::string(R.Dlg.Errors[1].c_str()).find("\r\nd/b\r\n"));
    EXPECT_FALSE(R.Written("d/b"));
}
