// BytewiseAnim: the main window's icon animation, eight frames (icons 9900..9907) each
// held for its count of timer ticks plus one; frame 6 stays longest.
#ifndef BYTEWISEANIM_H
#define BYTEWISEANIM_H

#include <stdint.h>

const uint8_t MaxAni = 7;           // last frame
const int AniIconBase = 9900;       // icon resource of frame 0
const unsigned AniPeriod = 70;      // timer period, milliseconds

extern uint8_t Ani;                 // current frame, 0..MaxAni
extern uint8_t Tim;                 // ticks already spent on the frame
extern uint8_t ATim;                // ticks to spend on it
extern uint8_t TT[MaxAni + 1];      // hold count per frame

// Back to frame 0 with the hold table filled (the first frame 0 lasts one tick).
void AnimReset();
// One timer tick: answers the icon resource to show now, then advances the counters.
int AnimTick();

#endif
