// UnfurlUnZip: the installer's archive reader and file extraction.
// Walks the ZIP archive inside the installer's own file from local header to local header
// (the central directory is never read). A listing run fills the dialog's hidden work list
// with every entry name; an extraction run writes each selected entry under the run's
// TargetDir, restores its DOS time, checks its CRC-32 and deselects it when it was written
// correctly. An extraction run that leaves entries selected ends with one message naming them.
//
// The walk itself is portable and works on the run record it is given (UnfurlRun.h), which
// carries the three seams it reaches the platform through:
//   - IO (UnfurlZipIO.h): reads and seeks on the archive, writes on the extracted files;
//   - FileOps: file and folder operations of the extraction run;
//   - Dialog: the dialog's work list, progress bar, label, prompts and message boxes.
// win32/UnfurlUnZipWin.cpp binds them to the kernel file API and the real controls;
// posix/UnfurlUnZipPosix.cpp and posix/UnfurlMemDialog.cpp to POSIX files and a work list in
// memory (tests, fuzzing, benchmarks).
#ifndef UNFURLUNZIP_H
#define UNFURLUNZIP_H

#include <stdint.h>

#include "QStr.h"
#include "QTypes.h"
#include "UnfurlEntryName.h"
#include "UnfurlZipFormat.h"
#include "UnfurlRun.h"
#include "UnfurlUnZipEntry.h"

// ---- Local headers ---------------------------------------------------------------------

enum {
    NameBufSize = 258           // the run's name buffer; longer names are cut to NameMax
};

// Decodes 30 header bytes (little-endian) into AHeader.
void DecodeLocalHeader(const uint8_t *ABytes, TLocalHeader &AHeader);

// The exit code when a listing run ends the program (EndProgram): ExitInstalled for an
// archive without entries, else ExitDamaged.
int32_t EndProgramCode(const TUnZipRun &ARun);
// The exit code after the dialog: ExitCancelled when no extraction run took place, else
// ExitInstalled, ExitDamaged or ExitIncomplete by how the run ended.
int32_t RunExitCode(const TUnZipRun &ARun);

// ---- Message texts ------------------------------------------------------------------

inline constexpr const char *MsgInternalError = "Internal install error!\r\nGoto www.bytewise.example!";
// The walk did not reach the central directory.
inline constexpr const char *MsgDamaged =
    "The installer file is damaged or incomplete.\r\nNot every file could be installed.";

// ---- Operations ---------------------------------------------------------------------

// Reads the next local header into the run's LocalHeader, stepping over data descriptors;
// answers whether one was found. Entry.CompressedLeft gets its compressed size (0 when none).
bool ReadLocalHeader(TUnZipRun &ARun);
// Listing run (AListOnly) or extraction run over the archive; see the unit comment.
void UnZipFiles(TUnZipRun &ARun, HWND ADlg, int AListId, bool AListOnly);
// The window-free start of an extraction run, before UnZipFiles: AFolder (the field's text,
// UTF-8) loses its trailing backslash, an empty one becomes the current folder ACurrentDir;
// it becomes the run's TargetDir and is made; AListCount entries share the progress bar; the
// counters and the stop request are reset. Answers whether AFolder was replaced (the field
// must show it).
bool StartExtraction(TUnZipRun &ARun, string &AFolder, const string &ACurrentDir, int32_t AListCount);
// Finds AName in the list after ListIndex (wrapping, case ignored); answers whether it is
// selected.
bool IsEntrySelected(TUnZipRun &ARun, HWND AList, const string &AName);
// Last-write time of AFile from a DOS date/time (time low 16 bits, date high 16 bits),
// taken as local time.
void SetFileDosTime(TZipHandle AFile, uint32_t ADosDateTime);

// The prompt's rule, shared by FileExistDlgProc and the host bindings: the button pressed
// (CM_OK or CM_NO) and the check box "Rewrite all files" set ARun's OverwriteThis and
// OverwriteMode.
void AnswerOverwrite(TUnZipRun &ARun, int AButton, bool ARewriteAll);

#endif
