// Fuzz target over the installer's setup header reader and archive walk, everything in
// memory. The first byte of the input is the size of the "image" before the payload. When
// the preparation tool accepts the bytes from the payload's archive on, installing them
// must succeed completely; whatever the input, nothing may land outside the target folder.
#include <stdint.h>
#include <stdlib.h>

#include "UnfurlPack.h"
#include "UnfurlPackCheck.h"
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
        UseMemory(Fs, Dlg, Archive, File);
        Fs.Dirs.insert("T:");
        Fs.Dirs.insert("T:\\inst");
        ArchiveStart = ASize ? AData[0] : 0;
        ReadSetupHeader();
        char Target[MAX_PATH + 1] = "T:\\inst";
        Dlg.Answers = {maOk, maCancel, maOkAll};
        Start = ArchiveStart;
        if (RunInstall(Dlg, Target, Start)) RunInstall(Dlg, Target, Start);   // again: prompts
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
    UseMemory(Fs, Dlg, Archive, Zip);
    Fs.Dirs.insert("T:");
    char Target[MAX_PATH + 1] = "T:";
    Check(RunInstall(Dlg, Target, 0));
    Check(AllExtracted && Dlg.Errors.empty() && (int)Dlg.Items.size() == Entries);
    return 0;
}
