// UnfurlUnZip: the installer's archive reader and file extraction.
// Walks the ZIP archive inside the installer's own file from local header to local header
// (the central directory is never read). A listing run fills the dialog's hidden work list
// with every entry name; an extraction run writes each selected entry under TargetDir,
// restores its DOS time, checks its CRC-32 and deselects it when it was written correctly.
// An extraction run that leaves entries selected ends with one message naming them.
//
// The walk itself is portable. It reaches the platform through three seams:
//   - ZipIO (UnfurlZipIO.h): reads and seeks on ArchiveFile, writes on OutFile;
//   - UnZipFileOps: file and folder operations of the extraction run;
//   - UnZipDialog: the dialog's work list, progress bar, label, prompts and message boxes.
// win32/UnfurlUnZipWin.cpp binds them to the kernel file API and the real controls;
// posix/UnfurlUnZipPosix.cpp to POSIX files and a work list in memory (tests, fuzzing,
// benchmarks).
#ifndef UNFURLUNZIP_H
#define UNFURLUNZIP_H

#include <stdint.h>

#include "QStr.h"
#include "QTypes.h"
#include "UnfurlEntryName.h"
#include "UnfurlZipFormat.h"
#include "UnfurlZipInflate.h"

// ---- Local headers ---------------------------------------------------------------------

enum {
    NameBufSize = 258           // the run's name buffer; longer names are cut to NameMax
};

// Local file header: 30 bytes on disk, read whole with one read and decoded field by field.
struct TLocalHeader {
    uint32_t Signature;         // 0x04034B50 local header; 0x08074B50 a data descriptor
    uint16_t Version;           // version needed (not used)
    uint16_t Flags;             // bit 0 encrypted; bit 3 sizes in a data descriptor
    uint16_t Method;            // ZipStored, ZipDeflated
    uint16_t Time;              // DOS time, local time
    uint16_t Date;              // DOS date, local time
    uint32_t Crc32;
    uint32_t CompressedSize;
    uint32_t UncompressedSize;  // the most the entry may write
    uint16_t NameLength;
    uint16_t ExtraLength;
};

// Decodes 30 header bytes (little-endian) into AHeader.
void DecodeLocalHeader(const uint8_t *ABytes, TLocalHeader &AHeader);

// ---- State of the unit --------------------------------------------------------------

// File offset of the first local header. Built in as the size of the installer executable
// (the preparation tool sets it in the image, see UnfurlPayload.h); ReadSetupHeader moves
// it past the setup header.
extern uint32_t &ArchiveStart;
extern int32_t ArchivePos;           // position after the last SeekArchive; -1 after a failure
extern TLocalHeader LocalHeader;     // the current entry's header
extern char *TargetDir;              // installation folder (the dialog's buffer, Windows code
                                     // page), with or without a trailing backslash
extern string TargetFolder;          // TargetDir in the walk's form (NameFromAnsi), without its
                                     // trailing backslash: made at the start of each extraction run
extern uint8_t OverwriteMode;        // omReplace, omKeep or omAsk
// What the extraction run does with a file that is there already.
enum { omReplace = 0, omKeep = 1, omAsk = 2 };
extern bool OverwriteThis;           // the prompt's answer for the current file
extern string FileExistName;         // name part of the file the prompt asks about
extern bool AllExtracted;            // the extraction run wrote every entry of the list
extern double ProgressStep;          // percent per created file (100 / list items)
extern int32_t FilesDone;            // files created so far in this run
extern int32_t ListIndex;            // list item matched last; -1 at the start of a run

// How the last run ended (for the dialog and the tests; the run has already reported it).
enum TRunEnd {
    reNone,          // no run yet
    reComplete,      // the walk reached the central directory (final status evaluated)
    reDamaged,       // the walk ended on anything else: the file is damaged or incomplete
    reStopped,       // a folder could not be made, or the user stopped the run
    reInternal,      // seek failure or empty name (internal-error message), or a selected
                     // entry of an unknown method: the run ends before it
    reEncrypted,     // an encrypted entry was selected: the run ends before it
    reNoEntries      // listing run found no entry: the program ends
};
extern TRunEnd RunEnd;

// The exit code when a listing run ends the program (EndProgram): ExitInstalled for an
// archive without entries, else ExitDamaged.
int32_t EndProgramCode();
// The exit code after the dialog: ExitCancelled when no extraction run took place (ARan),
// else ExitInstalled, ExitDamaged or ExitIncomplete by how the run ended.
int32_t RunExitCode(bool ARan);

// ---- Message texts ------------------------------------------------------------------

extern const char *const MsgInternalError;   // "Internal install error!\r\nGoto ...!"
extern const char *const MsgCannotCreateDir; // "Cannot create directory"
extern const char *const MsgCannotCreateFile;
extern const char *const MsgCannotCloseFile;
extern const char *const MsgDamaged;         // the walk did not reach the central directory

// ---- Operations ---------------------------------------------------------------------

// Opens the running program's own file read-only as ArchiveFile (-1 when it cannot).
void OpenArchive();
// Opens the named file as ArchiveFile (the host's OpenArchive and the tests use it).
void OpenArchiveFile(const char *AName);
void CloseArchive();

// Moves ArchiveFile to APos by AMethod (ZIP_SEEK_BEGIN, ...); ArchivePos gets the new
// position, or -1 when the seek failed.
void SeekArchive(uint32_t APos, int AMethod);
// Reads the next local header into LocalHeader, stepping over data descriptors; answers
// whether one was found. CompressedLeft gets its compressed size (0 when none).
bool ReadLocalHeader();
// Listing run (AListOnly) or extraction run over the archive; see the unit comment.
void UnZipFiles(HWND ADlg, int AListId, bool AListOnly);
// The window-free start of an extraction run, before UnZipFiles: AFolder (the field's text,
// a buffer of MAX_PATH + 1) becomes TargetDir without its trailing backslash, an empty one
// the current folder ACurrentDir; the folder is made; AListCount entries share the progress
// bar; the run's counters are reset. Answers whether AFolder was replaced (the field must
// show it).
bool StartExtraction(char *AFolder, const char *ACurrentDir, int32_t AListCount);
// Finds AName in the list after ListIndex (wrapping, case ignored); answers whether it is
// selected.
bool IsEntrySelected(HWND AList, const string &AName);
// Writes the current entry (LocalHeader, the archive at its data) as AName under
// TargetFolder, reporting what fails; AUnsafe: a name that must never be written. erStop when
// the run cannot go on (no folder, or one that cannot be made).
enum TEntryResult { erDone, erStop };
TEntryResult ExtractEntry(HWND ADlg, HWND AList, const string &AName, bool AUnsafe);
// Copies CompressedLeft stored bytes from ArchiveFile to OutFile in 32 KB pieces through
// WriteOutput (the bound OutLeft, Crc); answers its result, INFLATE_OK when all was copied.
int CopyStoredEntry();
// Last-write time of AFile from a DOS date/time (time low 16 bits, date high 16 bits),
// taken as local time.
void SetFileDosTime(TZipHandle AFile, uint32_t ADosDateTime);


// Rounds half to even, as the progress bar position is computed.
int32_t RoundHalfEven(double AValue);

// ---- Seams --------------------------------------------------------------------------

// File and folder operations of the extraction run. Paths use backslashes only (the walk
// turns the archive's slashes); a path ending in a backslash names a folder.
struct TUnZipFileOps {
    bool (*Exists)(const char *APath);          // FileExists
    void (*ForceDirs)(const string &ADir);      // ForceDirectories
    TZipHandle (*Create)(const char *APath);    // new or truncated file for writing, or -1
    // A file made anew, or -1 when anything is there or (AFolderMissing) its folder is not.
    TZipHandle (*CreateNew)(const char *APath, bool &AFolderMissing);
    int32_t (*Attributes)(const char *APath);   // -1 when nothing is there, else fa.. bits
    void (*SetTime)(TZipHandle AFile, uint32_t ADosDateTime);   // SetFileDosTime
    bool (*Close)(TZipHandle AFile);            // false when closing failed
    uint32_t (*LastError)();                    // the system's code of the last failure
    string (*ErrorText)(uint32_t ACode);        // the system's text for it, one line
};
extern TUnZipFileOps UnZipFileOps;              // starts as UnZipDiskOps
extern const TUnZipFileOps UnZipDiskOps;        // the platform's files and folders

// The installer dialog as the run sees it. Windows: the list box, progress bar 9051,
// label 9199, the FILEEXIST prompt, message boxes "Error" with the stop icon (none when
// Silent), and ExitProcess for EndProgram. Host: a work list in memory (UnZipHostList).
struct TUnZipDialog {
    HWND (*GetList)(HWND ADlg, int AListId);
    void (*ListReset)(HWND AList);
    void (*ListAdd)(HWND AList, const string &AName);          // sorted, as LB_ADDSTRING
    string (*ListText)(HWND AList, int32_t AIndex);            // LB_GETTEXT
    int32_t (*ListFind)(HWND AList, int32_t AStart, const string &AName);  // LB_FINDSTRINGEXACT
    bool (*ListGetSel)(HWND AList, int32_t AIndex);
    void (*ListSetSel)(HWND AList, int32_t AIndex, bool ASelected);
    int32_t (*ListCount)(HWND AList);
    int32_t (*ListSelCount)(HWND AList);
    void (*SetProgress)(HWND ADlg, int32_t APos);              // PBM_SETPOS on 9051
    void (*SetLabel)(HWND ADlg, const string &AText);          // WM_SETTEXT on 9199
    void (*DispatchOne)();                                     // one waiting message
    void (*ShowError)(const string &AText);                    // "Error", stop icon
    void (*AskOverwrite)(HWND ADlg);    // FILEEXIST about FileExistName: sets OverwriteThis
                                        // and, with the check box, OverwriteMode
    void (*EndProgram)();               // ends the program with EndProgramCode()
};
extern TUnZipDialog UnZipDialog;                // starts as UnZipPlatformDialog
extern const TUnZipDialog UnZipPlatformDialog;

// The prompt's rule, shared by FileExistDlgProc and the host bindings: the button pressed
// (CM_OK or CM_NO) and the check box "Rewrite all files".
void AnswerOverwrite(int AButton, bool ARewriteAll);

#endif
