// UnfurlUnZipEntry: one entry of the extraction run from the archive to the disk (see
// ExtractEntry in UnfurlUnZip.h): its path under the target folder, the file made (or the
// existing one replaced, kept or asked about), the data copied or decoded with the CRC-32 and
// the declared size as bounds, the time set, the list item deselected.
#include <stdlib.h>
#include <string.h>

#include "QSysUtil.h"
#include "UnfurlUnZip.h"

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

// ---- One entry -------------------------------------------------------------------------

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
    if (!UnZipFileOps.Exists(AFolder.c_str())) {
        ReportPath(MsgCannotCreateDir, AFolder, Code);
        return false;
    }
    return true;
}

// Whether an existing file at APath is to be replaced, by the overwrite mode and the prompt.
// A folder holding the file's name is neither kept nor asked about: the file cannot be
// created, and the creation tells why.
static bool ReplaceExisting(HWND ADlg, const char *APath)
{
    int32_t Attr = UnZipFileOps.Attributes(APath);
    if (Attr != -1 && (Attr & faDirectory)) return true;
    if (OverwriteMode == omKeep) return false;
    if (OverwriteMode == omAsk) {
        FileExistName = ExtractFileName(APath);
        UnZipDialog.AskOverwrite(ADlg);
        return OverwriteThis;
    }
    return true;
}

// Opens the file of the current entry at APath when it was not made anew: an existing file
// goes by the overwrite mode, a missing folder is made (AFolderMissing: known to be missing,
// so nothing can be there). False with the entry's result (AResult, left as it is unless the
// run must stop) when no file is to be written.
static bool OpenEntryFile(HWND ADlg, HWND AList, const char *APath, bool AFolderMissing,
                          TEntryResult &AResult)
{
    bool FolderEntry = APath[strlen(APath) - 1] == '\\';
    if (!AFolderMissing && UnZipFileOps.Exists(APath)) {
        // A folder entry whose folder is there already is done; so is a file kept.
        if (FolderEntry || !ReplaceExisting(ADlg, APath)) {
            Deselect(AList);
            return false;
        }
        FolderEntry = false;
    } else if (!MakeFolder(ExtractFilePath(APath))) {
        AResult = erStop;
        return false;
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

// Decodes the current entry into OutFile, sets its time and closes it; answers whether it
// was written whole and correct.
static bool WriteEntryData(const TLocalHeader &H, const char *APath)
{
    // The method was looked at before the file was touched (CheckEntry): stored or deflated.
    Crc = 0xFFFFFFFFu;
    CompressedLeft = (int32_t)H.CompressedSize;
    OutLeft = H.UncompressedSize;
    int Decoded = H.Method == ZipStored ? CopyStoredEntry() : InflateEntry();
    OutLeft = -1;
    bool Written = Decoded == INFLATE_OK && H.Crc32 == (Crc ^ 0xFFFFFFFFu);

    UnZipFileOps.SetTime(OutFile, (uint32_t)H.Date << 16 | H.Time);
    if (!UnZipFileOps.Close(OutFile)) {
        ReportPath(MsgCannotCloseFile, APath, UnZipFileOps.LastError());
        Written = false;
    }
    OutFile = -1;
    return Written;
}

TEntryResult ExtractEntry(HWND ADlg, HWND AList, const string &AName, bool AUnsafe)
{
    const TLocalHeader H = LocalHeader;
    if (TargetFolder.empty()) {   // no folder at all: the name would hang from the drive's root
        ReportPath(MsgCannotCreateDir, TargetFolder);
        return erStop;
    }
    // A name that would land outside the folder, that Windows cannot hold, or that is not
    // what the archive holds (cut, or cut short by a zero byte) is never written: it is
    // reported like a file that cannot be created.
    if (AUnsafe || EntryNameFault(AName)) {
        ReportPath(MsgCannotCreateFile, AName);
        return erDone;
    }
    string Path = TargetFolder + "\\" + AName;
    if (Path.length() >= MAX_PATH) {
        ReportPath(MsgCannotCreateFile, Path);
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
    OutFile = -1;
    bool FolderMissing = false;
    if (PathBuf[Path.length() - 1] != '\\') OutFile = UnZipFileOps.CreateNew(PathBuf, FolderMissing);
    TEntryResult Early = erDone;
    if (OutFile == -1 && !OpenEntryFile(ADlg, AList, PathBuf, FolderMissing, Early)) return Early;

    FilesDone++;
    UnZipDialog.SetProgress(ADlg, RoundHalfEven(ProgressStep * FilesDone));
    UnZipDialog.SetLabel(ADlg, ExtractFileName(PathBuf));
    UnZipDialog.DispatchOne();
    if (WriteEntryData(H, PathBuf)) Deselect(AList);
    return erDone;
}

