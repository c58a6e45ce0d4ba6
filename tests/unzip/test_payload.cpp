// The setup header behind the installer image, read from real files (the kernel file API
// under Wine, POSIX files on the host): where the block and the archive lie, what the texts
// become, and files that end early or carry an impossible length.
#include <gtest/gtest.h>

#include <vector>

#include "QEncr.h"
#include "QTestFiles.h"
#include "UnfurlPayload.h"
#include "UnfurlUnZip.h"
#include "ZipBuild.h"

namespace {

// Every read of ArchiveFile as (position, count), through the platform's file binding.
std::vector<std::pair<int64_t, int32_t>> Reads;
int64_t Position = 0;

int32_t RecordRead(TZipHandle AFile, void *ABuf, int32_t ACount)
{
    int32_t Got = ZipFileIO.Read(AFile, ABuf, ACount);
    Reads.push_back({Position, ACount});
    Position += Got;
    return Got;
}

int64_t RecordSeek(TZipHandle AFile, int64_t ADistance, int AMethod)
{
    int64_t P = ZipFileIO.Seek(AFile, ADistance, AMethod);
    if (P >= 0) Position = P;
    return P;
}

const uint32_t S = 0x9A00;

std::string Str(const string &A) { return std::string(A.data(), A.length()); }

class Payload : public ::testing::Test {
protected:
    TTempDir Dir;

    void SetUp() override
    {
        ZipIO = ZipFileIO;
        ZipIO.Read = RecordRead;
        ZipIO.Seek = RecordSeek;
        Reads.clear();
    }
    void TearDown() override
    {
        CloseArchive();
        ZipIO = ZipFileIO;
    }
    // Writes AFile, opens it as the installer's own file and reads the setup header.
    void Read(const std::string &AFile)
    {
        std::string Path = Dir.Join("setup.exe");
        ASSERT_TRUE(QWriteFile(Path, AFile));
        OpenArchiveFile(Path.c_str());
        ASSERT_NE(-1, ArchiveFile);
        ArchiveStart = S;
        ReadSetupHeader();
    }
    // The 4 bytes at ArchiveStart, read through the platform's binding.
    std::string AtArchive()
    {
        char Sig[4] = {0, 0, 0, 0};
        SeekArchive(ArchiveStart, ZIP_SEEK_BEGIN);
        ZipIO.Read(ArchiveFile, Sig, 4);
        return std::string(Sig, 4);
    }
};

std::string Block(const std::string &ATitle, const std::string &ASubtitle,
                  const std::string &ATrailer = "")
{
    string B = BuildSetupBlock(string(ATitle.data(), ATitle.size()),
                               string(ASubtitle.data(), ASubtitle.size()));
    return Str(B) + ATrailer;
}

std::string Zip() { return ZipBuild({TZipItem{"a.txt", "archive data"}}); }

}  // namespace

TEST_F(Payload, BlockOf93BytesPutsTheArchiveAt0x9AC5)
{
    std::string Title = "Bytewise 1.0\r\nbyte by byte", Subtitle(93 - 2 - Title.size(), 's');
    std::string File = PayloadBuild(S, Block(Title, Subtitle), Zip());
    // Scribble over the reserved area: it is never read.
    for (int I = 0; I < 100; I++) File[S + I] = (char)0xEE;
    Read(File);
    EXPECT_EQ(srOk, SetupRead);
    EXPECT_EQ(0x9AC5u, ArchiveStart);
    EXPECT_EQ(Title, Str(SetupInfo->Title));   // the line break survives
    EXPECT_EQ(Subtitle, Str(SetupInfo->Subtitle));
    ASSERT_EQ(2u, Reads.size());
    EXPECT_EQ((std::pair<int64_t, int32_t>{S + 100, 4}), Reads[0]);
    EXPECT_EQ((std::pair<int64_t, int32_t>{0x9A68, 93}), Reads[1]);
    EXPECT_EQ("PK\x03\x04", AtArchive());
}

TEST_F(Payload, TwoZeroBytesGiveEmptyTexts)
{
    Read(PayloadBuild(S, std::string(2, '\0'), Zip()));
    EXPECT_TRUE(SetupInfo->Title.empty());
    EXPECT_TRUE(SetupInfo->Subtitle.empty());
    EXPECT_EQ(S + 106, ArchiveStart);
    EXPECT_EQ("PK\x03\x04", AtArchive());
}

TEST_F(Payload, TrailingBytesAreIgnoredButCountForTheArchive)
{
    std::string Trailer("\x01\x02 trailing bytes \0 and more", 27);
    Read(PayloadBuild(S, Block("Title", "Sub", Trailer), Zip()));
    EXPECT_EQ("Title", Str(SetupInfo->Title));
    EXPECT_EQ("Sub", Str(SetupInfo->Subtitle));
    EXPECT_EQ(S + 104 + 10 + 27, ArchiveStart);
    EXPECT_EQ("PK\x03\x04", AtArchive());
}

TEST_F(Payload, TextsWithoutTheirZeroBytesEndWithTheBlock)
{
    struct {
        std::string Raw;      // the block as stored (scrambled)
        std::string Title, Subtitle;
    } Cases[] = {
        {Str(ECrypt("no zero at all", SetupTextShift)), "no zero at all", ""},
        {Str(ECrypt("title", SetupTextShift)) + '\0' + Str(ECrypt("sub", SetupTextShift)),
         "title", "sub"},
        {std::string(1000, (char)('x' + SetupTextShift)), std::string(1000, 'x'), ""},
    };
    for (auto &C : Cases) {
        Reads.clear();
        CloseArchive();
        Read(PayloadBuild(S, C.Raw, Zip()));
        EXPECT_EQ(C.Title, Str(SetupInfo->Title));
        EXPECT_EQ(C.Subtitle, Str(SetupInfo->Subtitle));
        EXPECT_EQ(S + 104 + C.Raw.size(), ArchiveStart);
    }
}

TEST_F(Payload, LengthAboveTheBufferIsNotRead)
{
    std::string File = PayloadBuild(S, std::string(1500, 'x'), Zip());
    Read(File);
    EXPECT_EQ(srTooLong, SetupRead);
    EXPECT_TRUE(SetupInfo->Title.empty());
    EXPECT_EQ(1u, Reads.size());                  // only L
    EXPECT_EQ(S + 104 + 1500, ArchiveStart);      // where the walk then finds no header

    // A length near 4 GB cannot wrap the offset back into the file.
    File = PayloadBuild(S, "", Zip());
    File[S + 103] = (char)0xFF;
    File[S + 102] = (char)0xFF;
    CloseArchive();
    Read(File);
    EXPECT_EQ(srTooLong, SetupRead);
    EXPECT_GT(ArchiveStart, S);
}

TEST_F(Payload, FileEndingEarly)
{
    std::string Full = PayloadBuild(S, Block("Title", "Subtitle"), Zip());
    // Before the length: L counts as 0.
    Read(Full.substr(0, S + 102));
    EXPECT_EQ(srShortLength, SetupRead);
    EXPECT_TRUE(SetupInfo->Title.empty());
    EXPECT_EQ(S + 104, ArchiveStart);
    // Inside the block: only the bytes there.
    CloseArchive();
    Read(Full.substr(0, S + 104 + 8));
    EXPECT_EQ(srShortBlock, SetupRead);
    EXPECT_EQ("Title", Str(SetupInfo->Title));
    EXPECT_EQ("Su", Str(SetupInfo->Subtitle));
}

TEST(StartMark, ArchiveStartFollowsItsMarker)
{
    // The preparation tool finds the value behind this text in the installer image.
    EXPECT_STREQ(UNFURL_START_MARK, StartMarkRec.Mark);
    EXPECT_EQ(16u, sizeof StartMarkRec.Mark);
    EXPECT_EQ((const char *)&StartMarkRec + 16, (const char *)&ArchiveStart);
}
