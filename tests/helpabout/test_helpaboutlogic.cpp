// The About box's logic, without windows (the help viewer's animation is tested with the
// other icon animations in tests/common/test_qanimlogic.cpp).
#include <gtest/gtest.h>

#include <vector>

#include "QAboutLogic.h"

// ---- Random numbers -------------------------------------------------------------------

// First draws of Random(8) + 1 from seed 0, worked out separately with 64-bit arithmetic.
static const int FirstCubes[] = {1, 1, 7, 2, 3, 6, 3, 2, 3, 4, 1, 4, 1, 7, 1, 3, 8, 3, 7, 3};

TEST(Random, SequenceFromSeedZeroLightsTheSameCubesEveryRun)
{
    RandSeed = 0;
    for (size_t I = 0; I < sizeof FirstCubes / sizeof FirstCubes[0]; I++)
        EXPECT_EQ(FirstCubes[I], (int)NextLitCube()) << "draw " << I;
    EXPECT_EQ(AT, FirstCubes[19]);
}

TEST(Random, SeedStepsAndHighWordResult)
{
    struct { uint32_t Seed, Range, NewSeed, Result; } Cases[] = {
        {0, 8, 1, 0},                          // 0 * a + 1
        {1, 8, 134775814u, 0},                 // 134775814 * 8 < 2^32
        {134775814u, 8, 3698175007u, 6},       // 3698175007 * 8 >> 32
        {0xFFFFFFFFu, 100, 0xF7F77BFCu, 96},   // wraps: -a + 1 (mod 2^32)
        {12345, 0, 12345u * 134775813u + 1u, 0},
        {12345, 1, 12345u * 134775813u + 1u, 0},
    };
    for (auto &C : Cases) {
        RandSeed = C.Seed;
        EXPECT_EQ(C.Result, Random(C.Range)) << "seed " << C.Seed;
        EXPECT_EQ(C.NewSeed, RandSeed) << "seed " << C.Seed;
    }
}

TEST(Random, EveryCubeOneToEightComesUpAndNothingElse)
{
    RandSeed = 0;
    int Seen[10] = {0};
    for (int I = 0; I < 2000; I++) {
        int N = NextLitCube();
        ASSERT_GE(N, 1);
        ASSERT_LE(N, 8);
        Seen[N]++;
    }
    for (int N = 1; N <= 8; N++)
        EXPECT_GT(Seen[N], 150) << "cube " << N;   // about 250 each
}

// ---- Cube logo ------------------------------------------------------------------------

TEST(Cubes, NumbersRunClockwiseFromTopLeftAndTheCentreHasNone)
{
    // (row, column) of the cubes 1..8 going round the ring.
    const int Ring[8][2] = {{0, 0}, {0, 1}, {0, 2}, {1, 2}, {2, 2}, {2, 1}, {2, 0}, {1, 0}};
    for (int N = 1; N <= 8; N++)
        EXPECT_EQ(N, CubeNumber(Ring[N - 1][0], Ring[N - 1][1]));
    EXPECT_EQ(0, CubeNumber(1, 1));
    EXPECT_EQ(0, CubeNumber(3, 0));
    EXPECT_EQ(0, CubeNumber(-1, 2));
}

TEST(Cubes, BaseColoursAndOnlyTheLitCubeTurnsBlue)
{
    const uint32_t R = 0x000080, N = 0x800000, B = 0xFF0000;
    const uint32_t Base[3][3] = {{R, R, N}, {R, R, N}, {N, N, N}};
    for (int Lit = 0; Lit <= 8; Lit++)
        for (int Row = 0; Row < 3; Row++)
            for (int Col = 0; Col < 3; Col++) {
                bool IsLit = Lit != 0 && CubeNumber(Row, Col) == Lit;
                EXPECT_EQ(IsLit ? B : Base[Row][Col], CubeColor(Row, Col, Lit))
                    << "lit " << Lit << " row " << Row << " col " << Col;
            }
}

// ---- Link areas -----------------------------------------------------------------------

TEST(LinkAreas, BordersCountAsOutside)
{
    struct { int X, Y; TAboutLink Want; } Cases[] = {
        {66, 86, alWeb},   {164, 104, alWeb},  {100, 95, alWeb},
        {65, 95, alNone},  {165, 95, alNone},  {100, 85, alNone}, {100, 105, alNone},
        {186, 86, alMail}, {294, 104, alMail}, {240, 95, alMail},
        {185, 95, alNone}, {295, 95, alNone},  {240, 85, alNone}, {240, 105, alNone},
        {175, 95, alNone},                                         // between the two
        {0, 0, alNone},    {-100, 95, alNone}, {100, -95, alNone}, {1000, 95, alNone},
    };
    for (auto &C : Cases)
        EXPECT_EQ(C.Want, AboutLinkAt(C.X, C.Y)) << C.X << ", " << C.Y;
}

// ---- Closing game ---------------------------------------------------------------------

// Replays a sequence of commands from a fresh opening; the answer lists the actions.
static std::vector<TAboutGameAction> Play(std::initializer_list<int> AIds, int &NumEnd)
{
    NumEnd = 0;
    std::vector<TAboutGameAction> Out;
    for (int Id : AIds)
        Out.push_back(AboutGameCommand(NumEnd, Id));
    return Out;
}

TEST(ClosingGame, SequencesOfThePerson)
{
    typedef std::vector<TAboutGameAction> V;
    struct { const char *Name; std::initializer_list<int> Ids; V Want; int NumEnd; } Cases[] = {
        {"OK, me!, OK", {1, 3, 1}, V{gaShowPair, gaShowOk, gaClose}, 2},
        {"OK, Let, OK", {1, 4, 1}, V{gaShowPair, gaShowOk, gaClose}, 2},
        {"Escape x 3", {2, 2, 2}, V{gaShowPair, gaShowPair, gaClose}, 2},
        {"OK, Escape, Escape", {1, 2, 2}, V{gaShowPair, gaShowPair, gaClose}, 2},
        {"Escape, OK", {2, 1}, V{gaShowPair, gaClose}, 1},
        {"Escape, me!, Escape", {2, 3, 2}, V{gaShowPair, gaShowOk, gaClose}, 2},
        {"me! first", {3, 1}, V{gaShowOk, gaClose}, 1},
        {"other ids", {5, 0, 9400}, V{gaNone, gaNone, gaNone}, 0},
    };
    for (auto &C : Cases) {
        int NumEnd;
        EXPECT_EQ(C.Want, Play(C.Ids, NumEnd)) << C.Name;
        EXPECT_EQ(C.NumEnd, NumEnd) << C.Name;
    }
}

TEST(ClosingGame, FirstOkOrEscapeNeverCloses)
{
    int NumEnd = 0;
    EXPECT_NE(gaClose, AboutGameCommand(NumEnd, 1));
    NumEnd = 0;
    EXPECT_NE(gaClose, AboutGameCommand(NumEnd, 2));
    NumEnd = 1;                     // one step made: a second Escape still does not close
    EXPECT_EQ(gaShowPair, AboutGameCommand(NumEnd, 2));
}
