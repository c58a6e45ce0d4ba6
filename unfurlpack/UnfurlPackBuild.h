// UnfurlPackBuild: the preparation tool's "build" mode: a folder becomes the installer's ZIP
// archive in one step. The entries come in the order the installer's work list sorts them
// (so every lookup of its extraction run finds the very next item), with sizes and CRC-32 in
// every local header (the installer's walk steps from header to header), each file's time
// from its modification time, folder entries for empty folders, and DEFLATE by libdeflate,
// or stored when deflating does not make a file smaller. Host only.
#ifndef UNFURLPACKBUILD_H
#define UNFURLPACKBUILD_H

#include <stdint.h>
#include <time.h>

#include <string>
#include <vector>

// One entry to pack.
struct TPackEntry {
    std::string Name;     // archive name: "/" separators, a folder's ends in "/"
    std::string Path;     // the file on disk ("" for a folder)
    uint32_t DosTime;     // DOS date << 16 | DOS time, local time
};

// A time as a DOS date and time (local time, 2-second steps; 1980-01-01 for earlier times).
uint32_t DosDateTime(time_t ATime);

// The installer's work-list order, as near as bytes allow (the list sorts by the user's
// locale, case ignored): names compared byte by byte with ASCII letters folded to lower case.
bool WorkListBefore(const std::string &A, const std::string &B);

// The files under ADir and its empty folders, in work-list order. False, with the reason
// in AError, when a folder or file cannot be read or something is neither file nor folder.
bool CollectFolder(const std::string &ADir, std::vector<TPackEntry> &AEntries, std::string &AError);

// The ZIP archive of the entries, files read and compressed at ALevel (libdeflate's 1..12)
// on AThreads threads. False, with the reason in AError, when a file cannot be read or the
// archive would outgrow the installer's 32-bit offsets.
bool WriteZip(const std::vector<TPackEntry> &AEntries, int ALevel, int AThreads,
              std::string &AZip, std::string &AError);

// The "build" command: unfurlpack build DIR -o OUTPUT.exe [options]; the exit code.
int PackBuildMain(int AArgc, char **AArgv);

#endif
