// UnfurlReadAhead: the archive's read buffer (see the header).
#include "UnfurlReadAhead.h"

#include <stdlib.h>
#include <string.h>

static TReadAhead &Ahead(TZipHandle AHandle) { return *(TReadAhead *)AHandle; }

// Puts the file itself at Pos; false when it cannot go there.
static bool AheadSync(TReadAhead &A)
{
    if (A.InnerPos == A.Pos) return true;
    A.InnerPos = A.Inner->Seek(A.File, A.Pos, ZIP_SEEK_BEGIN);
    if (A.InnerPos == A.Pos) return true;
    A.InnerPos = -1;
    return false;
}

static int32_t AheadRead(TZipHandle AHandle, void *ABuf, int32_t ACount)
{
    TReadAhead &A = Ahead(AHandle);
    uint8_t *Out = (uint8_t *)ABuf;
    int32_t Done = 0;
    while (Done < ACount) {
        int64_t Off = A.Pos - A.Start;
        if (Off >= 0 && Off < A.Len) {
            int32_t N = A.Len - (int32_t)Off;
            if (N > ACount - Done) N = ACount - Done;
            memcpy(Out + Done, A.Buf + Off, (size_t)N);
            Done += N;
            A.Pos += N;
            continue;
        }
        if (!AheadSync(A)) break;
        int32_t Want = ACount - Done;
        if (Want >= ReadAheadSize / 2) {   // a big read gains nothing from the buffer
            int32_t N = A.Inner->Read(A.File, Out + Done, Want);
            if (N <= 0) break;
            Done += N;
            A.Pos += N;
            A.InnerPos += N;
            continue;
        }
        int32_t N = A.Inner->Read(A.File, A.Buf, ReadAheadSize);
        A.Len = N > 0 ? N : 0;
        A.Start = A.Pos;
        if (N <= 0) break;             // end of file
        A.InnerPos += N;
    }
    return Done;
}

static int64_t AheadSeek(TZipHandle AHandle, int64_t ADistance, int AMethod)
{
    TReadAhead &A = Ahead(AHandle);
    if (AMethod == ZIP_SEEK_BEGIN || AMethod == ZIP_SEEK_CURRENT) {
        int64_t Target = AMethod == ZIP_SEEK_BEGIN ? ADistance : A.Pos + ADistance;
        if (A.Len > 0 && Target >= A.Start && Target <= A.Start + A.Len) {
            A.Pos = Target;
            return Target;
        }
        A.InnerPos = A.Inner->Seek(A.File, Target, ZIP_SEEK_BEGIN);
    } else {
        A.InnerPos = A.Inner->Seek(A.File, ADistance, AMethod);
    }
    if (A.InnerPos < 0) {              // the position stays where it was
        A.InnerPos = -1;
        return -1;
    }
    A.Pos = A.InnerPos;
    A.Len = 0;
    return A.Pos;
}

// Nothing is written through the reader.
static int32_t AheadWrite(TZipHandle, const void *, int32_t) { return 0; }

const TZipIO *ReadAheadIO()
{
    static const TZipIO IO = {AheadRead, AheadWrite, AheadSeek};
    return &IO;
}

bool ReadAheadBegin(TReadAhead &AAhead, const TZipIO *AInner, TZipHandle AFile, int64_t APos)
{
    AAhead.Buf = 0;
    if (AFile == -1 || APos < 0) return false;
    AAhead.Buf = (uint8_t *)malloc(ReadAheadSize);
    if (!AAhead.Buf) return false;
    AAhead.Inner = AInner;
    AAhead.File = AFile;
    AAhead.Start = AAhead.Pos = AAhead.InnerPos = APos;
    AAhead.Len = 0;
    return true;
}

void ReadAheadEnd(TReadAhead &AAhead)
{
    if (!AAhead.Buf) return;
    AheadSync(AAhead);
    AAhead.Len = 0;
    free(AAhead.Buf);
    AAhead.Buf = 0;
}
