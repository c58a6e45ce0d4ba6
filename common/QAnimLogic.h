// QAnimLogic: the frame counters of an icon animation, without a window. A timer calls
// AnimTick on every tick and shows the icon it answers.
// Each frame names its icon (IconBase + Offset) and its hold count: it stays Hold + 1 ticks,
// except the very first frame 0 after AnimStart, which lasts one tick (ATim starts at 0).
// After the last frame comes frame 0 again.
#ifndef QANIMLOGIC_H
#define QANIMLOGIC_H

#include <stdint.h>

struct TAnimFrame {
    uint8_t Hold;             // extra ticks the frame stays
    uint8_t Offset;           // icon = IconBase + Offset
};

struct TAnim {
    const TAnimFrame *TT;     // the frame table, MaxAni + 1 frames
    uint8_t MaxAni;           // last frame
    int IconBase;             // icon resource of offset 0
    uint8_t Ani;              // current frame
    uint8_t Tim;              // ticks already spent on it
    uint8_t ATim;             // ticks to spend on it
};

// Frame 0 of ATable (AMaxAni + 1 frames), no ticks spent: what each start begins from.
void AnimStart(TAnim &A, const TAnimFrame *ATable, uint8_t AMaxAni, int AIconBase);
// One timer tick: returns the icon resource to show now, then advances the counters.
int AnimTick(TAnim &A);

#endif
