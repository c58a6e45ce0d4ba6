// The questions the dialog driver asks the test program's hidden probe window.
// A request goes over WM_COPYDATA; the answer comes back in the file the request names.
#ifndef HELPABOUTPROBE_H
#define HELPABOUTPROBE_H

#include <windows.h>

static const char ProbeClass[] = "QHelpAboutProbe";

enum TProbeOp {
    poCensus = 1,       // pixels of Color inside Area of Win: Count and their bounding Box
    poCursor = 2,       // the program's current cursor: Value is a TProbeCursor
    poCubes = 3,        // Value: cube lit on screen (-1 wrong picture); Count: draws made;
                        // Box.left: AT
    poFirstPaint = 6,   // as poCubes, seen when the About box opened as Area.left (1, 2)
                        // had painted itself the first time; Box.top: AT when it closed
                        // (opening 1 only), Box.right: draws by then
    poDialogUnits = 4,  // Area of Win mapped from dialog units to pixels, in Box
};

enum TProbeCursor { pcNone, pcArrow, pcWeb, pcMail, pcOther };

struct TProbeRequest {
    int Op;
    HWND Win;
    RECT Area;
    COLORREF Color;
    char AnswerFile[MAX_PATH];
};

struct TProbeAnswer {
    int Value;
    int Count;
    RECT Box;
};

#endif
