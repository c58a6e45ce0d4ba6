// Names from the command line and from a drop: splitting the line, and which dropped file
// goes into which field.
#include <gtest/gtest.h>

#include <string>

#include "BytewiseNames.h"

static std::string S(const string &A) { return std::string(A.c_str(), A.length()); }

TEST(BytewiseNames, CommandLineSplitsAtBlanksOutsideQuotes)
{
    const struct {
        const char *Line;
        int Count;
        const char *First, *Second;
    } Cases[] = {
        {"", 0, "", ""},
        {"   \t ", 0, "", ""},
        {"a.bin", 1, "a.bin", ""},
        {"  a.bin  ", 1, "a.bin", ""},
        {"a.bin b.bin", 2, "a.bin", "b.bin"},
        {"a.bin\tb.bin", 2, "a.bin", "b.bin"},
        {"\"C:\\My Files\\a.bin\" \"C:\\Other Dir\\b b.bin\"", 2, "C:\\My Files\\a.bin", "C:\\Other Dir\\b b.bin"},
        {"C:\\x\\a.bin \"D:\\with blank.bin\"", 2, "C:\\x\\a.bin", "D:\\with blank.bin"},
        // Quotes only around a part of the name, as some shells pass it.
        {"C:\\\"My Files\"\\a.bin b", 2, "C:\\My Files\\a.bin", "b"},
        // Backslashes stand as they are, also a trailing one and one before a quote.
        {"\\\\server\\share\\a \"C:\\dir\\\\\"", 2, "\\\\server\\share\\a", "C:\\dir\\\\"},
        // An empty quoted name is a name (it leaves its field empty).
        {"\"\" b.bin", 2, "", "b.bin"},
        // More than two: the first two are kept, all are counted.
        {"a b c", 3, "a", "b"},
        // An unclosed quote runs to the end.
        {"\"a b", 1, "a b", ""},
    };
    for (const auto &C : Cases) {
        TCmdNames N = SplitCommandLine(C.Line);
        EXPECT_EQ(N.Count, C.Count) << C.Line;
        EXPECT_EQ(S(N.First), C.First) << C.Line;
        EXPECT_EQ(S(N.Second), C.Second) << C.Line;
    }
    EXPECT_EQ(SplitCommandLine(0).Count, 0);
}

// A third name or "/?" asks for the usage box; two names or fewer do not.
TEST(BytewiseNames, UsageForAThirdNameOrTheQuestion)
{
    const struct {
        const char *Line;
        bool Usage;
    } Cases[] = {
        {"", false}, {"a", false}, {"a b", false}, {"a b c", true}, {"/?", true}, {"-?", true},
        {"a /?", true}, {"\"/?\"", true}, {"/?x", false}, {"\"a b\" \"c d\"", false},
    };
    for (const auto &C : Cases) EXPECT_EQ(SplitCommandLine(C.Line).Usage, C.Usage) << C.Line;
}

// The whole command line loses the program's name as Windows' own rule takes it.
TEST(BytewiseNames, ProgramNameSkipped)
{
    const struct {
        const char *Line, *Rest;
    } Cases[] = {
        {"\"C:\\Program Files\\Bytewise.exe\" a b", " a b"},
        {"Bytewise.exe a b", " a b"},
        {"Bytewise.exe", ""},
        {"\"C:\\x\\Bytewise.exe\"", ""},
        {"\"unclosed a b", ""},
        {"", ""},
    };
    for (const auto &C : Cases) EXPECT_STREQ(SkipProgramName(C.Line), C.Rest) << C.Line;
    EXPECT_EQ(SkipProgramName(0), nullptr);
}

// The escaped form of a name in the settings file: only printable ASCII other than "%", ";"
// and the blank stays; everything comes back byte for byte.
TEST(BytewiseNames, EscapedNamesAndWhichNameIsRestored)
{
    const struct {
        std::string Name, Escaped;
    } Cases[] = {
        {"C:\\a.bin", "C:\\a.bin"},
        {"C:\\My Files\\x;;y%.bin", "C:\\My%20Files\\x%3B%3By%25.bin"},
        {"C:\\\xce\xb1\xce\xb2.bin", "C:\\%CE%B1%CE%B2.bin"},
        {std::string("\x01\x7f\xff", 3), "%01%7F%FF"},
        {"", ""},
    };
    for (const auto &C : Cases) {
        EXPECT_EQ(S(EscapeName(C.Name.c_str())), C.Escaped);
        EXPECT_EQ(S(UnescapeName(C.Escaped.c_str())), C.Name);
    }
    // A "%" without two hex digits stands for itself; lower-case digits are read too.
    EXPECT_EQ(S(UnescapeName("100%")), "100%");
    EXPECT_EQ(S(UnescapeName("%4")), "%4");
    EXPECT_EQ(S(UnescapeName("%zz%41")), "%zzA");
    EXPECT_EQ(S(UnescapeName("%ce%b1")), "\xce\xb1");

    // The escaped name counts while the plain key holds what was written beside it.
    const struct {
        const char *Plain, *Escaped, *PlainOfEscaped, *Restored;
    } Choices[] = {
        {"C:\\??.bin", "C:\\%CE%B1%CE%B2.bin", "C:\\??.bin", "C:\\\xce\xb1\xce\xb2.bin"},
        {"C:\\other.bin", "C:\\%CE%B1%CE%B2.bin", "C:\\??.bin", "C:\\other.bin"},   // an older program wrote
        {"C:\\a.bin", "", "", "C:\\a.bin"},
        {"", "", "", ""},
    };
    for (const auto &C : Choices) EXPECT_EQ(S(StoredName(C.Plain, C.Escaped, C.PlainOfEscaped)), C.Restored) << C.Plain;
}

TEST(BytewiseNames, DropPlanByCountPlaceAndEmptyFields)
{
    const struct {
        int Count;
        TDropSpot Spot;
        bool FirstEmpty, SecondEmpty;
        int First, Second;
    } Cases[] = {
        // One file: the field it lands on, filled or not.
        {1, dpFirst, false, false, 0, -1},
        {1, dpSecond, false, false, -1, 0},
        {1, dpFirst, true, true, 0, -1},
        {1, dpSecond, true, true, -1, 0},
        // One file elsewhere: the first empty field, or none.
        {1, dpOther, true, true, 0, -1},
        {1, dpOther, false, true, -1, 0},
        {1, dpOther, true, false, 0, -1},
        {1, dpOther, false, false, -1, -1},
        // Two or more: the first two in order, wherever they land.
        {2, dpSecond, false, false, 0, 1},
        {2, dpFirst, true, true, 0, 1},
        {2, dpOther, false, false, 0, 1},
        {5, dpOther, true, true, 0, 1},
        {0, dpFirst, true, true, -1, -1},
    };
    for (const auto &C : Cases) {
        TDropPlan P = PlanDrop(C.Count, C.Spot, C.FirstEmpty, C.SecondEmpty);
        EXPECT_EQ(P.First, C.First) << C.Count << " " << C.Spot << " " << C.FirstEmpty << C.SecondEmpty;
        EXPECT_EQ(P.Second, C.Second) << C.Count << " " << C.Spot << " " << C.FirstEmpty << C.SecondEmpty;
    }
}
