// UnfurlOutcome: how the installer is asked to run and how a run ends: the command line
// (/S, /D=FOLDER), the entries that were not installed and the message naming them, the
// program's exit codes. Portable: the host tests run it as the installer does.
#ifndef UNFURLOUTCOME_H
#define UNFURLOUTCOME_H

#include <stdint.h>

#include "QStr.h"

// The installer's exit codes.
enum {
    ExitInstalled = 0,    // every entry installed (also: an archive without entries)
    ExitCancelled = 1,    // cancelled before anything was written; a bad command line
    ExitIncomplete = 2,   // some entry not installed, or the run was stopped
    ExitDamaged = 3       // the installer's own file cannot be read, is damaged or incomplete
};

// ---- Command line ----------------------------------------------------------------------

// The arguments after the program name. "/S": silent. "/D=FOLDER": the installation folder,
// the rest of the line (blanks kept, no quotes), so it comes last. Separated by blanks or
// tabs; anything else, or /D= without a folder, asks for the usage text.
struct TCommandLine {
    bool Silent;
    bool Usage;       // something else was given: MsgUsage, ExitCancelled
    string Folder;    // empty when /D= was not given
};
void ParseCommandLine(const char *ALine, TCommandLine &ACmd);

inline constexpr const char *MsgUsage =
    "Usage: installer [/S] [/D=FOLDER]\r\n\r\n"
    "/S\tinstall without a window; existing files are replaced;\r\n"
    "\tthe exit code tells the outcome\r\n"
    "/D=FOLDER\tthe installation folder: the last argument, blanks\r\n"
    "\tallowed, no quotes; without it the installer's own folder\r\n\r\n"
    "Exit codes: 0 installed, 1 cancelled, 2 incomplete,\r\n"
    "3 the installer file is damaged";
inline constexpr const char *CaptionUsage = "Usage";
inline constexpr const char *MsgStopInstall = "Stop the installation?";
inline constexpr const char *CaptionStopInstall = "Stop installation";

// ---- Entries not installed -------------------------------------------------------------

enum { FailedShown = 10 };      // names the message lists; the rest are counted
struct TFailedList {
    string Names;               // the first FailedShown names, each on a line of its own
    int32_t Count;              // all names added
};
void FailedReset(TFailedList &AList);
void FailedAdd(TFailedList &AList, const string &AName);
// The final message of a run that left entries not installed: the names, "and N more"
// after the first ten, and the folder.
string IncompleteMessage(const TFailedList &AList, const string &AFolder);

// ---- Times -----------------------------------------------------------------------------

// Whether a DOS date/time (time low 16 bits, date high 16 bits) names a real moment: month
// 1..12, a day the month has, hour below 24, minute and second below 60. Date 0 does not.
bool DosDateTimeValid(uint32_t ADosDateTime);

#endif
