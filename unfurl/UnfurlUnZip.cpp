// UnfurlUnZip: the archive walk of the installer (see the header). Portable: every file,
// folder and window operation goes through ZipIO, UnZipFileOps or UnZipDialog.
#include "UnfurlUnZip.h"

#include <stdlib.h>
#include <string.h>

#include "QSysUtil.h"
#include "UnfurlOutcome.h"
#include "UnfurlPayload.h"

// The built-in ArchiveStart sits right behind its marker; the preparation tool sets it to
// the size of the executable image it appends the payload to.
TStartMark StartMarkRec = {UNFURL_START_MARK, 0x9A00};
uint32_t &ArchiveStart = StartMarkRec.Start;

int32_t ArchivePos = 0;
TLocalHeader LocalHeader;
char *TargetDir = 0;
uint8_t OverwriteMode = 2;
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

// DOS code page 852 to Windows 1250 for the bytes 0x80..0xFF of entry names; box-drawing
// and shading characters become "+", "-", "_" or the broken bar 0xA6.
const uint8_t OemToAnsiTable[128] = {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xF9, 0xE6, 0xE7, 0xB3, 0xEB, 0xD5, 0xF5, 0xEE, 0x8F, 0xC4, 0xC6,
    0xC9, 0xC5, 0xE5, 0xF4, 0xF6, 0xBC, 0xBE, 0x8C, 0x9C, 0xD6, 0xDC, 0x8D, 0x9D, 0xA3, 0xD7, 0xE8,
    0xE1, 0xED, 0xF3, 0xFA, 0xA5, 0xB9, 0x8E, 0x9E, 0xCA, 0xEA, 0xA0, 0x9F, 0xC8, 0xBA, 0xAB, 0xBB,
    0x5F, 0x5F, 0x5F, 0xA6, 0xA6, 0xC1, 0xC2, 0xCC, 0xAA, 0xA6, 0xA6, 0x2B, 0x2B, 0xAF, 0xBF, 0x2B,
    0x2B, 0x2D, 0x2D, 0x2B, 0x2D, 0x2B, 0xC3, 0xE3, 0x2B, 0x2B, 0x2D, 0x2D, 0xA6, 0x2D, 0x2B, 0xA4,
    0xF0, 0xD0, 0xCF, 0xCB, 0xEF, 0xD2, 0xCD, 0xCE, 0xEC, 0x2B, 0x2B, 0x5F, 0x5F, 0xDE, 0xD9, 0x5F,
    0xD3, 0xDF, 0xD4, 0xD1, 0xF1, 0xF2, 0x8A, 0x9A, 0xC0, 0xDA, 0xE0, 0xDB, 0xFD, 0xDD, 0x5F, 0xB4,
    0xAD, 0xBD, 0xB2, 0xA1, 0xA2, 0xA7, 0xF7, 0xB8, 0xB0, 0xA8, 0xB7, 0xFB, 0xD8, 0xF8, 0x5F, 0x5F,
};

// ---- Local headers --------------------------------------------------------------------

static uint16_t Get16(const uint8_t *P) { return (uint16_t)(P[0] | P[1] << 8); }
static uint32_t Get32(const uint8_t *P) { return (uint32_t)Get16(P) | (uint32_t)Get16(P + 2) << 16; }

/* Local file header (all fields little-endian):
     0  signature          4   "PK", 3, 4
     4  version needed     2
     6  flags              2   bit 0 encrypted, bit 3 data descriptor follows the data
     8  method             2   0 stored, 8 deflated
    10  time, 12 date      2+2 DOS format, local time
    14  CRC-32             4
    18  compressed size    4   with name and extra length: the step to the next header
    22  uncompressed size  4
    26  name length        2   the name follows the header,
    28  extra length       2   then the extra field, then the data */
void DecodeLocalHeader(const uint8_t *ABytes, TLocalHeader &AHeader)
{
    AHeader.Signature = Get32(ABytes);
    AHeader.Version = Get16(ABytes + 4);
    AHeader.Flags = Get16(ABytes + 6);
    AHeader.Method = Get16(ABytes + 8);
    AHeader.Time = Get16(ABytes + 10);
    AHeader.Date = Get16(ABytes + 12);
    AHeader.Crc32 = Get32(ABytes + 14);
    AHeader.CompressedSize = Get32(ABytes + 18);
    AHeader.UncompressedSize = Get32(ABytes + 22);
    AHeader.NameLength = Get16(ABytes + 26);
    AHeader.ExtraLength = Get16(ABytes + 28);
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
        uint8_t Raw[LocalHeaderSize];
        memset(Raw, 0, sizeof Raw);
        int32_t Got = ZipIO.Read(ArchiveFile, Raw, LocalHeaderSize);
        // A short read is the end of the walk: the fields it did not reach are not used.
        uint32_t Sig = Got >= 4 ? Get32(Raw) : 0;
        if (Got == LocalHeaderSize && Sig == LocalHeaderSig) {
            DecodeLocalHeader(Raw, LocalHeader);
            CompressedLeft = (int32_t)LocalHeader.CompressedSize;
            return true;
        }
        LocalHeader.Signature = Sig;
        CompressedLeft = 0;
        // A 16-byte data descriptor stands where a header is expected: step over it. The walk
        // sought to it, so ArchivePos is where it begins.
        if (Sig != DataDescriptorSig || ArchivePos < 0) return false;
        SeekArchive((uint32_t)ArchivePos + DataDescriptorSize, ZIP_SEEK_BEGIN);
        if (ArchivePos < 0) return false;
    }
}

// ---- Read-ahead ------------------------------------------------------------------------

static TZipIO AheadInner;            // the binding underneath
static TZipHandle AheadFile = -1;    // the buffered file; -1 when no read-ahead is active
static uint8_t *AheadBuf = 0;
static int64_t AheadStart = 0;       // file offset of AheadBuf[0]
static int32_t AheadLen = 0;         // valid bytes in AheadBuf
static int64_t AheadPos = 0;         // the position the callers see
static int64_t InnerPos = -1;        // the file's own position; -1 when not known

// Puts the file itself at AheadPos; false when it cannot go there.
static bool AheadSync(TZipHandle AFile)
{
    if (InnerPos == AheadPos) return true;
    InnerPos = AheadInner.Seek(AFile, AheadPos, ZIP_SEEK_BEGIN);
    if (InnerPos == AheadPos) return true;
    InnerPos = -1;
    return false;
}

static int32_t AheadRead(TZipHandle AFile, void *ABuf, int32_t ACount)
{
    if (AFile != AheadFile) return AheadInner.Read(AFile, ABuf, ACount);
    uint8_t *Out = (uint8_t *)ABuf;
    int32_t Done = 0;
    while (Done < ACount) {
        int64_t Off = AheadPos - AheadStart;
        if (Off >= 0 && Off < AheadLen) {
            int32_t N = AheadLen - (int32_t)Off;
            if (N > ACount - Done) N = ACount - Done;
            memcpy(Out + Done, AheadBuf + Off, (size_t)N);
            Done += N;
            AheadPos += N;
            continue;
        }
        if (!AheadSync(AFile)) break;
        int32_t Want = ACount - Done;
        if (Want >= ReadAheadSize / 2) {   // a big read gains nothing from the buffer
            int32_t N = AheadInner.Read(AFile, Out + Done, Want);
            if (N <= 0) break;
            Done += N;
            AheadPos += N;
            InnerPos += N;
            continue;
        }
        int32_t N = AheadInner.Read(AFile, AheadBuf, ReadAheadSize);
        AheadLen = N > 0 ? N : 0;
        AheadStart = AheadPos;
        if (N <= 0) break;             // end of file
        InnerPos += N;
    }
    return Done;
}

static int32_t AheadWrite(TZipHandle AFile, const void *ABuf, int32_t ACount)
{
    if (AFile == AheadFile) {          // never done by the walk; kept coherent all the same
        if (!AheadSync(AFile)) return 0;
        AheadLen = 0;
        InnerPos = -1;
        int32_t N = AheadInner.Write(AFile, ABuf, ACount);
        if (N > 0) AheadPos += N;
        return N;
    }
    return AheadInner.Write(AFile, ABuf, ACount);
}

static int64_t AheadSeek(TZipHandle AFile, int64_t ADistance, int AMethod)
{
    if (AFile != AheadFile) return AheadInner.Seek(AFile, ADistance, AMethod);
    if (AMethod == ZIP_SEEK_BEGIN || AMethod == ZIP_SEEK_CURRENT) {
        int64_t Target = AMethod == ZIP_SEEK_BEGIN ? ADistance : AheadPos + ADistance;
        if (AheadLen > 0 && Target >= AheadStart && Target <= AheadStart + AheadLen) {
            AheadPos = Target;
            return Target;
        }
        InnerPos = AheadInner.Seek(AFile, Target, ZIP_SEEK_BEGIN);
    } else {
        InnerPos = AheadInner.Seek(AFile, ADistance, AMethod);
    }
    if (InnerPos < 0) {                // the position stays where it was
        InnerPos = -1;
        return -1;
    }
    AheadPos = InnerPos;
    AheadLen = 0;
    return AheadPos;
}

bool ReadAheadBegin(TZipHandle AFile, int64_t APos)
{
    if (AheadFile != -1 || AFile == -1 || APos < 0) return false;
    AheadBuf = (uint8_t *)malloc(ReadAheadSize);
    if (!AheadBuf) return false;
    AheadInner = ZipIO;
    AheadFile = AFile;
    AheadStart = AheadPos = InnerPos = APos;
    AheadLen = 0;
    ZipIO.Read = AheadRead;
    ZipIO.Write = AheadWrite;
    ZipIO.Seek = AheadSeek;
    return true;
}

void ReadAheadEnd()
{
    if (AheadFile == -1) return;
    AheadSync(AheadFile);
    ZipIO = AheadInner;
    AheadFile = -1;
    AheadLen = 0;
    free(AheadBuf);
    AheadBuf = 0;
}

// ---- Names ----------------------------------------------------------------------------

string OemToAnsiName(const string &S)
{
    string R(S);
    for (size_t I = 0; I < R.length(); I++) {
        uint8_t C = (uint8_t)R[I];
        if (C >= 0x80) R[I] = (char)OemToAnsiTable[C - 0x80];
    }
    return R;
}

static char UpperAscii(char C) { return C >= 'a' && C <= 'z' ? (char)(C - 32) : C; }

// Whether the component [AFrom, ATo) of AName, up to its first dot and without trailing
// blanks, is a device name of Windows ("NUL", "nul.txt", "COM1 .log").
static bool IsDeviceName(const string &AName, size_t AFrom, size_t ATo)
{
    static const char *const Devices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$",
                                          "CLOCK$"};
    size_t End = AFrom;
    while (End < ATo && AName[End] != '.') End++;
    while (End > AFrom && AName[End - 1] == ' ') End--;
    size_t Len = End - AFrom;
    char Base[8];
    if (Len == 0 || Len > 7) return false;
    for (size_t I = 0; I < Len; I++) Base[I] = UpperAscii(AName[AFrom + I]);
    Base[Len] = 0;
    for (const char *D : Devices)
        if (strcmp(Base, D) == 0) return true;
    // COM1..COM9 and LPT1..LPT9, also with the superscript digits 1, 2, 3 of the code page.
    // In UTF-8 the superscripts are 0xC2 and the code page's byte.
    if (Len == 5 && (uint8_t)Base[3] == 0xC2) {
        Base[3] = Base[4];
        Len = 4;
    }
    if (Len == 4 && (strncmp(Base, "COM", 3) == 0 || strncmp(Base, "LPT", 3) == 0)) {
        uint8_t D = (uint8_t)Base[3];
        return (D >= '1' && D <= '9') || D == 0xB9 || D == 0xB2 || D == 0xB3;
    }
    return false;
}

bool Utf8Valid(const char *AText, int32_t ALen)
{
    const uint8_t *P = (const uint8_t *)AText, *End = P + ALen;
    while (P < End) {
        uint8_t C = *P++;
        if (C < 0x80) continue;
        // Lead byte: the count of continuation bytes and the least value it may code.
        int More = C >= 0xF0 ? 3 : C >= 0xE0 ? 2 : 1;
        uint32_t Min = More == 3 ? 0x10000 : More == 2 ? 0x800 : 0x80;
        if (C < 0xC2 || C > 0xF4 || End - P < More) return false;
        uint32_t V = C & (0x3F >> More);
        while (More--) {
            if ((*P & 0xC0) != 0x80) return false;
            V = V << 6 | (*P++ & 0x3F);
        }
        if (V < Min || V > 0x10FFFF || (V >= 0xD800 && V <= 0xDFFF)) return false;
    }
    return true;
}

const char *EntryNameFault(const string &AName)
{
    size_t Len = AName.length();
    if (Len == 0) return "the name is empty";
    if (Len > NameMax) return "the name is longer than 255 characters";
    if (AName[0] == '/' || AName[0] == '\\') return "the name is an absolute path";
    for (size_t I = 0; I < Len; I++) {
        uint8_t C = (uint8_t)AName[I];
        if (C == ':') return "the name holds a colon (drive or stream)";
        if (C < 32 || strchr("<>\"|?*", C)) return "the name holds a character Windows does not allow";
    }
    // Components between separators; a folder entry ends in one separator.
    size_t From = 0;
    while (From < Len) {
        size_t To = From;
        while (To < Len && AName[To] != '/' && AName[To] != '\\') To++;
        if (To == From) return "the name has an empty component";
        bool DotsOnly = true;
        for (size_t I = From; I < To; I++)
            if (AName[I] != '.' && AName[I] != ' ') DotsOnly = false;
        if (DotsOnly) return "the name has a \"..\" or dots-only component";
        if (AName[To - 1] == '.' || AName[To - 1] == ' ')
            return "a component ends in a dot or a blank";
        if (IsDeviceName(AName, From, To)) return "the name is a reserved device name";
        From = To + 1;
    }
    return 0;
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
    bool Ok = AButton == 1;
    if (ARewriteAll) OverwriteMode = Ok ? 0 : 1;
    OverwriteThis = Ok;
}

int32_t EndProgramCode() { return RunEnd == reNoEntries ? ExitInstalled : ExitDamaged; }

int32_t RunExitCode(bool ARan)
{
    if (!ARan) return ExitCancelled;
    if (AllExtracted) return ExitInstalled;
    return RunEnd == reDamaged ? ExitDamaged : ExitIncomplete;
}

// ---- Copying ---------------------------------------------------------------------------

int CopyStoredEntry()
{
    if (CompressedLeft <= 0) return INFLATE_OK;
    int32_t Size = CompressedLeft < 32768 ? CompressedLeft : 32768;
    uint8_t *Buf = (uint8_t *)malloc((size_t)Size + 2);
    if (!Buf) return INFLATE_NO_MEMORY;
    int R = INFLATE_OK;
    while (R == INFLATE_OK && CompressedLeft > 0) {
        int32_t Want = CompressedLeft < 32768 ? CompressedLeft : 32768;
        int32_t Got = ZipIO.Read(ArchiveFile, Buf, Want);
        if (Got <= 0) break;   // the file ends early: the CRC check fails
        CompressedLeft -= Got;
        R = WriteOutput(Buf, Got);
    }
    free(Buf);
    return R;
}

// ---- The run ---------------------------------------------------------------------------

enum TEntryResult { erDone, erStop };

static void Deselect(HWND AList)
{
    if (ListIndex >= 0) UnZipDialog.ListSetSel(AList, ListIndex, false);
}

// The message and the path; with the system's reason on a line of its own when a system call
// failed (ACode not 0), so that the user knows what to do about it.
static void ReportPath(const char *AText, const string &APath, uint32_t ACode = 0)
{
    string Text = string(AText) + "\r\n" + APath;
    if (ACode) Text += "\r\n" + UnZipFileOps.ErrorText(ACode);
    UnZipDialog.ShowError(Text);
}

// Makes AFolder with its parents; reports a folder that is still missing.
static bool MakeFolder(const string &AFolder)
{
    UnZipFileOps.ForceDirs(AFolder);
    uint32_t Code = UnZipFileOps.LastError();   // before the test overwrites it
    TDPath FolderBuf;
    memcpy(FolderBuf, AFolder.c_str(), AFolder.length() + 1);
    if (!UnZipFileOps.Exists(FolderBuf)) {
        ReportPath(MsgCannotCreateDir, AFolder, Code);
        return false;
    }
    return true;
}

// Opens the file of the current entry at APath when it was not made anew: an existing file
// goes by the overwrite mode and the prompt, a missing folder is made (AFolderMissing: known
// to be missing, so nothing can be there). False with the entry's result (AResult, left as it
// is unless the run must stop) when no file is to be written.
static bool OpenEntryFile(HWND ADlg, HWND AList, char *APath, bool AFolderMissing,
                          TEntryResult &AResult)
{
    bool FolderEntry = false;
    if (!AFolderMissing && UnZipFileOps.Exists(APath)) {   // also turns "/" into "\" in APath
        size_t Len = strlen(APath);
        if (APath[Len - 1] == '\\') {
            Deselect(AList);   // a folder entry whose folder is there already: done
            return false;
        }
        // A folder holding the file's name is neither kept nor asked about: the file cannot
        // be created, and the creation below fails and tells why.
        int32_t Attr = UnZipFileOps.Attributes(APath);
        bool FolderThere = Attr != -1 && (Attr & faDirectory);
        if (!FolderThere && OverwriteMode == 1) {
            Deselect(AList);
            return false;
        }
        if (!FolderThere && OverwriteMode == 2) {
            FileExistName = ExtractFileName(APath);
            UnZipDialog.AskOverwrite(ADlg);
            if (!OverwriteThis) {
                Deselect(AList);
                return false;
            }
        }
    } else if (!MakeFolder(ExtractFilePath(APath))) {
        AResult = erStop;
        return false;
    } else {
        FolderEntry = APath[strlen(APath) - 1] == '\\' || APath[strlen(APath) - 1] == '/';
    }

    OutFile = UnZipFileOps.Create(APath);
    if (OutFile == -1) {
        // A folder entry ends here once its folder is made: done. Anything else (a file that
        // cannot be replaced, a folder holding a file's name, a file standing where a folder
        // should be) is a file that was not written.
        uint32_t Code = UnZipFileOps.LastError();
        int32_t Attr = UnZipFileOps.Attributes(APath);
        if (FolderEntry && Attr != -1 && (Attr & faDirectory))
            Deselect(AList);
        else
            ReportPath(MsgCannotCreateFile, APath, Code);
        return false;
    }
    return true;
}

// Writes the current entry (LocalHeader, data at the file position) under TargetDir.
static TEntryResult ExtractEntry(HWND ADlg, HWND AList, const string &AName, bool AUnsafe)
{
    const TLocalHeader H = LocalHeader;

    // The folder without its trailing backslash (a drive root C:\ becomes C:). The dialog's
    // buffer is only ever shortened here, never lengthened.
    string Dir;
    if (TargetDir) Dir = NameFromAnsi(string(RemoveDirTail(TargetDir)));
    if (Dir.empty()) {   // no folder at all: the name would hang from the drive's root
        ReportPath(MsgCannotCreateDir, Dir);
        return erStop;
    }

    // A name that would land outside the folder, that Windows cannot hold, or that is not
    // what the archive holds (cut, or cut short by a zero byte) is never written: it is
    // reported like a file that cannot be created.
    if (AUnsafe || EntryNameFault(AName)) {
        ReportPath(MsgCannotCreateFile, AName);
        return erDone;
    }
    string Path = Dir + "\\" + AName;
    if (Path.length() >= MAX_PATH) {
        ReportPath(MsgCannotCreateFile, Path);
        return erDone;
    }
    TDPath PathBuf;
    memcpy(PathBuf, Path.c_str(), Path.length() + 1);

    // A new file in a folder that is there is made at once: one lookup of its name instead of
    // a test for it and then the creation (under Wine each lookup of a missing name reads the
    // whole folder). Anything already there, or a missing folder, takes the full steps.
    OutFile = -1;
    bool FolderMissing = false;
    if (PathBuf[Path.length() - 1] != '/' && PathBuf[Path.length() - 1] != '\\') {
        for (char *P = PathBuf; *P; P++)
            if (*P == '/') *P = '\\';
        OutFile = UnZipFileOps.CreateNew(PathBuf, FolderMissing);
    }
    TEntryResult Early = erDone;
    if (OutFile == -1 && !OpenEntryFile(ADlg, AList, PathBuf, FolderMissing, Early)) return Early;

    FilesDone++;
    UnZipDialog.SetProgress(ADlg, RoundHalfEven(ProgressStep * FilesDone));
    UnZipDialog.SetLabel(ADlg, ExtractFileName(PathBuf));
    UnZipDialog.DispatchOne();

    // The method was looked at before the file was touched (WalkEntries): 0 or 8 here.
    Crc = 0xFFFFFFFFu;
    CompressedLeft = (int32_t)H.CompressedSize;
    OutLeft = H.UncompressedSize;
    int Decoded = H.Method == 0 ? CopyStoredEntry() : InflateEntry();
    OutLeft = -1;
    bool Written = Decoded == INFLATE_OK && H.Crc32 == (Crc ^ 0xFFFFFFFFu);

    UnZipFileOps.SetTime(OutFile, (uint32_t)H.Date << 16 | H.Time);
    if (!UnZipFileOps.Close(OutFile)) {
        ReportPath(MsgCannotCloseFile, PathBuf, UnZipFileOps.LastError());
        Written = false;
    }
    OutFile = -1;
    if (Written) Deselect(AList);
    return erDone;
}

// The final message of an extraction run that left entries selected: their names and the
// folder.
static void ReportNotInstalled(HWND AList)
{
    TFailedList Failed;
    FailedReset(Failed);
    int32_t Count = UnZipDialog.ListCount(AList);
    for (int32_t I = 0; I < Count; I++)
        if (UnZipDialog.ListGetSel(AList, I)) FailedAdd(Failed, UnZipDialog.ListText(AList, I));
    if (Failed.Count > 0) UnZipDialog.ShowError(IncompleteMessage(Failed, NameFromAnsi(string(TargetDir))));
}

static void WalkEntries(HWND ADlg, int AListId, bool AListOnly);

void UnZipFiles(HWND ADlg, int AListId, bool AListOnly)
{
    AllExtracted = false;
    LocalHeaderSig = LocalHeaderSigPlusOne - 1;
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

        // The name, cut to the buffer; the walk steps over the rest of it and the extra field.
        int32_t Take = H.NameLength < NameMax ? H.NameLength : NameMax;
        int32_t Got = ZipIO.Read(ArchiveFile, NameBuf, Take);
        if (Got < 0) Got = 0;
        NameBuf[Got] = 0;
        if (Got < Take) {   // the file ends inside the name
            End = reDamaged;
            break;
        }
        // Flag bit 11: the name is UTF-8 and is taken as it is (broken UTF-8 is never
        // written); else it is in the DOS code page and goes through the table.
        bool Utf8 = (H.Flags & 0x800) != 0;
        string Name = PCharToStr(NameBuf, (uint16_t)Got);
        if (!Utf8) Name = NameFromAnsi(OemToAnsiName(Name));
        // A zero byte would cut the name where the system reads it: "evil.exe<0>.txt".
        bool NameUnsafe = H.NameLength > NameMax || memchr(NameBuf, 0, (size_t)Got) != 0 ||
                          (Utf8 && !Utf8Valid(NameBuf, Got));
        if (Name.empty()) {
            UnZipDialog.ShowError(MsgInternalError);
            End = reInternal;
            break;
        }
        SeekArchive(HeaderPos + LocalHeaderSize + H.NameLength + H.ExtraLength, ZIP_SEEK_BEGIN);
        if (ArchivePos == -1) {
            End = reDamaged;
            break;
        }
        if (AListOnly) {
            UnZipDialog.ListAdd(List, Name);
        } else if (IsEntrySelected(List, Name)) {
            // An encrypted entry or one of a method the installer cannot decode ends the run
            // before it, before any file of its name is created or emptied.
            if (H.Flags & 1) {
                End = reEncrypted;
                break;
            }
            if (H.Method != 0 && H.Method != 8) {
                End = reInternal;
                break;
            }
            Processed = true;
            TEntryResult R = ExtractEntry(ADlg, List, Name, NameUnsafe);
            if (R == erStop) {
                End = reStopped;
                break;
            }
            if (StopAsked) {   // the user asked to stop: after this file, not inside it
                End = reStopped;
                break;
            }
        }
        // The next header: computed in 64 bits so that huge sizes cannot wrap backwards.
        uint64_t Next = (uint64_t)HeaderPos + LocalHeaderSize + H.NameLength + H.ExtraLength +
                        H.CompressedSize;
        if (Next > 0x7FFFFFFF) {
            End = reDamaged;
            break;
        }
        SeekArchive((uint32_t)Next, ZIP_SEEK_BEGIN);
        if (ArchivePos == -1) {
            End = reDamaged;
            break;
        }
    }
    // A walk that ran out of local headers must stand on the central directory (or, for an
    // archive without entries, on its end record); anything else means the file was cut
    // short or damaged, and entries may be missing from the list.
    if (End == reComplete && LocalHeader.Signature != CentralDirSig &&
        LocalHeader.Signature != EndOfCentralDirSig)
        End = reDamaged;
    RunEnd = End;

    if (AListOnly) {
        // A damaged file installs nothing. No entry at all: nothing to install either. After
        // an internal error the run simply ends, as an extraction run does.
        if (End == reDamaged) {
            UnZipDialog.ShowError(MsgDamaged);
            UnZipDialog.EndProgram();
        } else if (End == reComplete && UnZipDialog.ListCount(List) == 0) {
            RunEnd = reNoEntries;
            UnZipDialog.EndProgram();
        }
        return;
    }
    if (Processed && (End == reComplete || End == reStopped || End == reDamaged)) {
        if (End != reDamaged && UnZipDialog.ListSelCount(List) == 0) {
            UnZipDialog.SetLabel(ADlg, "ALL");
            AllExtracted = true;
        } else {
            UnZipDialog.SetLabel(ADlg, "STR_NOTSELEXT");
            AllExtracted = false;
        }
    }
    if (End == reDamaged) {
        AllExtracted = false;
        UnZipDialog.ShowError(MsgDamaged);
    } else if (!AllExtracted) {
        ReportNotInstalled(List);
    }
}
