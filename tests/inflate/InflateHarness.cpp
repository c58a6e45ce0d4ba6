// Test helpers for UnfurlZipInflate (see InflateHarness.h).
#include "InflateHarness.h"

#include "QTestFiles.h"

#ifndef _WIN32
#include <fcntl.h>
#endif

// A seam that records the calls and forwards them to the binding underneath.
static const TZipIO *Inner;
static TInflateResult *Current;
static int64_t WriteRoom;
static int32_t ReadCap;

static int32_t RecRead(TZipHandle F, void *B, int32_t N)
{
    Current->ReadSizes.push_back(N);
    return Inner->Read(F, B, ReadCap > 0 && N > ReadCap ? ReadCap : N);
}

static int32_t RecWrite(TZipHandle F, const void *B, int32_t N)
{
    Current->WriteSizes.push_back(N);
    if (WriteRoom >= 0 && N > WriteRoom) N = (int32_t)WriteRoom;
    int32_t done = Inner->Write(F, B, N);
    if (WriteRoom >= 0) WriteRoom -= done;
    return done;
}

static int64_t RecSeek(TZipHandle F, int64_t D, int M)
{
    return Inner->Seek(F, D, M);
}

// A platform file as ZipFileIO takes it: read-only, or created empty for reading and writing.
static TZipHandle OpenFile(const std::string &AName, bool AWrite)
{
#ifdef _WIN32
    HANDLE h = AWrite ? CreateFileA(AName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, 0, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, 0)
                      : CreateFileA(AName.c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, 0);
    return h == INVALID_HANDLE_VALUE ? -1 : (TZipHandle)h;
#else
    return AWrite ? open(AName.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644) : open(AName.c_str(), O_RDONLY);
#endif
}

static void CloseFile(TZipHandle AFile)
{
    if (AFile == -1) return;
#ifdef _WIN32
    CloseHandle((HANDLE)AFile);
#else
    close((int)AFile);
#endif
}

// InflateEntry on the entry's files as the caller opened them; the output read back through
// ZipFileIO (files) or from the memory file AOut.
static void RunEntry(TInflateRun &AEntry, TInflateResult &ARun, TZipMemFile *AOut)
{
    ARun.Result = InflateEntry(AEntry);
    ARun.ArchivePosAfter = Inner->Seek(AEntry.ArchiveFile, 0, ZIP_SEEK_CURRENT);
    if (AOut) {
        ARun.Out.assign(AOut->Data, AOut->Data + AOut->Size);
        return;
    }
    const TZipIO *Files = ZipFileIO();
    int64_t size = Files->Seek(AEntry.OutFile, 0, ZIP_SEEK_END);
    Files->Seek(AEntry.OutFile, 0, ZIP_SEEK_BEGIN);
    ARun.Out.resize((size_t)(size > 0 ? size : 0));
    size_t got = 0;
    while (got < ARun.Out.size()) {
        int32_t n = Files->Read(AEntry.OutFile, ARun.Out.data() + got, (int32_t)(ARun.Out.size() - got));
        if (n <= 0) break;
        got += (size_t)n;
    }
    ARun.Out.resize(got);
}

static TInflateResult RunThroughSeam(const TBytes &AIn, TInflateWay AWay, int64_t ALeft,
                                  int64_t AWriteLimit, int32_t AReadCap)
{
    TInflateResult run;
    Current = &run;
    WriteRoom = AWriteLimit;
    ReadCap = AReadCap;
    Inner = AWay == WAY_MEMORY ? ZipMemIO() : ZipFileIO();
    static const TZipIO Recorder = {RecRead, RecWrite, RecSeek};
    TInflateRun entry = {&Recorder, -1, &Recorder, -1,
                         (int32_t)(ALeft < 0 ? (int64_t)AIn.size() : ALeft), -1, 0xFFFFFFFFu};

    if (AWay == WAY_MEMORY) {
        TZipMemFile in, out;
        ZipMemOpen(in, AIn.data(), (int64_t)AIn.size());
        ZipMemCreate(out);
        entry.ArchiveFile = ZipMemHandle(in);
        entry.OutFile = ZipMemHandle(out);
        RunEntry(entry, run, &out);
        ZipMemFree(out);
    } else {
        TTempDir dir;
        QWriteFile(dir.Join("in"), std::string(AIn.begin(), AIn.end()));
        entry.ArchiveFile = OpenFile(dir.Join("in"), false);
        entry.OutFile = OpenFile(dir.Join("out"), true);
        if (entry.ArchiveFile == -1 || entry.OutFile == -1) run.Result = -1;   // the test reports the mismatch
        else RunEntry(entry, run, 0);
        CloseFile(entry.ArchiveFile);
        CloseFile(entry.OutFile);
    }
    run.Crc = ~entry.Crc;
    run.LeftAfter = entry.CompressedLeft;
    Current = 0;
    return run;
}

TInflateResult RunInflate(const TBytes &AIn, TInflateWay AWay, int64_t ALeft, int64_t AWriteLimit,
                       int32_t AReadCap)
{
    if (AWay != WAY_BUFFER) return RunThroughSeam(AIn, AWay, ALeft, AWriteLimit, AReadCap);
    TInflateResult run;
    TZipMemFile out;
    ZipMemCreate(out);
    int32_t len = (int32_t)(ALeft < 0 ? (int64_t)AIn.size() : ALeft);
    run.Result = InflateBuffer(AIn.data(), len, &out, run.Crc);
    run.Out.assign(out.Data, out.Data + out.Size);
    run.ArchivePosAfter = -1;
    run.LeftAfter = -1;
    ZipMemFree(out);
    return run;
}

const char *WayName(TInflateWay AWay)
{
    return AWay == WAY_BUFFER ? "Buffer" : AWay == WAY_MEMORY ? "Memory" : "Files";
}

void TBitWriter::Bits(uint32_t AValue, unsigned ACount)
{
    for (unsigned k = 0; k < ACount; k++) {
        if (Fill == 0) Bytes.push_back(0);
        Bytes.back() |= (uint8_t)(((AValue >> k) & 1) << Fill);
        Fill = (Fill + 1) & 7;
    }
}

void TBitWriter::Code(uint32_t ACode, unsigned ALen)
{
    for (unsigned k = ALen; k-- > 0;) Bits((ACode >> k) & 1, 1);
}

std::vector<uint32_t> CanonicalCodes(const std::vector<int> &ALengths)
{
    int count[17] = {0};
    for (int l : ALengths) count[l]++;
    count[0] = 0;
    uint32_t next[17] = {0};
    uint32_t code = 0;
    for (int bits = 1; bits <= 16; bits++) {
        code = (code + count[bits - 1]) << 1;
        next[bits] = code;
    }
    std::vector<uint32_t> codes(ALengths.size(), 0);
    for (size_t s = 0; s < ALengths.size(); s++)
        if (ALengths[s]) codes[s] = next[ALengths[s]]++;
    return codes;
}

void PutFixedLit(TBitWriter &W, int ASym)
{
    if (ASym < 144) W.Code(0x30 + ASym, 8);
    else if (ASym < 256) W.Code(0x190 + ASym - 144, 9);
    else if (ASym < 280) W.Code(ASym - 256, 7);
    else W.Code(0xC0 + ASym - 280, 8);
}

void PutFixedDist(TBitWriter &W, int ASym)
{
    W.Code((uint32_t)ASym, 5);
}

std::string Text(const TBytes &ABytes)
{
    return std::string(ABytes.begin(), ABytes.end());
}
