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
    bool Usage = false;    // a third name or "/?": the usage box instead of a run
};
TCmdNames SplitCommandLine(const char *ALine);
// The rest of a whole command line (GetCommandLine) after the program's name, which runs
// to the next double quote when it starts with one, else to the first blank or tab.
const char *SkipProgramName(const char *ALine);
// The usage box's text.
extern const char UsageText[];

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

// The names in the settings file. The plain keys hold each name as the code page gives it,
// readable as ever; a name the code page cannot hold is also kept under a key of its own in
// an escaped form of its UTF-8 bytes that any code page carries.
//   the blank, "%", ";" and bytes outside 33..126 become "%" and two upper-case hex digits
//   (the profile service trims blanks, and the settings cut values at ";;").
string EscapeName(const string &AName);
// Undoes EscapeName; a "%" not followed by two hex digits stands for itself.
string UnescapeName(const string &AText);
// The name to restore from the plain key's text and the escaped key's text. The escaped one
// counts only while the plain key still holds what was written beside it (APlainOfEscaped:
// the escaped name as the code page renders it, made by the caller); an older program that
// wrote the plain key alone has the last word.
string StoredName(const string &APlain, const string &AEscaped, const string &APlainOfEscaped);

#endif
