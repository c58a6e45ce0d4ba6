// BytewiseTexts: the program's own texts. They are kept plain in bytewise/texts, scrambled
// at build time (tools/texts/scramble_texts.py writes BytewiseTextsData.cpp) and held by the
// program only in that form; the routines below unscramble them with DeCrypt when used.
#ifndef BYTEWISETEXTS_H
#define BYTEWISETEXTS_H

#include <stdint.h>
#include "QStr.h"

extern const uint8_t TextShift;          // the shift the scrambler used (below 32)
extern const char SCTitle[];             // window title, 46 characters
extern const char SCAboutButton[];       // caption of the large About button, 59
extern const char SCProgName[];          // About box: program name, 12
extern const char SCProgType[];          // program type, 8
extern const char SCProgDescription[];   // one-line description, 32
extern const char SCFootNote1[];         // footnotes, 43 and 16
extern const char SCFootNote2[];
extern const int SCHelpLines;            // help text, one scrambled entry per line
extern const char *const SCHelp[];

// One stored text unscrambled.
string TextOf(const char *AScrambled);
// The help lines unscrambled and joined by CR LF (none after the last line).
string GetTextHelp();

#endif
