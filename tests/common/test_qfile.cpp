// The file layer: records, positions and the pending result code with real files.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <thread>

#include "QFile.h"
#include "QSysUtil.h"
#include "QTestFiles.h"

class QFileTest : public ::testing::Test {
protected:
    void SetUp() override { IOResult(); }
    void TearDown() override
    {
        SetFileFaultHook(0);
        IOResult();
    }
    // Opens AName for reading and returns the code the open left.
    int OpenCode(const std::string &AName, int AMode = fmOpenRead)
    {
        TFile F;
        AssignFile(F, AName.c_str());
        Reset(F, 1, AMode);
        int Code = IOResult();
        EXPECT_EQ(FileIsOpen(F), Code == 0) << AName;
        if (FileIsOpen(F)) CloseFile(F);
        return Code;
    }
    TTempDir Dir;
};

TEST_F(QFileTest, OpenFailuresGiveThePlatformNumbers)
{
    ASSERT_TRUE(QWriteFile(Dir.Join("there"), "abc"));
    ASSERT_TRUE(CreateDir(Dir.Join("folder").c_str()));
    const struct {
        std::string Name;
        int Code;
    } Cases[] = {
        {Dir.Join("there"), 0},
        {Dir.Join("missing.bin"), 2},
        {Dir.Join("nofolder") + QSep + "x.bin", 3},
        {Dir.Join("folder"), 5},
        {"", 3},
    };
    for (const auto &C : Cases) EXPECT_EQ(OpenCode(C.Name), C.Code) << "'" << C.Name << "'";
}

#ifdef _WIN32
TEST_F(QFileTest, LockedAndReadOnlyFiles)
{
    std::string Name = Dir.Join("locked");
    ASSERT_TRUE(QWriteFile(Name, "abc"));
    HANDLE Lock = CreateFileA(Name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, 0, OPEN_EXISTING, 0, 0);
    ASSERT_NE(Lock, INVALID_HANDLE_VALUE);
    int Code = OpenCode(Name);
    CloseHandle(Lock);
    EXPECT_EQ(Code, ERROR_SHARING_VIOLATION);
    SetIOResult(Code);
    EXPECT_EQ(ErrorIOResultStr(), "File access denied");

    // Reading needs no write access: a read-only file opens for input. (Opening it for
    // writing is refused by Windows, but not by Wine running as root, so that is not asserted.)
    std::string Ro = Dir.Join("readonly");
    ASSERT_TRUE(QWriteFile(Ro, "abc"));
    ASSERT_TRUE(SetFileAttributesA(Ro.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(OpenCode(Ro), 0);
}
#endif

TEST_F(QFileTest, StateCodes102And103)
{
    TFile F;
    Reset(F);
    EXPECT_EQ(IOResult(), 102);
    Rewrite(F);
    EXPECT_EQ(IOResult(), 102);
    char Buf[4];
    uint32_t Got = 99;
    BlockRead(F, Buf, 4, &Got);
    EXPECT_EQ(IOResult(), 103);
    EXPECT_EQ(Got, 0u);
    BlockWrite(F, Buf, 4);
    EXPECT_EQ(IOResult(), 103);
    Seek(F, 0);
    EXPECT_EQ(IOResult(), 103);
    EXPECT_EQ(FileSize(F), -1);
    EXPECT_EQ(IOResult(), 103);
    EXPECT_EQ(FilePos(F), -1);
    EXPECT_EQ(IOResult(), 103);
    CloseFile(F);
    EXPECT_EQ(IOResult(), 103);
    AssignFile(F, std::string(300, 'n').c_str());
    EXPECT_EQ(strlen(F.Name), 259u);
}

TEST_F(QFileTest, RecordsPositionsAndShortReads)
{
    TFile F;
    AssignFile(F, Dir.Join("data").c_str());
    Rewrite(F, 4);
    BlockWrite(F, "0123456789", 2);   // 2 records of 4 bytes
    uint32_t Put = 0;
    BlockWrite(F, "abcd", 1, &Put);
    EXPECT_EQ(Put, 1u);
    EXPECT_EQ(FilePos(F), 3);
    EXPECT_EQ(FileSize(F), 3);
    ASSERT_EQ(IOResult(), 0);
    CloseFile(F);
    ASSERT_EQ(IOResult(), 0);

    Reset(F, 1);
    EXPECT_EQ(FileSize(F), 12);
    char Buf[32] = {};
    Seek(F, 4);
    BlockRead(F, Buf, 4);
    EXPECT_EQ(std::string(Buf, 4), "4567");
    EXPECT_EQ(IOResult(), 0);
    // Short without a count taken: 100. With the count: no code.
    BlockRead(F, Buf, 10);
    EXPECT_EQ(IOResult(), 100);
    Seek(F, 10);
    uint32_t Got = 0;
    BlockRead(F, Buf, 10, &Got);
    EXPECT_EQ(Got, 2u);
    EXPECT_EQ(IOResult(), 0);
    BlockRead(F, Buf, 10, &Got);
    EXPECT_EQ(Got, 0u);
    EXPECT_EQ(IOResult(), 0);
    Seek(F, -1);
    EXPECT_NE(IOResult(), 0);
    CloseFile(F);

    // Records of 5 bytes: a 12-byte file holds 2 whole records.
    Reset(F, 5);
    EXPECT_EQ(FileSize(F), 2);
    BlockRead(F, Buf, 3, &Got);
    EXPECT_EQ(Got, 2u);
    CloseFile(F);
    EXPECT_EQ(IOResult(), 0);

    // Rewrite truncates.
    Rewrite(F);
    EXPECT_EQ(FileSize(F), 0);
    CloseFile(F);
    EXPECT_EQ(IOResult(), 0);
}

TEST_F(QFileTest, TheLatestFailureIsPendingUntilRead)
{
    TFile A, B;
    AssignFile(A, Dir.Join("missing").c_str());
    Reset(A);
    AssignFile(B, (Dir.Join("nofolder") + QSep + "x").c_str());
    Reset(B);
    // Operations go on while a code is pending; a success leaves it alone.
    ASSERT_TRUE(QWriteFile(Dir.Join("ok"), "x"));
    TFile C;
    AssignFile(C, Dir.Join("ok").c_str());
    Reset(C);
    EXPECT_TRUE(FileIsOpen(C));
    CloseFile(C);
    EXPECT_EQ(IOResult(), 3);
}

TEST_F(QFileTest, TheCodeBelongsToItsThread)
{
    SetIOResult(2);
    int Seen = -1, Own = -1;
    std::thread T([&] {
        Seen = IOResult();
        TFile F;
        Reset(F);
        Own = IOResult();
    });
    T.join();
    EXPECT_EQ(Seen, 0);
    EXPECT_EQ(Own, 102);
    EXPECT_EQ(IOResult(), 2);
}

static int FailClose(const TFile &, int AOp) { return AOp == foClose ? 6 : 0; }

TEST_F(QFileTest, AFailedCloseStillCloses)
{
    ASSERT_TRUE(QWriteFile(Dir.Join("f"), "x"));
    TFile F;
    AssignFile(F, Dir.Join("f").c_str());
    Reset(F);
    SetFileFaultHook(FailClose);
    uint32_t Closes = FileStats().Ops[foClose];
    CloseFile(F);
    EXPECT_EQ(IOResult(), 6);
    EXPECT_FALSE(FileIsOpen(F));
    EXPECT_EQ(FileStats().Ops[foClose], Closes + 1);
}
