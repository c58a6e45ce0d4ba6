// BytewiseAnim: the frame table of the main window's icon animation.
#include "BytewiseAnim.h"

const TAnimFrame BytewiseFrames[MaxAni + 1] = {
    {2, 0}, {2, 1}, {2, 2}, {2, 3}, {2, 4}, {2, 5}, {19, 6}, {2, 7}};

void BytewiseAnimStart(TAnim &A) { AnimStart(A, BytewiseFrames, MaxAni, AniIconBase); }
