// BytewiseAnim: frame counters of the icon animation.
#include "BytewiseAnim.h"

uint8_t Ani, Tim, ATim;
uint8_t TT[MaxAni + 1];

void AnimReset()
{
    static const uint8_t Hold[MaxAni + 1] = {2, 2, 2, 2, 2, 2, 19, 2};
    Ani = 0;
    Tim = 0;
    ATim = 0;
    for (int I = 0; I <= MaxAni; I++) TT[I] = Hold[I];
}

int AnimTick()
{
    int Icon = AniIconBase + Ani;    // shown on every tick, changed or not
    if (Tim < ATim) {
        Tim++;
    } else {
        Tim = 0;
        Ani = Ani >= MaxAni ? 0 : Ani + 1;
        ATim = TT[Ani];
    }
    return Icon;
}
