// UnfurlPackCheck: the preparation tool's checks of a ZIP archive: whether the installer can
// walk and install it, entry by entry, and the adoption of Info-ZIP's Unicode path names.
#ifndef UNFURLPACKCHECK_H
#define UNFURLPACKCHECK_H

#include <stdint.h>

#include <string>
#include <vector>

// One reason to refuse an archive; Entry is empty for the archive as a whole.
struct TPackFault {
    std::string Entry;
    std::string Reason;
};

// Walks AZip as the installer does, from the first local header to the central directory,
// and compares every step with the central directory. Answers every fault found (none when
// the installer can install the archive) and the number of entries walked.
std::vector<TPackFault> CheckArchive(const std::string &AZip, int &AEntries);

// CRC-32 of a whole archive (or any bytes), as the integrity record holds it.
uint32_t ArchiveCrc(const std::string &AZip);

// Whether a name or text is well-formed UTF-8, as the installer checks names flagged so.
bool IsUtf8(const std::string &AText);

// Where AZip's end of central directory record starts (the last signature within the
// record's size and the longest comment), or npos.
size_t FindEndRecord(const std::string &AZip);

#endif
