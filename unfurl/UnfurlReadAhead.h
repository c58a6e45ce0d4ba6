// UnfurlReadAhead: a read buffer over the archive, because under Wine every kernel read and
// seek is a round trip, and a walk of small entries makes several per entry.
// A TReadAhead is a reader of its own: a TZipIO whose handle is the record, layered over the
// archive's binding and handle. Local headers, names and small entries then cost one kernel
// read per buffer. A seek that lands inside the buffered bytes moves in the buffer only; any
// other seek goes to the file at once (so a failing seek fails as before). Reads of half a
// buffer or more go straight to the file. It only reads and seeks: the extracted files are
// written through the run's own binding.
#ifndef UNFURLREADAHEAD_H
#define UNFURLREADAHEAD_H

#include "UnfurlZipIO.h"

enum { ReadAheadSize = 65536 };

struct TReadAhead {
    const TZipIO *Inner;    // the binding underneath
    TZipHandle File;        // the buffered file
    uint8_t *Buf;           // ReadAheadSize bytes
    int64_t Start;          // file offset of Buf[0]
    int32_t Len;            // valid bytes in Buf
    int64_t Pos;            // the position the callers see
    int64_t InnerPos;       // the file's own position; -1 when not known
};

// The reader's binding; its handle is ReadAheadHandle(record).
const TZipIO *ReadAheadIO();
inline TZipHandle ReadAheadHandle(TReadAhead &A) { return (TZipHandle)&A; }

// Sets AAhead over AFile (read through AInner), whose position is APos. Answers false when no
// memory is left (the caller then reads AFile directly).
bool ReadAheadBegin(TReadAhead &AAhead, const TZipIO *AInner, TZipHandle AFile, int64_t APos);
// Leaves the file positioned where the reads and seeks through AAhead left it; releases the
// buffer.
void ReadAheadEnd(TReadAhead &AAhead);

#endif
