// UnfurlUnZip: the archive walk of the installer (see the header). Portable: every file,
// folder and window operation goes through ZipIO, UnZipFileOps or UnZipDialog.
#include "UnfurlUnZip.h"

#include <stdlib.h>
#include <string.h>

#include "QConst.h"
#include "QSysUtil.h"
#include "UnfurlOutcome.h"
#include "UnfurlPayload.h"
#include "UnfurlReadAhead.h"

// The built-in ArchiveStart sits right behind its marker; the preparation tool sets it to
// the size of the executable image it appends the payload to.
TStartMark StartMarkRec = {UNFURL_START_MARK, 0x9A00};
uint32_t &ArchiveStart = StartMarkRec.Start;

int32_t ArchivePos = 0;
TLocalHeader LocalHeader;
char *TargetDir = 0;
uint8_t OverwriteMode = omAsk;
bool OverwriteThis = false;
string FileExistName;
bool AllExtracted = false;
double ProgressStep = 0;
int32_t FilesDone = 0;
int32_t ListIndex = -1;
TRunEnd RunEnd = reNone;

TUnZipFileOps UnZipFileOps = UnZipDiskOps;
TUnZipDialog UnZipDialog = UnZipPlatformDialog;

const char *const MsgInternalError = "Internal install error!\r\nGoto www.bytewise.example!";
const char *const MsgCannotCreateDir = "Cannot create directory";
const char *const MsgCannotCreateFile = "Cannot create file";
const char *const MsgCannotCloseFile = "Cannot close file";
const char *const MsgDamaged =
    "The installer file is damaged or incomplete.\r\nNot every file could be installed.";

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

void SeekArchive(uint32_t APos, int AMethod)
{
    // Offsets are 32-bit and the walk only moves forward: a position the signed 32-bit
    // ArchivePos cannot hold counts as a failed seek rather than wrapping backwards.
    if (APos > 0x7FFFFFFFu && AMethod == ZIP_SEEK_BEGIN) {
        ArchivePos = -1;
        return;
    }
    int64_t Pos = ZipIO.Seek(ArchiveFile, (int64_t)(int32_t)APos, AMethod);
    ArchivePos = Pos < 0 || Pos > 0x7FFFFFFF ? -1 : (int32_t)Pos;
}

bool ReadLocalHeader()
{
    for (;;) {
        uint8_t Raw[ZipLocalSize];
        memset(Raw, 0, sizeof Raw);
        int32_t Got = ZipIO.Read(ArchiveFile, Raw, ZipLocalSize);
        // A short read is the end of the walk: the fields it did not reach are not used.
        uint32_t Sig = Got >= 4 ? LeGet32(Raw) : 0;
        if (Got == ZipLocalSize && Sig == LocalHeaderSig) {
            DecodeLocalHeader(Raw, LocalHeader);
            CompressedLeft = (int32_t)LocalHeader.CompressedSize;
            return true;
        }
        LocalHeader.Signature = Sig;
        CompressedLeft = 0;
        // A 16-byte data descriptor stands where a header is expected: step over it. The walk
        // sought to it, so ArchivePos is where it begins.
        if (Sig != ZipDescriptorSig || ArchivePos < 0) return false;
        SeekArchive((uint32_t)ArchivePos + ZipDescriptorSize, ZIP_SEEK_BEGIN);
        if (ArchivePos < 0) return false;
    }
}

// ---- Work list and progress -----------------------------------------------------------

bool IsEntrySelected(HWND AList, const string &AName)
{
    ListIndex = UnZipDialog.ListFind(AList, ListIndex, AName);
    return ListIndex >= 0 && UnZipDialog.ListGetSel(AList, ListIndex);
}

int32_t RoundHalfEven(double AValue)
{
    if (!(AValue > -2147483648.0 && AValue < 2147483647.0)) return AValue > 0 ? 2147483647 : 0;
    double Floor = (double)(int64_t)AValue;
    if (Floor > AValue) Floor -= 1;
    double Frac = AValue - Floor;
    int64_t R = (int64_t)Floor;
    if (Frac > 0.5 || (Frac == 0.5 && (R & 1))) R++;
    return (int32_t)R;
}

void AnswerOverwrite(int AButton, bool ARewriteAll)
{
    bool Ok = AButton == CM_OK;
    if (ARewriteAll) OverwriteMode = Ok ? omReplace : omKeep;
    OverwriteThis = Ok;
}

int32_t EndProgramCode() { return RunEnd == reNoEntries ? ExitInstalled : ExitDamaged; }

int32_t RunExitCode(bool ARan)
{
    if (!ARan) return ExitCancelled;
    if (AllExtracted) return ExitInstalled;
    return RunEnd == reDamaged ? ExitDamaged : ExitIncomplete;
}

// ---- The run ---------------------------------------------------------------------------

string TargetFolder;

// The final message of an extraction run that left entries selected: their names and the
// folder.
static void ReportNotInstalled(HWND AList)
{
    TFailedList Failed;
    FailedReset(Failed);
    int32_t Count = UnZipDialog.ListCount(AList);
    for (int32_t I = 0; I < Count; I++)
        if (UnZipDialog.ListGetSel(AList, I)) FailedAdd(Failed, UnZipDialog.ListText(AList, I));
    if (Failed.Count > 0) UnZipDialog.ShowError(IncompleteMessage(Failed, TargetFolder));
}

static void WalkEntries(HWND ADlg, int AListId, bool AListOnly);

bool StartExtraction(char *AFolder, const char *ACurrentDir, int32_t AListCount)
{
    TargetDir = AFolder;
    RemoveDirTail(AFolder);
    bool Replaced = !AFolder[0];
    if (Replaced) StrLCopy(AFolder, ACurrentDir, MAX_PATH - 1);
    UnZipFileOps.ForceDirs(NameFromAnsi(string(AFolder)));
    if (AListCount > 0) ProgressStep = 100.0 / AListCount;
    FilesDone = 0;
    StopAsked = false;
    return Replaced;
}

void UnZipFiles(HWND ADlg, int AListId, bool AListOnly)
{
    AllExtracted = false;
    LocalHeaderSig = LocalHeaderSigPlusOne - 1;
    // The folder without its trailing backslash (a drive root C:\ becomes C:). The dialog's
    // buffer is only ever shortened here, never lengthened.
    if (!AListOnly) TargetFolder = TargetDir ? NameFromAnsi(string(RemoveDirTail(TargetDir))) : string();
    SeekArchive(ArchiveStart, ZIP_SEEK_BEGIN);
    if (ArchivePos == -1) {
        RunEnd = reInternal;
        UnZipDialog.ShowError(MsgInternalError);
        UnZipDialog.EndProgram();
        return;
    }
    bool Ahead = ReadAheadBegin(ArchiveFile, ArchivePos);
    WalkEntries(ADlg, AListId, AListOnly);
    if (Ahead) ReadAheadEnd();
}

// Reads the current entry's name into AName (the walk's form) and moves to its data. ANameBuf
// holds the raw bytes, cut to NameMax; AUnsafe tells a name that must never be written.
// Answers reComplete, or how the run ends.
static TRunEnd ReadEntryName(const TLocalHeader &H, char *ANameBuf, string &AName, bool &AUnsafe)
{
    uint32_t HeaderPos = (uint32_t)ArchivePos;
    int32_t Take = H.NameLength < NameMax ? H.NameLength : NameMax;
    int32_t Got = ZipIO.Read(ArchiveFile, ANameBuf, Take);
    if (Got < 0) Got = 0;
    ANameBuf[Got] = 0;
    if (Got < Take) return reDamaged;   // the file ends inside the name
    // Flag bit 11: the name is UTF-8 and is taken as it is (broken UTF-8 is never written);
    // else it is in the DOS code page and goes through the table.
    bool Utf8 = (H.Flags & ZipFlagUtf8) != 0;
    AName = PCharToStr(ANameBuf, (uint16_t)Got);
    if (!Utf8) AName = NameFromAnsi(OemToAnsiName(AName));
    // A zero byte would cut the name where the system reads it: "evil.exe<0>.txt".
    AUnsafe = H.NameLength > NameMax || memchr(ANameBuf, 0, (size_t)Got) != 0 ||
              (Utf8 && !Utf8Valid(ANameBuf, Got));
    if (AName.empty()) {
        UnZipDialog.ShowError(MsgInternalError);
        return reInternal;
    }
    SeekArchive(HeaderPos + ZipLocalSize + H.NameLength + H.ExtraLength, ZIP_SEEK_BEGIN);
    return ArchivePos == -1 ? reDamaged : reComplete;
}

// A selected entry of the extraction run: an encrypted entry or one of a method the installer
// cannot decode ends the run before it, before any file of its name is created or emptied.
static TRunEnd ExtractSelected(HWND ADlg, HWND AList, const string &AName, bool AUnsafe)
{
    const TLocalHeader &H = LocalHeader;
    if (H.Flags & ZipFlagEncrypted) return reEncrypted;
    if (H.Method != ZipStored && H.Method != ZipDeflated) return reInternal;
    if (ExtractEntry(ADlg, AList, AName, AUnsafe) == erStop) return reStopped;
    return StopAsked ? reStopped : reComplete;   // the user stops after this file, not inside it
}

// Moves to the next local header; computed in 64 bits so that huge sizes cannot wrap
// backwards.
static TRunEnd SeekNextHeader(const TLocalHeader &H, uint32_t AHeaderPos)
{
    uint64_t Next = (uint64_t)AHeaderPos + ZipLocalSize + H.NameLength + H.ExtraLength +
                    H.CompressedSize;
    if (Next > 0x7FFFFFFF) return reDamaged;
    SeekArchive((uint32_t)Next, ZIP_SEEK_BEGIN);
    return ArchivePos == -1 ? reDamaged : reComplete;
}

// The end of a listing run: a damaged file installs nothing; no entry at all, nothing to
// install either. After an internal error the run simply ends, as an extraction run does.
static void EndListing(HWND AList)
{
    if (RunEnd == reDamaged) {
        UnZipDialog.ShowError(MsgDamaged);
        UnZipDialog.EndProgram();
    } else if (RunEnd == reComplete && UnZipDialog.ListCount(AList) == 0) {
        RunEnd = reNoEntries;
        UnZipDialog.EndProgram();
    }
}

// The end of an extraction run: the label's verdict, then the damage message or the entries
// not installed.
static void EndExtraction(HWND ADlg, HWND AList, bool AProcessed)
{
    TRunEnd End = RunEnd;
    if (AProcessed && (End == reComplete || End == reStopped || End == reDamaged)) {
        AllExtracted = End != reDamaged && UnZipDialog.ListSelCount(AList) == 0;
        UnZipDialog.SetLabel(ADlg, AllExtracted ? "ALL" : "STR_NOTSELEXT");
    }
    if (End == reDamaged) {
        AllExtracted = false;
        UnZipDialog.ShowError(MsgDamaged);
    } else if (!AllExtracted) {
        ReportNotInstalled(AList);
    }
}

// The run from the first local header on (UnZipFiles steps 3 to 6).
static void WalkEntries(HWND ADlg, int AListId, bool AListOnly)
{
    bool Processed = false;
    HWND List = UnZipDialog.GetList(ADlg, AListId);
    char NameBuf[NameBufSize];
    ListIndex = -1;
    if (AListOnly) UnZipDialog.ListReset(List);

    TRunEnd End = reComplete;
    while (End == reComplete && ReadLocalHeader()) {
        const TLocalHeader H = LocalHeader;
        uint32_t HeaderPos = (uint32_t)ArchivePos;
        string Name;
        bool Unsafe = false;
        End = ReadEntryName(H, NameBuf, Name, Unsafe);
        if (End != reComplete) break;
        if (AListOnly) {
            UnZipDialog.ListAdd(List, Name);
        } else if (IsEntrySelected(List, Name)) {
            Processed = true;
            End = ExtractSelected(ADlg, List, Name, Unsafe);
            if (End != reComplete) break;
        }
        End = SeekNextHeader(H, HeaderPos);
    }
    // A walk that ran out of local headers must stand on the central directory (or, for an
    // archive without entries, on its end record); anything else means the file was cut
    // short or damaged, and entries may be missing from the list.
    if (End == reComplete && LocalHeader.Signature != ZipCentralSig &&
        LocalHeader.Signature != ZipEndSig)
        End = reDamaged;
    RunEnd = End;
    if (AListOnly)
        EndListing(List);
    else
        EndExtraction(ADlg, List, Processed);
}
