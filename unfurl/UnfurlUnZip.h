// UnfurlUnZip: the installer's archive reader and file extraction.
// Walks the ZIP archive inside the installer's own file from local header to local header
// (the central directory is never read). A listing run fills the dialog's hidden work list
// with every entry name; an extraction run writes each selected entry under TargetDir,
// restores its DOS time, checks its CRC-32 and deselects it when it was written correctly.
// An extraction run that leaves entries selected ends with one message naming them.
//
// The walk itself is portable. It reaches the platform through three seams:
//   - ZipIO (UnfurlZipInflate.h): reads and seeks on ArchiveFile, writes on OutFile;
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
#include "UnfurlZipInflate.h"

// ---- Format constants ---------------------------------------------------------------

enum {
    LocalHeaderSize = 30,       // fixed part of a local file header
    DataDescriptorSize = 16,    // signature, CRC-32, compressed and uncompressed size
    NameBufSize = 258,          // the run's name buffer; longer names are cut to NameMax
    NameMax = 255
};
// Record signatures, little-endian ("PK" and two more bytes).
const uint32_t DataDescriptorSig = 0x08074B50;   // "PK", 7, 8
const uint32_t CentralDirSig = 0x02014B50;       // "PK", 1, 2
const uint32_t EndOfCentralDirSig = 0x06054B50;  // "PK", 5, 6

// Local file header: 30 bytes on disk, read whole with one read and decoded field by field.
struct TLocalHeader {
    uint32_t Signature;         // 0x04034B50 local header; 0x08074B50 a data descriptor
    uint16_t Version;           // version needed (not used)
    uint16_t Flags;             // bit 0 encrypted; bit 3 sizes in a data descriptor
    uint16_t Method;            // 0 stored, 8 deflated
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
extern uint8_t OverwriteMode;        // 0 replace existing files, 1 keep them, 2 ask each time
extern bool OverwriteThis;           // the prompt's answer for the current file
extern string FileExistName;         // name part of the file the prompt asks about
extern bool AllExtracted;            // the extraction run wrote every entry of the list
extern double ProgressStep;          // percent per created file (100 / list items)
extern int32_t FilesDone;            // files created so far in this run
extern int32_t ListIndex;            // list item matched last; -1 at the start of a run
extern const uint8_t OemToAnsiTable[128];   // DOS code page 852 to Windows 1250, 0x80..0xFF

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
// Finds AName in the list after ListIndex (wrapping, case ignored); answers whether it is
// selected.
bool IsEntrySelected(HWND AList, const string &AName);
// Converts a name from the DOS code page of the archive to the Windows code page.
string OemToAnsiName(const string &S);
// Whether ALen bytes are well-formed UTF-8 (no overlong forms, surrogates or codes above
// U+10FFFF).
bool Utf8Valid(const char *AText, int32_t ALen);
// The form of names and paths the walk hands to the bindings, from a text in the Windows code
// page: UTF-8 on Windows (the binding uses the wide API), the same bytes on the host.
// Entries with flag bit 11 carry their names in this form already.
string NameFromAnsi(const string &AText);
// Copies CompressedLeft stored bytes from ArchiveFile to OutFile in 32 KB pieces through
// WriteOutput (the bound OutLeft, Crc); answers its result, INFLATE_OK when all was copied.
int CopyStoredEntry();
// Last-write time of AFile from a DOS date/time (time low 16 bits, date high 16 bits),
// taken as local time.
void SetFileDosTime(TZipHandle AFile, uint32_t ADosDateTime);

// Read-ahead on the archive. During a run the walk reads ArchiveFile through a buffer of
// ReadAheadSize bytes layered over ZipIO: local headers, names and small entries then cost
// one kernel read per buffer instead of several reads and seeks per entry. A seek that lands
// inside the buffered bytes moves in the buffer only; any other seek goes to the file at once
// (so a failing seek fails as before). Reads of half a buffer or more go straight to the
// file. Other handles pass through untouched.
enum { ReadAheadSize = 65536 };
// Layers the buffer over the current ZipIO for AFile, whose position is APos. Answers false
// (and changes nothing) when a read-ahead is already active or no memory is left.
bool ReadAheadBegin(TZipHandle AFile, int64_t APos);
// Restores ZipIO and leaves AFile positioned where the reads and seeks through it left it.
void ReadAheadEnd();

// Why the installer refuses to write an entry name, or 0 when it may. Refused: names longer
// than NameMax, an absolute name (leading "\" or "/", which covers UNC), a colon (drives and
// streams), ".." or any other component made only of dots and blanks, empty components
// inside the name, a component ending in a dot or a blank, characters Windows does not
// allow in names (< > " | ? * and codes 1 to 31), reserved device names (CON, PRN, AUX, NUL,
// COM1..9, LPT1..9, CONIN$, CONOUT$, CLOCK$, also with an extension). A folder entry ends in
// one separator.
const char *EntryNameFault(const string &AName);

// Rounds half to even, as the progress bar position is computed.
int32_t RoundHalfEven(double AValue);

// ---- Seams --------------------------------------------------------------------------

// File and folder operations of the extraction run. Paths use backslashes.
struct TUnZipFileOps {
    bool (*Exists)(char *APath);                // FileExists; turns "/" into "\" in APath
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
// (1 OK, 2 Cancel) and the check box "Rewrite all files".
void AnswerOverwrite(int AButton, bool ARewriteAll);

#endif
