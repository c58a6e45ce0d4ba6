// UnfurlRun: the record of one installer run. Everything a run holds lives here: the archive
// file and where the walk stands in it, the current local header, the target folder, the
// overwrite mode and the prompt's answer, the counters, the stop request, the decoder's entry
// state, and the three seams through which the portable walk reaches files and the dialog.
// The program (or a test) makes one record, gives it its seams with RunInit and hands it to
// every step: ReadSetupHeader, VerifyArchive, the listing and the extraction run.
#ifndef UNFURLRUN_H
#define UNFURLRUN_H

#include <stdint.h>

#include "QStr.h"
#include "QTypes.h"
#include "UnfurlUndo.h"
#include "UnfurlZipInflate.h"

struct TUnZipRun;

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

// What the extraction run does with a file that is there already.
enum { omReplace = 0, omKeep = 1, omAsk = 2 };

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
    // For the undo: a file renamed on its volume (false when ATo exists); a file removed, or
    // an empty folder when APath ends in a backslash; a file opened for reading, or -1.
    bool (*Rename)(const char *AFrom, const char *ATo);
    bool (*Remove)(const char *APath);
    TZipHandle (*OpenRead)(const char *APath);
    // Whether a file at APath has ASize bytes and exactly the last-write time that SetTime
    // gives for ADosDateTime.
    bool (*SameSizeTime)(const char *APath, uint32_t ASize, uint32_t ADosDateTime);
};
// The platform's files and folders.
const TUnZipFileOps *UnZipDiskOps();

// The installer dialog as the run sees it. Windows: the list box, progress bar 9051,
// label 9199, the FILEEXIST prompt, message boxes "Error" with the stop icon owned by the
// dialog, and ExitProcess for EndProgram. Host: a work list in memory (UnfurlMemDialog.h).
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
    void (*DispatchOne)(HWND ADlg);                            // one waiting message
    void (*ShowError)(HWND ADlg, const string &AText);         // "Error", stop icon
    // FILEEXIST about ARun's FileExistName: sets its OverwriteThis and, with the check box,
    // its OverwriteMode (AnswerOverwrite).
    void (*AskOverwrite)(TUnZipRun &ARun, HWND ADlg);
    void (*EndProgram)(HWND ADlg, int32_t AExitCode);          // the program ends
    bool (*AskError)(HWND ADlg, const string &AText);          // "Error" with Yes and No: Yes?
};
// The platform's dialog: the real controls on Windows, memory on the host.
const TUnZipDialog *UnZipPlatformDialog();

// ---- The run ------------------------------------------------------------------------

struct TUnZipRun {
    // The seams. IO reads the archive and writes the extracted files; during a walk the
    // decoder's entry state reads the archive through a read-ahead buffer over it.
    const TZipIO *IO = 0;
    const TUnZipFileOps *FileOps = 0;
    const TUnZipDialog *Dialog = 0;

    // The archive.
    TZipHandle ArchiveFile = -1;     // read handle of the installer's own file; -1 for none
    uint32_t ArchiveStart = 0;       // offset of the first local header (after ReadSetupHeader)
    int32_t ArchivePos = 0;          // position after the last SeekArchive; -1 after a failure
    TLocalHeader LocalHeader = {};   // the current entry's header

    // Where and how files are written.
    string TargetDir;                // installation folder (UTF-8, the walk's form); the
                                     // extraction run drops its trailing backslash
    uint8_t OverwriteMode = omAsk;   // omReplace, omKeep or omAsk
    bool OverwriteThis = false;      // the prompt's answer for the current file
    string FileExistName;            // name part of the file the prompt asks about
    bool Silent = false;             // no window and no message box
    volatile bool StopAsked = false; // the user asked to stop after the current file
    bool Writing = false;            // an extraction run is writing files (Cancel asks to stop)
    bool FileBoxShown = false;       // this run showed a box about a file: later ones are only
                                     // named in the final message

    // Counters and the outcome.
    double ProgressStep = 0;         // percent per created file (100 / list items)
    int32_t FilesDone = 0;           // files created so far in this run
    int32_t ListIndex = -1;          // list item matched last; -1 at the start of a run
    bool AllExtracted = false;       // the extraction run wrote every entry of the list
    bool Ran = false;                // an extraction run took place
    TRunEnd RunEnd = reNone;         // how the last walk ended

    // The decoder's state for the current entry.
    TInflateRun Entry = {0, -1, 0, -1, 0, -1, 0xFFFFFFFFu};

    // What the run changed in the folder, to put it back (UnfurlUndo.h).
    TUndo Undo;
};

// Gives a new run record (nothing open, overwrite mode omAsk, the counters at zero) its
// seams.
void RunInit(TUnZipRun &ARun, const TZipIO *AIO, const TUnZipFileOps *AFileOps,
             const TUnZipDialog *ADialog);
// A run on the platform's files and dialog.
void RunInitPlatform(TUnZipRun &ARun);

#endif
