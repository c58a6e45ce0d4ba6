// The comparison engine: row format, blocks, lengths, prompts, stopping and file errors.
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
    for (const auto &C : Cases) {
        std::string Row = S(MakeDiffRow(C.Pos, (uint8_t)C.B1, (uint8_t)C.B2));
        EXPECT_EQ(Row, C.Row) << C.Pos;
        if (C.Pos <= 9999999) {
            EXPECT_EQ(Row.size(), 23u) << C.Pos;
        }
    }
}

TEST(CompareRow, PromptTextAndCaption)
{
    EXPECT_EQ(S(ContinuePromptText(600)), "Already found 600 differencies. Continue?");
    EXPECT_STREQ(ContinuePromptCaption, " Notice!");
}

static std::vector<std::string> Boxes;
static int AnswerCancel(HWND, const char *AText, const char *ACaption, unsigned AType)
{
    Boxes.push_back(std::string(ACaption) + "|" + AText + "|" + std::to_string(AType));
    return qidCancel;
}
static int AnswerRetry(HWND, const char *, const char *, unsigned) { return qidRetry; }

TEST(CompareRow, AskContinueAndShowFileErrorUseTheBoxes)
{
    TMessageBoxProc Saved = QMessageBoxProc;
    QMessageBoxProc = AnswerCancel;
    Boxes.clear();
    EXPECT_FALSE(AskContinue(0, 300));
    ShowFileError(0, 2);
    QMessageBoxProc = AnswerRetry;
    EXPECT_TRUE(AskContinue(0, 600));
    QMessageBoxProc = Saved;
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(Boxes[0], " Notice!|Already found 300 differencies. Continue?|21");   // error icon, Retry/Cancel
    EXPECT_EQ(Boxes[1], "Error|File not found|16");
    EXPECT_EQ(IOResult(), 0);
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
    // Every file the run opened was closed again.
    void ExpectClosed() { EXPECT_EQ(R.Closes, R.Opened); }
    TTempDir Dir;
    TCompareRecorder R;
};

TEST_F(CompareRun, EqualFilesGiveNothing)
{
    std::string A = Put("a", Pattern(100000)), B = Put("b", Pattern(100000));
    EXPECT_TRUE(R.Run(A, B));
    EXPECT_TRUE(R.Rows.empty());
    EXPECT_TRUE(R.Errors.empty());
    EXPECT_EQ(R.Reads, 4u);
    EXPECT_EQ(R.Opened, 2u);
    ExpectClosed();
    // A file with itself.
    TCompareRecorder Self;
    EXPECT_TRUE(Self.Run(A, A));
    EXPECT_TRUE(Self.Rows.empty());
    EXPECT_TRUE(Self.Errors.empty());
}

TEST_F(CompareRun, EmptyFiles)
{
    std::string Empty = Put("e", ""), Full = Put("f", Pattern(100000));
    EXPECT_TRUE(R.Run(Empty, Full));
    EXPECT_EQ(R.Reads, 0u);   // nothing read or compared
    EXPECT_TRUE(R.Rows.empty());
    EXPECT_TRUE(R.Errors.empty());
    ExpectClosed();

    TCompareRecorder Second;
    EXPECT_TRUE(Second.Run(Full, Empty));
    EXPECT_EQ(Second.Reads, 0u);   // no position exists in both: neither file is read
    EXPECT_TRUE(Second.Rows.empty());
    EXPECT_TRUE(Second.Errors.empty());
    EXPECT_EQ(Second.Closes, 2u);
}

TEST_F(CompareRun, OnlyTheCommonLengthIsCompared)
{
    std::string Long = Pattern(100000);
    std::string Short = Changed(Pattern(70000), {10, 65000});
    std::string A = Put("long", Long), B = Put("short", Short);
    EXPECT_TRUE(R.Run(A, B));
    ASSERT_EQ(R.Rows.size(), 2u);
    EXPECT_EQ(RowPos(R.Rows[0]), 10);
    EXPECT_EQ(RowPos(R.Rows[1]), 65000);
    EXPECT_TRUE(R.Errors.empty());
    EXPECT_EQ(R.Reads, 4u);
    ExpectClosed();

    // A longer second file: its extra bytes are never read.
    std::string C = Put("longer", Changed(Pattern(200000), {5, 150000}));
    TCompareRecorder Second;
    EXPECT_TRUE(Second.Run(B, C));
    ASSERT_EQ(Second.Rows.size(), 3u);   // 5, 10 and 65000
    EXPECT_EQ(RowPos(Second.Rows[0]), 5);
    EXPECT_EQ(Second.Reads, 4u);         // two blocks of each file
    EXPECT_TRUE(Second.Errors.empty());
}

TEST_F(CompareRun, BlockBoundaries)
{
    const size_t Sizes[] = {59999, 60000, 60001, 100000, 120000, 180000};
    for (size_t Size : Sizes) {
        std::vector<size_t> At = {0, Size - 1};
        if (Size == 60001) At = {0, 59999, 60000};
        if (Size > 60001) At = {0, 59999, 60000, Size - 1};
        std::string A = Put("a", Pattern(Size)), B = Put("b", Changed(Pattern(Size), At));
        TCompareRecorder Run;
        EXPECT_TRUE(Run.Run(A, B));
        ASSERT_EQ(Run.Rows.size(), At.size()) << Size;
        for (size_t I = 0; I < At.size(); I++) EXPECT_EQ(RowPos(Run.Rows[I]), (long long)At[I]) << Size;
        EXPECT_EQ(Run.Reads, 2 * ((Size + 59999) / 60000)) << Size;
        EXPECT_TRUE(Run.Errors.empty()) << Size;
        EXPECT_EQ(Run.Closes, 2u);
    }
}

TEST_F(CompareRun, EveryByteDifferentAcrossBlocks)
{
    std::string A = Put("a", std::string(130000, 'x')), B = Put("b", std::string(130000, 'y'));
    EXPECT_TRUE(R.Run(A, B));
    ASSERT_EQ(R.Rows.size(), 130000u);
    for (size_t I = 0; I < R.Rows.size(); I += 997) EXPECT_EQ(RowPos(R.Rows[I]), (long long)I);
    EXPECT_EQ(R.Rows.back(), " 129999 120 121   x   y");
    EXPECT_EQ(R.Prompts.size(), 433u);
}

TEST_F(CompareRun, PromptsAtEveryThreeHundred)
{
    const struct {
        size_t Diffs;
        std::vector<int64_t> Prompts;
    } Cases[] = {
        {299, {}}, {300, {300}}, {1000, {300, 600, 900}},
    };
    for (const auto &C : Cases) {
        std::string A = Put("a", Pattern(200000));
        std::string B = Put("b", Changed(Pattern(200000), Every(97, C.Diffs)));
        TCompareRecorder Run;
        EXPECT_TRUE(Run.Run(A, B));
        EXPECT_EQ(Run.Rows.size(), C.Diffs);
        EXPECT_EQ(Run.Prompts, C.Prompts) << C.Diffs;
        // Each prompt comes with its row already in the table.
        for (size_t I = 0; I < Run.Prompts.size(); I++)
            EXPECT_EQ(Run.RowsAtPrompt[I], (size_t)Run.Prompts[I]);
        for (size_t I = 1; I < Run.Rows.size(); I++)
            ASSERT_LT(RowPos(Run.Rows[I - 1]), RowPos(Run.Rows[I]));
        EXPECT_TRUE(Run.Errors.empty());
    }
}

TEST_F(CompareRun, StopLeavesTheBlockAndReadsNoFurther)
{
    // 2,000 differences 97 bytes apart: the 300th lies in block 0, the 600th in block 0,
    // and with 150 bytes apart the 600th lies in block 1.
    const struct {
        size_t Step;
        int StopAt;
        uint32_t Reads;
    } Cases[] = {{97, 1, 2}, {97, 2, 2}, {150, 2, 4}};
    for (const auto &C : Cases) {
        std::string A = Put("a", Pattern(400000));
        std::string B = Put("b", Changed(Pattern(400000), Every(C.Step, 2000)));
        TCompareRecorder Run;
        Run.StopAtPrompt = C.StopAt;
        EXPECT_TRUE(Run.Run(A, B));
        EXPECT_EQ(Run.Rows.size(), 300u * C.StopAt);
        EXPECT_EQ(Run.Prompts.size(), (size_t)C.StopAt);
        EXPECT_EQ(Run.Reads, C.Reads) << C.Step;
        EXPECT_EQ(Run.Opened, 2u);
        EXPECT_EQ(Run.Closes, 2u);
        EXPECT_TRUE(Run.Errors.empty());
    }
}

// Reading stops where the shorter file ends: no later position exists in both files, and
// the rows are the ones a read to the end would give.
TEST_F(CompareRun, ReadingEndsWithTheShorterFile)
{
    std::string Big = Pattern(400000);
    const struct {
        std::string First, Second;
        uint32_t Reads;
        std::vector<long long> Rows;
    } Cases[] = {
        // A 1-byte second file: one block of each, not the first file's seven.
        {Big, std::string(1, (char)~Big[0]), 2, {0}},
        {std::string(1, (char)~Big[0]), Big, 2, {0}},
        // The second ends inside the first's third block: three blocks of each.
        {Changed(Big, {5, 130000, 130001, 399999}), Big.substr(0, 130001), 6, {5, 130000}},
        {Big.substr(0, 130001), Changed(Big, {5, 130000, 130001, 399999}), 6, {5, 130000}},
    };
    for (const auto &C : Cases) {
        std::string A = Put("a", C.First), B = Put("b", C.Second);
        TCompareRecorder Run;
        EXPECT_TRUE(Run.Run(A, B));
        EXPECT_EQ(Run.Reads, C.Reads) << C.First.size() << " / " << C.Second.size();
        std::vector<long long> Positions;
        for (const std::string &Row : Run.Rows) Positions.push_back(RowPos(Row));
        EXPECT_EQ(Positions, C.Rows);
        EXPECT_EQ(Run.Result.Compared, (int64_t)std::min(C.First.size(), C.Second.size()));
        EXPECT_TRUE(Run.Errors.empty());
        EXPECT_EQ(Run.Closes, 2u);
    }
}

// The run's record: sizes, positions compared, differences, a stop.
TEST_F(CompareRun, ResultRecordsSizesComparedAndCount)
{
    std::string A = Put("a", Pattern(150000)), B = Put("b", Changed(Pattern(100000), Every(10, 700)));
    EXPECT_TRUE(R.Run(A, B));
    EXPECT_TRUE(R.Result.Measured);
    EXPECT_EQ(R.Result.Size1, 150000);
    EXPECT_EQ(R.Result.Size2, 100000);
    EXPECT_EQ(R.Result.Compared, 100000);
    EXPECT_EQ(R.Result.Count, 700);
    EXPECT_FALSE(R.Result.Stopped);
    EXPECT_FALSE(R.Result.Failed);

    // Stopped at the second prompt: the 600th difference (position 5990) was the last looked at.
    TCompareRecorder Stop;
    Stop.StopAtPrompt = 2;
    EXPECT_TRUE(Stop.Run(A, B));
    EXPECT_TRUE(Stop.Result.Stopped);
    EXPECT_EQ(Stop.Result.Count, 600);
    EXPECT_EQ(Stop.Result.Compared, 5991);

    // Not measured: nothing but the flag.
    TCompareRecorder Missing;
    EXPECT_FALSE(Missing.Run(A, Dir.Join("missing")));
    EXPECT_FALSE(Missing.Result.Measured);
    EXPECT_EQ(Missing.Result.Compared, 0);
}

// ---- File errors ----

// A name the file layer would cut is refused before anything is opened, even when a file
// by the cut name exists; a name of exactly NameMax characters is taken.
TEST_F(CompareRun, NamesLongerThanTheLayerTakesAreRefused)
{
    std::string Prefix = Dir.Join("");
    ASSERT_LT(Prefix.size(), (size_t)NameMax - 10);
    std::string Exact = Prefix + std::string(NameMax - Prefix.size(), 'n');
    ASSERT_EQ(Exact.size(), (size_t)NameMax);
    std::string Good = Put("good", Pattern(1000));
    ASSERT_TRUE(QWriteFile(Exact, Pattern(1000)));
    std::string Long = Exact + ".x";

    EXPECT_TRUE(NameFits(Exact.c_str()));
    EXPECT_FALSE(NameFits(Long.c_str()));

    TCompareRecorder Fits;
    EXPECT_TRUE(Fits.Run(Exact, Good));
    EXPECT_TRUE(Fits.Errors.empty());

    TCompareRecorder First;
    EXPECT_FALSE(First.Run(Long, Good));
    EXPECT_EQ(First.Errors, std::vector<int>{206});
    EXPECT_EQ(First.ErrorNames, std::vector<std::string>{Long});
    EXPECT_EQ(First.Opened, 0u);

    TCompareRecorder Second;
    EXPECT_FALSE(Second.Run(Good, Long));
    EXPECT_EQ(Second.Errors, std::vector<int>{206});
    EXPECT_EQ(Second.ErrorNames, std::vector<std::string>{Long});
    EXPECT_EQ(Second.Opened, 1u);   // the first file, closed again
    EXPECT_EQ(Second.Closes, 1u);
    EXPECT_EQ(Second.Reads, 0u);
}

TEST_F(CompareRun, OpenFailuresAreReportedOnce)
{
    std::string Good = Put("good", Pattern(1000));
    ASSERT_TRUE(CreateDir(Dir.Join("folder").c_str()));
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
    };
    for (const auto &C : Cases) {
        TCompareRecorder Run;
        EXPECT_FALSE(Run.Run(C.First, C.Second));
        EXPECT_EQ(Run.Errors, std::vector<int>{C.Code}) << C.First << " / " << C.Second;
        // The box names the file that failed: the first unless it was opened.
        EXPECT_EQ(Run.ErrorNames, std::vector<std::string>{C.Opened ? C.Second : C.First});
        EXPECT_TRUE(Run.Rows.empty());
        EXPECT_EQ(Run.Reads, 0u);
        EXPECT_EQ(Run.Opened, C.Opened);
        EXPECT_EQ(Run.Closes, C.Opened);
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
    ExpectClosed();
}
