// BytewiseNames: where the two file names come from besides typing and the chooser: the
// command line ("Bytewise.exe FIRST SECOND") and files dropped on the window.
#ifndef BYTEWISENAMES_H
#define BYTEWISENAMES_H

#include "QStr.h"

// The names of the command line (the program's name already removed): Count is how many
// were given, at most the two kept. Blanks and tabs separate names; double quotes group a
// name with blanks in it and are removed; backslashes are taken as they stand.
struct TCmdNames {
    int Count = 0;
    string First, Second;
};
TCmdNames SplitCommandLine(const char *ALine);

// Where a drop landed: on the first name's frame (field and "..." button), the second's,
// or elsewhere in the window.
enum TDropSpot { dpOther, dpFirst, dpSecond };
// Which dropped file goes into which field: an index into the dropped files, or -1.
struct TDropPlan {
    int First = -1, Second = -1;
};
// Two or more files: the first two in order, wherever they land. One file: the field it
// landed on; elsewhere, the first empty field (none when both hold a name).
TDropPlan PlanDrop(int ACount, TDropSpot ASpot, bool AFirstEmpty, bool ASecondEmpty);

#endif
