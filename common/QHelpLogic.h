// QHelpLogic: the help viewer's icon animation, without a window.
// Eight frames, each held for its hold count plus one tick of the viewer's 110 ms timer;
// the frame table names the icon (19901 + offset) shown on each frame. QAnimLogic counts
// the ticks.
#ifndef QHELPLOGIC_H
#define QHELPLOGIC_H

#include "QAnimLogic.h"

enum {
    HelpTitleIcon = 19900,    // fixed icon in the title band
    HelpAnimIcon = 19901,     // first animation icon; offsets 0..3 give 19901..19904
    HelpMaxAni = 7            // frames 0..7
};

extern const TAnimFrame HelpFrames[HelpMaxAni + 1];

// Frame 0 of the help viewer's frames, no ticks spent: what each opening starts from.
void HelpAnimStart(TAnim &A);

#endif
