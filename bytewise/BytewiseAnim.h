// BytewiseAnim: the main window's icon animation, eight frames (icons 9900..9907) each held
// for its hold count plus one timer tick; frame 6 stays longest. QAnimLogic counts the ticks.
#ifndef BYTEWISEANIM_H
#define BYTEWISEANIM_H

#include "QAnimLogic.h"

const uint8_t MaxAni = 7;           // last frame
const int AniIconBase = 9900;       // icon resource of frame 0
const unsigned AniPeriod = 70;      // timer period, milliseconds

// Frame k shows icon 9900 + k.
extern const TAnimFrame BytewiseFrames[MaxAni + 1];

// Back to frame 0 of Bytewise's frames (the first frame 0 lasts one tick).
void BytewiseAnimStart(TAnim &A);

#endif
