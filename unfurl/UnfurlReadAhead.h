// UnfurlReadAhead: a read buffer over the archive, because under Wine every kernel read and
// seek is a round trip, and a walk of small entries makes several per entry.
// During a run the archive's reads go through a buffer of ReadAheadSize bytes layered over
// ZipIO: local headers, names and small entries then cost one kernel read per buffer. A seek
// that lands inside the buffered bytes moves in the buffer only; any other seek goes to the
// file at once (so a failing seek fails as before). Reads of half a buffer or more go straight
// to the file. Only reads and seeks of the buffered handle are wrapped: writes (the extracted
// files) and other handles go to the binding underneath untouched.
#ifndef UNFURLREADAHEAD_H
#define UNFURLREADAHEAD_H

#include "UnfurlZipInflate.h"

enum { ReadAheadSize = 65536 };

// Layers the buffer over the current ZipIO for AFile, whose position is APos. Answers false
// (and changes nothing) when a read-ahead is already active or no memory is left.
bool ReadAheadBegin(TZipHandle AFile, int64_t APos);
// Restores ZipIO and leaves AFile positioned where the reads and seeks through it left it.
void ReadAheadEnd();

#endif
