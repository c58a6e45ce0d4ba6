// QFont: font descriptions of the dialogs' painted texts.
#include "QFont.h"

void SetFontDesc(LOGFONTA *ADesc, const char *AFace, int APoints, int AResolution, int AWeight)
{
    ADesc->lfHeight = -MulDiv(APoints, AResolution, 72);
    ADesc->lfWidth = 0;
    ADesc->lfEscapement = 0;
    ADesc->lfOrientation = 0;
    ADesc->lfWeight = AWeight;
    ADesc->lfItalic = 0;
    ADesc->lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(ADesc->lfFaceName, AFace, LF_FACESIZE);
}
