// Text scrambling: the rotation it must be for small shifts, what it leaves alone, and the
// wraps of large shifts and of the whole byte range.
#include <gtest/gtest.h>
#include "QEncr.h"

static string One(int ACode) { return string(1, (char)ACode); }

TEST(QEncr, EmptyTextAndControlCodesPassThrough)
{
    EXPECT_EQ(DeCrypt(string(), 5), string());
    EXPECT_EQ(ECrypt(string(), 5), string());
    string Controls;
    for (int C = 0; C < 32; C++) Controls += (char)C;
    for (int Shift : {1, 17, 31, 40, 200, 255}) {
        EXPECT_EQ(ECrypt(Controls, (uint8_t)Shift), Controls) << Shift;
        EXPECT_EQ(DeCrypt(Controls, (uint8_t)Shift), Controls) << Shift;
    }
}

TEST(QEncr, LineStructureAndLengthSurvive)
{
    string Text("Line one\r\n\tsecond\0third", 23);
    string Scrambled = ECrypt(Text, 13);
    ASSERT_EQ(Scrambled.length(), Text.length());
    EXPECT_EQ(Scrambled[8], '\r');
    EXPECT_EQ(Scrambled[9], '\n');
    EXPECT_EQ(Scrambled[10], '\t');
    EXPECT_EQ(Scrambled[17], 0);
    EXPECT_NE(Scrambled, Text);
    EXPECT_EQ(DeCrypt(Scrambled, 13), Text);
    EXPECT_EQ(Text, string("Line one\r\n\tsecond\0third", 23)) << "argument must stay unchanged";
}

// For shifts 0..31 scrambling is the rotation 32 + (c - 32 + s) mod 224 of the working range
// (255 up 1 gives 32), and unscrambling is its exact inverse (32 down 1 gives 255).
TEST(QEncr, SmallShiftsRotateTheWorkingRangeAndRoundTrip)
{
    for (int Shift = 0; Shift <= 31; Shift++)
        for (int C = 32; C <= 255; C++) {
            string Up = ECrypt(One(C), (uint8_t)Shift);
            ASSERT_EQ((uint8_t)Up[0], 32 + (C - 32 + Shift) % 224) << "shift " << Shift << " code " << C;
            ASSERT_EQ(DeCrypt(Up, (uint8_t)Shift), One(C)) << "shift " << Shift << " code " << C;
        }
}

TEST(QEncr, ShiftFortyWrapsBy255AndIsNotReversibleForEveryCode)
{
    EXPECT_EQ(DeCrypt(One(35), 40), One(250));
    int Lost = 0;
    for (int C = 32; C <= 255; C++) {
        string Up = ECrypt(One(C), 40);
        EXPECT_GE((uint8_t)Up[0], 32) << "never a control code: " << C;
        if (DeCrypt(Up, 40) != One(C)) Lost++;
    }
    EXPECT_GT(Lost, 0);
}

TEST(QEncr, WholeByteRangeWrapsBy255)
{
    EXPECT_EQ(Crypt(0, 1, true, false), 254);
    EXPECT_EQ(Crypt(255, 1, false, false), 1);
    EXPECT_EQ(Crypt(10, 5, true, false), 5);
    EXPECT_EQ(Crypt(10, 5, false, false), 15);
    // Codes 0 and 255 collide for a nonzero shift.
    EXPECT_EQ(Crypt(0, 7, false, false), Crypt(255, 7, false, false));
    EXPECT_EQ(Crypt(3, 0, false, false), 3);
}
