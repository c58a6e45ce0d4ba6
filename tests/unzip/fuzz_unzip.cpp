// Fuzz target over the installer's setup header reader and archive walk, everything in
// memory. The first byte of the input is the size of the "image" before the payload. When
// the preparation tool accepts the bytes from the payload's archive on, installing them
// must succeed completely; whatever the input, nothing may land outside the target folder.
#include <stdint.h>
#include <stdlib.h>

#include "UnfurlPack.h"
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
    // The tool's verdict on the payload's archive against the walk over it.
    if (Start > ASize) return 0;
    std::string Zip = File.substr(Start);
    int Entries = 0;
    if (!CheckArchive(Zip, Entries).empty()) return 0;
    TMemFs Fs;
    TMemDialog Dlg;
    TZipMemFile Archive;
    TUnZipRun R;
    UseMemory(R, Fs, Archive, Zip);
    Fs.Dirs.insert("T:");
    Check(RunInstall(R, Dlg, "T:", 0));
    Check(R.AllExtracted && Dlg.Errors.empty() && (int)Dlg.Items.size() == Entries);
    return 0;
}
