// UnfurlUnZipEntry: one entry of the extraction run from the archive to the disk (see the
// header).
#include "UnfurlUnZipEntry.h"

#include <stdlib.h>
#include <string.h>

#include "QSysUtil.h"
#include "UnfurlCrc32.h"
#include "UnfurlEntryName.h"
#include "UnfurlZipFormat.h"

// ---- Copying ---------------------------------------------------------------------------

int CopyStoredEntry(TInflateRun &AEntry)
{
    int32_t &Left = AEntry.CompressedLeft;
    if (Left <= 0) return INFLATE_OK;
    int32_t Size = Left < 32768 ? Left : 32768;
    uint8_t *Buf = (uint8_t *)malloc((size_t)Size + 2);
    if (!Buf) return INFLATE_NO_MEMORY;
    int R = INFLATE_OK;
    while (R == INFLATE_OK && Left > 0) {
        int32_t Want = Left < 32768 ? Left : 32768;
        int32_t Got = AEntry.In->Read(AEntry.ArchiveFile, Buf, Want);
        if (Got <= 0) break;   // the file ends early: the CRC check fails
        Left -= Got;
        R = WriteOutput(AEntry, Buf, Got);
    }
    free(Buf);
    return R;
}

// ---- Progress ------------------------------------------------------------------------

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

// ---- One entry -------------------------------------------------------------------------

static void Deselect(TUnZipRun &ARun, HWND AList)
{
    if (ARun.ListIndex >= 0) ARun.Dialog->ListSetSel(AList, ARun.ListIndex, false);
}

// The message and the path; with the system's reason on a line of its own when a system call
// failed (ACode not 0), so that the user knows what to do about it. Nothing in a silent run.
// A file that cannot be written is told in a box once per run: the next ones (a protected
// folder refuses every file) would say nothing new, and the final message names them all.
static void ReportPath(TUnZipRun &ARun, HWND ADlg, const char *AText, const string &APath,
                       uint32_t ACode = 0)
{
    if (ARun.Silent) return;
    if (AText != MsgCannotCreateDir) {
        if (ARun.FileBoxShown) return;
        ARun.FileBoxShown = true;
    }
    string Text = string(AText) + "\r\n" + APath;
    if (ACode) Text += "\r\n" + ARun.FileOps->ErrorText(ACode);
    ARun.Dialog->ShowError(ADlg, Text);
}

// Makes AFolder with its parents; reports a folder that is still missing.
static bool MakeFolder(TUnZipRun &ARun, HWND ADlg, const string &AFolder)
{
    UndoNoteFolders(ARun, AFolder);
    ARun.FileOps->ForceDirs(AFolder);
    uint32_t Code = ARun.FileOps->LastError();   // before the test overwrites it
    if (!ARun.FileOps->Exists(AFolder.c_str())) {
        ReportPath(ARun, ADlg, MsgCannotCreateDir, AFolder, Code);
        return false;
    }
    return true;
}

// Whether the file at APath holds the current entry already: the same size, the same time to
// the second and the same CRC-32 over its bytes (a file of an installation being updated
// that did not change, or a second run of the same installer). Such a file is left as it
// is: an update neither rewrites it nor keeps an old copy of it for the undo. An entry whose
// header leaves its sizes to a data descriptor is always written.
static bool HoldsEntry(TUnZipRun &ARun, const char *APath)
{
    const TLocalHeader &H = ARun.LocalHeader;
    if ((H.Flags & ZipFlagDescriptor) ||
        !ARun.FileOps->SameSizeTime(APath, H.UncompressedSize, (uint32_t)H.Date << 16 | H.Time))
        return false;
    TZipHandle File = ARun.FileOps->OpenRead(APath);
    if (File == -1) return false;
    enum { Piece = 32768 };
    uint8_t *Buf = (uint8_t *)malloc(Piece);
    uint32_t Crc = 0xFFFFFFFFu, Size = 0;
    int32_t Got = 0;
    while (Buf && Size <= H.UncompressedSize && (Got = ARun.IO->Read(File, Buf, Piece)) > 0) {
        UpdateCrc(Buf, Got, Crc);
        Size += (uint32_t)Got;
    }
    ARun.FileOps->Close(File);
    bool Same = Buf && Got == 0 && Size == H.UncompressedSize && (Crc ^ 0xFFFFFFFFu) == H.Crc32;
    free(Buf);
    return Same;
}

// Whether an existing file at APath is to be replaced, by the overwrite mode and the prompt.
// A folder holding the file's name is neither kept nor asked about: the file cannot be
// created, and the creation tells why. A file that holds the entry already stays as it is.
// A file replaced is first moved aside for the undo; one that cannot be moved (in use) is
// reported and not written.
enum TReplace { rpKeep, rpWrite, rpFailed, rpSame };
static TReplace ReplaceExisting(TUnZipRun &ARun, HWND ADlg, const char *APath)
{
    int32_t Attr = ARun.FileOps->Attributes(APath);
    if (Attr != -1 && (Attr & faDirectory)) return rpWrite;
    if (ARun.OverwriteMode == omKeep) return rpKeep;
    if (ARun.OverwriteMode == omAsk) {
        ARun.FileExistName = ExtractFileName(APath);
        ARun.Dialog->AskOverwrite(ARun, ADlg);
        if (!ARun.OverwriteThis) return rpKeep;
    }
    if (HoldsEntry(ARun, APath)) return rpSame;
    if (UndoMoveAside(ARun, APath)) return rpWrite;
    ReportPath(ARun, ADlg, MsgCannotCreateFile, APath, ARun.FileOps->LastError());
    return rpFailed;
}

// Opens the file of the current entry at APath when it was not made anew: an existing file
// goes by the overwrite mode, a missing folder is made (AFolderMissing: known to be missing,
// so nothing can be there). opNone with the entry's result (AResult, left as it is unless the
// run must stop) when no file is to be written; opSame when the file there holds the entry.
enum TOpened { opNone, opFile, opSame };
static TOpened OpenEntryFile(TUnZipRun &ARun, HWND ADlg, HWND AList, const char *APath,
                             bool AFolderMissing, TEntryResult &AResult)
{
    bool FolderEntry = APath[strlen(APath) - 1] == '\\';
    bool Replacing = !AFolderMissing && ARun.FileOps->Exists(APath);
    if (Replacing) {
        // A folder entry whose folder is there already is done; so is a file kept.
        TReplace Replace = FolderEntry ? rpKeep : ReplaceExisting(ARun, ADlg, APath);
        if (Replace == rpKeep) Deselect(ARun, AList);
        if (Replace == rpSame) return opSame;
        if (Replace != rpWrite) return opNone;
        FolderEntry = false;
    } else if (!MakeFolder(ARun, ADlg, ExtractFilePath(APath))) {
        AResult = erStop;
        return opNone;
    }

    ARun.Entry.OutFile = ARun.FileOps->Create(APath);
    if (ARun.Entry.OutFile == -1) {
        // A folder entry ends here once its folder is made: done. Anything else (a file that
        // cannot be replaced, a folder holding a file's name, a file standing where a folder
        // should be) is a file that was not written.
        uint32_t Code = ARun.FileOps->LastError();
        int32_t Attr = ARun.FileOps->Attributes(APath);
        if (FolderEntry && Attr != -1 && (Attr & faDirectory))
            Deselect(ARun, AList);
        else
            ReportPath(ARun, ADlg, MsgCannotCreateFile, APath, Code);
        return opNone;
    }
    if (!Replacing) UndoNote(ARun, '+', APath);
    return opFile;
}

// Decodes the current entry into OutFile, sets its time and closes it; answers whether it
// was written whole and correct.
static bool WriteEntryData(TUnZipRun &ARun, HWND ADlg, const TLocalHeader &H, const char *APath)
{
    // The method was looked at before the file was touched (ExtractSelected): stored or
    // deflated.
    TInflateRun &E = ARun.Entry;
    E.Out = ARun.IO;
    E.Crc = 0xFFFFFFFFu;
    E.CompressedLeft = (int32_t)H.CompressedSize;
    E.OutLeft = H.UncompressedSize;
    int Decoded = H.Method == ZipStored ? CopyStoredEntry(E) : InflateEntry(E);
    E.OutLeft = -1;
    bool Written = Decoded == INFLATE_OK && H.Crc32 == (E.Crc ^ 0xFFFFFFFFu);

    ARun.FileOps->SetTime(E.OutFile, (uint32_t)H.Date << 16 | H.Time);
    if (!ARun.FileOps->Close(E.OutFile)) {
        ReportPath(ARun, ADlg, MsgCannotCloseFile, APath, ARun.FileOps->LastError());
        Written = false;
    }
    E.OutFile = -1;
    return Written;
}

TEntryResult ExtractEntry(TUnZipRun &ARun, HWND ADlg, HWND AList, const string &AName, bool AUnsafe)
{
    const TLocalHeader H = ARun.LocalHeader;
    if (ARun.TargetDir.empty()) {   // no folder at all: the name would hang from the drive's root
        ReportPath(ARun, ADlg, MsgCannotCreateDir, ARun.TargetDir);
        return erStop;
    }
    // A name that would land outside the folder, that Windows cannot hold, or that is not
    // what the archive holds (cut, or cut short by a zero byte) is never written: it is
    // reported like a file that cannot be created.
    if (AUnsafe || EntryNameFault(AName)) {
        ReportPath(ARun, ADlg, MsgCannotCreateFile, AName);
        return erDone;
    }
    string Path = ARun.TargetDir + "\\" + AName;
    if (Path.length() >= MAX_PATH) {
        ReportPath(ARun, ADlg, MsgCannotCreateFile, Path);
        return erDone;
    }
    // The bindings take backslashes only: the archive's slashes are turned here, once.
    TDPath PathBuf;
    memcpy(PathBuf, Path.c_str(), Path.length() + 1);
    for (char *P = PathBuf; *P; P++)
        if (*P == '/') *P = '\\';

    // A new file in a folder that is there is made at once: one lookup of its name instead of
    // a test for it and then the creation (under Wine each lookup of a missing name reads the
    // whole folder). Anything already there, or a missing folder, takes the full steps.
    TZipHandle &Out = ARun.Entry.OutFile;
    Out = -1;
    bool FolderMissing = false;
    if (PathBuf[Path.length() - 1] != '\\') Out = ARun.FileOps->CreateNew(PathBuf, FolderMissing);
    if (Out != -1) UndoNote(ARun, '+', PathBuf);
    TEntryResult Early = erDone;
    TOpened Opened = Out != -1 ? opFile
                               : OpenEntryFile(ARun, ADlg, AList, PathBuf, FolderMissing, Early);
    if (Opened == opNone) return Early;

    ARun.FilesDone++;
    ARun.Dialog->SetProgress(ADlg, RoundHalfEven(ARun.ProgressStep * ARun.FilesDone));
    ARun.Dialog->SetLabel(ADlg, ExtractFileName(PathBuf));
    ARun.Dialog->DispatchOne(ADlg);
    // A file that holds the entry already: its data is not read (the walk seeks past it).
    if (Opened == opSame || WriteEntryData(ARun, ADlg, H, PathBuf)) Deselect(ARun, AList);
    return erDone;
}

