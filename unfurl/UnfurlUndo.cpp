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
    return ARun.FileOps->Rename(APath, (U.Dir + IntToStr(++U.Aside)).c_str());
}

// The journal file and the undo folder.
static void RemoveUndoData(TUnZipRun &ARun)
{
    ARun.FileOps->Remove((ARun.Undo.Dir + "journal").c_str());
    ARun.FileOps->Remove(ARun.Undo.Dir.c_str());
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
    for (size_t I = 0; I < U.Journal.length(); I++) Aside += U.Journal[I] == '*';
    bool DataLeft = true;
    // Newest change first; a journal cut inside its last line (a killed run) loses that line.
    size_t End = U.Journal.rfind('\n');
    while (End != string::npos && End > 0) {
        size_t Start = End;
        while (Start > 0 && U.Journal[Start - 1] != '\n') Start--;
        char Kind = U.Journal[Start];
        string Path = U.Journal.substr(Start + 1, End - Start - 1);
        End = Start - 1;
        if (Start == 0) End = string::npos;
        bool Ok = Kind != '!' || !ARollBack;
        if (Kind == '*') {
            string Old = U.Dir + IntToStr(Aside--);
            // Not aside: the run was killed before moving it, and the file is the old one.
            if (!ARollBack)
                F.Remove(Old.c_str());
            else if (F.Exists(Old.c_str())) {
                F.Remove(Path.c_str());
                Ok = F.Rename(Old.c_str(), Path.c_str());
            }
        } else if (ARollBack && (Kind == '+' || Kind == '/')) {
            // The folders holding the undo folder go last, when it is gone.
            if (DataLeft && Kind == '/' && !strncmp(U.Dir.c_str(), Path.c_str(), Path.length())) {
                RemoveUndoData(ARun);
                DataLeft = false;
            }
            Ok = F.Remove(Path.c_str()) || !F.Exists(Path.c_str());
        }
        if (!Ok) Failed += Path + "\r\n";
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
