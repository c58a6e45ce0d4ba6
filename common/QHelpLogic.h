// QHelpLogic: the help viewer's icon animation, without a window.
// Eight frames, each held for its hold count plus one tick of the viewer's 110 ms timer;
// the frame table names the icon (19901 + offset) shown on each frame.
#ifndef QHELPLOGIC_H
#define QHELPLOGIC_H

#include <stdint.h>

enum {
    HelpTitleIcon = 19900,    // fixed icon in the title band
    HelpAnimIcon = 19901,     // first animation icon; offsets 0..3 give 19901..19904
    HelpMaxAni = 7            // frames 0..7
};

struct THelpFrame {
    uint8_t Hold;             // extra ticks the frame stays
    uint8_t Offset;           // icon = HelpAnimIcon + Offset
};

struct THelpAnim {
    uint8_t Ani;              // current frame
    uint8_t Tim;              // ticks already spent on it
    uint8_t ATim;             // ticks to spend on it (0 on the very first frame)
    THelpFrame TT[HelpMaxAni + 1];
};

// Frame 0, no ticks spent, and the frame table filled: what each opening starts from.
void HelpAnimStart(THelpAnim &A);
// One timer tick: returns the icon resource to show now, then advances the counters.
int HelpAnimTick(THelpAnim &A);

#endif
