// QHelpLogic: the help viewer's icon animation.
#include "QHelpLogic.h"

// Frame table: the lamp starts dark for three ticks, then flickers up and down.
const TAnimFrame HelpFrames[HelpMaxAni + 1] = {
    {2, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 2}, {0, 3}, {0, 2}, {0, 1}};

void HelpAnimStart(TAnim &A) { AnimStart(A, HelpFrames, HelpMaxAni, HelpAnimIcon); }
