// UnfurlUnZipEntry: one entry of the extraction run from the archive to the disk: its path
// under the target folder, the file made (or the existing one replaced, kept or asked about),
// the data copied or decoded with the CRC-32 and the declared size as bounds, the time set,
// the list item deselected. The walk (UnfurlUnZip.h) calls it for every selected entry.
#ifndef UNFURLUNZIPENTRY_H
#define UNFURLUNZIPENTRY_H

#include "QStr.h"
#include "QTypes.h"
#include "UnfurlRun.h"

inline constexpr const char *MsgCannotCreateDir = "Cannot create directory";
inline constexpr const char *MsgCannotCreateFile = "Cannot create file";
inline constexpr const char *MsgCannotCloseFile = "Cannot close file";

// Writes the current entry (LocalHeader, the archive at its data) as AName under TargetDir,
// reporting what fails; AUnsafe: a name that must never be written. erStop when the run
// cannot go on (no folder, or one that cannot be made).
enum TEntryResult { erDone, erStop };
TEntryResult ExtractEntry(TUnZipRun &ARun, HWND ADlg, HWND AList, const string &AName, bool AUnsafe);

// Copies AEntry's CompressedLeft stored bytes from its archive to its OutFile in 32 KB pieces
// through WriteOutput (bound by OutLeft, adding to Crc); answers its result, INFLATE_OK when
// all was copied.
int CopyStoredEntry(TInflateRun &AEntry);

// Rounds half to even, as the progress bar position is computed.
int32_t RoundHalfEven(double AValue);

#endif
