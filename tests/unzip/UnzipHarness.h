// Test helper: runs the installer's archive walk with everything in memory (the archive, the
// files it writes, the dialog) or on the host's disk, the way the installer dialog does:
// a listing run, every item selected, an extraction run.
#ifndef UNZIPHARNESS_H
#define UNZIPHARNESS_H

#include <string.h>

#include <map>
#include <set>
#include <string>

#include "QSysUtil.h"
#include "UnfurlMemDialog.h"
#include "UnfurlOutcome.h"
#include "UnfurlArchive.h"
#include "UnfurlUnZip.h"

// Files and folders in memory. Paths use backslashes; folders are kept without a trailing one.
struct TMemFs {
    std::map<std::string, std::string> Files;
    std::set<std::string> Dirs;
    std::map<std::string, uint32_t> Times;
    std::set<std::string> Locked;      // files that cannot be replaced
    std::map<TZipHandle, std::string> Open;
    int Creates = 0;
    bool FailClose = false;            // closing reports a failure
    uint32_t LastError = 0;            // the code of the last failed creation or close
};

// The one failure code the files in memory give, and its text.
enum { MemFsAccessDenied = 5 };
const char *const MemFsAccessDeniedText = "Access is denied.";

inline TMemFs *&CurrentMemFs()
{
    static TMemFs *Fs = 0;
    return Fs;
}

inline std::string MemFsKey(const char *APath)
{
    std::string S(APath);
    for (char &C : S)
        if (C == '/') C = '\\';
    while (S.size() > 1 && S.back() == '\\') S.pop_back();
    return S;
}

inline bool MemFsExists(const char *APath)
{
    size_t Len = strlen(APath);
    if (Len == 0) return false;
    TMemFs &Fs = *CurrentMemFs();
    std::string K = MemFsKey(APath);
    if (APath[Len - 1] == '\\') return Fs.Dirs.count(K) > 0;
    return Fs.Files.count(K) || Fs.Dirs.count(K);
}

inline void MemFsForceDirs(const string &ADir)
{
    std::string K = MemFsKey(ADir.c_str());
    TMemFs &Fs = *CurrentMemFs();
    Fs.LastError = 0;
    if (K.empty()) return;
    for (size_t I = 1; I <= K.size(); I++)
        if (I == K.size() || K[I] == '\\') {
            std::string Part = K.substr(0, I);
            if (Fs.Files.count(Part)) {   // a file stands in the way
                Fs.LastError = MemFsAccessDenied;
                return;
            }
            Fs.Dirs.insert(Part);
        }
}

inline TZipHandle MemFsCreate(const char *APath)
{
    TMemFs &Fs = *CurrentMemFs();
    std::string K = MemFsKey(APath);
    size_t Sep = K.rfind('\\');
    bool ParentOk = Sep == std::string::npos || Fs.Dirs.count(K.substr(0, Sep));
    if (strlen(APath) == 0 || APath[strlen(APath) - 1] == '\\' || Fs.Dirs.count(K) ||
        Fs.Locked.count(K) || !ParentOk) {
        Fs.LastError = MemFsAccessDenied;
        return -1;
    }
    TZipMemFile *F = new TZipMemFile;
    ZipMemCreate(*F);
    Fs.Open[ZipMemHandle(*F)] = K;
    Fs.Files[K];
    Fs.Creates++;
    return ZipMemHandle(*F);
}

inline TZipHandle MemFsCreateNew(const char *APath, bool &AFolderMissing)
{
    TMemFs &Fs = *CurrentMemFs();
    std::string K = MemFsKey(APath);
    size_t Sep = K.rfind('\\');
    AFolderMissing = Sep != std::string::npos && !Fs.Dirs.count(K.substr(0, Sep));
    if (Fs.Files.count(K) || Fs.Dirs.count(K)) return -1;
    return MemFsCreate(APath);
}

inline int32_t MemFsAttributes(const char *APath)
{
    TMemFs &Fs = *CurrentMemFs();
    std::string K = MemFsKey(APath);
    if (Fs.Dirs.count(K)) return faDirectory;
    if (Fs.Files.count(K)) return faArchive;
    return -1;
}

inline void MemFsSetTime(TZipHandle AFile, uint32_t ADosDateTime)
{
    TMemFs &Fs = *CurrentMemFs();
    Fs.Times[Fs.Open[AFile]] = ADosDateTime;
}

inline bool MemFsClose(TZipHandle AFile)
{
    TMemFs &Fs = *CurrentMemFs();
    TZipMemFile *F = (TZipMemFile *)AFile;
    Fs.Files[Fs.Open[AFile]] = std::string((const char *)F->Data, (size_t)F->Size);
    Fs.Open.erase(AFile);
    ZipMemFree(*F);
    delete F;
    if (Fs.FailClose) Fs.LastError = MemFsAccessDenied;
    return !Fs.FailClose;
}

inline uint32_t MemFsLastError() { return CurrentMemFs()->LastError; }

inline string MemFsErrorText(uint32_t ACode)
{
    return ACode == MemFsAccessDenied ? string(MemFsAccessDeniedText) : string("error");
}

// As MoveFile: a file only, not onto anything, not a locked one.
inline bool MemFsRename(const char *AFrom, const char *ATo)
{
    TMemFs &Fs = *CurrentMemFs();
    std::string From = MemFsKey(AFrom), To = MemFsKey(ATo);
    size_t Sep = To.rfind('\\');
    if (!Fs.Files.count(From) || Fs.Locked.count(From) || Fs.Files.count(To) || Fs.Dirs.count(To) ||
        (Sep != std::string::npos && !Fs.Dirs.count(To.substr(0, Sep)))) {
        Fs.LastError = MemFsAccessDenied;
        return false;
    }
    Fs.Files[To] = Fs.Files[From];
    Fs.Files.erase(From);
    if (Fs.Times.count(From)) Fs.Times[To] = Fs.Times[From];
    Fs.Times.erase(From);
    return true;
}

// A file, or an empty folder for a path ending in a backslash.
inline bool MemFsRemove(const char *APath)
{
    TMemFs &Fs = *CurrentMemFs();
    std::string K = MemFsKey(APath);
    if (Fs.Locked.count(K)) return false;
    if (APath[0] && APath[strlen(APath) - 1] != '\\') {
        Fs.Times.erase(K);
        return Fs.Files.erase(K) > 0;
    }
    auto Inside = [&](const std::string &P) { return P.compare(0, K.size() + 1, K + "\\") == 0; };
    for (auto &F : Fs.Files)
        if (Inside(F.first)) return false;
    for (auto &D : Fs.Dirs)
        if (Inside(D)) return false;
    return Fs.Dirs.erase(K) > 0;
}

inline TZipHandle MemFsOpenRead(const char *APath)
{
    TMemFs &Fs = *CurrentMemFs();
    std::string K = MemFsKey(APath);
    if (!Fs.Files.count(K)) return -1;
    TZipMemFile *F = new TZipMemFile;
    ZipMemCreate(*F);
    ZipMemIO()->Write(ZipMemHandle(*F), Fs.Files[K].data(), (int32_t)Fs.Files[K].size());
    F->Pos = 0;
    Fs.Open[ZipMemHandle(*F)] = K;
    return ZipMemHandle(*F);
}

inline bool MemFsSameSizeTime(const char *APath, uint32_t ASize, uint32_t ADosDateTime)
{
    TMemFs &Fs = *CurrentMemFs();
    std::string K = MemFsKey(APath);
    auto F = Fs.Files.find(K);
    auto T = Fs.Times.find(K);
    return F != Fs.Files.end() && F->second.size() == ASize && T != Fs.Times.end() &&
           T->second == ADosDateTime;
}

// The files and folders in memory as the walk's file seam.
inline const TUnZipFileOps *MemFsOps()
{
    static const TUnZipFileOps Ops = {MemFsExists,    MemFsForceDirs,  MemFsCreate,
                                      MemFsCreateNew, MemFsAttributes, MemFsSetTime,
                                      MemFsClose,     MemFsLastError,  MemFsErrorText,
                                      MemFsRename,    MemFsRemove,     MemFsOpenRead,
                                      MemFsSameSizeTime};
    return &Ops;
}

// Everything in memory: a run on the archive bytes AFile (borrowed) from their first byte,
// files in AFs, the dialog in memory.
inline void UseMemory(TUnZipRun &ARun, TMemFs &AFs, TZipMemFile &AArchive, const std::string &AFile)
{
    CurrentMemFs() = &AFs;
    RunInit(ARun, ZipMemIO(), MemFsOps(), MemDialog());
    ZipMemOpen(AArchive, AFile.data(), (int64_t)AFile.size());
    UseArchive(ARun, ZipMemIO(), ZipMemHandle(AArchive));
    ARun.ArchiveStart = 0;
}

// A run on the platform's files with the dialog in memory (the archive is the caller's to
// open).
inline void UseDisk(TUnZipRun &ARun)
{
    RunInit(ARun, ZipFileIO(), UnZipDiskOps(), MemDialog());
}

// The installer dialog's sequence: listing run, select all, extraction run into ATarget.
// Answers false when the listing run ended the program.
inline bool RunInstall(TUnZipRun &ARun, TMemDialog &AMem, const char *ATarget, uint32_t AStart = 0)
{
    ARun.ArchiveStart = AStart;
    ARun.OverwriteMode = omAsk;
    UnZipFiles(ARun, MemDialogWnd(AMem), 9500, true);
    if (AMem.Ended) return false;
    MemSelectAll(AMem);
    ARun.TargetDir = ATarget;   // the walk alone: StartExtraction's steps have their own test
    ARun.ProgressStep = AMem.Items.empty() ? 0 : 100.0 / AMem.Items.size();
    ARun.FilesDone = 0;
    ARun.Ran = true;
    UnZipFiles(ARun, MemDialogWnd(AMem), 9500, false);
    return true;
}

// Items still selected after a run.
inline std::set<std::string> SelectedItems(const TMemDialog &AMem)
{
    std::set<std::string> R;
    for (size_t I = 0; I < AMem.Items.size(); I++)
        if (AMem.Selected[I]) R.insert(AMem.Items[I].c_str());
    return R;
}

// A whole installation in memory: the archive AFile, the files, the dialog, the target
// folder (T:\inst unless another is given), and the stop flag cleared.
const char *const Target = "T:\\inst";

struct Walk {
    TMemFs Fs;
    TMemDialog Dlg;
    TZipMemFile Archive;
    std::string File;
    std::string Dir;
    TUnZipRun R;

    explicit Walk(const std::string &AFile, const char *ATarget = Target) : File(AFile), Dir(ATarget)
    {
        UseMemory(R, Fs, Archive, File);
        Fs.Dirs.insert("T:");
        Fs.Dirs.insert(MemFsKey(ATarget));
    }
    bool Run(uint32_t AStart = 0) { return RunInstall(R, Dlg, Dir.c_str(), AStart); }
    // The two runs one by one, for a test that changes something between them.
    void List()
    {
        R.ArchiveStart = 0;
        R.OverwriteMode = omAsk;
        UnZipFiles(R, MemDialogWnd(Dlg), 9500, true);
        MemSelectAll(Dlg);
    }
    void Extract(const char *AFolder = 0)
    {
        R.TargetDir = AFolder ? AFolder : Dir.c_str();
        R.ProgressStep = Dlg.Items.empty() ? 0 : 100.0 / Dlg.Items.size();
        R.FilesDone = 0;
        R.Ran = true;
        UnZipFiles(R, MemDialogWnd(Dlg), 9500, false);
    }
    // The file of entry AName (either separator) under the default target.
    std::string At(const std::string &AName) const
    {
        std::string K = std::string(Target) + "\\" + AName;
        for (char &C : K)
            if (C == '/') C = '\\';
        return K;
    }
    bool Has(const std::string &AName) const { return Fs.Files.count(At(AName)) > 0; }
    std::string Data(const std::string &AName) const { return Fs.Files.at(At(AName)); }
    std::string Error(size_t AIndex) const { return Dlg.Errors.at(AIndex).c_str(); }
    std::string LastError() const { return Dlg.Errors.empty() ? "" : Dlg.Errors.back().c_str(); }
};

#endif
