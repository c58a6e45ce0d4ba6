// The archive walk on the host's disk over archives from real writers (Info-ZIP zip, 7-Zip,
// Python's zipfile), made at test time by make_archives.py, each inside an installer file
// behind its setup header: every file byte-exact with its DOS time, folders made.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>

#include <fstream>
#include <sstream>

#include "QTestFiles.h"
#include "UnfurlPayload.h"
#include "UnzipHarness.h"
#include "ZipBuild.h"

namespace {

struct TExpected {
    std::string Name;
    struct tm Time;
};

class Writers : public ::testing::Test {
protected:
    static TTempDir *Work;
    static std::map<std::string, std::vector<TExpected>> Manifest;

    static void SetUpTestSuite()
    {
        Work = new TTempDir;
        std::string Cmd = "python3 " Q_SOURCE_DIR "/tests/unzip/make_archives.py " + Work->Path;
        ASSERT_EQ(0, system(Cmd.c_str()));
        std::ifstream In(Work->Join("manifest.txt"));
        std::string Line;
        while (std::getline(In, Line)) {
            std::istringstream L(Line);
            std::string Arc, Name, When;
            std::getline(L, Arc, '\t');
            std::getline(L, Name, '\t');
            std::getline(L, When);
            TExpected E;
            E.Name = Name;
            memset(&E.Time, 0, sizeof E.Time);
            std::istringstream W(When);
            W >> E.Time.tm_year >> E.Time.tm_mon >> E.Time.tm_mday >> E.Time.tm_hour >>
                E.Time.tm_min >> E.Time.tm_sec;
            E.Time.tm_year -= 1900;
            E.Time.tm_mon -= 1;
            E.Time.tm_isdst = -1;
            Manifest[Arc].push_back(E);
        }
    }
    static void TearDownTestSuite() { delete Work; }

    // The archive inside an installer file: image, reserved bytes, L, setup block, archive.
    std::string MakeInstaller(const std::string &AArc)
    {
        string Block = BuildSetupBlock("Writers", "test");
        std::string File = PayloadBuild(4096, std::string(Block.data(), Block.length()),
                                        QReadFile(Work->Join(AArc)));
        std::string Path = Work->Join(AArc + ".exe");
        EXPECT_TRUE(QWriteFile(Path, File));
        return Path;
    }

    // Opens the installer, reads its setup header and runs the dialog's two runs into a fresh
    // folder. Answers the folder.
    std::string Install(const std::string &AArc, TMemDialog &ADlg)
    {
        std::string Exe = MakeInstaller(AArc);
        std::string Into = Work->Join("into-" + AArc);
        mkdir(Into.c_str(), 0777);
        UseDisk(R);
        OpenArchiveFile(R, Exe.c_str());
        EXPECT_NE(-1, R.ArchiveFile);
        R.ArchiveStart = 4096;
        TInstall Info;
        TArchiveRecord Record;
        ReadSetupHeader(R, Info, Record);
        EXPECT_EQ(4096u + 104 + 13, R.ArchiveStart);   // "Writers", 0, "test", 0
        EXPECT_TRUE(Info.Title == "Writers");
        RunInstall(R, ADlg, Into.c_str(), R.ArchiveStart);
        CloseArchive(R);
        return Into;
    }
    TUnZipRun R;
};

TTempDir *Writers::Work = 0;
std::map<std::string, std::vector<TExpected>> Writers::Manifest;

const char *const Installable[] = {"zip-deflated.zip", "zip-stored.zip", "7z.zip",
                                   "py-deflated.zip",  "py-stored.zip",  "py-stream-sizes.zip"};

}  // namespace

TEST_F(Writers, EveryFileByteExactWithItsTime)
{
    for (const char *Arc : Installable) {
        SCOPED_TRACE(Arc);
        ASSERT_FALSE(Manifest[Arc].empty());
        TMemDialog Dlg;
        std::string Into = Install(Arc, Dlg);
        EXPECT_EQ(reComplete, R.RunEnd);
        EXPECT_TRUE(R.AllExtracted);
        EXPECT_TRUE(Dlg.Label == "ALL");
        EXPECT_TRUE(Dlg.Errors.empty());
        EXPECT_EQ(Manifest[Arc].size(), Dlg.Items.size());
        int Files = 0;
        for (const TExpected &E : Manifest[Arc]) {
            std::string Out = Into + "/" + E.Name, Src = Work->Join("src/" + E.Name);
            struct stat St;
            ASSERT_EQ(0, stat(Out.c_str(), &St)) << E.Name;
            if (E.Name.back() == '/') {
                EXPECT_TRUE(S_ISDIR(St.st_mode)) << E.Name;
                continue;
            }
            Files++;
            EXPECT_TRUE(QReadFile(Out) == QReadFile(Src)) << E.Name;
            struct tm T = E.Time;
            EXPECT_EQ(mktime(&T), St.st_mtime) << E.Name;
        }
        EXPECT_EQ(Files, R.FilesDone);
        // Folder entries have list items but create no file: the bar stops short of 100.
        EXPECT_EQ(RoundHalfEven(100.0 / Dlg.Items.size() * Files), Dlg.Progress);
    }
}

TEST_F(Writers, DescriptorsWithoutSizesInTheHeaderAreReportedNotInstalled)
{
    // Streamed archives: zero sizes in the local headers, the sizes only in data descriptors.
    for (const char *Arc : {"zip-stream.zip", "py-stream-zero.zip"}) {
        SCOPED_TRACE(Arc);
        TMemDialog Dlg;
        Install(Arc, Dlg);
        EXPECT_EQ(reDamaged, R.RunEnd);
        EXPECT_EQ(1, Dlg.Ended);
        ASSERT_EQ(1u, Dlg.Errors.size());
        EXPECT_TRUE(Dlg.Errors[0] == MsgDamaged);
        EXPECT_FALSE(R.AllExtracted);
    }
}
