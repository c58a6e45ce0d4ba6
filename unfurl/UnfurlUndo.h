// UnfurlUndo: what an extraction run needs to put the target folder back as it was. While the
// run writes it keeps a journal, one line per change, oldest first:
//   /FOLDER\   a folder the run made (with its trailing backslash)
//   +FILE      a file the run made where nothing was
//   *FILE      a file the run replaced: the old one was moved aside (renamed, so its bytes,
//              times and attributes stay as they were) as UndoFolderName\B\N, N counting the
//              *-lines from 1, B = (N - 1) / 64
//   !FILE      a file replaced in place, since the undo folder could not be made
// The journal lives in memory and in UndoFolderName\journal inside the target folder, so that
// a run that was killed can be put back by the next run into the same folder. Undoing walks
// the journal backwards; finishing a run that stands removes the files moved aside. Either way
// the undo folder is gone afterwards. Files the user chose to keep are never in the journal.
#ifndef UNFURLUNDO_H
#define UNFURLUNDO_H

#include "QStr.h"
#include "QTypes.h"
#include "UnfurlZipIO.h"

struct TUnZipRun;

// The undo folder inside the target folder.
#define UNDO_FOLDER_NAME "Unfurl undo (do not delete)"

struct TUndo {
    string Dir;               // the undo folder with its trailing backslash; empty outside a run
    string Journal;           // the journal's lines
    TZipHandle File = -1;     // the journal on disk, -1 when none is written
    int32_t Aside = 0;        // files moved aside so far
    bool Failed = false;      // an undo left something not put back (exit code 2)
};

inline constexpr const char *MsgAskUndo = "\r\n\r\nUndo the installation?";
inline constexpr const char *MsgPutBack =
    "An earlier installation into this folder did not finish.\r\n"
    "Put the folder back as it was before it?";
inline constexpr const char *MsgNotPutBack = "Could not be put back:\r\n";

// Notes the levels of the folder ADir (without a trailing backslash) that are missing, before
// they are made.
void UndoNoteFolders(TUnZipRun &ARun, const string &ADir);
// Notes a change (AKind '+' or '*') at APath.
void UndoNote(TUnZipRun &ARun, char AKind, const string &APath);
// Moves the existing file APath aside (noted first); answers whether it was moved.
bool UndoMoveAside(TUnZipRun &ARun, const char *APath);
// Starts the journal in the run's TargetDir. A journal left there by a killed run is put back
// first when the user agrees (always in a silent run), else dropped.
void UndoBegin(TUnZipRun &ARun, HWND ADlg);
// Ends the run's journal: ARollBack puts the folder back, else the run's changes stay. The
// undo data is removed. What could not be put back is named in one box (none when silent)
// and sets Failed.
void UndoFinish(TUnZipRun &ARun, HWND ADlg, bool ARollBack);

#endif
