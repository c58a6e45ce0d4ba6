// QAboutLogic: the About box's rules that need no window: the runtime's random numbers,
// the cube logo's numbering and colours, the two link areas and the closing game.
#ifndef QABOUTLOGIC_H
#define QABOUTLOGIC_H

#include <stdint.h>

// ---- Random numbers ----------------------------------------------------------------
// The runtime's linear congruential generator: RandSeed = RandSeed * 134775813 + 1
// (mod 2^32), result = high 32 bits of RandSeed * ARange. RandSeed is 0 when the program
// starts and nobody reseeds it, so every run draws the same sequence.
extern uint32_t RandSeed;
uint32_t Random(uint32_t ARange);        // 0 .. ARange - 1 (0 for ARange 0)

// ---- Cube logo ------------------------------------------------------------------------
// A 3 x 3 grid at (100, 12) with a 10-pixel pitch; cubes are 8 x 8 pixels with a grey
// shadow one pixel down and right. The eight ring cubes are numbered clockwise from the
// top-left corner; the centre has no number and is never lit.
enum {
    CubeLeft = 100,
    CubeTop = 12,
    CubePitch = 10,
    CubeSize = 8,
    CubeCount = 8
};
extern uint8_t AT;                        // the lit cube, 0 (none) or 1..8; kept between openings

int CubeNumber(int ARow, int ACol);       // 1..8, 0 for the centre
uint32_t CubeColor(int ARow, int ACol, int ALit); // 0x00BBGGRR: lit blue or the base colour
uint8_t NextLitCube();                    // the timer's draw: AT = Random(8) + 1

// ---- Link areas -----------------------------------------------------------------------
// Client pixels, bounds exclusive: the borders themselves are outside.
enum TAboutLink { alNone = 0, alWeb = 1, alMail = 2 };
TAboutLink AboutLinkAt(int X, int Y);

// ---- Closing game -----------------------------------------------------------------------
// OK (1) closes once a step has been made; Cancel (2: Escape, the close box) only after two;
// otherwise either one swaps OK for the two buttons "&Let ..." (4) and "... &me !" (3), and
// those swap OK back. Every step that does not close counts in NumEnd.
enum TAboutGameAction {
    gaNone,          // not a game command
    gaClose,         // end the dialog
    gaShowPair,      // hide OK, show buttons 3 and 4
    gaShowOk         // hide buttons 3 and 4, show OK
};
TAboutGameAction AboutGameCommand(int &NumEnd, int AId);

#endif
