// The comparison engine: row format, blocks, lengths, prompts, stopping and file errors.
// (The boxes it asks and reports with: test_notice.)
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "BytewiseCompare.h"
#include "CompareRecorder.h"
#include "QFile.h"
#include "QSysUtil.h"
#include "QTestFiles.h"

static std::string S(const string &A) { return std::string(A.c_str(), A.length()); }

// ANSize bytes of a fixed pattern, and a copy with the bytes at APositions changed.
static std::string Pattern(size_t ASize)
{
    std::string R(ASize, 0);
    for (size_t I = 0; I < ASize; I++) R[I] = (char)(I * 31 + I / 251);
    return R;
}
static std::string Changed(std::string AData, const std::vector<size_t> &APositions)
{
    for (size_t P : APositions) AData[P] = (char)~AData[P];
    return AData;
}
static std::vector<size_t> Every(size_t AStep, size_t ACount, size_t AFrom = 0)
{
    std::vector<size_t> R;
    for (size_t I = 0; I < ACount; I++) R.push_back(AFrom + I * AStep);
    return R;
}
// The position field of a row, as a number.
static long long RowPos(const std::string &ARow) { return atoll(ARow.c_str()); }

// ---- Row format ----

TEST(CompareRow, FieldsAndCells)
{
    const struct {
        int64_t Pos;
        int B1, B2;
        const char *Row;
    } Cases[] = {
        {0, 65, 66, "      0  65  66   A   B"},
        {1234, 13, 10, "   1234  13  10 #13 #10"},
        {5, 0, 32, "      5   0  32  #0 #32"},
        {7, 33, 127, "      7  33 127   !   \x7f"},
        {8, 255, 128, "      8 255 128   \xff   \x80"},
        {60000, 9, 31, "  60000   9  31  #9 #31"},
        {9999999, 1, 254, "9999999   1 254  #1   \xfe"},
        {10000000, 65, 66, "10000000  65  66   A   B"},
        {4294979641LL, 0, 66, "4294979641   0  66  #0   B"},
    };
    for (const auto &C : Cases) EXPECT_EQ(S(MakeDiffRow(C.Pos, (uint8_t)C.B1, (uint8_t)C.B2)), C.Row) << C.Pos;
}

// ---- Runs over real files ----

class CompareRun : public ::testing::Test {
protected:
    void TearDown() override { SetFileFaultHook(0); }
    std::string Put(const char *AName, const std::string &AData)
    {
        std::string Path = Dir.Join(AName);
        EXPECT_TRUE(QWriteFile(Path, AData)) << Path;
        return Path;
    }
    TTempDir Dir;
    TCompareRecorder R;
};

static std::vector<long long> Positions(const TCompareRecorder &ARun)
{
    std::vector<long long> R;
    for (const std::string &Row : ARun.Rows) R.push_back(RowPos(Row));
    return R;
}
static std::vector<long long> AsPositions(const std::vector<size_t> &AAt)
{
    return std::vector<long long>(AAt.begin(), AAt.end());
}

// A whole run: rows where the common part differs, blocks of 60,000 read from each file up to
// where the shorter one ends (a longer file's rest is never read), and the run's record.
TEST_F(CompareRun, RowsReadsAndRecordFollowTheCommonLength)
{
    std::string Big = Pattern(400000);
    struct TCase {
        std::string Name, First, Second;
        std::vector<long long> Rows;
        uint32_t Reads;
    };
    std::vector<TCase> Cases = {
        {"equal", Pattern(100000), Pattern(100000), {}, 4},
        {"empty first", "", Pattern(100000), {}, 0},
        {"empty second", Pattern(100000), "", {}, 0},
        {"longer first", Pattern(100000), Changed(Pattern(70000), {10, 65000}), {10, 65000}, 4},
        {"longer second", Changed(Pattern(70000), {10, 65000}), Changed(Pattern(200000), {5, 150000}),
         {5, 10, 65000}, 4},
        {"one-byte second", Big, std::string(1, (char)~Big[0]), {0}, 2},
        {"one-byte first", std::string(1, (char)~Big[0]), Big, {0}, 2},
        // The shorter ends inside the longer's third block: three blocks of each.
        {"short second in block 3", Changed(Big, {5, 130000, 130001, 399999}), Big.substr(0, 130001), {5, 130000}, 6},
        {"short first in block 3", Big.substr(0, 130001), Changed(Big, {5, 130000, 130001, 399999}), {5, 130000}, 6},
        {"700 differences", Pattern(150000), Changed(Pattern(100000), Every(10, 700)), AsPositions(Every(10, 700)), 4},
    };
    for (size_t Size : {59999, 60000, 60001, 100000, 120000, 180000}) {
        std::vector<size_t> At = {0, Size - 1};
        if (Size == 60001) At = {0, 59999, 60000};
        if (Size > 60001) At = {0, 59999, 60000, Size - 1};
        Cases.push_back({"blocks of " + std::to_string(Size), Pattern(Size), Changed(Pattern(Size), At),
                         AsPositions(At), (uint32_t)(2 * ((Size + 59999) / 60000))});
    }
    for (const TCase &C : Cases) {
        SCOPED_TRACE(C.Name);
        std::string A = Put("a", C.First), B = Put("b", C.Second);
        TCompareRecorder Run;
        EXPECT_TRUE(Run.Run(A, B));
        EXPECT_EQ(Positions(Run), C.Rows);
        EXPECT_EQ(Run.Reads, C.Reads);
        EXPECT_TRUE(Run.Errors.empty());
        EXPECT_EQ(Run.Opened, 2u);
        EXPECT_EQ(Run.Closes, 2u);
        EXPECT_TRUE(Run.Result.Measured);
        EXPECT_EQ(Run.Result.Size1, (int64_t)C.First.size());
        EXPECT_EQ(Run.Result.Size2, (int64_t)C.Second.size());
        EXPECT_EQ(Run.Result.Compared, (int64_t)std::min(C.First.size(), C.Second.size()));
        EXPECT_EQ(Run.Result.Count, (int64_t)C.Rows.size());
        EXPECT_FALSE(Run.Result.Stopped);
        EXPECT_FALSE(Run.Result.Failed);
    }
    std::string A = Put("a", Pattern(100000));
    EXPECT_TRUE(R.Run(A, A));   // a file with itself
    EXPECT_TRUE(R.Rows.empty());
    EXPECT_TRUE(R.Errors.empty());
}

// A prompt after every 300th difference, with its row already in the table.
TEST_F(CompareRun, PromptsAtEveryThreeHundred)
{
    const struct {
        size_t Size, Step, Diffs;
    } Cases[] = {
        {200000, 97, 299}, {200000, 97, 300}, {200000, 97, 1000},
        {130000, 1, 130000},   // every byte, across three blocks
    };
    for (const auto &C : Cases) {
        SCOPED_TRACE(C.Diffs);
        std::string A = Put("a", Pattern(C.Size));
        std::string B = Put("b", Changed(Pattern(C.Size), Every(C.Step, C.Diffs)));
        TCompareRecorder Run;
        EXPECT_TRUE(Run.Run(A, B));
        EXPECT_EQ(Positions(Run), AsPositions(Every(C.Step, C.Diffs)));
        std::vector<int64_t> Prompts;
        for (size_t N = 300; N <= C.Diffs; N += 300) Prompts.push_back((int64_t)N);
        EXPECT_EQ(Run.Prompts, Prompts);
        for (size_t I = 0; I < Run.Prompts.size(); I++)
            EXPECT_EQ(Run.RowsAtPrompt[I], (size_t)Run.Prompts[I]);
        EXPECT_TRUE(Run.Errors.empty());
    }
}

// Stop at a prompt: the rest of the block is left and no further block read; the record says
// how far the run came.
TEST_F(CompareRun, StopLeavesTheBlockAndReadsNoFurther)
{
    // 2,000 differences 97 bytes apart: the 300th and the 600th lie in block 0; 150 bytes
    // apart the 600th lies in block 1.
    const struct {
        size_t Step;
        int StopAt;
        uint32_t Reads;
    } Cases[] = {{97, 1, 2}, {97, 2, 2}, {150, 2, 4}};
    for (const auto &C : Cases) {
        SCOPED_TRACE(testing::Message() << C.Step << " stop at " << C.StopAt);
        std::string A = Put("a", Pattern(400000));
        std::string B = Put("b", Changed(Pattern(400000), Every(C.Step, 2000)));
        TCompareRecorder Run;
        Run.StopAtPrompt = C.StopAt;
        EXPECT_TRUE(Run.Run(A, B));
        EXPECT_EQ(Run.Rows.size(), 300u * C.StopAt);
        EXPECT_EQ(Run.Prompts.size(), (size_t)C.StopAt);
        EXPECT_EQ(Run.Reads, C.Reads);
        EXPECT_EQ(Run.Opened, 2u);
        EXPECT_EQ(Run.Closes, 2u);
        EXPECT_TRUE(Run.Errors.empty());
        EXPECT_TRUE(Run.Result.Stopped);
        EXPECT_EQ(Run.Result.Count, 300 * C.StopAt);
        // The last difference looked at was the one of the prompt.
        EXPECT_EQ(Run.Result.Compared, (int64_t)((300 * C.StopAt - 1) * C.Step + 1));
    }
}

// The progress hook comes after every block with the positions compared so far of the
// shorter length; false stops the run like a declined prompt: rows kept, no further read.
TEST_F(CompareRun, ProgressAfterEveryBlockAndItsStop)
{
    std::string A = Put("a", Pattern(200000)), B = Put("b", Changed(Pattern(150000), {10, 70000, 130000}));
    const struct {
        int StopAt;
        std::vector<int64_t> Progress;
        size_t Rows;
        uint32_t Reads;
    } Cases[] = {
        {0, {60000, 120000, 150000}, 3, 6},
        {1, {60000}, 1, 2},
        {2, {60000, 120000}, 2, 4},
    };
    for (const auto &C : Cases) {
        SCOPED_TRACE(C.StopAt);
        TCompareRecorder Run;
        Run.StopAtProgress = C.StopAt;
        EXPECT_TRUE(Run.Run(A, B));
        EXPECT_EQ(Run.Progress, C.Progress);
        EXPECT_EQ(Run.ProgressTotal, 150000);
        EXPECT_EQ(Run.Rows.size(), C.Rows);
        EXPECT_EQ(Run.Reads, C.Reads);
        EXPECT_EQ(Run.Result.Stopped, C.StopAt != 0);
        EXPECT_EQ(Run.Result.Compared, C.Progress.back());
        EXPECT_EQ(Run.Closes, 2u);
    }
}

// Names are counted in UTF-16 units, as the system counts them: 259 fit whatever their
// bytes (within the file layer's FileNameMax), 260 do not.
TEST(CompareNames, LengthInUtf16Units)
{
    const std::string Greek = "\xce\xb1", Han = "\xe6\x97\xa5", Emoji = "\xf0\x9f\x98\x80";
    auto Times = [](const std::string &AText, size_t AN) {
        std::string R;
        for (size_t I = 0; I < AN; I++) R += AText;
        return R;
    };
    const struct {
        std::string Name;
        size_t Units;
    } Cases[] = {
        {"", 0}, {"a.bin", 5}, {Greek + Han + Emoji, 4}, {Times("a", 259), 259}, {Times(Emoji, 130), 260},
        {Times(Greek, 86) + "ab", 88},
    };
    for (const auto &C : Cases) {
        EXPECT_EQ(Utf16Length(C.Name.c_str()), C.Units) << C.Name;
        EXPECT_EQ(NameFits(C.Name.c_str()), C.Units <= 259 && C.Name.size() <= (size_t)FileNameMax) << C.Name;
    }
}

// ---- File errors ----

// A failed open is reported once, naming the file that failed (the first unless it was
// opened); nothing is read and what was opened is closed. A name the file layer would cut is
// refused before it is opened, even when a file by the cut name exists; a name of exactly
// NameMax characters is taken.
TEST_F(CompareRun, OpenFailuresAreReportedOnce)
{
    std::string Good = Put("good", Pattern(1000));
    ASSERT_TRUE(CreateDir(Dir.Join("folder").c_str()));
    std::string Prefix = Dir.Join("");
    ASSERT_LT(Prefix.size(), (size_t)NameMax - 10);
    std::string Exact = Prefix + std::string(NameMax - Prefix.size(), 'n');
    ASSERT_TRUE(QWriteFile(Exact, Pattern(1000)));
    std::string Long = Exact + ".x";
    EXPECT_TRUE(NameFits(Exact.c_str()));
    EXPECT_FALSE(NameFits(Long.c_str()));
    EXPECT_TRUE(R.Run(Exact, Good));
    EXPECT_TRUE(R.Errors.empty());

    const struct {
        std::string First, Second;
        int Code;
        uint32_t Opened;
    } Cases[] = {
        {Dir.Join("missing"), Good, 2, 0},
        {Good, Dir.Join("missing"), 2, 1},
        {Dir.Join("missing"), Dir.Join("missing2"), 2, 0},
        {Dir.Join("nofolder") + QSep + "x", Good, 3, 0},
        {Good, Dir.Join("nofolder") + QSep + "x", 3, 1},
        {Dir.Join("folder"), Good, 5, 0},
        {Good, Dir.Join("folder"), 5, 1},
        {Long, Good, 206, 0},
        {Good, Long, 206, 1},
    };
    for (const auto &C : Cases) {
        SCOPED_TRACE(C.First + " / " + C.Second);
        TCompareRecorder Run;
        EXPECT_FALSE(Run.Run(C.First, C.Second));
        EXPECT_EQ(Run.Errors, std::vector<int>{C.Code});
        EXPECT_EQ(Run.ErrorNames, std::vector<std::string>{C.Opened ? C.Second : C.First});
        EXPECT_TRUE(Run.Rows.empty());
        EXPECT_EQ(Run.Reads, 0u);
        EXPECT_EQ(Run.Opened, C.Opened);
        EXPECT_EQ(Run.Closes, C.Opened);
        EXPECT_FALSE(Run.Result.Measured);
        EXPECT_EQ(Run.Result.Compared, 0);
    }
    EXPECT_EQ(IOResult(), 0);
}

#ifdef _WIN32
TEST_F(CompareRun, LockedAndReadOnlyFiles)
{
    std::string A = Put("a", Pattern(1000)), B = Put("b", Changed(Pattern(1000), {3}));
    HANDLE Lock = CreateFileA(B.c_str(), GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0);
    ASSERT_NE(Lock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(R.Run(A, B));
    CloseHandle(Lock);
    EXPECT_EQ(R.Errors, std::vector<int>{ERROR_SHARING_VIOLATION});
    EXPECT_EQ(R.Closes, 1u);

    ASSERT_TRUE(SetFileAttributesA(A.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesA(B.c_str(), FILE_ATTRIBUTE_READONLY));
    TCompareRecorder Ro;
    EXPECT_TRUE(Ro.Run(A, B));
    EXPECT_EQ(Ro.Rows.size(), 1u);
    EXPECT_TRUE(Ro.Errors.empty());
}
#else
TEST_F(CompareRun, ReadOnlyFiles)
{
    std::string A = Put("a", Pattern(1000)), B = Put("b", Changed(Pattern(1000), {3}));
    ASSERT_EQ(chmod(A.c_str(), 0444), 0);
    ASSERT_EQ(chmod(B.c_str(), 0444), 0);
    EXPECT_TRUE(R.Run(A, B));
    EXPECT_EQ(R.Rows.size(), 1u);
    EXPECT_TRUE(R.Errors.empty());
}
#endif

// Fault plan for the file layer hook: fail operation Op on the file named Name with Code.
struct TFault {
    std::string Name;
    int Op, Code, Skip;   // Skip: let this many matching operations pass first
};
static std::vector<TFault> Faults;
static int InjectFault(const TFile &F, int AOp)
{
    for (TFault &Fa : Faults)
        if (Fa.Op == AOp && Fa.Name == F.Name) {
            if (Fa.Skip > 0) {
                Fa.Skip--;
                return 0;
            }
            return Fa.Code;
        }
    return 0;
}

TEST_F(CompareRun, ReadAndCloseFailuresAreReportedAfterTheLoop)
{
    std::string A = Put("a", Pattern(200000)), B = Put("b", Changed(Pattern(200000), {7, 70000, 150000}));
    SetFileFaultHook(InjectFault);
    const struct {
        std::vector<TFault> Plan;
        std::vector<int> Errors;
        std::vector<std::string> Names;   // the file named with each report
        size_t Rows;
        bool Ran;
    } Cases[] = {
        // The second block of the second file fails: rows of block 0 stay, one report.
        {{{B, foRead, 23, 1}}, {23}, {B}, 1, true},
        // The first file's read fails: reported after the second close, with the first's name.
        {{{A, foRead, 23, 1}}, {23}, {A}, 1, true},
        // ... and the first file's close fails too: the read's code first, then the close's.
        {{{B, foRead, 23, 1}, {A, foClose, 6, 0}}, {23, 6}, {B, A}, 1, true},
        // Both closes fail: the second file's first.
        {{{B, foClose, 6, 0}, {A, foClose, 32, 0}}, {6, 32}, {B, A}, 3, true},
        // Both reads of one block fail: the first file's code, named with the first file.
        {{{A, foRead, 23, 1}, {B, foRead, 21, 1}}, {23}, {A}, 1, true},
        // The second file's read fails alone: its code with its name.
        {{{B, foRead, 67, 0}}, {67}, {B}, 0, true},
        // The size cannot be taken: one report, no rows, both closed.
        {{{B, foSize, 21, 0}}, {21}, {B}, 0, false},
        {{{A, foSize, 21, 0}}, {21}, {A}, 0, false},
    };
    for (const auto &C : Cases) {
        Faults = C.Plan;
        TCompareRecorder Run;
        EXPECT_EQ(Run.Run(A, B), C.Ran);
        EXPECT_EQ(Run.Errors, C.Errors);
        EXPECT_EQ(Run.ErrorNames, C.Names);
        EXPECT_EQ(Run.Result.Failed, C.Ran && !C.Errors.empty());
        EXPECT_EQ(Run.Rows.size(), C.Rows);
        EXPECT_EQ(Run.Opened, 2u);
        EXPECT_EQ(Run.Closes, 2u);
    }
    SetFileFaultHook(0);
    EXPECT_EQ(IOResult(), 0);
}

// Cuts the second file to 70,000 bytes while the run is on (after its first row).
static std::string Victim;
static void CutVictim(TCompareRecorder &R)
{
    if (R.Rows.size() != 1) return;
#ifdef _WIN32
    HANDLE H = CreateFileA(Victim.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                           OPEN_EXISTING, 0, 0);
    ASSERT_NE(H, INVALID_HANDLE_VALUE);
    SetFilePointer(H, 70000, 0, FILE_BEGIN);
    SetEndOfFile(H);
    CloseHandle(H);
#else
    ASSERT_EQ(truncate(Victim.c_str(), 70000), 0);
#endif
}

TEST_F(CompareRun, AFileThatShrinksGivesOneDiskReadError)
{
    std::string A = Put("a", Pattern(200000));
    Victim = Put("b", Changed(Pattern(200000), {5, 65000, 90000}));
    R.OnRow = CutVictim;
    EXPECT_TRUE(R.Run(A, Victim));
    ASSERT_EQ(R.Rows.size(), 2u);   // 5, and 65000 from the 10,000 bytes block 1 still had
    EXPECT_EQ(RowPos(R.Rows[1]), 65000);
    EXPECT_EQ(R.Errors, std::vector<int>{100});
    EXPECT_EQ(R.Reads, 4u);         // no block after the short one
    EXPECT_EQ(R.Closes, 2u);
}
