// The setup header behind the installer image, read from real files (the kernel file API
// under Wine, POSIX files on the host): where the block and the archive lie, what the texts
// become, and files that end early or carry an impossible length.
#include <gtest/gtest.h>

#include <stddef.h>
#include <string.h>

#include <vector>

#include "QEncr.h"
#include "QTestFiles.h"
#include "UnfurlPayload.h"
#include "UnfurlArchive.h"
#include "UnfurlUnZip.h"
#include "ZipBuild.h"

namespace {

// Every read of ArchiveFile as (position, count), through the platform's file binding.
std::vector<std::pair<int64_t, int32_t>> Reads;
int64_t Position = 0;

int32_t RecordRead(TZipHandle AFile, void *ABuf, int32_t ACount)
{
    int32_t Got = ZipFileIO()->Read(AFile, ABuf, ACount);
    Reads.push_back({Position, ACount});
    Position += Got;
    return Got;
}

int64_t RecordSeek(TZipHandle AFile, int64_t ADistance, int AMethod)
{
    int64_t P = ZipFileIO()->Seek(AFile, ADistance, AMethod);
    if (P >= 0) Position = P;
    return P;
}

const uint32_t S = 0x9A00;

std::string Str(const string &A) { return std::string(A.data(), A.length()); }

class Payload : public ::testing::Test {
protected:
    TTempDir Dir;
    TUnZipRun R;
    TInstall Info;
    TArchiveRecord ArchiveRecord;
    TSetupRead SetupRead = srOk;

    void SetUp() override
    {
        RunInitPlatform(R);
        Reads.clear();
    }
    void TearDown() override { CloseArchive(R); }
    // Writes AFile, opens it as the installer's own file (closing the one before) and reads
    // the setup header, every read and seek recorded.
    void Read(const std::string &AFile)
    {
        CloseArchive(R);
        std::string Path = Dir.Join("setup.exe");
        ASSERT_TRUE(QWriteFile(Path, AFile));
        OpenArchiveFile(R, Path.c_str());
        ASSERT_NE(-1, R.ArchiveFile);
        static const TZipIO Recorder = {RecordRead, ZipFileIO()->Write, RecordSeek};
        UseArchive(R, &Recorder, R.ArchiveFile);
        R.ArchiveStart = S;
        SetupRead = ReadSetupHeader(R, Info, ArchiveRecord);
    }
    TArchiveVerdict Verify() { return VerifyArchive(R, ArchiveRecord); }
    // The 4 bytes at R.ArchiveStart, read through the platform's binding.
    std::string AtArchive()
    {
        char Sig[4] = {0, 0, 0, 0};
        SeekArchive(R, R.ArchiveStart, ZIP_SEEK_BEGIN);
        ReadArchive(R, Sig, 4);
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
    EXPECT_EQ(0x9AC5u, R.ArchiveStart);
    EXPECT_EQ(Title, Str(Info.Title));   // the line break survives
    EXPECT_EQ(Subtitle, Str(Info.Subtitle));
    ASSERT_EQ(2u, Reads.size());
    EXPECT_EQ((std::pair<int64_t, int32_t>{S + 100, 4}), Reads[0]);
    EXPECT_EQ((std::pair<int64_t, int32_t>{0x9A68, 93}), Reads[1]);
    EXPECT_EQ("PK\x03\x04", AtArchive());
}

// The texts end at their zero bytes or with the block; bytes behind them are not read as text
// but count for where the archive starts.
TEST_F(Payload, TextsAndWhereTheArchiveStarts)
{
    struct {
        const char *Why;
        std::string Raw;   // the block as stored (scrambled)
        std::string Title, Subtitle;
    } Cases[] = {
        {"two zero bytes", std::string(2, '\0'), "", ""},
        {"trailing bytes",
         Block("Title", "Sub", std::string("\x01\x02 trailing bytes \0 and more", 27)), "Title",
         "Sub"},
        {"no zero at all", Str(ECrypt("no zero at all", SetupTextShift)), "no zero at all", ""},
        {"no subtitle zero",
         Str(ECrypt("title", SetupTextShift)) + '\0' + Str(ECrypt("sub", SetupTextShift)), "title",
         "sub"},
        {"a long title", std::string(1000, (char)('x' + SetupTextShift)), std::string(1000, 'x'),
         ""},
    };
    for (auto &C : Cases) {
        SCOPED_TRACE(C.Why);
        Read(PayloadBuild(S, C.Raw, Zip()));
        EXPECT_EQ(C.Title, Str(Info.Title));
        EXPECT_EQ(C.Subtitle, Str(Info.Subtitle));
        EXPECT_EQ(S + 104 + C.Raw.size(), R.ArchiveStart);
        EXPECT_EQ("PK\x03\x04", AtArchive());
    }
}

TEST_F(Payload, LengthAboveTheBufferIsNotRead)
{
    std::string File = PayloadBuild(S, std::string(1500, 'x'), Zip());
    Read(File);
    EXPECT_EQ(srTooLong, SetupRead);
    EXPECT_TRUE(Info.Title.empty());
    EXPECT_EQ(1u, Reads.size());                  // only L
    EXPECT_EQ(S + 104 + 1500, R.ArchiveStart);      // where the walk then finds no header

    // A length near 4 GB cannot wrap the offset back into the file.
    File = PayloadBuild(S, "", Zip());
    File[S + 103] = (char)0xFF;
    File[S + 102] = (char)0xFF;
    Read(File);
    EXPECT_EQ(srTooLong, SetupRead);
    EXPECT_GT(R.ArchiveStart, S);
}

TEST_F(Payload, FileEndingEarly)
{
    std::string Full = PayloadBuild(S, Block("Title", "Subtitle"), Zip());
    // Before the length: L counts as 0.
    Read(Full.substr(0, S + 102));
    EXPECT_EQ(srShortLength, SetupRead);
    EXPECT_TRUE(Info.Title.empty());
    EXPECT_EQ(S + 104, R.ArchiveStart);
    // Inside the block: only the bytes there.
    Read(Full.substr(0, S + 104 + 8));
    EXPECT_EQ(srShortBlock, SetupRead);
    EXPECT_EQ("Title", Str(Info.Title));
    EXPECT_EQ("Su", Str(Info.Subtitle));
}

// ---- The archive's integrity record ------------------------------------------------------

std::string Record(const std::string &AZip)
{
    return Str(BuildArchiveRecord((uint32_t)AZip.size(), ZCrc(AZip)));
}

std::string BigZip()
{
    std::string Data;
    for (int I = 0; I < 300000; I++) Data += (char)('a' + I * 7 % 26);
    return ZipBuild({TZipItem{"first.txt", "small"}, TZipItem{"big/data.bin", Data},
                     TZipItem{"last.txt", "the end"}});
}

TEST_F(Payload, IntegrityRecordIsReadBehindTheSubtitle)
{
    std::string Z = BigZip();
    Read(PayloadBuild(S, Block("Title", "Sub", Record(Z)), Z));
    EXPECT_EQ("Title", Str(Info.Title));     // the texts as before
    EXPECT_EQ("Sub", Str(Info.Subtitle));
    EXPECT_EQ(S + 104 + 10 + 12, R.ArchiveStart);
    ASSERT_TRUE(ArchiveRecord.Present);
    EXPECT_EQ(Z.size(), ArchiveRecord.Length);
    EXPECT_EQ(ZCrc(Z), ArchiveRecord.Crc);
    EXPECT_EQ(avIntact, Verify());
    EXPECT_EQ("PK\x03\x04", AtArchive());

    // Bytes appended after the archive (an Authenticode signature) are not covered.
    Read(PayloadBuild(S, Block("Title", "Sub", Record(Z)), Z) + std::string(3000, '\x30'));
    EXPECT_EQ(avIntact, Verify());
}

TEST_F(Payload, AnyChangedOrMissingByteOfTheArchiveIsDamage)
{
    std::string Z = BigZip(), Whole = PayloadBuild(S, Block("T", "S", Record(Z)), Z);
    size_t At = Whole.size() - Z.size();
    size_t CentralAt = Z.rfind(std::string("PK\x01\x02", 4));
    struct {
        const char *Where;
        size_t Offset;   // in the archive
    } Flips[] = {
        {"first local header", 0}, {"a name", 30 + 2}, {"entry data", Z.size() / 2},
        {"central directory", CentralAt + 20}, {"last byte", Z.size() - 1},
    };
    for (auto &F : Flips) {
        std::string File = Whole;
        File[At + F.Offset] ^= 0x01;
        Read(File);
        EXPECT_EQ(avDamaged, Verify()) << F.Where;
    }
    for (size_t Cut : {(size_t)1, Z.size() / 2, Z.size()}) {
        Read(Whole.substr(0, Whole.size() - Cut));
        EXPECT_EQ(avDamaged, Verify()) << "cut by " << Cut;
    }
}

// The records behind the subtitle: the integrity record and the mark of UTF-8 texts, in either
// order. Without the record (the old layout, other bytes, a record cut short) the archive is
// installed unchecked; after an unknown record nothing more is read, and without the mark the
// texts are the code page's.
TEST_F(Payload, RecordsBehindTheSubtitle)
{
    std::string Z = Zip(), Title = "Caf\xC3\xA9";
    struct {
        const char *Why;
        std::string Block;
        bool Utf8, Checked;
    } Cases[] = {
        {"the old layout", Block(Title, "Sub"), false, false},
        {"other trailing bytes", Block(Title, "Sub", "UFxx and then some"), false, false},
        {"a record cut short", Block(Title, "Sub", Record(Z).substr(0, 11)), false, false},
        {"no subtitle zero", Str(ECrypt(Title.c_str(), SetupTextShift)) + '\0' + Record(Z), false,
         false},
        {"the mark after the record", Block(Title, "Sub", Record(Z) + TEXTS_UTF8_MARK), true, true},
        {"the mark before the record", Block(Title, "Sub", TEXTS_UTF8_MARK + Record(Z)), true,
         true},
        {"the mark alone", Block(Title, "Sub", TEXTS_UTF8_MARK), true, false},
        {"the mark behind an unknown record", Block(Title, "Sub", "UFxx" TEXTS_UTF8_MARK), false,
         false},
        {"the mark cut short", Block(Title, "Sub", std::string(TEXTS_UTF8_MARK, 3)), false, false},
    };
    for (auto &C : Cases) {
        SCOPED_TRACE(C.Why);
        Read(PayloadBuild(S, C.Block, Z));
        EXPECT_EQ(C.Utf8, Info.Utf8);
        EXPECT_EQ(C.Checked, ArchiveRecord.Present);
        EXPECT_EQ(C.Checked ? avIntact : avUnchecked, Verify());
        EXPECT_EQ(Title, Str(Info.Title));
        EXPECT_EQ("PK\x03\x04", AtArchive());
    }
}

TEST(StartMark, ArchiveStartFollowsItsMarker)
{
    // The preparation tool finds the value right behind this text and its zero in the image;
    // an image it has not touched holds the built-in value.
    EXPECT_EQ(15u, strlen(UNFURL_START_MARK));
    EXPECT_EQ(16u, offsetof(TStartMark, Start));
    EXPECT_EQ(0x9A00u, BuiltInArchiveStart());
    TUnZipRun R;
    RunInitPlatform(R);
    UseArchive(R, ZipFileIO(), -1);
    EXPECT_EQ(0x9A00u, R.ArchiveStart);
}
