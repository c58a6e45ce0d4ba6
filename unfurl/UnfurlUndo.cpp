// UnfurlUndo: the journal of an extraction run and putting the folder back (see the header).
// Portable: files and folders through the run's FileOps, the journal's bytes through its IO.
#include "UnfurlUndo.h"

#include <string.h>

#include "QSysUtil.h"
#include "UnfurlRun.h"

void UndoNote(TUnZipRun &ARun, char AKind, const string &APath)
{
    TUndo &U = ARun.Undo;
    string Line = AKind + APath + '\n';
    U.Journal += Line;
    // Written before the change it notes, so that a killed run finds every change it made.
    if (U.File != -1) ARun.IO->Write(U.File, Line.c_str(), (int32_t)Line.length());
}

void UndoNoteFolders(TUnZipRun &ARun, const string &ADir)
{
    // Up to the first level that is there; noted from the top, so the deepest goes first on undo.
    if (ADir.empty() || ARun.FileOps->Exists(ADir.c_str())) return;
    string Up = ExtractFilePath(ADir);
    if (Up.length() < ADir.length()) UndoNoteFolders(ARun, Up);
    UndoNote(ARun, '/', ADir + "\\");
}

// The folder of the undo folder holding the K-th file aside. Under Wine every lookup of a new
// name reads the whole folder, so the files aside go AsideBucket to a folder: a rename into
// one folder of thousands cost more than the install itself.
enum { AsideBucket = 64 };
static string AsideFolder(const TUndo &U, int32_t AK)
{
    return U.Dir + IntToStr((AK - 1) / AsideBucket) + "\\";
}

bool UndoMoveAside(TUnZipRun &ARun, const char *APath)
{
    TUndo &U = ARun.Undo;
    // No undo folder (its name made the path too long): the file is replaced in place, and an
    // undo names it as not put back.
    if (U.File == -1) {
        UndoNote(ARun, '!', APath);
        return true;
    }
    UndoNote(ARun, '*', APath);
    int32_t K = ++U.Aside;
    string Folder = AsideFolder(U, K);
    if ((K - 1) % AsideBucket == 0) ARun.FileOps->ForceDirs(Folder);
    return ARun.FileOps->Rename(APath, (Folder + IntToStr(K)).c_str());
}

// The journal file and the undo folder.
static void RemoveUndoData(TUnZipRun &ARun)
{
    ARun.FileOps->Remove((ARun.Undo.Dir + "journal").c_str());
    ARun.FileOps->Remove(ARun.Undo.Dir.c_str());
}

// Whether a journal line may be acted on: a path under the target folder, or (a folder the run
// made) the target folder or one of its levels. A journal found in the folder may have been
// written by anyone: nothing outside the folder is removed or replaced because of it, and no
// "..", stream or second separator style leads out of it.
static bool InsideTarget(const string &ATarget, char AKind, const char *APath)
{
    size_t N = ATarget.length(), L = strlen(APath);
    if (N == 0 || L == 0) return false;
    for (const char *P = APath + (L > N ? N : L); *P; P++)
        if (*P == '/' || *P == ':' || (P[0] == '\\' && P[1] == '.' && P[2] == '.' &&
                                       (P[3] == '\\' || P[3] == 0)))
            return false;
    if (L > N + 1) return !strncmp(APath, ATarget.c_str(), N) && APath[N] == '\\';
    // A folder of the target's own path: "C:\a\" for the target C:\a\b.
    return AKind == '/' && APath[L - 1] == '\\' && !strncmp(APath, ATarget.c_str(), L - 1) &&
           (L - 1 == N || ATarget[L - 1] == '\\');
}

void UndoFinish(TUnZipRun &ARun, HWND ADlg, bool ARollBack)
{
    TUndo &U = ARun.Undo;
    const TUnZipFileOps &F = *ARun.FileOps;
    if (U.Dir.empty()) return;   // no folder, nothing written
    if (U.File != -1) F.Close(U.File);
    U.File = -1;
    string Failed;
    int32_t Aside = 0;
    size_t Len = U.Journal.length();
    char *J = U.Journal.begin_write();   // cut into lines in place: the journal goes anyway
    for (size_t I = 0; I < Len; I++) Aside += J[I] == '*';
    bool DataLeft = true;
    // Newest change first; a journal cut inside its last line (a killed run) loses that line.
    while (Len > 0 && J[Len - 1] != '\n') Len--;
    while (Len > 0) {
        J[--Len] = 0;
        while (Len > 0 && J[Len - 1] != '\n') Len--;
        char Kind = J[Len];
        const char *Path = J + Len + 1;
        if (!InsideTarget(ARun.TargetDir, Kind, Path)) {
            if (Kind == '*') Aside--;   // its file aside stays with the undo data
            continue;
        }
        bool Ok = Kind != '!' || !ARollBack;
        if (Kind == '*') {
            string Folder = AsideFolder(U, Aside);
            string Old = Folder + IntToStr(Aside);
            // Not aside: the run was killed before moving it, and the file is the old one.
            if (!ARollBack)
                F.Remove(Old.c_str());
            else if (F.Exists(Old.c_str())) {
                F.Remove(Path);
                Ok = F.Rename(Old.c_str(), Path);
            }
            if ((Aside-- - 1) % AsideBucket == 0) F.Remove(Folder.c_str());   // its first: empty now
        } else if (ARollBack && (Kind == '+' || Kind == '/')) {
            // The folders holding the undo folder go last, when it is gone.
            if (DataLeft && Kind == '/' && !strncmp(U.Dir.c_str(), Path, strlen(Path))) {
                RemoveUndoData(ARun);
                DataLeft = false;
            }
            Ok = F.Remove(Path) || !F.Exists(Path);
        }
        if (!Ok) {
            Failed += Path;
            Failed += "\r\n";
        }
    }
    if (DataLeft) RemoveUndoData(ARun);
    U.Journal.clear();
    U.Aside = 0;
    if (Failed.empty()) return;
    U.Failed = true;
    if (!ARun.Silent) ARun.Dialog->ShowError(ADlg, MsgNotPutBack + Failed);
}

void UndoBegin(TUnZipRun &ARun, HWND ADlg)
{
    TUndo &U = ARun.Undo;
    const TUnZipFileOps &F = *ARun.FileOps;
    if (ARun.TargetDir.empty()) return;   // the run stops at once (ExtractEntry)
    U.Dir = ARun.TargetDir + "\\" UNDO_FOLDER_NAME "\\";
    string Name = U.Dir + "journal";
    TZipHandle Old = F.OpenRead(Name.c_str());
    if (Old != -1) {
        // The folder was there (the old journal is in it): this run has noted nothing yet.
        char Buf[4096];
        int32_t Got;
        while ((Got = ARun.IO->Read(Old, Buf, sizeof Buf)) > 0) U.Journal.append(Buf, (size_t)Got);
        F.Close(Old);
        bool Back = ARun.Silent || ARun.Dialog->AskError(ADlg, MsgPutBack);
        UndoFinish(ARun, ADlg, Back);
        UndoNoteFolders(ARun, ARun.TargetDir);   // the old run's folders may be gone now
    }
    F.ForceDirs(U.Dir);
    U.File = F.Create(Name.c_str());
    if (U.File != -1) ARun.IO->Write(U.File, U.Journal.c_str(), (int32_t)U.Journal.length());
}
