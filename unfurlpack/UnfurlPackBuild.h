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
// The year field ends with 2107: later times become 2107-12-31 23:59:58, and AClamped (when
// given) is set.
uint32_t DosDateTime(time_t ATime, bool *AClamped = 0);

// The installer's work-list order, as near as bytes allow (the list sorts by the user's
// locale, case ignored): names compared byte by byte with ASCII letters folded to lower case.
bool WorkListBefore(const std::string &A, const std::string &B);

// What CollectFolder finds.
struct TCollected {
    std::vector<TPackEntry> Entries;   // in work-list order
    std::vector<std::string> Late;     // files dated 2108 or later (stored as the last DOS time)
    std::string Error;                 // why the folder cannot be packed
    int Code = 0;                      // the exit code for Error
};

// The files under ADir and its empty folders, in work-list order, leaving out the file ASkip
// (the installer being written, when it lies in the folder and exists already). Symbolic
// links are not followed out of the folder, nor to folders: a link to a file inside it is
// packed as a copy of that file, any other link refused. False, with AOut.Error and its code,
// when a folder or file cannot be read (PackFileError), or something cannot go into the
// archive (PackBadArchive): such a link, a file of 4 GiB or more (found before reading it),
// something neither file nor folder.
bool CollectFolder(const std::string &ADir, const std::string &ASkip, TCollected &AOut);

// The ZIP archive of the entries, files read and compressed at ALevel (libdeflate's 1..12)
// on AThreads threads. Answers 0, or the exit code with the reason in AError: PackFileError
// when a file cannot be read, PackBadArchive when the archive would outgrow the installer.
int WriteZip(const std::vector<TPackEntry> &AEntries, int ALevel, int AThreads,
             std::string &AZip, std::string &AError);

// The "build" command: unfurlpack build DIR -o OUTPUT.exe [options]; the exit code.
int PackBuildMain(int AArgc, char **AArgv);

#endif
