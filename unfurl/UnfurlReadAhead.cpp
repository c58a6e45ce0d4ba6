// UnfurlReadAhead: the archive's read buffer (see the header).
#include "UnfurlReadAhead.h"

#include <stdlib.h>
#include <string.h>

static TZipIO AheadInner;            // the binding underneath
static TZipHandle AheadFile = -1;    // the buffered file; -1 when no read-ahead is active
static uint8_t *AheadBuf = 0;
static int64_t AheadStart = 0;       // file offset of AheadBuf[0]
static int32_t AheadLen = 0;         // valid bytes in AheadBuf
static int64_t AheadPos = 0;         // the position the callers see
static int64_t InnerPos = -1;        // the file's own position; -1 when not known

// Puts the file itself at AheadPos; false when it cannot go there.
static bool AheadSync(TZipHandle AFile)
{
    if (InnerPos == AheadPos) return true;
    InnerPos = AheadInner.Seek(AFile, AheadPos, ZIP_SEEK_BEGIN);
    if (InnerPos == AheadPos) return true;
    InnerPos = -1;
    return false;
}

static int32_t AheadRead(TZipHandle AFile, void *ABuf, int32_t ACount)
{
    if (AFile != AheadFile) return AheadInner.Read(AFile, ABuf, ACount);
    uint8_t *Out = (uint8_t *)ABuf;
    int32_t Done = 0;
    while (Done < ACount) {
        int64_t Off = AheadPos - AheadStart;
        if (Off >= 0 && Off < AheadLen) {
            int32_t N = AheadLen - (int32_t)Off;
            if (N > ACount - Done) N = ACount - Done;
            memcpy(Out + Done, AheadBuf + Off, (size_t)N);
            Done += N;
            AheadPos += N;
            continue;
        }
        if (!AheadSync(AFile)) break;
        int32_t Want = ACount - Done;
        if (Want >= ReadAheadSize / 2) {   // a big read gains nothing from the buffer
            int32_t N = AheadInner.Read(AFile, Out + Done, Want);
            if (N <= 0) break;
            Done += N;
            AheadPos += N;
            InnerPos += N;
            continue;
        }
        int32_t N = AheadInner.Read(AFile, AheadBuf, ReadAheadSize);
        AheadLen = N > 0 ? N : 0;
        AheadStart = AheadPos;
        if (N <= 0) break;             // end of file
        InnerPos += N;
    }
    return Done;
}

static int64_t AheadSeek(TZipHandle AFile, int64_t ADistance, int AMethod)
{
    if (AFile != AheadFile) return AheadInner.Seek(AFile, ADistance, AMethod);
    if (AMethod == ZIP_SEEK_BEGIN || AMethod == ZIP_SEEK_CURRENT) {
        int64_t Target = AMethod == ZIP_SEEK_BEGIN ? ADistance : AheadPos + ADistance;
        if (AheadLen > 0 && Target >= AheadStart && Target <= AheadStart + AheadLen) {
            AheadPos = Target;
            return Target;
        }
        InnerPos = AheadInner.Seek(AFile, Target, ZIP_SEEK_BEGIN);
    } else {
        InnerPos = AheadInner.Seek(AFile, ADistance, AMethod);
    }
    if (InnerPos < 0) {                // the position stays where it was
        InnerPos = -1;
        return -1;
    }
    AheadPos = InnerPos;
    AheadLen = 0;
    return AheadPos;
}

bool ReadAheadBegin(TZipHandle AFile, int64_t APos)
{
    if (AheadFile != -1 || AFile == -1 || APos < 0) return false;
    AheadBuf = (uint8_t *)malloc(ReadAheadSize);
    if (!AheadBuf) return false;
    AheadInner = ZipIO;
    AheadFile = AFile;
    AheadStart = AheadPos = InnerPos = APos;
    AheadLen = 0;
    ZipIO.Read = AheadRead;
    ZipIO.Seek = AheadSeek;
    return true;
}

void ReadAheadEnd()
{
    if (AheadFile == -1) return;
    AheadSync(AheadFile);
    ZipIO.Read = AheadInner.Read;
    ZipIO.Seek = AheadInner.Seek;
    AheadFile = -1;
    AheadLen = 0;
    free(AheadBuf);
    AheadBuf = 0;
}
