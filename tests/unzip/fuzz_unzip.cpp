// Fuzz target over the installer's setup header reader and archive walk, everything in
// memory. The first byte of the input is the size of the "image" before the payload. When
// the preparation tool accepts the bytes from the payload's archive on, as they are or
// rewritten, installing what it would pack must succeed completely, every entry; whatever the
// input, nothing may land outside the target folder.
#include <stdint.h>
#include <stdlib.h>

#include "UnfurlPack.h"
#include "UnfurlPackRewrite.h"
#include "UnfurlPayload.h"
#include "UnzipHarness.h"

static void Check(bool AOk)
{
    if (!AOk) abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *AData, size_t ASize)
{
    std::string File((const char *)AData, ASize);
    uint32_t Start;
    {
        TMemFs Fs;
        TMemDialog Dlg;
        TZipMemFile Archive;
        TUnZipRun R;
        UseMemory(R, Fs, Archive, File);
        Fs.Dirs.insert("T:");
        Fs.Dirs.insert("T:\\inst");
        R.ArchiveStart = ASize ? AData[0] : 0;
        TInstall Info;
        TArchiveRecord Record;
        ReadSetupHeader(R, Info, Record);
        Dlg.Answers = {maOk, maCancel, maOkAll};
        Start = R.ArchiveStart;
        if (RunInstall(R, Dlg, "T:\\inst", Start)) RunInstall(R, Dlg, "T:\\inst", Start);   // again: prompts
        for (auto &F : Fs.Files) Check(F.first.rfind("T:\\inst\\", 0) == 0);
        for (auto &D : Fs.Dirs) Check(D == "T:" || D.rfind("T:\\inst", 0) == 0);
    }
    // The tool's verdict on the payload's archive against the walk over what it would pack.
    if (Start > ASize) return 0;
    std::string Zip = File.substr(Start);
    TPreparedArchive Prepared = PrepareArchive(Zip);
    if (Prepared.Verdict == pvRefused) return 0;
    if (Prepared.Verdict == pvRewritten) Zip.swap(Prepared.Rewritten);
    TMemFs Fs;
    TMemDialog Dlg;
    TZipMemFile Archive;
    TUnZipRun R;
    UseMemory(R, Fs, Archive, Zip);
    Fs.Dirs.insert("T:");
    Fs.Dirs.insert("T:\\inst");
    Check(RunInstall(R, Dlg, "T:\\inst", 0));
    Check(R.AllExtracted && Dlg.Errors.empty() && (int)Dlg.Items.size() == Prepared.Entries);
    for (auto &F : Fs.Files) Check(F.first.rfind("T:\\inst\\", 0) == 0);
    for (auto &D : Fs.Dirs) Check(D == "T:" || D.rfind("T:\\inst", 0) == 0);
    return 0;
}
