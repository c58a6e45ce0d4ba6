// The counted string: zero bytes, growth, self-append, slicing.
#include <gtest/gtest.h>
#include <string.h>
#include "QStr.h"

TEST(QStr, HoldsZeroBytesAndCountsThem)
{
    string S("a\0b", 3);
    EXPECT_EQ(S.length(), 3u);
    EXPECT_EQ(S[1], 0);
    EXPECT_NE(S, string("a"));
    EXPECT_EQ(string().c_str()[0], 0);
}

TEST(QStr, AppendGrowsAndSurvivesSelfAppend)
{
    string S("xy");
    for (int I = 0; I < 10; I++) S += S;
    EXPECT_EQ(S.length(), 2048u);
    EXPECT_EQ(S.c_str()[2048], 0);
    S.append(S.c_str() + 1, 3);
    EXPECT_EQ(S.substr(2048), string("yxy"));
}

TEST(QStr, SubstrFindAndConcatenation)
{
    string S = string("C:") + '\\' + "dir" + string("\\f.txt");
    EXPECT_EQ(S, "C:\\dir\\f.txt");
    EXPECT_EQ(S.rfind('\\'), 6u);
    EXPECT_EQ(S.find('z'), string::npos);
    EXPECT_EQ(S.substr(3, 3), "dir");
    EXPECT_EQ(S.substr(99), "");
    EXPECT_EQ(string(3, ' ') + "7", "   7");
    string M(std::move(S));
    EXPECT_EQ(M.length(), 12u);
    EXPECT_EQ(S.length(), 0u);
}
