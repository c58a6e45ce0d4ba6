// QFile: the programs' file layer. Operations never fail loudly: a failure leaves a
// pending result code for the current thread (platform error number, or 100 short
// block read, 102 never assigned, 103 not open) that IOResult reads and clears.
// Backends: QFileWin.cpp (kernel file API) and QFilePosix.cpp (host build).
#ifndef QFILE_H
#define QFILE_H

#include <stdint.h>
#include "QTypes.h"

// Names are bytes in the system's code page, at most MAX_PATH - 1 of them. A program built
// with Q_FILE_NAMES_UTF8 hands UTF-8 names (the Windows backend opens them through the wide
// API): MAX_PATH - 1 UTF-16 units take up to three bytes each there.
#ifdef Q_FILE_NAMES_UTF8
enum { FileNameMax = 3 * (MAX_PATH - 1) };
#else
enum { FileNameMax = MAX_PATH - 1 };
#endif

struct TFile {
    intptr_t Handle = -1;     // platform handle while open, else -1
    uint32_t RecSize = 1;     // bytes per record of block reads and writes
    bool Assigned = false;    // bound to a name by AssignFile
    char Name[FileNameMax + 1] = {};
};

// Open modes for Reset.
enum { fmOpenRead = 0, fmOpenReadWrite = 2 };

void AssignFile(TFile &F, const char *AName);     // names longer than FileNameMax are cut
void Reset(TFile &F, uint32_t ARecSize = 1, int AMode = fmOpenRead);  // existing file
void Rewrite(TFile &F, uint32_t ARecSize = 1);    // created or truncated, read/write
// Reads ACount records. With AResult the count read is returned and a short read is
// no error; without it a short read leaves code 100.
void BlockRead(TFile &F, void *ABuf, uint32_t ACount, uint32_t *AResult = 0);
void BlockWrite(TFile &F, const void *ABuf, uint32_t ACount, uint32_t *AResult = 0);
void Seek(TFile &F, int64_t ARecord);
int64_t FileSize(TFile &F);                       // in records; -1 on failure
int64_t FilePos(TFile &F);
void CloseFile(TFile &F);
bool FileIsOpen(const TFile &F);

int IOResult();                 // returns the pending code and resets it to 0
void SetIOResult(int ACode);    // replaces the pending code (file layer and tests)

// Test seam: how many operations of each kind this thread made, and a hook that fails a
// chosen operation with a chosen code (0 lets it run; a failed close still closes).
enum TFileOp { foOpen, foRead, foWrite, foSeek, foSize, foClose, foOpCount };
struct TFileStats {
    uint32_t Ops[foOpCount];   // attempts, failed ones included
    uint32_t Opened;           // opens that succeeded (each should meet one close)
};
TFileStats &FileStats();
typedef int (*TFileFaultHook)(const TFile &F, int AOp);
void SetFileFaultHook(TFileFaultHook AHook);

// Backend primitives (QFileWin.cpp, QFilePosix.cpp), used by the layer above. Each returns
// 0 or the platform's error number (Windows numbering on every side: 2, 3, 5, ...).
enum { fsOpenRead = 0, fsOpenReadWrite = 2, fsCreate = 3 };
int FileSysOpen(const char *AName, int AHow, intptr_t &AHandle);
int FileSysRead(intptr_t AHandle, void *ABuf, uint32_t ABytes, uint32_t &ADone);
int FileSysWrite(intptr_t AHandle, const void *ABuf, uint32_t ABytes, uint32_t &ADone);
int FileSysSeek(intptr_t AHandle, int64_t APos);
int FileSysPos(intptr_t AHandle, int64_t &APos);
int FileSysSize(intptr_t AHandle, int64_t &ASize);
int FileSysClose(intptr_t AHandle);

#endif
