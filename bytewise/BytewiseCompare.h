// BytewiseCompare: the comparison engine. Reads two files in step in blocks of SizeMem
// bytes, turns every differing position of their common length into a difference row,
// asks whether to go on at every PromptEvery-th difference, and reports file errors.
// It knows no window: the row sink, the continue question and the error reporter are
// handed in (the main window binds them to its list and to message boxes).
#ifndef BYTEWISECOMPARE_H
#define BYTEWISECOMPARE_H

#include <stdint.h>

#include "QStr.h"
#include "QTypes.h"

enum {
    SizeMem = 60000,     // bytes per block and buffer (a decimal figure)
    PromptEvery = 300,   // the continue question comes at every multiple of this count
    NameMax = 259        // longest file name the system takes, in UTF-16 units (MAX_PATH - 1)
};

struct TCompareHooks {
    void *Context;                                      // handed back to each hook
    void (*AddRow)(void *AContext, const string &ARow); // one row per difference, ascending
    bool (*GoOn)(void *AContext, int64_t ACount);       // false stops the run
    // A file error code (QSysUtil texts) and the name of the file it concerns (empty when
    // the code concerns no file: 8, not enough memory for the buffers).
    void (*ReportError)(void *AContext, int ACode, const string &AName);
    // After every block read: positions compared so far of ATotal (the shorter file's
    // length). False stops the run as a declined prompt does. May be 0.
    bool (*Progress)(void *AContext, int64_t ACompared, int64_t ATotal);
};

// What one run found out; the notice after the run is chosen from it.
struct TCompareResult {
    bool Measured = false;   // both files opened and their sizes taken
    bool Stopped = false;    // the user declined to go on at a prompt or stopped the run
    bool Failed = false;     // a read or close error was reported after the loop
    int64_t Size1 = 0, Size2 = 0;
    int64_t Compared = 0;    // positions compared (the common length unless cut short)
    int64_t Count = 0;       // differences found
};

// One run. False when a file could not be opened or measured (nothing compared); true
// otherwise, also when stopped. Every file it opened is closed on return. A name longer than
// NameMax is refused with code 206 before anything is opened. Reading ends where the shorter
// file ends: no later position exists in both. A failed or short read ends the run; its code
// is reported with the name of the file whose read failed (the first file's when both did).
bool CompareFiles(const string &AFirst, const string &ASecond, const TCompareHooks &AHooks);
bool CompareFiles(const string &AFirst, const string &ASecond, const TCompareHooks &AHooks,
                  TCompareResult &AResult);

// True when the system and the file layer take the name whole: at most NameMax UTF-16 units
// (names are UTF-8 in the program, bytes of the code page in the tests) and FileNameMax bytes.
bool NameFits(const string &AName);
// UTF-16 units of a UTF-8 text: one per character, two beyond U+FFFF (a lead byte 0xF0 and up).
size_t Utf16Length(const string &AText);

// "      0  65  66   A   B": position (7), the two bytes (3 each), their character cells
// (3 each), joined by single blanks; fields grow and are never cut.
string MakeDiffRow(int64_t APos, uint8_t AByte1, uint8_t AByte2);

// The continue question's text and caption, and the question itself as a message box
// (error icon, Retry and Cancel; Cancel means stop).
string ContinuePromptText(int64_t ACount);
extern const char ContinuePromptCaption[];
bool AskContinue(HWND AWin, int64_t ACount);

// Shows a file error code's text in the "Error" box owned by AWin.
void ShowFileError(HWND AWin, int ACode);

#endif
