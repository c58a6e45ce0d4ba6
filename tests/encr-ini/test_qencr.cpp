// Text scrambling: fixed examples, the rotation it must be for small shifts, and the
// non-reversible behaviour of large shifts.
#include <gtest/gtest.h>
#include "QEncr.h"

static string Bytes(std::initializer_list<int> ACodes)
{
    string S;
    for (int C : ACodes) S += (char)C;
    return S;
}

struct TCryptCase {
    const char *Name;
    bool Scramble;   // ECrypt (true) or DeCrypt
    int Shift;
    int From;
    int To;
};

TEST(QEncr, SingleCodesOfKnownShifts)
{
    static const TCryptCase Cases[] = {
        {"A up 1", true, 1, 'A', 'B'},
        {"1 up 1", true, 1, '1', '2'},
        {"blank up 1", true, 1, ' ', '!'},
        {"255 up 1 wraps to 32", true, 1, 255, 32},
        {"32 down 1 wraps to 255", false, 1, 32, 255},
        {"B down 1", false, 1, 'B', 'A'},
        {"33 down 3 wraps by 224", false, 3, 33, 254},
        {"35 down 40 wraps by 255", false, 40, 35, 250},
        {"shift 0 up", true, 0, 200, 200},
        {"shift 0 down", false, 0, 32, 32},
        {"255 up 31", true, 31, 255, 62},
        {"32 down 31", false, 31, 32, 225},
    };
    for (const TCryptCase &C : Cases) {
        string In = Bytes({C.From});
        string Out = C.Scramble ? ECrypt(In, (uint8_t)C.Shift) : DeCrypt(In, (uint8_t)C.Shift);
        ASSERT_EQ(Out.length(), 1u) << C.Name;
        EXPECT_EQ((uint8_t)Out[0], C.To) << C.Name;
    }
}

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

// For shifts 0..31 scrambling is the rotation 32 + (c - 32 + s) mod 224 of the working range,
// and unscrambling is its exact inverse.
TEST(QEncr, SmallShiftsRotateTheWorkingRangeAndRoundTrip)
{
    for (int Shift = 0; Shift <= 31; Shift++)
        for (int C = 32; C <= 255; C++) {
            uint8_t Up = Crypt((uint8_t)C, (uint8_t)Shift, false, true);
            ASSERT_EQ(Up, 32 + (C - 32 + Shift) % 224) << "shift " << Shift << " code " << C;
            ASSERT_EQ(Crypt(Up, (uint8_t)Shift, true, true), C) << "shift " << Shift << " code " << C;
            string One = Bytes({C});
            ASSERT_EQ(DeCrypt(ECrypt(One, (uint8_t)Shift), (uint8_t)Shift), One);
        }
}

TEST(QEncr, ShiftFortyIsNotReversibleForEveryCode)
{
    int Lost = 0;
    for (int C = 32; C <= 255; C++) {
        string One = Bytes({C});
        if (DeCrypt(ECrypt(One, 40), 40) != One) Lost++;
    }
    EXPECT_GT(Lost, 0);
    // Upward scrambling with 40 still never yields a control code.
    for (int C = 32; C <= 255; C++) EXPECT_GE(Crypt((uint8_t)C, 40, false, true), 32) << C;
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
