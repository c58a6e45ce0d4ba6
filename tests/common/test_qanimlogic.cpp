// The icon animations: the shared frame counter, then Bytewise's and the help viewer's
// frame sequences as their timers show them.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "BytewiseAnim.h"
#include "QAnimLogic.h"
#include "QHelpLogic.h"

// (icon, ticks shown) runs of ATicks ticks from a fresh start.
static std::vector<std::pair<int, int>> Runs(TAnim &A, int ATicks)
{
    std::vector<std::pair<int, int>> R;
    for (int T = 0; T < ATicks; T++) {
        int Icon = AnimTick(A);
        if (!R.empty() && R.back().first == Icon) R.back().second++;
        else R.push_back({Icon, 1});
    }
    return R;
}

TEST(AnimLogic, FirstFrameOneTickThenHoldPlusOneAndWrapAfterTheLast)
{
    // Three frames: the table's length, offsets and holds all come from the caller.
    static const TAnimFrame Table[] = {{1, 5}, {0, 2}, {3, 0}};
    TAnim A;
    AnimStart(A, Table, 2, 100);
    const std::vector<std::pair<int, int>> Want = {
        {105, 1}, {102, 1}, {100, 4}, {105, 2}, {102, 1}, {100, 4}, {105, 2}};
    EXPECT_EQ(Want, Runs(A, 15));
}

TEST(AnimLogic, EachProgramsStartBeginsAgainFromFrameZero)
{
    const struct {
        void (*Start)(TAnim &);
        int First, Second;
    } Cases[] = {{BytewiseAnimStart, 9900, 9901}, {HelpAnimStart, 19901, 19902}};
    for (const auto &C : Cases) {
        TAnim A;
        C.Start(A);
        for (int I = 0; I < 17; I++) AnimTick(A);
        EXPECT_NE(0, A.Ani);
        C.Start(A);
        EXPECT_EQ(0, A.Ani);
        EXPECT_EQ(0, A.Tim);
        EXPECT_EQ(0, A.ATim);
        EXPECT_EQ(C.First, AnimTick(A));
        EXPECT_EQ(C.Second, AnimTick(A));
    }
}

TEST(BytewiseAnim, FramesHoldTheirTicksAndFrameSixPauses)
{
    TAnim A;
    BytewiseAnimStart(A);
    // The first frame 0 lasts one tick, then each frame k its hold count + 1 ticks, frame 6
    // twenty ticks (1,400 ms at 70 ms).
    const std::vector<std::pair<int, int>> Want = {
        {9900, 1},
        {9901, 3}, {9902, 3}, {9903, 3}, {9904, 3}, {9905, 3}, {9906, 20}, {9907, 3},
        {9900, 3}, {9901, 3}, {9902, 3}, {9903, 3}, {9904, 3}, {9905, 3}, {9906, 20}, {9907, 3},
        {9900, 3},
    };
    int Total = 0;
    for (const auto &W : Want) Total += W.second;
    EXPECT_EQ(Want, Runs(A, Total));
    // One cycle: 41 ticks, 2,870 ms.
    int Cycle = 0;
    for (int K = 0; K <= MaxAni; K++) Cycle += BytewiseFrames[K].Hold + 1;
    EXPECT_EQ(Cycle * (int)AniPeriod, 2870);
}

TEST(HelpAnimation, FirstPassThenTenTickCycle)
{
    TAnim A;
    HelpAnimStart(A);
    // First pass: frame 0 shows one tick only.
    const int First[] = {19901, 19902, 19903, 19904, 19903, 19904, 19903, 19902};
    for (int Want : First)
        EXPECT_EQ(Want, AnimTick(A));
    // From then on: 19901 for three ticks, the other seven frames one tick each.
    const int Cycle[] = {19901, 19901, 19901, 19902, 19903, 19904, 19903, 19904, 19903, 19902};
    for (int Round = 0; Round < 3; Round++)
        for (int Want : Cycle)
            EXPECT_EQ(Want, AnimTick(A)) << "round " << Round;
}
