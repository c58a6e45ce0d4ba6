// BytewiseProgress: when a long run looks at its messages and shows its progress.
#include "BytewiseProgress.h"

// ANow at or after ATime on a wrapping clock.
static bool Reached(uint32_t ANow, uint32_t ATime) { return (int32_t)(ANow - ATime) >= 0; }

void PaceStart(TProgressPace &P, uint32_t ANow)
{
    P.NextPump = ANow + PumpEvery;
    P.NextShow = ANow + ShowAfter;
    P.Shown = false;
}

int PaceStep(TProgressPace &P, uint32_t ANow)
{
    int Due = 0;
    if (Reached(ANow, P.NextPump)) {
        Due |= psPump;
        P.NextPump = ANow + PumpEvery;
    }
    if (Reached(ANow, P.NextShow)) {
        Due |= psShow;
        if (!P.Shown) Due |= psShowFirst;
        P.Shown = true;
        P.NextShow = ANow + ShowEvery;
    }
    return Due;
}
