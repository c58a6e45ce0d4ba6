// The boxes of a run: which notice a real run's record gives, and the texts of every box
// (the continue question, the notices, the failures), byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BytewiseNotice.h"
#include "CompareRecorder.h"
#include "QSysUtil.h"
#include "QTestFiles.h"

static std::string S(const string &A) { return std::string(A.c_str(), A.length()); }

static std::string Data(size_t ASize, char AFill = 'a') { return std::string(ASize, AFill); }

TEST(Notice, ChosenFromTheRunsRecord)
{
    TTempDir Dir;
    const struct {
        const char *Case;
        std::string First, Second;
        TNotice Notice;
        const char *Text;
    } Cases[] = {
        {"equal", Data(70000), Data(70000), ntIdentical, "The files are identical.\nSize: 70000 bytes"},
        {"both empty", "", "", ntIdentical, "The files are identical.\nSize: 0 bytes"},
        {"one byte", "x", "x", ntIdentical, "The files are identical.\nSize: 1 byte"},
        {"shorter second", Data(70000), Data(1000), ntSizes,
         "The files differ in size.\nFirst file: 70000 bytes\nSecond file: 1000 bytes\nCompared: 1000 bytes"},
        {"shorter first", Data(1), Data(70000), ntSizes,
         "The files differ in size.\nFirst file: 1 byte\nSecond file: 70000 bytes\nCompared: 1 byte"},
        {"empty first", "", Data(5), ntSizes,
         "The files differ in size.\nFirst file: 0 bytes\nSecond file: 5 bytes\nCompared: 0 bytes"},
        {"empty second", Data(5), "", ntSizes,
         "The files differ in size.\nFirst file: 5 bytes\nSecond file: 0 bytes\nCompared: 0 bytes"},
        // Different sizes are told also when the common part differs; equal sizes with a
        // difference need no notice: the rows say it.
        {"shorter and different", Data(100), Data(50, 'b'), ntSizes,
         "The files differ in size.\nFirst file: 100 bytes\nSecond file: 50 bytes\nCompared: 50 bytes"},
        {"equal size, different", Data(100), Data(100, 'b'), ntNone, ""},
    };
    for (const auto &C : Cases) {
        std::string A = Dir.Join("a"), B = Dir.Join("b");
        ASSERT_TRUE(QWriteFile(A, C.First));
        ASSERT_TRUE(QWriteFile(B, C.Second));
        TCompareRecorder Run;
        EXPECT_TRUE(Run.Run(A, B)) << C.Case;
        EXPECT_EQ(NoticeOf(Run.Result), C.Notice) << C.Case;
        EXPECT_EQ(S(NoticeText(Run.Result)), C.Text) << C.Case;
    }
}

TEST(Notice, NoIdenticalNoticeWhenTheRunWasCutShortOrFailed)
{
    TCompareResult Whole;
    Whole.Measured = true;
    Whole.Size1 = Whole.Size2 = Whole.Compared = 1000;
    EXPECT_EQ(NoticeOf(Whole), ntIdentical);

    TCompareResult Failed = Whole;   // a read error: not every byte was seen
    Failed.Failed = true;
    Failed.Compared = 400;
    EXPECT_EQ(NoticeOf(Failed), ntNone);
    TCompareResult Stopped = Whole;
    Stopped.Stopped = true;
    EXPECT_EQ(NoticeOf(Stopped), ntNone);
    TCompareResult NotMeasured = Whole;   // an open failed: the error box was all
    NotMeasured.Measured = false;
    EXPECT_EQ(NoticeOf(NotMeasured), ntNone);
    EXPECT_EQ(S(NoticeText(NotMeasured)), "");
    // Sizes that differ are told even after a stop.
    TCompareResult StoppedSizes = Stopped;
    StoppedSizes.Size2 = 2000;
    EXPECT_EQ(NoticeOf(StoppedSizes), ntSizes);
}

TEST(Notice, FileErrorTextsKeepTheTableAndAddTheName)
{
    const struct {
        int Code;
        const char *Text;
    } Cases[] = {
        {2, "File not found\nC:\\a.bin"},
        {3, "Path not found\nC:\\a.bin"},
        {5, "File access denied\nC:\\a.bin"},
        {32, "File access denied\nThe file is in use by another program.\nC:\\a.bin"},
        {33, "File locked by another program\nC:\\a.bin"},
        {123, "Invalid file name\nC:\\a.bin"},
        {206, "File name too long\nC:\\a.bin"},
        {100, "Disk read error\nC:\\a.bin"},
        {153, "Unknovn Error 153\nC:\\a.bin"},
    };
    for (const auto &C : Cases) EXPECT_EQ(S(FileErrorText(C.Code, "C:\\a.bin")), C.Text) << C.Code;
    // A code that concerns no file has no name line.
    EXPECT_EQ(S(FileErrorText(8, "")), "Not enough memory to compare the files");
}

// Codes the program meets from Windows get Windows' meaning; the shared table's numbers
// that Windows uses for other things (150 to 162 but 152) are not given their old texts.
TEST(Notice, ErrorCodesTheProgramMeetsHaveWindowsMeaning)
{
    const struct {
        int Code;
        const char *Text;
    } Cases[] = {
        {1, "Incorrect function (the device does not support this request)"},
        {8, "Not enough memory to compare the files"},
        {21, "Drive not ready"},
        {23, "Data error (cyclic redundancy check)"},
        {30, "The device cannot be read"},
        {53, "Network path not found"},
        {67, "Network share not found"},
        {87, "Invalid parameter"},
        {161, "Invalid path name"},
        {1117, "Device I/O error"},
        {152, "Drive not ready"},            // the table's text, also Windows' meaning
        {159, "Unknovn Error 159"},          // not "Printer out of paper"
        {160, "Unknovn Error 160"},
        {2, "File not found"},
        {100, "Disk read error"},            // the file layer's own: a read came up short
        {99, "Unknovn Error 99"},
    };
    for (const auto &C : Cases) EXPECT_EQ(S(ErrorCodeText(C.Code)), C.Text) << C.Code;
}

// The line under the table after every run that measured both files, and during a run.
TEST(Notice, SummaryAndProgressLines)
{
    TCompareResult R;
    EXPECT_EQ(S(SummaryText(R)), "");    // nothing measured: the error box told it
    R.Measured = true;
    const struct {
        int64_t Count, Compared;
        bool Stopped, Failed;
        const char *Text;
    } Cases[] = {
        {0, 0, false, false, "0 differences in 0 bytes compared"},
        {1, 1, false, false, "1 difference in 1 byte compared"},
        {3, 1073741824, false, false, "3 differences in 1,073,741,824 bytes compared"},
        {300, 12345, true, false, "300 differences in 12,345 bytes compared (stopped)"},
        {2, 999, false, true, "2 differences in 999 bytes compared (ended by an error)"},
        {1234567, 1234567890123LL, true, true, "1,234,567 differences in 1,234,567,890,123 bytes compared (stopped)"},
    };
    for (const auto &C : Cases) {
        R.Count = C.Count;
        R.Compared = C.Compared;
        R.Stopped = C.Stopped;
        R.Failed = C.Failed;
        EXPECT_EQ(S(SummaryText(R)), C.Text);
    }
    EXPECT_EQ(S(ProgressText(0, 8000000000LL)), "Comparing: 0 of 8,000,000,000 bytes (0 %)");
    EXPECT_EQ(S(ProgressText(176220000, 8000000000LL)), "Comparing: 176,220,000 of 8,000,000,000 bytes (2 %)");
    EXPECT_EQ(S(ProgressText(999, 1000)), "Comparing: 999 of 1,000 bytes (99 %)");
    EXPECT_EQ(S(ProgressText(5, 0)), "Comparing: 5 of 0 bytes (100 %)");
    EXPECT_NE(S(ProgressText(9000000000000000000LL, 9200000000000000000LL)).find("bytes (97 %)"), std::string::npos);
    EXPECT_EQ(S(Grouped(0)), "0");
    EXPECT_EQ(S(Grouped(999)), "999");
    EXPECT_EQ(S(Grouped(1000)), "1,000");
    EXPECT_EQ(S(Grouped(-1234567)), "-1,234,567");
}

static std::vector<std::string> Seen;
static int Answer = qidOK;
static int Record(HWND, const char *AText, const char *ACaption, unsigned AType)
{
    Seen.push_back(std::string(ACaption) + "|" + AText + "|" + std::to_string(AType));
    return Answer;
}

// Every box of the engine and the program: caption, text and icon with buttons; the continue
// question goes on only with Retry; a run with nothing to tell shows no box.
TEST(Notice, BoxesCaptionsAndIcons)
{
    TMessageBoxProc Saved = QMessageBoxProc;
    QMessageBoxProc = Record;
    Seen.clear();
    Answer = qidCancel;
    EXPECT_FALSE(AskContinue(0, 300));
    Answer = qidRetry;
    EXPECT_TRUE(AskContinue(0, 600));
    Answer = qidOK;
    TCompareResult R;
    R.Measured = true;
    R.Size1 = 3;
    R.Size2 = 2;
    R.Compared = 2;
    ShowNotice(0, R);
    R.Size2 = R.Size1 = R.Compared = 0;
    ShowNotice(0, R);
    R.Count = 1;
    ShowNotice(0, R);
    ShowFileError(0, 2);
    ShowFileError(0, 2, "x.bin");
    ShowSettingsNotSaved(0, "C:\\P\\Bytewise.INI");
    ShowClipboardFailed(0);
    QMessageBoxProc = Saved;
    EXPECT_EQ(Seen, (std::vector<std::string>{
                        " Notice!|Already found 300 differencies. Continue?|21",   // error icon, Retry/Cancel
                        " Notice!|Already found 600 differencies. Continue?|21",
                        " Notice!|The files differ in size.\nFirst file: 3 bytes\nSecond file: 2 bytes\nCompared: 2 bytes|64",
                        " Notice!|The files are identical.\nSize: 0 bytes|64",
                        "Error|File not found|16",
                        "Error|File not found\nx.bin|16",
                        "Error|The file names could not be saved in\nC:\\P\\Bytewise.INI|16",
                        "Error|The table could not be copied to the clipboard.\nAnother program may hold it open.|16",
                    }));
    EXPECT_EQ(IOResult(), 0);
}
