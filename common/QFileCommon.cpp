// QFile: the record layer over the platform backends, and the pending result code.
// The backends move bytes; this part checks the file's state, converts records to
// bytes, and turns failures into the pending code of the calling thread.
#include "QFile.h"

#include <string.h>

// The result code belongs to the calling thread. A program image built for one thread
// defines Q_SINGLE_THREAD and keeps plain variables (no emulated TLS linked in).
#ifdef Q_SINGLE_THREAD
#define Q_THREAD_LOCAL
#else
#define Q_THREAD_LOCAL thread_local
#endif

static Q_THREAD_LOCAL int PendingCode = 0;
static Q_THREAD_LOCAL TFileStats Stats;
static Q_THREAD_LOCAL TFileFaultHook FaultHook = 0;

int IOResult()
{
    int Code = PendingCode;
    PendingCode = 0;
    return Code;
}

void SetIOResult(int ACode) { PendingCode = ACode; }

TFileStats &FileStats() { return Stats; }

void SetFileFaultHook(TFileFaultHook AHook) { FaultHook = AHook; }

// Counts the operation and asks the test hook whether it should fail.
static int Enter(const TFile &F, int AOp)
{
    Stats.Ops[AOp]++;
    return FaultHook ? FaultHook(F, AOp) : 0;
}

// A failing operation replaces whatever code was pending.
static void Fail(int ACode)
{
    if (ACode) PendingCode = ACode;
}

bool FileIsOpen(const TFile &F) { return F.Handle != -1; }

void AssignFile(TFile &F, const char *AName)
{
    F.Handle = -1;
    F.RecSize = 1;
    F.Assigned = true;
    size_t Len = AName ? strlen(AName) : 0;
    if (Len > FileNameMax) Len = FileNameMax;
    if (Len) memcpy(F.Name, AName, Len);
    F.Name[Len] = 0;
}

// Opens F's file with AHow (fsOpenRead, fsOpenReadWrite, fsCreate); an open file is closed first.
static void OpenAs(TFile &F, uint32_t ARecSize, int AHow)
{
    if (!F.Assigned) {
        Fail(102);
        return;
    }
    if (FileIsOpen(F)) {
        FileSysClose(F.Handle);
        F.Handle = -1;
    }
    F.RecSize = ARecSize ? ARecSize : 1;
    int Code = Enter(F, foOpen);
    if (Code) {
        Fail(Code);
        return;
    }
    intptr_t Handle = -1;
    Code = FileSysOpen(F.Name, AHow, Handle);
    if (Code) {
        Fail(Code);
        return;
    }
    F.Handle = Handle;
    Stats.Opened++;
}

void Reset(TFile &F, uint32_t ARecSize, int AMode)
{
    OpenAs(F, ARecSize, AMode == fmOpenReadWrite ? fsOpenReadWrite : fsOpenRead);
}

void Rewrite(TFile &F, uint32_t ARecSize) { OpenAs(F, ARecSize, fsCreate); }

// Records to bytes without overflow: a request larger than 4 GiB - 1 bytes is cut to whole
// records below that (the caller sees a short count).
static uint32_t BytesFor(const TFile &F, uint32_t ACount)
{
    uint64_t Bytes = (uint64_t)ACount * F.RecSize;
    if (Bytes > 0xFFFFFFFFu) Bytes = (0xFFFFFFFFu / F.RecSize) * (uint64_t)F.RecSize;
    return (uint32_t)Bytes;
}

void BlockRead(TFile &F, void *ABuf, uint32_t ACount, uint32_t *AResult)
{
    if (AResult) *AResult = 0;
    if (!FileIsOpen(F)) {
        Fail(103);
        return;
    }
    int Code = Enter(F, foRead);
    if (Code) {
        Fail(Code);
        return;
    }
    uint32_t Done = 0;
    Code = FileSysRead(F.Handle, ABuf, BytesFor(F, ACount), Done);
    uint32_t Records = Done / F.RecSize;
    if (AResult) *AResult = Records;
    if (Code)
        Fail(Code);
    else if (!AResult && Records < ACount)
        Fail(100);
}

void BlockWrite(TFile &F, const void *ABuf, uint32_t ACount, uint32_t *AResult)
{
    if (AResult) *AResult = 0;
    if (!FileIsOpen(F)) {
        Fail(103);
        return;
    }
    int Code = Enter(F, foWrite);
    if (Code) {
        Fail(Code);
        return;
    }
    uint32_t Done = 0;
    Code = FileSysWrite(F.Handle, ABuf, BytesFor(F, ACount), Done);
    uint32_t Records = Done / F.RecSize;
    if (AResult) *AResult = Records;
    if (Code)
        Fail(Code);
    else if (!AResult && Records < ACount)
        Fail(101);
}

void Seek(TFile &F, int64_t ARecord)
{
    if (!FileIsOpen(F)) {
        Fail(103);
        return;
    }
    int Code = Enter(F, foSeek);
    if (!Code) Code = ARecord < 0 ? 131 : FileSysSeek(F.Handle, ARecord * F.RecSize);
    Fail(Code);
}

int64_t FileSize(TFile &F)
{
    if (!FileIsOpen(F)) {
        Fail(103);
        return -1;
    }
    int Code = Enter(F, foSize);
    int64_t Size = 0;
    if (!Code) Code = FileSysSize(F.Handle, Size);
    if (Code) {
        Fail(Code);
        return -1;
    }
    return Size / F.RecSize;
}

int64_t FilePos(TFile &F)
{
    if (!FileIsOpen(F)) {
        Fail(103);
        return -1;
    }
    int64_t Pos = 0;
    int Code = FileSysPos(F.Handle, Pos);
    if (Code) {
        Fail(Code);
        return -1;
    }
    return Pos / F.RecSize;
}

void CloseFile(TFile &F)
{
    if (!FileIsOpen(F)) {
        Fail(103);
        return;
    }
    int Code = Enter(F, foClose);
    int Closed = FileSysClose(F.Handle);
    F.Handle = -1;
    Fail(Code ? Code : Closed);
}
