// Reading rules of the settings store: ";;" comments, trailing blanks, tolerant numbers.
#include <gtest/gtest.h>
#include "QIniLogic.h"

struct TTextCase {
    const char *Stored;
    const char *Read;
};

TEST(QIniLogic, CommentAndTrailingBlanks)
{
    static const TTextCase Cases[] = {
        {"abc ;; note", "abc"}, {"a;b", "a;b"},     {"a;;", "a"},     {";;x", ""},
        {"abc   ", "abc"},      {"x ;; y", "x"},    {"", ""},         {"   ", ""},
        {"a;;b;;c", "a"},       {"a ;", "a ;"},     {"  lead", "  lead"},
        {"tab\t", "tab\t"},     {";", ";"},         {"a; ;b", "a; ;b"},
    };
    for (const TTextCase &C : Cases) EXPECT_EQ(IniValueText(C.Stored), C.Read) << C.Stored;
}

struct TIntCase {
    const char *Stored;
    int32_t Read;   // with default -7
};

TEST(QIniLogic, IntegersIgnoreBlanksAndTakeHex)
{
    static const TIntCase Cases[] = {
        {"1 000", 1000},  {"0x1F", 31},  {"0X1f", 31},   {"$1F", 31},   {"0x", -7},
        {"ten", -7},      {"", -7},      {" 42 ", 42},   {"-5", -5},    {"- 5", -5},
        {"0", 0},         {"0x0", 0},    {"0xFFFFFFFF", -1},            {"12a", -7},
        {"x1", -7},       {"2147483648", -7},            {"-2147483648", INT32_MIN},
        {"00x1", -7},     {"0xG", -7},
    };
    for (const TIntCase &C : Cases) EXPECT_EQ(IniIntegerValue(C.Stored, -7), C.Read) << C.Stored;
}

TEST(QIniLogic, BooleansAreNumbers)
{
    EXPECT_TRUE(IniBoolValue("2", false));
    EXPECT_TRUE(IniBoolValue("1", false));
    EXPECT_TRUE(IniBoolValue("-1", false));
    EXPECT_FALSE(IniBoolValue("0", true));
    EXPECT_TRUE(IniBoolValue("yes", true));
    EXPECT_FALSE(IniBoolValue("yes", false));
    EXPECT_TRUE(IniBoolValue("", true));
    EXPECT_EQ(IniBoolText(true), "1");
    EXPECT_EQ(IniBoolText(false), "0");
}
