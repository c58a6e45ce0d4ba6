// QHelpLogic: the help viewer's icon animation.
#include "QHelpLogic.h"

// Frame table: the lamp starts dark for three ticks, then flickers up and down.
static const THelpFrame HelpFrames[HelpMaxAni + 1] = {
    {2, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 2}, {0, 3}, {0, 2}, {0, 1}};

void HelpAnimStart(THelpAnim &A)
{
    A.Ani = 0;
    A.Tim = 0;
    A.ATim = 0;
    for (int I = 0; I <= HelpMaxAni; I++)
        A.TT[I] = HelpFrames[I];
}

int HelpAnimTick(THelpAnim &A)
{
    int Icon = HelpAnimIcon + A.TT[A.Ani].Offset;
    if (A.Tim < A.ATim) {
        A.Tim++;
        return Icon;
    }
    A.Tim = 0;
    A.Ani = A.Ani >= HelpMaxAni ? 0 : A.Ani + 1;
    A.ATim = A.TT[A.Ani].Hold;
    return Icon;
}
