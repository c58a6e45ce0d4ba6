// QFile: the programs' file layer. Operations never fail loudly: a failure leaves a
// pending result code for the current thread (platform error number, or 100 short
// block read, 102 never assigned, 103 not open) that IOResult reads and clears.
// Backends: QFileWin.cpp (kernel file API) and QFilePosix.cpp (host build).
#ifndef QFILE_H
#define QFILE_H

#include <stdint.h>
#include "QTypes.h"

struct TFile {
    intptr_t Handle;     // platform handle while open, else -1
    uint32_t RecSize;    // bytes per record of block reads and writes
    bool Assigned;       // bound to a name by AssignFile
    char Name[MAX_PATH];
};

// Open modes for Reset.
enum { fmOpenRead = 0, fmOpenReadWrite = 2 };

void AssignFile(TFile &F, const char *AName);     // names longer than 259 are cut
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

#endif
