// BytewiseProgress: the pace of a long run in the window. The run reads in the window's
// own thread; every so often it lets the window handle its messages (painting, Esc, Stop),
// and once it has read for a while it shows how far it is, a few times a second.
#ifndef BYTEWISEPROGRESS_H
#define BYTEWISEPROGRESS_H

#include <stdint.h>

enum {
    PumpEvery = 40,     // ms between two looks at the window's messages
    ShowAfter = 500,    // ms a run reads before the progress line and Stop appear
    ShowEvery = 250     // ms between two updates of the progress line
};

// Times in milliseconds of a clock that wraps at 2^32 (GetTickCount).
struct TProgressPace {
    uint32_t NextPump = 0;
    uint32_t NextShow = 0;
    bool Shown = false;    // the progress line and Stop are up
};

// What a step of the run should do now.
enum { psPump = 1, psShowFirst = 2, psShow = 4 };

void PaceStart(TProgressPace &P, uint32_t ANow);
// The psPump / psShowFirst / psShow bits due at ANow; each is set again only when its
// period has passed since it was last given. psShowFirst comes once, with psShow.
int PaceStep(TProgressPace &P, uint32_t ANow);

#endif
