// UnfurlPackRewrite: any readable ZIP archive made into one the installer's walk installs.
// The walk steps from local header to local header by the sizes each one holds, from the
// archive's first byte on. Many good archives do not allow that: streaming writers (Java,
// office suites, Python on a pipe) leave the sizes to a data descriptor after the data, often
// without its signature; large-file writers add ZIP64 fields even to small entries; others
// have a script or another program in front, or UTF-8 names without flag bit 11. Such an
// archive is read here the way unzip and 7-Zip read it, through its central directory, and
// written anew: each entry's compressed data kept as it is, sizes and CRC-32 in every local
// header, no data descriptors, no ZIP64 fields, nothing in front, UTF-8 names flagged, times
// and empty folders kept. The new archive is then checked as every archive is (CheckArchive:
// each entry decoded under the walk's bounds).
#ifndef UNFURLPACKREWRITE_H
#define UNFURLPACKREWRITE_H

#include <string>
#include <vector>

#include "UnfurlPackCheck.h"

enum TPackVerdict {
    pvAsIs,        // the walk installs the archive as it is: it goes in byte for byte
    pvRewritten,   // installable after rewriting: Rewritten goes in
    pvRefused      // not installable: Faults says why
};

struct TPreparedArchive {
    TPackVerdict Verdict = pvRefused;
    std::string Rewritten;            // pvRewritten: the new archive
    std::string Rewrote;              // pvRewritten: what changed, e.g. "12 entries: sizes
                                      // from the central directory"
    std::vector<TPackFault> Faults;   // pvRefused: every reason found
    int Entries = 0;                  // entries the installer will write
};

// The verdict on AZip and, when it needs one, the rewritten archive.
TPreparedArchive PrepareArchive(const std::string &AZip);

// AZip read through its central directory and written anew as above (not yet checked). False,
// with the reasons in AFaults, when the directory cannot be read or does not match the data,
// or an entry cannot be carried over (encrypted, 4 GiB or more).
bool RewriteArchive(const std::string &AZip, std::string &AOut, std::string &ARewrote,
                    std::vector<TPackFault> &AFaults);

#endif
