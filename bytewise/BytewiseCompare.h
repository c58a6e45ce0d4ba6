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
    NameMax = 259        // longest file name the file layer takes whole (MAX_PATH - 1)
};

struct TCompareHooks {
    void *Context;                                      // handed back to each hook
    void (*AddRow)(void *AContext, const string &ARow); // one row per difference, ascending
    bool (*GoOn)(void *AContext, int64_t ACount);       // false stops the run
    // A file error code (QSysUtil texts) and the name of the file it concerns.
    void (*ReportError)(void *AContext, int ACode, const string &AName);
};

// What one run found out; the notice after the run is chosen from it.
struct TCompareResult {
    bool Measured = false;   // both files opened and their sizes taken
    bool Stopped = false;    // the user declined to go on at a prompt
    bool Failed = false;     // a read or close error was reported after the loop
    int64_t Size1 = 0, Size2 = 0;
    int64_t Compared = 0;    // positions compared (the common length unless cut short)
    int64_t Count = 0;       // differences found
};

// One run. False when a file could not be opened or measured (nothing compared); true
// otherwise, also when stopped at a prompt. Every file it opened is closed on return.
// A name longer than NameMax is refused with code 206 before anything is opened. Reading
// ends where the shorter file ends: no later position exists in both.
bool CompareFiles(const string &AFirst, const string &ASecond, const TCompareHooks &AHooks);
bool CompareFiles(const string &AFirst, const string &ASecond, const TCompareHooks &AHooks,
                  TCompareResult &AResult);

// True when the file layer takes the name whole (at most NameMax characters).
bool NameFits(const string &AName);

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
