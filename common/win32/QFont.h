// QFont: the fonts the dialogs paint with. Each is made from the description of a font
// the caller read from a device context (GetObjectA); only the fields named here change.
#ifndef QFONT_H
#define QFONT_H

#include <windows.h>

// Makes ADesc the upright, not italic AFace font of APoints points at AResolution dots per
// inch (LOGPIXELSY) and weight AWeight (FW_...), in the default character set, with its
// natural width. Its other fields (underline, strike-out, quality, ...) are kept.
void SetFontDesc(LOGFONTA *ADesc, const char *AFace, int APoints, int AResolution, int AWeight);

// The 26-point bold Arial of a dialog's painted title.
inline void TitleFontDesc(LOGFONTA *ADesc, int AResolution)
{
    SetFontDesc(ADesc, "Arial", 26, AResolution, FW_BOLD);
}

#endif
