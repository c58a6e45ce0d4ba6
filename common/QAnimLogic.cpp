// QAnimLogic: frame counters of an icon animation.
#include "QAnimLogic.h"

void AnimStart(TAnim &A, const TAnimFrame *ATable, uint8_t AMaxAni, int AIconBase)
{
    A.TT = ATable;
    A.MaxAni = AMaxAni;
    A.IconBase = AIconBase;
    A.Ani = 0;
    A.Tim = 0;
    A.ATim = 0;
}

int AnimTick(TAnim &A)
{
    int Icon = A.IconBase + A.TT[A.Ani].Offset;    // shown on every tick, changed or not
    if (A.Tim < A.ATim) {
        A.Tim++;
    } else {
        A.Tim = 0;
        A.Ani = A.Ani >= A.MaxAni ? 0 : A.Ani + 1;
        A.ATim = A.TT[A.Ani].Hold;
    }
    return Icon;
}
