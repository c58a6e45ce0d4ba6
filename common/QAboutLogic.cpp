// QAboutLogic: random numbers, cube logo, link areas and closing game of the About box.
#include "QAboutLogic.h"

#include "QConst.h"

uint32_t RandSeed = 0;
uint8_t AT = 0;

uint32_t Random(uint32_t ARange)
{
    RandSeed = RandSeed * 134775813u + 1u;                 // wraps modulo 2^32
    return (uint32_t)(((uint64_t)RandSeed * ARange) >> 32);
}

// Ring numbers by row and column; 0 marks the centre.
static const uint8_t CubeNumbers[3][3] = {{1, 2, 3}, {8, 0, 4}, {7, 6, 5}};
// Base colours: the top-left corner group dark red, the rest navy.
static const uint32_t DarkRed = 0x000080;   // RGB(128, 0, 0)
static const uint32_t Navy = 0x800000;      // RGB(0, 0, 128)
static const uint32_t LitBlue = 0xFF0000;   // RGB(0, 0, 255)
static const uint32_t CubeColors[3][3] = {{DarkRed, DarkRed, Navy},
                                          {DarkRed, DarkRed, Navy},
                                          {Navy, Navy, Navy}};

int CubeNumber(int ARow, int ACol)
{
    if (ARow < 0 || ARow > 2 || ACol < 0 || ACol > 2)
        return 0;
    return CubeNumbers[ARow][ACol];
}

uint32_t CubeColor(int ARow, int ACol, int ALit)
{
    if (ARow < 0 || ARow > 2 || ACol < 0 || ACol > 2)
        return 0;
    int N = CubeNumbers[ARow][ACol];
    if (N != 0 && N == ALit)
        return LitBlue;
    return CubeColors[ARow][ACol];
}

uint8_t NextLitCube()
{
    AT = (uint8_t)(Random(CubeCount) + 1);
    return AT;
}

TAboutLink AboutLinkAt(int X, int Y)
{
    if (Y <= 85 || Y >= 105)
        return alNone;
    if (X > 65 && X < 165)
        return alWeb;
    if (X > 185 && X < 295)
        return alMail;
    return alNone;
}

TAboutGameAction AboutGameCommand(int &NumEnd, int AId)
{
    switch (AId) {
    case CM_OK:
        if (NumEnd > 0)
            return gaClose;
        NumEnd++;
        return gaShowPair;
    case CM_NO:                   // Cancel: Escape or the close box
        if (NumEnd > 1)
            return gaClose;
        NumEnd++;
        return gaShowPair;
    case CM_BUT:                  // "... &me !"
    case CM_BUT1:                 // "&Let ..."
        NumEnd++;
        return gaShowOk;
    default:
        return gaNone;
    }
}
