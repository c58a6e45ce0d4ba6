// Bytewise's portable units: the stored texts, the row grid and bands, the clipboard text
// and the settings file's place (the icon animation: tests/common/test_qanimlogic.cpp).
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>
#include "BytewiseProgress.h"
#include "BytewiseRows.h"
#include "BytewiseTexts.h"

static std::string ReadPlain(const char *AName)
{
    std::string Path = std::string(Q_SOURCE_DIR) + "/bytewise/texts/" + AName;
    FILE *F = fopen(Path.c_str(), "rb");
    EXPECT_TRUE(F != nullptr) << Path;
    std::string R;
    if (!F) return R;
    char Buf[4096];
    size_t N;
    while ((N = fread(Buf, 1, sizeof Buf, F)) > 0) R.append(Buf, N);
    fclose(F);
    if (!R.empty() && R.back() == '\n') R.pop_back();
    return R;
}

static std::string Std(const string &S) { return std::string(S.c_str(), S.length()); }

// ---- stored texts ----

struct TStoredText { const char *Scrambled; const char *File; size_t Length; };

TEST(BytewiseTexts, EachTextUnscramblesToItsPlainFileAtItsLength)
{
    const TStoredText Cases[] = {
        {SCTitle, "title.txt", 46},
        {SCAboutButton, "button.txt", 59},
        {SCProgName, "about_name.txt", 12},
        {SCProgType, "about_type.txt", 8},
        {SCProgDescription, "about_description.txt", 32},
        {SCFootNote1, "about_note1.txt", 43},
        {SCFootNote2, "about_note2.txt", 16},
    };
    ASSERT_GT(TextShift, 0);
    ASSERT_LT(TextShift, 32);    // larger shifts do not round-trip
    for (const TStoredText &C : Cases) {
        std::string Plain = ReadPlain(C.File);
        EXPECT_EQ(Std(TextOf(C.Scrambled)), Plain) << C.File;
        EXPECT_EQ(Plain.size(), C.Length) << C.File;
        // Held only scrambled: no printable character survives in place.
        ASSERT_EQ(strlen(C.Scrambled), Plain.size()) << C.File;
        for (size_t I = 0; I < Plain.size(); I++)
            EXPECT_NE(C.Scrambled[I], Plain[I]) << C.File << " at " << I;
    }
}

TEST(BytewiseTexts, HelpIsThirtySevenLinesJoinedByCrLf)
{
    std::string Help = Std(GetTextHelp());
    std::string Plain = ReadPlain("help.txt");
    std::string Expected;
    for (char C : Plain) {
        if (C == '\n') Expected += "\r\n";
        else Expected += C;
    }
    EXPECT_EQ(Help, Expected);
    ASSERT_GE(Help.size(), 2u);
    EXPECT_NE(Help.substr(Help.size() - 2), "\r\n");   // no line end after the last line

    std::vector<std::string> Lines;
    size_t From = 0;
    for (;;) {
        size_t At = Help.find("\r\n", From);
        Lines.push_back(Help.substr(From, At == std::string::npos ? std::string::npos : At - From));
        if (At == std::string::npos) break;
        From = At + 2;
    }
    size_t NonEmpty = 0, Longest = 0, LongestText = 0;
    for (const std::string &L : Lines) {
        if (!L.empty()) NonEmpty++;
        Longest = std::max(Longest, L.size());
        if (L.find_first_not_of('-') != std::string::npos) LongestText = std::max(LongestText, L.size());
        EXPECT_EQ(L.find('\n'), std::string::npos);
    }
    EXPECT_EQ(Lines.size(), 37u);
    EXPECT_EQ(SCHelpLines, 37);
    EXPECT_EQ(NonEmpty, 30u);
    EXPECT_EQ(Longest, 78u);       // the rule of hyphens under the first line
    EXPECT_LE(LongestText, 70u);   // what the help box shows in a line
    // The help speaks of what the program does beyond the table.
    for (const char *Topic : {"Command line", "drop files", "259", "Stop or Esc", "identical", "/?"})
        EXPECT_NE(Help.find(Topic), std::string::npos) << Topic;
}

// ---- bands, grid, clipboard text ----

TEST(BytewiseRows, NormalStylesTileThreeBandsHighlightFillsTheRow)
{
    for (int Style : {dsWhole, dsSelect}) {
        TBand B[3];
        ASSERT_EQ(RowBands(Style, 300, B), 3);
        EXPECT_EQ(B[0].Left, 0);
        EXPECT_EQ(B[0].Right, B[1].Left);
        EXPECT_EQ(B[1].Right, B[2].Left);
        EXPECT_EQ(B[2].Right, 300);
        EXPECT_EQ(B[0].Right, 108);     // the position
        EXPECT_EQ(B[1].Right, 173);     // the two bytes
        EXPECT_EQ(B[0].Brush * 100 + B[1].Brush * 10 + B[2].Brush, 123);
        EXPECT_EQ(RowTextColor(Style), Rgb(0, 0, 0));
    }
    TBand B[3];
    ASSERT_EQ(RowBands(dsFocus, 300, B), 1);
    EXPECT_EQ(B[0].Left, 0);
    EXPECT_EQ(B[0].Right, 300);
    EXPECT_EQ(B[0].Brush, 4);
    EXPECT_EQ(RowTextColor(dsFocus), Rgb(255, 255, 255));
    EXPECT_EQ(ClrHighlight, Rgb(108, 108, 255));
    EXPECT_EQ(ClrBand1, Rgb(250, 250, 230));
    EXPECT_EQ(ClrBand2, Rgb(230, 250, 250));
    EXPECT_EQ(ClrBand3, Rgb(250, 230, 250));
}

TEST(BytewiseRows, GridLinesFallBetweenTheFieldsOfADrawnRow)
{
    // With 8-pixel characters a drawn row "PPPPPPPPPPPPP BBB BBB CCC CCC" has its blanks at
    // character 13, 17, 21 and 25: pixels 104..111, 136..143, 168..175, 200..207. The last
    // line sits at 208, the first pixel of the last field, whose cell is padded by a blank
    // except for the "#nn" cells of control codes.
    const int Blank[4] = {13, 17, 21, 25};
    for (int I = 0; I < 4; I++) {
        EXPECT_GE(GridLines[I].X, Blank[I] * 8) << I;
        EXPECT_LE(GridLines[I].X, Blank[I] * 8 + 8) << I;
    }
    EXPECT_TRUE(GridLines[0].Thick);
    EXPECT_FALSE(GridLines[1].Thick);
    EXPECT_TRUE(GridLines[2].Thick);
    EXPECT_FALSE(GridLines[3].Thick);
    EXPECT_EQ(RowWidthMin, 29 * CellWidth);
}

// A row is drawn with its position right-aligned in 13 cells; the rest as it stands.
TEST(BytewiseRows, DrawnRowWidensThePositionTo13Cells)
{
    const struct {
        std::string Row, Drawn;
    } Cases[] = {
        {"      0  65  66   A   B", "            0  65  66   A   B"},
        {"150000000   0 255  #0   \xff", "    150000000   0 255  #0   \xff"},
        {"1100000005   0 255  #0   \xff", "   1100000005   0 255  #0   \xff"},
        {"1234567890123 255  65   \xff   A", "1234567890123 255  65   \xff   A"},
        {"12345678901234   1   2  #1  #2", "12345678901234   1   2  #1  #2"},   // kept whole
        {"", "             "},
    };
    for (const auto &C : Cases) {
        char Out[RowCellsMax];
        int N = DrawnRow(C.Row.c_str(), (int)C.Row.size(), Out);
        EXPECT_EQ(std::string(Out, (size_t)N), C.Drawn) << C.Row;
    }
    // Never more than RowCellsMax characters.
    std::string Long(100, '1');
    char Out[RowCellsMax];
    EXPECT_EQ(DrawnRow(Long.c_str(), (int)Long.size(), Out), RowCellsMax);
}

// When a run looks at its messages and shows its progress: every PumpEvery ms, the first
// showing after ShowAfter ms, then every ShowEvery ms; the clock may wrap.
TEST(BytewiseProgress, PaceOfPumpingAndShowing)
{
    for (uint32_t Start : {0u, 0xFFFFFF00u}) {
        SCOPED_TRACE(Start);
        TProgressPace P;
        PaceStart(P, Start);
        const struct {
            uint32_t At;
            int Due;
        } Steps[] = {
            {0, 0}, {39, 0}, {40, psPump}, {41, 0}, {100, psPump}, {139, 0}, {499, psPump},
            {500, psShow | psShowFirst}, {520, 0}, {540, psPump}, {749, psPump}, {750, psShow},
            {2000, psPump | psShow},
        };
        for (const auto &S : Steps) EXPECT_EQ(PaceStep(P, Start + S.At), S.Due) << S.At;
        EXPECT_TRUE(P.Shown);
    }
}

TEST(BytewiseRows, ClipTextIsEveryRowWithCrLfAndSkipsEmptyRows)
{
    string T;
    AppendClipRow(T, "", 0);
    EXPECT_TRUE(T.empty());
    AppendClipRow(T, "      0  65  66   A   B", 23);
    AppendClipRow(T, "", 0);
    AppendClipRow(T, "x\xff", 2);
    EXPECT_EQ(Std(T), std::string("      0  65  66   A   B\r\nx\xff\r\n"));
}

TEST(BytewiseRows, SettingsFileSitsBesideTheProgram)
{
    const char *Cases[][2] = {
        {"C:\\Tools\\Bytewise", "C:\\Tools\\Bytewise\\Bytewise.INI"},
        {"C:\\", "C:\\Bytewise.INI"},                 // drive root keeps one backslash
        {"\\\\server\\share", "\\\\server\\share\\Bytewise.INI"},
        {"Z:\\tmp\\a b", "Z:\\tmp\\a b\\Bytewise.INI"},
    };
    for (const auto &C : Cases) EXPECT_EQ(Std(SettingsFileName(C[0])), C[1]) << C[0];
}
