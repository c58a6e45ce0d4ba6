// UnfurlUnZip: the archive walk of the installer (see the header). Portable: every file,
// folder and window operation goes through ZipIO, UnZipFileOps or UnZipDialog.
#include "UnfurlUnZip.h"

#include <stdlib.h>
#include <string.h>

#include "QConst.h"
#include "QSysUtil.h"
#include "UnfurlArchive.h"
#include "UnfurlOutcome.h"
#include "UnfurlReadAhead.h"

// The local-header signature is kept one too high and corrected at the start of each run,
// so its four bytes ("PK", 3, 4) do not occur in the installer's own image, where a ZIP
// tool looking for headers would find them.
static volatile uint32_t LocalHeaderSigPlusOne = 0x04034B51;
static uint32_t LocalHeaderSig;

// ---- Local headers --------------------------------------------------------------------

// The fields of a local header (UnfurlZipFormat.h): the walk reads them from the header's
// 30 bytes; bit 0 of the flags marks an encrypted entry, bit 3 a data descriptor after the
// data, bit 11 a UTF-8 name; compressed size, name and extra length make the step to the
// next header.
void DecodeLocalHeader(const uint8_t *ABytes, TLocalHeader &AHeader)
{
    AHeader.Signature = LeGet32(ABytes + ZipLocalSignature);
    AHeader.Version = LeGet16(ABytes + ZipLocalVersion);
    AHeader.Flags = LeGet16(ABytes + ZipLocalFlags);
    AHeader.Method = LeGet16(ABytes + ZipLocalMethod);
    AHeader.Time = LeGet16(ABytes + ZipLocalTime);
    AHeader.Date = LeGet16(ABytes + ZipLocalDate);
    AHeader.Crc32 = LeGet32(ABytes + ZipLocalCrc);
    AHeader.CompressedSize = LeGet32(ABytes + ZipLocalCompressed);
    AHeader.UncompressedSize = LeGet32(ABytes + ZipLocalUncompressed);
    AHeader.NameLength = LeGet16(ABytes + ZipLocalNameLength);
    AHeader.ExtraLength = LeGet16(ABytes + ZipLocalExtraLength);
}

bool ReadLocalHeader(TUnZipRun &ARun)
{
    for (;;) {
        uint8_t Raw[ZipLocalSize];
        memset(Raw, 0, sizeof Raw);
        int32_t Got = ReadArchive(ARun, Raw, ZipLocalSize);
        // A short read is the end of the walk: the fields it did not reach are not used.
        uint32_t Sig = Got >= 4 ? LeGet32(Raw) : 0;
        if (Got == ZipLocalSize && Sig == LocalHeaderSig) {
            DecodeLocalHeader(Raw, ARun.LocalHeader);
            ARun.Entry.CompressedLeft = (int32_t)ARun.LocalHeader.CompressedSize;
            return true;
        }
        ARun.LocalHeader.Signature = Sig;
        ARun.Entry.CompressedLeft = 0;
        // A 16-byte data descriptor stands where a header is expected: step over it. The walk
        // sought to it, so ArchivePos is where it begins.
        if (Sig != ZipDescriptorSig || ARun.ArchivePos < 0) return false;
        SeekArchive(ARun, (uint32_t)ARun.ArchivePos + ZipDescriptorSize, ZIP_SEEK_BEGIN);
        if (ARun.ArchivePos < 0) return false;
    }
}

// ---- Work list and progress -----------------------------------------------------------

bool IsEntrySelected(TUnZipRun &ARun, HWND AList, const string &AName)
{
    ARun.ListIndex = ARun.Dialog->ListFind(AList, ARun.ListIndex, AName);
    return ARun.ListIndex >= 0 && ARun.Dialog->ListGetSel(AList, ARun.ListIndex);
}

void AnswerOverwrite(TUnZipRun &ARun, int AButton, bool ARewriteAll)
{
    bool Ok = AButton == CM_OK;
    if (ARewriteAll) ARun.OverwriteMode = Ok ? omReplace : omKeep;
    ARun.OverwriteThis = Ok;
}

int32_t EndProgramCode(const TUnZipRun &ARun)
{
    return ARun.RunEnd == reNoEntries ? ExitInstalled : ExitDamaged;
}

int32_t RunExitCode(const TUnZipRun &ARun)
{
    if (!ARun.Ran) return ExitCancelled;
    if (ARun.AllExtracted) return ExitInstalled;
    return ARun.RunEnd == reDamaged && !ARun.Undo.Failed ? ExitDamaged : ExitIncomplete;
}

// ---- The run ---------------------------------------------------------------------------

// Message boxes of the walk: none in a silent run.
static void ShowRunError(TUnZipRun &ARun, HWND ADlg, const string &AText)
{
    if (!ARun.Silent) ARun.Dialog->ShowError(ADlg, AText);
}

// The final message of an extraction run that left entries selected: their names and the
// folder; empty when none is left.
static string NotInstalledText(TUnZipRun &ARun, HWND AList)
{
    TFailedList Failed;
    FailedReset(Failed);
    int32_t Count = ARun.Dialog->ListCount(AList);
    for (int32_t I = 0; I < Count; I++)
        if (ARun.Dialog->ListGetSel(AList, I)) FailedAdd(Failed, ARun.Dialog->ListText(AList, I));
    return Failed.Count > 0 ? IncompleteMessage(Failed, ARun.TargetDir) : string();
}

static void WalkEntries(TUnZipRun &ARun, HWND ADlg, int AListId, bool AListOnly);

// The folder as every path of the run names it: backslashes only (a folder typed as "C:/Apps"
// must still be the folder the undo's journal names) and no trailing one (C:\ becomes C:).
static void RunFolderForm(string &ADir)
{
    for (size_t I = 0; I < ADir.length(); I++)
        if (ADir[I] == '/') ADir[I] = '\\';
    if (!ADir.empty() && ADir[ADir.length() - 1] == '\\') ADir = ADir.substr(0, ADir.length() - 1);
}

bool StartExtraction(TUnZipRun &ARun, string &AFolder, const string &ACurrentDir, int32_t AListCount)
{
    RunFolderForm(AFolder);
    bool Replaced = AFolder.empty();
    if (Replaced) AFolder = ACurrentDir;
    ARun.TargetDir = AFolder;
    UndoNoteFolders(ARun, ARun.TargetDir);
    ARun.FileOps->ForceDirs(ARun.TargetDir);
    if (AListCount > 0) ARun.ProgressStep = 100.0 / AListCount;
    ARun.FilesDone = 0;
    ARun.StopAsked = false;
    return Replaced;
}

void UnZipFiles(TUnZipRun &ARun, HWND ADlg, int AListId, bool AListOnly)
{
    ARun.AllExtracted = false;
    LocalHeaderSig = LocalHeaderSigPlusOne - 1;
    if (!AListOnly) RunFolderForm(ARun.TargetDir);
    // The archive is read through a read-ahead buffer for the walk, straight when there is no
    // memory for one.
    ARun.Entry.In = ARun.IO;
    ARun.Entry.ArchiveFile = ARun.ArchiveFile;
    SeekArchive(ARun, ARun.ArchiveStart, ZIP_SEEK_BEGIN);
    if (ARun.ArchivePos == -1) {
        ARun.RunEnd = reInternal;
        ShowRunError(ARun, ADlg, MsgInternalError);
        ARun.Dialog->EndProgram(ADlg, EndProgramCode(ARun));
        return;
    }
    TReadAhead Ahead;
    bool Buffered = ReadAheadBegin(Ahead, ARun.IO, ARun.ArchiveFile, ARun.ArchivePos);
    if (Buffered) {
        ARun.Entry.In = ReadAheadIO();
        ARun.Entry.ArchiveFile = ReadAheadHandle(Ahead);
    }
    ARun.FileBoxShown = false;
    if (!AListOnly) UndoBegin(ARun, ADlg);
    WalkEntries(ARun, ADlg, AListId, AListOnly);
    if (Buffered) ReadAheadEnd(Ahead);
    ARun.Entry.In = ARun.IO;
    ARun.Entry.ArchiveFile = ARun.ArchiveFile;
}

// Reads the current entry's name into AName (the walk's form) and moves to its data. ANameBuf
// holds the raw bytes, cut to NameMax; AUnsafe tells a name that must never be written.
// Answers reComplete, or how the run ends.
static TRunEnd ReadEntryName(TUnZipRun &ARun, HWND ADlg, const TLocalHeader &H, char *ANameBuf,
                             string &AName, bool &AUnsafe)
{
    uint32_t HeaderPos = (uint32_t)ARun.ArchivePos;
    int32_t Take = H.NameLength < NameMax ? H.NameLength : NameMax;
    int32_t Got = ReadArchive(ARun, ANameBuf, Take);
    if (Got < 0) Got = 0;
    ANameBuf[Got] = 0;
    if (Got < Take) return reDamaged;   // the file ends inside the name
    // Flag bit 11: the name is UTF-8 and is taken as it is (broken UTF-8 is never written);
    // else it is in the DOS code page and goes through the table to code page 1250, the
    // installer's own, then to UTF-8 (the same on every system).
    bool Utf8 = (H.Flags & ZipFlagUtf8) != 0;
    AName = PCharToStr(ANameBuf, (uint16_t)Got);
    if (!Utf8) AName = Cp1250ToUtf8(OemToAnsiName(AName));
    // A zero byte would cut the name where the system reads it: "evil.exe<0>.txt".
    AUnsafe = H.NameLength > NameMax || memchr(ANameBuf, 0, (size_t)Got) != 0 ||
              (Utf8 && !Utf8Valid(ANameBuf, Got));
    if (AName.empty()) {
        ShowRunError(ARun, ADlg, MsgInternalError);
        return reInternal;
    }
    SeekArchive(ARun, HeaderPos + ZipLocalSize + H.NameLength + H.ExtraLength, ZIP_SEEK_BEGIN);
    return ARun.ArchivePos == -1 ? reDamaged : reComplete;
}

// A selected entry of the extraction run: an encrypted entry or one of a method the installer
// cannot decode ends the run before it, before any file of its name is created or emptied.
static TRunEnd ExtractSelected(TUnZipRun &ARun, HWND ADlg, HWND AList, const string &AName,
                               bool AUnsafe)
{
    const TLocalHeader &H = ARun.LocalHeader;
    if (H.Flags & ZipFlagEncrypted) return reEncrypted;
    if (H.Method != ZipStored && H.Method != ZipDeflated) return reInternal;
    if (ExtractEntry(ARun, ADlg, AList, AName, AUnsafe) == erStop) return reStopped;
    return ARun.StopAsked ? reStopped : reComplete;   // the user stops after this file, not inside it
}

// Moves to the next local header; computed in 64 bits so that huge sizes cannot wrap
// backwards.
static TRunEnd SeekNextHeader(TUnZipRun &ARun, const TLocalHeader &H, uint32_t AHeaderPos)
{
    uint64_t Next = (uint64_t)AHeaderPos + ZipLocalSize + H.NameLength + H.ExtraLength +
                    H.CompressedSize;
    if (Next > 0x7FFFFFFF) return reDamaged;
    SeekArchive(ARun, (uint32_t)Next, ZIP_SEEK_BEGIN);
    return ARun.ArchivePos == -1 ? reDamaged : reComplete;
}

// The end of a listing run: a damaged file installs nothing; no entry at all, nothing to
// install either. After an internal error the run simply ends, as an extraction run does.
static void EndListing(TUnZipRun &ARun, HWND ADlg, HWND AList)
{
    if (ARun.RunEnd == reDamaged) {
        ShowRunError(ARun, ADlg, MsgDamaged);
        ARun.Dialog->EndProgram(ADlg, EndProgramCode(ARun));
    } else if (ARun.RunEnd == reComplete && ARun.Dialog->ListCount(AList) == 0) {
        ARun.RunEnd = reNoEntries;
        ARun.Dialog->EndProgram(ADlg, EndProgramCode(ARun));
    }
}

// The end of an extraction run: the label's verdict, then the damage message or the entries
// not installed, and the undo: a run is put back when the user stopped it, a silent one that
// fell short too, and a run with a message when the user says Yes to it; else it stays.
static void EndExtraction(TUnZipRun &ARun, HWND ADlg, HWND AList, bool AProcessed)
{
    TRunEnd End = ARun.RunEnd;
    if (AProcessed && (End == reComplete || End == reStopped || End == reDamaged)) {
        ARun.AllExtracted = End != reDamaged && ARun.Dialog->ListSelCount(AList) == 0;
        // "STR_NOTSELEXT" is the label users have always seen after such a run: kept as it is.
        ARun.Dialog->SetLabel(ADlg, ARun.AllExtracted ? "ALL" : "STR_NOTSELEXT");
    }
    string Text;
    if (End == reDamaged) {
        ARun.AllExtracted = false;
        Text = MsgDamaged;
    } else if (!ARun.AllExtracted) {
        Text = NotInstalledText(ARun, AList);
    }
    bool Undo = ARun.StopAsked || (!ARun.AllExtracted && ARun.Silent);
    if (!Undo && !Text.empty()) Undo = ARun.Dialog->AskError(ADlg, Text + MsgAskUndo);
    if (Undo) ARun.AllExtracted = false;
    UndoFinish(ARun, ADlg, Undo);
}

// The run from the first local header on, once UnZipFiles has put the archive there.
static void WalkEntries(TUnZipRun &ARun, HWND ADlg, int AListId, bool AListOnly)
{
    bool Processed = false;
    HWND List = ARun.Dialog->GetList(ADlg, AListId);
    char NameBuf[NameBufSize];
    ARun.ListIndex = -1;
    if (AListOnly) ARun.Dialog->ListReset(List);

    TRunEnd End = reComplete;
    ARun.Writing = !AListOnly;
    while (End == reComplete && ReadLocalHeader(ARun)) {
        const TLocalHeader H = ARun.LocalHeader;
        uint32_t HeaderPos = (uint32_t)ARun.ArchivePos;
        string Name;
        bool Unsafe = false;
        End = ReadEntryName(ARun, ADlg, H, NameBuf, Name, Unsafe);
        if (End != reComplete) break;
        if (AListOnly) {
            ARun.Dialog->ListAdd(List, Name);
        } else if (IsEntrySelected(ARun, List, Name)) {
            Processed = true;
            End = ExtractSelected(ARun, ADlg, List, Name, Unsafe);
            if (End != reComplete) break;
        }
        End = SeekNextHeader(ARun, H, HeaderPos);
    }
    // A walk that ran out of local headers must stand on the central directory (or, for an
    // archive without entries, on its end record); anything else means the file was cut
    // short or damaged, and entries may be missing from the list.
    if (End == reComplete && ARun.LocalHeader.Signature != ZipCentralSig &&
        ARun.LocalHeader.Signature != ZipEndSig)
        End = reDamaged;
    ARun.RunEnd = End;
    ARun.Writing = false;
    if (AListOnly)
        EndListing(ARun, ADlg, List);
    else
        EndExtraction(ARun, ADlg, List, Processed);
}
