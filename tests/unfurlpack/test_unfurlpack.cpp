// The preparation tool: what it refuses and why, how it sets ArchiveStart in the image, the
// payload it writes (read back by the installer's own header reader and walk), its exit codes.
// The checks run on both sides (the Windows console build of the tool shares them); the
// runs of the tool's executable and the walk over its output on the host.
#include <gtest/gtest.h>

#include <stdio.h>

#include "QTestFiles.h"
#include "UnfurlPack.h"
#include "UnfurlArchive.h"
#include "UnfurlPackRewrite.h"
#include "UnfurlPayload.h"
#include "ZipBuild.h"
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include "UnfurlPackBuild.h"
#include "UnzipHarness.h"
#endif

namespace {

[[maybe_unused]] std::string Str(const string &A) { return std::string(A.data(), A.length()); }

// A stand-in installer image: bytes around the marker and a built-in value.
std::string Image(int AMarkers = 1)
{
    std::string S(3000, 'i');
    for (int M = 0; M < AMarkers; M++) {
        S += std::string(UNFURL_START_MARK, StartMarkSize);
        S += std::string("\x00\x9A\x00\x00", 4);
        S += std::string(500, 'j');
    }
    return S;
}

// The ArchiveStart value built into the installer AFile.
uint32_t BuiltInStart(const std::string &AFile)
{
    size_t At = AFile.find(UNFURL_START_MARK) + StartMarkSize;
    return (uint8_t)AFile[At] | (uint8_t)AFile[At + 1] << 8 | (uint8_t)AFile[At + 2] << 16 |
           (uint32_t)(uint8_t)AFile[At + 3] << 24;
}

#ifndef _WIN32
// Runs the tool binary; answers its exit code and what it printed.
int Tool(const std::string &AArgs, std::string &AOutput, const std::string &AIn = "")
{
    std::string Cmd = (AIn.empty() ? "" : "cd '" + AIn + "' && ") +
                      std::string(Q_BINARY_DIR "/unfurlpack/unfurlpack ") + AArgs + " 2>&1";
    FILE *P = popen(Cmd.c_str(), "r");
    AOutput.clear();
    char Buf[512];
    while (fgets(Buf, sizeof Buf, P)) AOutput += Buf;
    int Status = pclose(P);
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
}

// N e-acutes (2 bytes each in UTF-8).
std::string Utf8Title(int N)
{
    std::string T;
    for (int I = 0; I < N; I++) T += "\xC3\xA9";
    return T;
}

struct TRun {
    std::string Args;
    int Code;
    const char *Says;   // a piece of what the tool prints
};
void ExpectRuns(const std::vector<TRun> &ARuns)
{
    std::string Out;
    for (const TRun &R : ARuns) {
        SCOPED_TRACE(R.Args.substr(0, 80));
        EXPECT_EQ(R.Code, Tool(R.Args, Out)) << Out;
        EXPECT_NE(std::string::npos, Out.find(R.Says)) << Out;
    }
}

// An installer opened as the installer opens itself: the run, its dialog in memory, the setup
// texts and the integrity record.
struct TOpened {
    TMemDialog Dlg;
    TUnZipRun R;
    TInstall Info;
    TArchiveRecord Record;
};

// Opens the installer ASetup as the installer does: its built-in ArchiveStart, then the header.
void OpenInstaller(TOpened &A, const std::string &ASetup)
{
    UseDisk(A.R);
    OpenArchiveFile(A.R, ASetup.c_str());
    A.R.ArchiveStart = BuiltInStart(QReadFile(ASetup));
    ReadSetupHeader(A.R, A.Info, A.Record);
}

// The walk over the open installer (header read) into a new folder AInto, which it answers;
// the archive is closed after it.
std::string WalkInto(TOpened &A, const std::string &AInto)
{
    mkdir(AInto.c_str(), 0777);
    RunInstall(A.R, A.Dlg, AInto.c_str(), A.R.ArchiveStart);
    CloseArchive(A.R);
    return AInto;
}

bool InstallInto(const std::string &ASetup, const std::string &AInto)
{
    TOpened A;
    OpenInstaller(A, ASetup);
    WalkInto(A, AInto);
    return A.R.AllExtracted;
}

// The archive inside a finished installer file.
std::string ArchiveOf(const std::string &AFile)
{
    size_t S = Image().size();
    uint32_t L = (uint8_t)AFile[S + 100] | (uint8_t)AFile[S + 101] << 8;
    return AFile.substr(S + 104 + L);
}

std::vector<std::string> NamesOf(const std::vector<TZipItem> &AItems)
{
    std::vector<std::string> Names;
    for (const TZipItem &E : AItems) Names.push_back(E.Name);
    return Names;
}
#endif

}  // namespace

TEST(CheckArchive, RefusesWhatTheInstallerCannotInstall)
{
    auto Flagged = [](const std::string &AName, uint16_t AFlags) {
        TZipItem I = Item(AName);
        I.Flags = AFlags;
        return I;
    };
    struct {
        const char *Title;
        std::vector<TZipItem> Items;
        const char *Entry;
        const char *Reason;
    } Cases[] = {
        {"encrypted", {Item("a"), Flagged("secret.txt", 1)}, "secret.txt", "encrypted entry"},
        {"method", {[] { auto I = Item("bz.txt"); I.Method = 12; I.Packed = "xx"; return I; }()},
         "bz.txt", "compression method 12"},
        {"empty name", {Item("")}, "(entry 1)", "empty name"},
        {"zero byte", {Item(std::string("a\0b", 3))}, "", "zero byte"},
        {"traversal", {Item("ok"), Item("../up.txt")}, "../up.txt", "a name the installer refuses"},
        {"device", {Item("sub/NUL.txt")}, "sub/NUL.txt", "device name"},
        {"drive", {Item("C:\\x")}, "C:\\x", "colon"},
        {"long name", {Item(std::string(256, 'n'))}, "", "longer than 255"},
        {"twice", {Item("Read.me"), Item("READ.ME")}, "READ.ME", "occurs twice"},
        {"twice, \\ for /", {Item("a/b.txt"), Item("a\\b.txt")}, "a\\b.txt", "occurs twice"},
        {"twice, case and \\", {Item("Dir/x.txt"), Item("dir\\X.TXT")}, "dir\\X.TXT", "occurs twice"},
        {"file then folder", {Item("doc"), Item("Doc/x.txt")}, "doc", "also a folder"},
        {"folder then file", {Item("doc/"), Item("doc")}, "doc", "also a folder"},
        {"bit 11, not UTF-8", {Flagged("gr\xFC\xDF.txt", 0x800)}, "gr\xFC\xDF.txt", "not valid UTF-8"},
        {"UTF-8 without bit 11", {Item("gr\xC3\xBC\xC3\x9F.txt")}, "gr\xC3\xBC\xC3\x9F.txt",
         "without flag bit 11"},
        {"twice in UTF-8", {Flagged("Caf\xC3\xA9", 0x800), Flagged("CAF\xC3\xA9", 0x800)},
         "CAF\xC3\xA9", "occurs twice"},
        {"device in UTF-8", {Flagged("COM\xC2\xB9.txt", 0x800)}, "", "device name"},
        {"descriptor without signature",
         {[] { auto I = Item("a.txt", "aaaa"); I.Descriptor = 2; return I; }(), Item("b")},
         "a.txt", "data descriptor without its signature"},
        {"zero sizes",
         {[] { auto I = Item("a.txt", "aaaa"); I.Descriptor = 1; I.ZeroSizes = true; return I; }()},
         "a.txt", "sizes not in the local header"},
        {"bad data", {[] { auto I = Item("a.txt"); I.BadCrc = true; return I; }()}, "a.txt",
         "does not give its size and CRC-32"},
        // The installer stops an entry at its declared size: a size that does not fit the data
        // would leave a file not installed.
        {"stored, declared smaller",
         {[] { auto I = Item("s.txt", "0123456789", 0); I.Declared = 5; return I; }()}, "s.txt",
         "does not give its size"},
        {"deflated, declared smaller",
         {[] { auto I = Item("d.txt", std::string(2000, 'x')); I.Declared = 1000; return I; }()},
         "d.txt", "does not give its size"},
        {"deflated, declared larger",
         {[] { auto I = Item("d.txt", std::string(2000, 'x')); I.Declared = 3000; return I; }()},
         "d.txt", "does not give its size"},
    };
    for (auto &C : Cases) {
        int Entries = 0;
        auto Faults = CheckArchive(ZipBuild(C.Items), Entries);
        ASSERT_FALSE(Faults.empty()) << C.Title;
        bool Found = false;
        for (auto &F : Faults)
            Found |= F.Reason.find(C.Reason) != std::string::npos &&
                     (!*C.Entry || F.Entry == C.Entry);
        EXPECT_TRUE(Found) << C.Title << ": " << Faults[0].Entry << ": " << Faults[0].Reason;
    }
}

TEST(CheckArchive, RefusesArchivesTheWalkCannotFollow)
{
    std::string Good = ZipBuild({Item("a"), Item("b")});
    struct {
        const char *Title;
        std::string Zip;
        const char *Reason;
    } Cases[] = {
        {"not a zip", "just text", "not a ZIP archive"},
        {"empty", ZipBuild({}), "no entries"},
        {"junk before", "JUNK" + Good, "central directory"},
        {"gap between entries", Good.substr(0, Good.find("PK\x03\x04", 4)) + "GAP" +
                                    Good.substr(Good.find("PK\x03\x04", 4)),
         ""},
    };
    for (auto &C : Cases) {
        int Entries = 0;
        auto Faults = CheckArchive(C.Zip, Entries);
        ASSERT_FALSE(Faults.empty()) << C.Title;
        EXPECT_NE(std::string::npos, Faults[0].Reason.find(C.Reason)) << C.Title << ": "
                                                                      << Faults[0].Reason;
    }
}

TEST(CheckArchive, AcceptsWhatTheInstallerCanInstall)
{
    auto WithDescriptor = Item("sub/desc.bin", std::string(70000, 'd'));
    WithDescriptor.Descriptor = 1;
    auto Stored = Item("stored.txt", "plain");
    Stored.Method = 0;
    int Entries = 0;
    auto Faults = CheckArchive(ZipBuild({Item("sub/"), WithDescriptor, Stored, Item("\xA0.txt")}),
                               Entries);
    for (auto &F : Faults) ADD_FAILURE() << F.Entry << ": " << F.Reason;
    EXPECT_EQ(4, Entries);
}

// Texts beyond ASCII that are UTF-8 get the mark behind the integrity record; ASCII texts and
// bytes that are not UTF-8 (a code page's) do not.
TEST(SetupBlockFor, MarksUtf8Texts)
{
    std::string Zip = ZipBuild({Item("a")});
    struct {
        std::string Title, Subtitle;
        bool Marked;
    } Cases[] = {
        {"Plain", "ASCII", false},
        {"Caf\xC3\xA9", "", true},
        {"Title", "\xE6\x97\xA5\xE6\x9C\xAC", true},
        {"Caf\xE9", "code page", false},
    };
    for (auto &C : Cases) {
        std::string Block = SetupBlockFor(C.Title, C.Subtitle, Zip);
        std::string Tail = Block.substr(C.Title.size() + C.Subtitle.size() + 2);
        EXPECT_EQ(Str(BuildArchiveRecord((uint32_t)Zip.size(), ArchiveCrc(Zip))) +
                      (C.Marked ? TEXTS_UTF8_MARK : ""),
                  Tail)
            << C.Title;
    }
}

TEST(PatchImage, SetsArchiveStartToTheImageSize)
{
    std::string I = Image();
    ASSERT_EQ("", PatchImage(I));
    EXPECT_EQ(I.size(), BuiltInStart(I));
    std::string None = std::string(4000, 'x'), Two = Image(2);
    EXPECT_NE("", PatchImage(None));
    EXPECT_NE("", PatchImage(Two));
}

#ifndef _WIN32
TEST(Unfurlpack, WritesAnInstallerTheWalkInstalls)
{
    TTempDir Dir;
    std::vector<TZipItem> Items = {Item("readme.txt", "read me"), Item("sub/"),
                                   Item("sub/file.txt", std::string(50000, 'f'))};
    std::string Zip = ZipBuild(Items);
    ASSERT_TRUE(QWriteFile(Dir.Join("image.exe"), Image()));
    ASSERT_TRUE(QWriteFile(Dir.Join("a.zip"), Zip));
    std::string Out;
    ASSERT_EQ(0, Tool(Dir.Join("image.exe") + " " + Dir.Join("a.zip") +
                          " 'Title\\nsecond line' 'The subtitle' " + Dir.Join("setup.exe"),
                      Out))
        << Out;
    std::string File = QReadFile(Dir.Join("setup.exe"));
    size_t S = Image().size();
    // Layout: image (patched), 100 zero bytes, L, block, archive.
    EXPECT_EQ(std::string(100, '\0'), File.substr(S, 100));
    std::string Block = File.substr(S + 104, File.size() - S - 104 - Zip.size());
    EXPECT_EQ(Block.size(), (size_t)(uint8_t)File[S + 100] | (uint8_t)File[S + 101] << 8);
    EXPECT_EQ(Zip, File.substr(File.size() - Zip.size()));
    EXPECT_EQ(std::string::npos, Block.find("Title"));   // scrambled

    // The installer's side: the built-in value, the header reader, the walk.
    EXPECT_EQ(S, BuiltInStart(File));
    TOpened A;
    OpenInstaller(A, Dir.Join("setup.exe"));
    EXPECT_TRUE(A.Info.Title == "Title\r\nsecond line");
    EXPECT_TRUE(A.Info.Subtitle == "The subtitle");
    EXPECT_EQ(File.size() - Zip.size(), A.R.ArchiveStart);
    // The integrity record behind the texts, checked as the installer checks it at its start.
    EXPECT_EQ(Zip.size(), A.Record.Length);
    EXPECT_EQ(avIntact, VerifyArchive(A.R, A.Record));
    std::string Into = WalkInto(A, Dir.Join("into"));
    EXPECT_TRUE(A.R.AllExtracted);
    EXPECT_EQ(Items[2].Data, QReadFile(Into + "/sub/file.txt"));
}

TEST(Unfurlpack, ExitCodesAndMessages)
{
    TTempDir Dir;
    std::string Img = Dir.Join("image.exe"), Good = Dir.Join("good.zip"), Bad = Dir.Join("bad.zip");
    ASSERT_TRUE(QWriteFile(Img, Image()));
    ASSERT_TRUE(QWriteFile(Dir.Join("plain.exe"), std::string(5000, 'p')));
    ASSERT_TRUE(QWriteFile(Good, ZipBuild({Item("a.txt")})));
    ASSERT_TRUE(QWriteFile(Bad, ZipBuild({Item("a.txt"), Item("../evil.txt")})));
    std::string Setup = Dir.Join("setup.exe");
    ExpectRuns({
        {"--help", 0, "Exit codes"},
        {"", 1, "Usage"},
        {"a b c", 1, "Usage"},
        {Img + " " + Dir.Join("missing.zip") + " T S " + Setup, 2, "cannot read"},
        {Img + " " + Good + " T S " + Dir.Join("no/such/dir/x.exe"), 2, "cannot write"},
        {Img + " " + Bad + " T S " + Setup, 3, "entry \"../evil.txt\": a name the installer refuses"},
        {"--check " + Bad, 3, "../evil.txt"},
        {"--check " + Good, 0, ""},
        {Dir.Join("plain.exe") + " " + Good + " T S " + Setup, 4, "no ArchiveStart marker"},
        {Img + " " + Good + " " + std::string(600, 'T') + " " + std::string(400, 'S') + " " + Setup,
         5, "at most 988"},
    });
    EXPECT_EQ("", QReadFile(Setup));   // nothing written for a refused archive
}

// The texts' limit as the usage text gives it: 988 bytes with both zero bytes; the mark of
// UTF-8 texts takes 4 of them, and the message says so.
TEST(Unfurlpack, TextLimitsAsTheUsageSays)
{
    TTempDir Dir;
    std::string Img = Dir.Join("image.exe"), Zip = Dir.Join("a.zip"), Setup = Dir.Join("setup.exe");
    ASSERT_TRUE(QWriteFile(Img, Image()));
    ASSERT_TRUE(QWriteFile(Zip, ZipBuild({Item("a.txt")})));
    std::string Pre = Img + " " + Zip + " ", Sub = " " + std::string(400, 'S') + " " + Setup;
    ExpectRuns({
        {Pre + std::string(586, 'T') + Sub, 0, ""},
        {Pre + std::string(587, 'T') + Sub, 5, "take 989 bytes with their zero bytes, at most 988 fit"},
        {Pre + Utf8Title(291) + Sub, 0, ""},
        {Pre + Utf8Title(292) + Sub, 5, "take 986 bytes with their zero bytes, at most 984 fit ("},
    });
}

TEST(Unfurlpack, VerifyChecksAFinishedInstaller)
{
    TTempDir Dir;
    std::string Zip = ZipBuild({Item("a.txt", std::string(20000, 'a')), Item("b.txt", "bee")});
    std::string Img = Dir.Join("image.exe"), Setup = Dir.Join("setup.exe"), Out;
    ASSERT_TRUE(QWriteFile(Img, Image()));
    ASSERT_TRUE(QWriteFile(Dir.Join("a.zip"), Zip));
    ASSERT_EQ(0, Tool(Img + " " + Dir.Join("a.zip") + " T S " + Setup, Out)) << Out;
    std::string Good = QReadFile(Setup);
    size_t ZipAt = Good.size() - Zip.size();

    std::string Flipped = Good, Named = Good;
    Flipped[ZipAt + Zip.size() / 2] ^= 0x20;
    Named[ZipAt + 30] ^= 0x20;   // the first entry's name
    std::string Old = Good.substr(0, Image().size()) +
                      PayloadBuild(0, Str(BuildSetupBlock("T", "S")), Zip);
    struct {
        const char *What;
        std::string File;
        int Code;
        const char *Says;
    } Cases[] = {
        {"as written", Good, 0, "intact"},
        {"signed later", Good + std::string(4000, 's'), 0, "intact"},
        {"a data byte flipped", Flipped, 6, "does not match"},
        {"a name byte flipped", Named, 6, "does not match"},
        {"cut inside the archive", Good.substr(0, Good.size() - 10), 6, "incomplete"},
        {"cut inside the block", Good.substr(0, ZipAt - 5), 6, "incomplete"},
        {"made without the record", Old, 6, "no integrity record"},
        {"no installer at all", std::string(5000, 'p'), 6, "no ArchiveStart marker"},
    };
    for (auto &C : Cases) {
        ASSERT_TRUE(QWriteFile(Dir.Join("check.exe"), C.File));
        EXPECT_EQ(C.Code, Tool("--verify " + Dir.Join("check.exe"), Out)) << C.What << "\n" << Out;
        EXPECT_NE(std::string::npos, Out.find(C.Says)) << C.What << "\n" << Out;
    }
}
// ---- unfurlpack build: a folder into an installer --------------------------------------------

TEST(UnfurlpackBuild, WorkListOrderAndDosTimes)
{
    EXPECT_TRUE(WorkListBefore("a.txt", "B.txt"));      // case ignored
    EXPECT_TRUE(WorkListBefore("A_b", "Ab"));          // "_" before letters, as lower case puts it
    EXPECT_FALSE(WorkListBefore("ab", "AB"));
    EXPECT_TRUE(WorkListBefore("dir/", "dir/file"));    // a folder before what it holds
    struct tm T = {};
    T.tm_year = 2017 - 1900;
    T.tm_mon = 0;
    T.tm_mday = 1;
    T.tm_hour = 15;
    T.tm_min = 25;
    T.tm_sec = 31;   // two-second steps: 30
    T.tm_isdst = -1;
    EXPECT_EQ(0x4A217B2Fu, DosDateTime(mktime(&T)));
    EXPECT_EQ(0x00210000u, DosDateTime(0));            // before 1980: 1980-01-01
    bool Late = false;
    EXPECT_EQ(0x4A217B2Fu, DosDateTime(mktime(&T), &Late));
    EXPECT_FALSE(Late);
    T.tm_year = 2110 - 1900;                          // after 2107: the last DOS time
    EXPECT_EQ(0xFF9FBF7Du, DosDateTime(mktime(&T), &Late));
    EXPECT_TRUE(Late);
}

TEST(UnfurlpackBuild, FolderInstallsWithItsNamesBytesAndTimes)
{
    TTempDir Dir;
    std::string In = Dir.Join("product");
    for (const char *D : {"", "/docs", "/docs/deep", "/empty", "/sub", "/\xC5\x82\xC3\xB3" "d\xC5\xBA",
                          "/\xE6\x97\xA5\xE6\x9C\xAC"})
        mkdir((In + D).c_str(), 0777);
    std::string Noise;
    uint32_t Seed = 1;
    for (int I = 0; I < 40000; I++) Noise += (char)((Seed = Seed * 1103515245 + 12345) >> 16);
    struct {
        const char *Name;
        std::string Data;
        time_t When;
    } Files[] = {
        {"readme.txt", std::string(30000, 'r') + "end", 1500000000},
        {"Zeta.bin", Noise, 1600000000},   // does not shrink: stored
        {"docs/deep/Guide.txt", "guide", 1500000100},
        {"sub/empty.dat", "", 1500000200},
        // Names in UTF-8: e acute; Polish l stroke, o acute, z acute; Greek; Japanese.
        {"caf\xC3\xA9.txt", "accent", 1500000300},
        {"\xC5\x82\xC3\xB3" "d\xC5\xBA/\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1.txt", "greek", 1500000400},
        {"\xE6\x97\xA5\xE6\x9C\xAC/\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB.txt", "japanese", 1500000500},
    };
    for (auto &F : Files) {
        ASSERT_TRUE(QWriteFile(In + "/" + F.Name, F.Data)) << F.Name;
        struct utimbuf T = {F.When, F.When};
        utime((In + "/" + F.Name).c_str(), &T);
    }
    ASSERT_TRUE(QWriteFile(Dir.Join("image.exe"), Image()));
    std::string Out, Setup = Dir.Join("setup.exe");
    ASSERT_EQ(0, Tool("build " + In + " -o " + Setup + " --image " + Dir.Join("image.exe") +
                          " --subtitle 'made from a folder' --level 6",
                      Out))
        << Out;

    std::vector<TZipItem> Seen;
    ASSERT_TRUE(ZipRead(ArchiveOf(QReadFile(Setup)), Seen));
    std::vector<std::string> Names = NamesOf(Seen);
    // Work-list order; a folder entry only for the empty folder.
    EXPECT_EQ((std::vector<std::string>{"caf\xC3\xA9.txt", "docs/deep/Guide.txt", "empty/",
                                        "readme.txt", "sub/empty.dat", "Zeta.bin", Files[5].Name,
                                        Files[6].Name}),
              Names);
    for (const TZipItem &E : Seen) {
        bool Ascii = true;
        for (char C : E.Name) Ascii &= (unsigned char)C < 0x80;
        EXPECT_EQ(Ascii ? 0 : 0x800, E.Flags & 0x800) << E.Name << ": UTF-8 names flagged";
        if (E.Name == "Zeta.bin" || E.Name == "readme.txt") {
            EXPECT_EQ(E.Name == "Zeta.bin" ? 0 : 8, E.Method) << E.Name << ": stored if deflating does not shrink";
        }
    }

    // The installer's own walk puts everything back: names, bytes, times; the title is the
    // folder's name.
    TOpened A;
    OpenInstaller(A, Setup);
    EXPECT_TRUE(A.Info.Title == "product");
    EXPECT_TRUE(A.Info.Subtitle == "made from a folder");
    EXPECT_EQ(avIntact, VerifyArchive(A.R, A.Record));
    std::string Into = WalkInto(A, Dir.Join("into"));
    EXPECT_TRUE(A.R.AllExtracted);
    for (auto &F : Files) {
        std::string P = Into + "/" + F.Name;
        EXPECT_EQ(F.Data, QReadFile(P)) << F.Name;
        struct stat St;
        ASSERT_EQ(0, stat(P.c_str(), &St)) << F.Name;
        EXPECT_LE(F.When - St.st_mtime, 1) << F.Name;   // DOS times go in steps of 2 s
        EXPECT_GE(F.When - St.st_mtime, 0) << F.Name;
    }
    struct stat St;
    EXPECT_EQ(0, stat((Into + "/empty").c_str(), &St));
    EXPECT_TRUE(S_ISDIR(St.st_mode));
}

TEST(UnfurlpackBuild, RefusesWithTheFileNamed)
{
    TTempDir Dir;
    std::string Img = Dir.Join("image.exe"), Setup = Dir.Join("setup.exe");
    ASSERT_TRUE(QWriteFile(Img, Image()));
    auto Folder = [&](const char *AName, const char *AFile) {
        std::string D = Dir.Join(AName);
        mkdir(D.c_str(), 0777);
        EXPECT_TRUE(QWriteFile(D + "/" + AFile, "x"));
        return D;
    };
    std::string Latin1 = Folder("latin1", "caf\xE9.txt"), Device = Folder("device", "con.txt");
    std::string Empty = Dir.Join("nothing");
    mkdir(Empty.c_str(), 0777);
    ExpectRuns({
        {"build " + Latin1 + " -o " + Setup + " --image " + Img, 3, "\"caf\xE9.txt\": a name that is not UTF-8"},
        {"build " + Device + " -o " + Setup + " --image " + Img, 3, "\"con.txt\": a name the installer refuses"},
        {"build " + Empty + " -o " + Setup + " --image " + Img, 3, "nothing to install"},
        {"build " + Dir.Join("missing") + " -o " + Setup + " --image " + Img, 2, "cannot read the folder"},
        {"build " + Device + " -o " + Setup + " --image " + Dir.Join("none.exe"), 2, "--image"},
        {"build " + Device + " -o " + Setup + " --level 13", 1, "--level takes 1 to 12"},
        {"build " + Device, 1, "Usage: unfurlpack build"},
        {"build --help", 0, "Usage: unfurlpack build"},
    });
    EXPECT_EQ("", QReadFile(Setup));   // nothing written for a refused folder
}

// Links, sizes and names at the edges of what an installer holds: refused with the name and
// the reason, the large file before it is read.
TEST(UnfurlpackBuild, RefusesLinksOutAndFilesTooLarge)
{
    TTempDir Dir;
    std::string Img = Dir.Join("image.exe"), Setup = Dir.Join("setup.exe");
    ASSERT_TRUE(QWriteFile(Img, Image()));
    ASSERT_TRUE(QWriteFile(Dir.Join("outside.txt"), "outside"));
    auto Folder = [&](const char *AName) {
        std::string D = Dir.Join(AName);
        mkdir(D.c_str(), 0777);
        EXPECT_TRUE(QWriteFile(D + "/keep.txt", "k"));
        return D;
    };
    std::string Out = Folder("out"), Up = Folder("up"), Sub = Folder("subdir"),
                Broken = Folder("broken"), Big = Folder("big"), Slash = Folder("slash");
    ASSERT_EQ(0, symlink(Dir.Join("outside.txt").c_str(), (Out + "/link.txt").c_str()));
    ASSERT_EQ(0, symlink("..", (Up + "/parent").c_str()));
    mkdir((Sub + "/inner").c_str(), 0777);
    ASSERT_TRUE(QWriteFile(Sub + "/inner/x.txt", "x"));
    ASSERT_EQ(0, symlink("inner", (Sub + "/again").c_str()));
    ASSERT_EQ(0, symlink("nowhere", (Broken + "/gone").c_str()));
    ASSERT_TRUE(QWriteFile(Big + "/huge.bin", ""));
    ASSERT_EQ(0, truncate((Big + "/huge.bin").c_str(), 0x100000000LL));   // sparse
    mkdir((Slash + "/a").c_str(), 0777);
    ASSERT_TRUE(QWriteFile(Slash + "/a/b.txt", "slash"));
    ASSERT_TRUE(QWriteFile(Slash + "/a\\b.txt", "backslash"));   // one file on Windows
    std::string Opts = " -o " + Setup + " --image " + Img;
    ExpectRuns({
        {"build " + Out + Opts, 3, "\"link.txt\": a symbolic link out of the folder (to /"},
        {"build " + Up + Opts, 3, "\"parent\": a symbolic link out of the folder"},
        {"build " + Sub + Opts, 3, "\"again\": a symbolic link to a folder"},
        {"build " + Broken + Opts, 3, "\"gone\": a symbolic link that leads nowhere"},
        {"build " + Big + Opts, 3, "\"huge.bin\": 4 GiB or more (4294967296 bytes)"},
        {"build " + Slash + Opts, 3, "\"a\\b.txt\": the name occurs twice"},
    });
    EXPECT_EQ("", QReadFile(Setup));
}

// Built from within the folder into the folder, twice: the first installer stays out of the
// second; a link to a file inside is packed as a copy; a time after 2107 is clamped and said;
// "." gives the folder's own name as the title.
TEST(UnfurlpackBuild, OutputInsideLinkInsideLateTimeAndDotTitle)
{
    TTempDir Dir;
    std::string In = Dir.Join("Product 2"), Img = Dir.Join("image.exe"), Out;
    mkdir(In.c_str(), 0777);
    ASSERT_TRUE(QWriteFile(In + "/data.txt", "the data"));
    ASSERT_EQ(0, symlink("data.txt", (In + "/alias.txt").c_str()));
    ASSERT_TRUE(QWriteFile(In + "/late.txt", "late"));
    struct utimbuf T = {4420000000, 4420000000};   // in 2110
    ASSERT_EQ(0, utime((In + "/late.txt").c_str(), &T));
    ASSERT_TRUE(QWriteFile(Img, Image()));
    for (int Run = 0; Run < 2; Run++)
        ASSERT_EQ(0, Tool("build . -o Setup.exe --image " + Img, Out, In)) << Out;
    EXPECT_NE(std::string::npos, Out.find("1 file(s) dated 2108 or later, stored as 2107-12-31 "
                                          "23:59:58 (the last time a ZIP entry holds), the first "
                                          "\"late.txt\"")) << Out;
    std::string Setup = In + "/Setup.exe";
    std::vector<TZipItem> Seen;
    ASSERT_TRUE(ZipRead(ArchiveOf(QReadFile(Setup)), Seen));
    std::vector<std::string> Names = NamesOf(Seen);
    EXPECT_EQ((std::vector<std::string>{"alias.txt", "data.txt", "late.txt"}), Names);
    EXPECT_EQ(0xFF9F, Seen[2].Date);
    EXPECT_EQ(0xBF7D, Seen[2].Time);

    TOpened A;
    OpenInstaller(A, Setup);
    EXPECT_TRUE(A.Info.Title == "Product 2");
    std::string Into = WalkInto(A, Dir.Join("into"));
    EXPECT_TRUE(A.R.AllExtracted);
    EXPECT_EQ("the data", QReadFile(Into + "/alias.txt"));
    struct stat St;
    ASSERT_EQ(0, stat((Into + "/late.txt").c_str(), &St));
    struct tm Installed;
    localtime_r(&St.st_mtime, &Installed);
    EXPECT_EQ(2107 - 1900, Installed.tm_year);   // the clamped time, not 1980 after a wrap
    EXPECT_EQ(11, Installed.tm_mon);
    EXPECT_EQ(31, Installed.tm_mday);
}

// ---- Names in UTF-8 from other ZIP writers ---------------------------------------------------

namespace {

const char *const Cafe = "caf\xC3\xA9.txt";
const char *const Greek = "\xC5\x82\xC3\xB3" "d\xC5\xBA/\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1.txt";

}  // namespace

// Info-ZIP's Unicode path field (built here by hand): unflagged names are taken from it and
// flagged in a rewritten archive; a field that no longer matches its name is not used. (The
// writers' own archives are ArchivesOfOtherWritersInstallByteExact's.)
TEST(Unfurlpack, Utf8NamesFromUnicodePathFields)
{
    TTempDir Dir;
    std::string Img = Dir.Join("image.exe"), Out;
    ASSERT_TRUE(QWriteFile(Img, Image()));
    // Info-ZIP's Unicode path field: version 1, CRC-32 of the stored name, the UTF-8 name.
    auto Field = [](const std::string &AStored, const std::string &AName) {
        std::string F;
        ZPut16(F, 0x7075);
        ZPut16(F, (uint32_t)(5 + AName.size()));
        F += (char)1;
        ZPut32(F, ZCrc(AStored));
        return F + AName;
    };
    TZipItem Plain = Item("plain.txt", "plain"), Fielded = Item(Cafe, "accent");
    Fielded.Extra = Field(Cafe, Cafe);
    TZipItem Dos = Item("caf\x82.txt", "dos");   // code page 852 e acute, renamed by the field
    Dos.Extra = Field("caf\x82.txt", Greek);
    std::string Setup = Dir.Join("fielded.exe");
    ASSERT_TRUE(QWriteFile(Dir.Join("f.zip"), ZipBuild({Plain, Fielded, Dos})));
    ASSERT_EQ(0, Tool(Img + " " + Dir.Join("f.zip") + " T S " + Setup, Out)) << Out;
    EXPECT_NE(std::string::npos, Out.find("rewrote 2 entries: names from their Unicode path fields"))
        << Out;
    EXPECT_TRUE(InstallInto(Setup, Dir.Join("fielded")));
    EXPECT_EQ("dos", QReadFile(Dir.Join("fielded") + "/" + Greek));
    EXPECT_EQ("accent", QReadFile(Dir.Join("fielded") + "/" + Cafe));
    EXPECT_EQ("plain", QReadFile(Dir.Join("fielded") + "/plain.txt"));

    // A field that no longer matches its name (renamed by another tool) is not used; the name
    // itself, UTF-8, is flagged.
    Fielded.Extra = Field("other.txt", Greek);
    TPreparedArchive P = PrepareArchive(ZipBuild({Fielded}));
    ASSERT_EQ(pvRewritten, P.Verdict);
    EXPECT_EQ("1 entry: UTF-8 names flagged", P.Rewrote);
    std::vector<TZipItem> Seen;
    ASSERT_TRUE(ZipRead(P.Rewritten, Seen));
    EXPECT_EQ(Cafe, Seen[0].Name);
}
// ---- Archives the walk cannot step through, rewritten ----------------------------------------

namespace {

// As Java's and the office suites' writers stream an entry: sizes and CRC only in a data
// descriptor after the data, here without its signature. The walk cannot step over it.
TZipItem Streamed(TZipItem AItem)
{
    AItem.Descriptor = 2;
    AItem.ZeroSizes = true;
    return AItem;
}

// One entry of 5 GiB as a ZIP64 writer describes it (only its first bytes are there).
std::string Zip64Huge()
{
    const uint64_t Big = 5ull << 30;
    std::string Data = "xxxx", Extra, Zip, Dir;
    ZPut16(Extra, 1);
    ZPut16(Extra, 16);
    ZPut32(Extra, (uint32_t)Big);
    ZPut32(Extra, (uint32_t)(Big >> 32));
    ZPut32(Extra, 4);
    ZPut32(Extra, 0);
    auto Common = [&](std::string &S) {
        ZPut16(S, 45);
        ZPut16(S, 0);
        ZPut16(S, 0);                 // stored
        ZPut32(S, 0x5A876000);
        ZPut32(S, ZCrc(Data));
        ZPut32(S, 0xFFFFFFFF);
        ZPut32(S, 0xFFFFFFFF);
        ZPut16(S, 8);
        ZPut16(S, (uint32_t)Extra.size());
    };
    ZPut32(Zip, ZipLocalSig);
    Common(Zip);
    Zip += "huge.bin" + Extra + Data;
    ZPut32(Dir, ZipCentralSig);
    ZPut16(Dir, 45);
    Common(Dir);
    Dir += std::string(10, '\0');   // comment, disk, attributes
    ZPut32(Dir, 0);                  // the local header's offset
    Dir += "huge.bin" + Extra;
    uint32_t At = (uint32_t)Zip.size();
    Zip += Dir;
    ZipAppendEnd(Zip, 1, (uint32_t)Dir.size(), At);
    return Zip;
}

// AZip with its one central directory entry twice, both naming the same local header.
std::string DirectoryTwice(const std::string &AZip)
{
    size_t End = AZip.size() - ZipEndSize, At = LeGet32(AZip, End + ZipEndDirOffset);
    std::string Entry = AZip.substr(At, End - At);
    std::string Zip = AZip.substr(0, End) + Entry;
    ZipAppendEnd(Zip, 2, (uint32_t)Entry.size() * 2, (uint32_t)At);
    return Zip;
}

}  // namespace

// The new archive holds what the walk steps through: sizes and CRC in every local header, no
// descriptors, no extra fields, nothing in front, UTF-8 names flagged; each entry's compressed
// bytes, time and date as they were, the empty folder too.
TEST(UnfurlpackRewrite, WritesWhatTheWalkSteps)
{
    std::vector<TZipItem> Items = {Streamed(Item("empty/", "", 0)), Streamed(Item(Cafe, "accent")),
                                   Streamed(Item("s.txt", "stored", 0)), Item("plain.txt", "plain")};
    Items[1].Date = 0x4A21;
    Items[1].Time = 0x7B2F;
    Items[2].Extra = std::string("\x55\x54\x05\x00\x01\x00\x00\x00\x00", 9);   // a timestamp field
    std::string Front = "#!/bin/sh\nexit 0\n";
    std::string Zip = ZipBuild(Items);
    for (size_t At = Zip.find("PK\x01\x02"); At != std::string::npos; At = Zip.find("PK\x01\x02", At + 4))
        LePut32((uint8_t *)&Zip[At + ZipCentralLocalOffset],
                LeGet32(Zip, At + ZipCentralLocalOffset) + (uint32_t)Front.size());
    size_t End = Zip.size() - ZipEndSize;   // all offsets from the file's start, as zip -A makes them
    LePut32((uint8_t *)&Zip[End + ZipEndDirOffset], LeGet32(Zip, End + ZipEndDirOffset) + (uint32_t)Front.size());

    EXPECT_EQ(pvAsIs, PrepareArchive(ZipBuild({Item("plain.txt")})).Verdict);
    TPreparedArchive P = PrepareArchive(Front + Zip);
    ASSERT_EQ(pvRewritten, P.Verdict) << (P.Faults.empty() ? "" : P.Faults[0].Entry + ": " + P.Faults[0].Reason);
    EXPECT_EQ("3 entries: sizes from the central directory, UTF-8 names flagged (1); 17 bytes in "
              "front dropped", P.Rewrote);
    EXPECT_EQ(4, P.Entries);
    std::vector<TZipItem> Seen;
    ASSERT_TRUE(ZipRead(P.Rewritten, Seen));
    ASSERT_EQ(Items.size(), Seen.size());
    size_t Local = 0;
    for (size_t I = 0; I < Items.size(); I++) {
        SCOPED_TRACE(Items[I].Name);
        EXPECT_EQ(Items[I].Name, Seen[I].Name);
        EXPECT_EQ(Items[I].Data, Seen[I].Data);
        EXPECT_EQ(Items[I].Date, Seen[I].Date);
        EXPECT_EQ(Items[I].Time, Seen[I].Time);
        EXPECT_EQ(Items[I].Method, Seen[I].Method);
        EXPECT_EQ(I == 1 ? ZipFlagUtf8 : 0, Seen[I].Flags);
        // The local header: its place, its sizes, no extra field; the data right after it.
        ASSERT_EQ(ZipLocalSig, LeGet32(P.Rewritten, Local));
        std::string Packed = Items[I].Method == 8 ? ZDeflate(Items[I].Data) : Items[I].Data;
        EXPECT_EQ(ZCrc(Items[I].Data), LeGet32(P.Rewritten, Local + ZipLocalCrc));
        EXPECT_EQ(Packed.size(), LeGet32(P.Rewritten, Local + ZipLocalCompressed));
        EXPECT_EQ(0, LeGet16(P.Rewritten, Local + ZipLocalExtraLength));
        Local += ZipLocalSize + Items[I].Name.size();
        EXPECT_EQ(Packed, P.Rewritten.substr(Local, Packed.size()));
        Local += Packed.size();
    }
    EXPECT_EQ(ZipCentralSig, LeGet32(P.Rewritten, Local));
}

TEST(UnfurlpackRewrite, RefusesWithTheEntryAndTheRealReason)
{
    auto Flagged = [](TZipItem I, uint16_t AFlags) {
        I.Flags = AFlags;
        return I;
    };
    std::string Named = ZipBuild({Streamed(Item("a.txt")), Streamed(Item("b.txt"))});
    Named[ZipLocalSize] = 'X';   // the first local header names "X.txt"
    std::string Outside = ZipBuild({Streamed(Item("a.txt"))});
    LePut32((uint8_t *)&Outside[Outside.size() - ZipEndSize + ZipEndDirOffset], 5000);
    struct {
        const char *Title;
        std::string Zip;
        const char *Entry;
        const char *Reason;
    } Cases[] = {
        {"encrypted", ZipBuild({Streamed(Item("a")), Streamed(Flagged(Item("secret.txt"), 1))}),
         "secret.txt", "encrypted entry"},
        {"method", ZipBuild({Streamed([] { auto I = Item("bz.txt"); I.Method = 12; I.Packed = "xx"; return I; }())}),
         "bz.txt", "compression method 12 (only stored and deflated)"},
        {"damaged data", ZipBuild({Streamed([] { auto I = Item("a.txt"); I.BadCrc = true; return I; }())}),
         "a.txt", "the data does not give its size and CRC-32 (damaged)"},
        {"unsafe name", "MZ" + ZipBuild({Item("ok"), Item("../up.txt")}), "../up.txt",
         "a name the installer refuses"},
        {"one file on Windows", ZipBuild({Streamed(Item("a/b.txt")), Streamed(Item("A\\B.txt"))}),
         "A\\B.txt", "the name occurs twice"},
        {"4 GiB or more", Zip64Huge(), "huge.bin", "4 GiB or more (5368709120 bytes)"},
        {"local header differs", Named, "a.txt", "name or method differs from the central directory's"},
        {"directory twice", DirectoryTwice(ZipBuild({Streamed(Item("a.txt"))})), "a.txt",
         "overlaps \"a.txt\" (the directory does not match the data)"},
        {"directory outside", Outside, "", "the central directory lies outside the file"},
        {"no local header", "JUNK" + ZipBuild({Streamed(Item("a.txt"))}).substr(4), "a.txt",
         "no local header where the central directory puts it"},
        {"not a zip", "just text", "", "not a ZIP archive"},
    };
    for (auto &C : Cases) {
        SCOPED_TRACE(C.Title);
        TPreparedArchive P = PrepareArchive(C.Zip);
        EXPECT_EQ(pvRefused, P.Verdict);
        EXPECT_EQ("", P.Rewritten);
        bool Found = false;
        for (auto &F : P.Faults) Found |= F.Entry == C.Entry && F.Reason.find(C.Reason) != std::string::npos;
        EXPECT_TRUE(Found) << (P.Faults.empty() ? "no fault" : P.Faults[0].Entry + ": " + P.Faults[0].Reason);
    }
}

// --check tells the three verdicts; packing says what it rewrote.
TEST(UnfurlpackRewrite, CheckTellsTheVerdict)
{
    TTempDir Dir;
    std::string Good = Dir.Join("good.zip"), Jar = Dir.Join("streamed.zip"), Bad = Dir.Join("bad.zip");
    ASSERT_TRUE(QWriteFile(Good, ZipBuild({Item("a.txt"), Item("b.txt")})));
    ASSERT_TRUE(QWriteFile(Jar, ZipBuild({Streamed(Item("a.txt")), Streamed(Item("b.txt"))})));
    ASSERT_TRUE(QWriteFile(Bad, ZipBuild({Streamed(Item("a.txt")), Streamed(Item("con.txt"))})));
    ASSERT_TRUE(QWriteFile(Dir.Join("image.exe"), Image()));
    ExpectRuns({
        {"--check " + Good, 0, "good.zip: installable as it is (2 entries)"},
        {"--check " + Jar, 0, "streamed.zip: installable after rewriting (2 entries: sizes from "
                              "the central directory)"},
        {"--check " + Bad, 3, "bad.zip: refused: entry \"con.txt\": a name the installer refuses"},
        {Dir.Join("image.exe") + " " + Jar + " T S " + Dir.Join("setup.exe"), 0,
         "streamed.zip: rewrote 2 entries: sizes from the central directory"},
    });
}

// Archives as the writers here make them, each packed by the tool and installed by the walk:
// every file byte for byte with its time, UTF-8 names as written, the empty folder made.
// Python's zipfile and 7-Zip writing to a file flag UTF-8 names (bit 11) and go in as they are;
// Info-ZIP's zip writes them unflagged, and they are flagged in a rewritten archive.
TEST(UnfurlpackRewrite, ArchivesOfOtherWritersInstallByteExact)
{
    TTempDir Dir;
    std::string In = Dir.Join("in"), Img = Dir.Join("image.exe"), Out;
    for (std::string D : {"", "/sub", "/empty", "/\xC5\x82\xC3\xB3" "d\xC5\xBA"}) mkdir((In + D).c_str(), 0777);
    std::string Noise;
    uint32_t Seed = 7;
    for (int I = 0; I < 60000; I++) Noise += (char)((Seed = Seed * 1103515245 + 12345) >> 16);
    struct {
        std::string Name, Data;
    } Files[] = {{"readme.txt", std::string(30000, 'r') + "end"}, {"sub/noise.bin", Noise},
                 {"sub/zero.dat", ""}, {Cafe, "accent"}, {Greek, "greek"}};
    time_t When = 1500000000;
    for (auto &F : Files) {
        ASSERT_TRUE(QWriteFile(In + "/" + F.Name, F.Data));
        struct utimbuf T = {When, When};
        utime((In + "/" + F.Name).c_str(), &T);
        When += 1000;
    }
    ASSERT_TRUE(QWriteFile(Img, Image()));
    auto Python = [](const char *AOut) {
        return std::string("python3 -c \"import zipfile, sys, os; z = zipfile.ZipFile(") + AOut +
               ", 'w', zipfile.ZIP_DEFLATED); [z.write(os.path.join(r, n)) for r, ds, fs in "
               "os.walk('.') for n in ds + fs]; z.close()\"";
    };
    struct {
        const char *Writer;
        std::string Command;   // run in the folder, makes ../a.zip
        const char *Says;      // what the tool rewrote ("" as it is)
    } Recipes[] = {
        {"Python zipfile", Python("'../a.zip'"), ""},
        {"Python zipfile to a pipe", Python("sys.stdout.buffer") + " | cat > ../a.zip",
         "sizes from the central directory"},
        {"Info-ZIP zip", "zip -qr ../a.zip .", "entries: UTF-8 names flagged"},
        {"zip -fd", "zip -qr -fd ../a.zip .", "sizes from the central directory"},
        {"zip -fz", "zip -qr -fz ../a.zip .", "ZIP64 fields dropped"},
        {"zip to a pipe", "zip -qr - . | cat > ../a.zip", "sizes from the central directory"},
        {"7-Zip", "7z a -tzip ../a.zip . >/dev/null", ""},
        {"jar", "jar cf ../a.zip .", "sizes from the central directory"},
        {"a script in front", "7z a -tzip ../b.zip . >/dev/null && (printf '#!/bin/sh\\nexit 0\\n'; "
                              "cat ../b.zip) > ../a.zip", "rewrote the archive: 17 bytes in front dropped"},
        {"zip -A", "zip -qr ../b.zip . && (printf 'MZ stub'; cat ../b.zip) > ../a.zip && zip -qA ../a.zip",
         "7 bytes in front dropped"},
    };
    for (auto &R : Recipes) {
        SCOPED_TRACE(R.Writer);
        std::string Zip = Dir.Join("a.zip"), Setup = Dir.Join("setup.exe"), Into = Dir.Join("into");
        for (const char *F : {"a.zip", "b.zip", "setup.exe"}) unlink(Dir.Join(F).c_str());
        QRemoveTree(Into);
        if (std::string(R.Writer) == "jar" && system("command -v jar >/dev/null") != 0) continue;
        ASSERT_EQ(0, system(("cd '" + In + "' && " + R.Command).c_str()));
        ASSERT_EQ(0, Tool(Img + " " + Zip + " T S " + Setup, Out)) << Out;
        if (*R.Says) {
            EXPECT_NE(std::string::npos, Out.find(R.Says)) << Out;
        } else {
            EXPECT_EQ("", Out);
            EXPECT_EQ(QReadFile(Zip), ArchiveOf(QReadFile(Setup)));   // byte for byte
        }
        EXPECT_TRUE(InstallInto(Setup, Into));
        When = 1500000000;
        for (auto &F : Files) {
            std::string P = Into + "/" + F.Name;
            EXPECT_EQ(F.Data, QReadFile(P)) << F.Name;
            struct stat St;
            ASSERT_EQ(0, stat(P.c_str(), &St)) << F.Name;
            EXPECT_LE(std::llabs((long long)(When - St.st_mtime)), 2) << F.Name;
            When += 1000;
        }
        struct stat St;
        EXPECT_TRUE(stat((Into + "/empty").c_str(), &St) == 0 && S_ISDIR(St.st_mode));
    }
}
#endif
