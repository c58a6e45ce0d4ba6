// UnfurlPackCommand: the preparation tool's command line: arguments, messages on stderr and
// the exit code (see UnfurlPack.h).
#include <stdio.h>
#include <string.h>

#include "UnfurlPack.h"
#include "UnfurlPackCheck.h"
#ifdef Q_PACK_BUILD
#include "UnfurlPackBuild.h"
#endif
#include "UnfurlPayload.h"

namespace {

const char *const Usage =
    "Usage: unfurlpack build FOLDER -o OUTPUT.exe [--title T] [--subtitle S] (build --help)\n"
    "       unfurlpack INSTALLER.exe ARCHIVE.zip TITLE SUBTITLE OUTPUT.exe\n"
    "       unfurlpack --check ARCHIVE.zip\n"
    "       unfurlpack --verify INSTALLER.exe\n"
    "       unfurlpack --help\n"
    "\n"
    "Makes a self-extracting Unfurl installer: the installer executable (built without\n"
    "payload) followed by the setup header with TITLE and SUBTITLE and the ZIP archive.\n"
    "The archive is checked first: every entry must be walkable from its local header\n"
    "(sizes and CRC-32 in the local header, a data descriptor only with its signature),\n"
    "stored or deflated, not encrypted, with a name the installer writes (no absolute\n"
    "paths, drives, \"..\", streams or device names, at most 255 bytes). Names flagged\n"
    "UTF-8 (bit 11) are written as they are, others through code page 852; UTF-8 names\n"
    "without the flag are taken from their Unicode path field (Info-ZIP) or refused.\n"
    "In TITLE and SUBTITLE, \\n stands for a line break and \\\\ for a backslash; the two\n"
    "texts with their zero bytes take at most 988 bytes. The setup header also records the\n"
    "archive's length and CRC-32: the installer checks them when it starts and refuses a\n"
    "damaged or incomplete file; --verify checks a finished installer the same way.\n"
    "\n"
    "Exit codes: 0 written (or archive fine with --check), 1 wrong arguments,\n"
    "2 a file could not be read or written, 3 archive refused, 4 not an Unfurl installer\n"
    "executable, 5 texts too long, 6 installer damaged or not verifiable (--verify).\n";

int CheckFile(const char *AName, std::string &AZip)
{
    if (!ReadWholeFile(AName, AZip)) {
        fprintf(stderr, "unfurlpack: cannot read %s\n", AName);
        return PackFileError;
    }
    int Renamed = 0;
    AZip = AdoptUnicodeNames(AZip, Renamed);
    if (Renamed)
        fprintf(stderr, "unfurlpack: %s: %d UTF-8 names taken from their Unicode path fields\n",
                AName, Renamed);
    int Entries = 0;
    std::vector<TPackFault> Faults = CheckArchive(AZip, Entries);
    for (const TPackFault &F : Faults) {
        if (F.Entry.empty())
            fprintf(stderr, "unfurlpack: %s: %s\n", AName, F.Reason.c_str());
        else
            fprintf(stderr, "unfurlpack: %s: entry \"%s\": %s\n", AName, F.Entry.c_str(),
                    F.Reason.c_str());
    }
    return Faults.empty() ? PackOk : PackBadArchive;
}

int VerifyFile(const char *AName)
{
    std::string File;
    if (!ReadWholeFile(AName, File)) {
        fprintf(stderr, "unfurlpack: cannot read %s\n", AName);
        return PackFileError;
    }
    std::string Why = VerifyInstaller(File);
    if (!Why.empty()) {
        fprintf(stderr, "unfurlpack: %s: %s\n", AName, Why.c_str());
        return PackDamaged;
    }
    printf("%s: the archive is intact\n", AName);
    return PackOk;
}

}  // namespace

int PackMain(int AArgc, char **AArgv)
{
    if (AArgc == 2 && (strcmp(AArgv[1], "--help") == 0 || strcmp(AArgv[1], "-h") == 0)) {
        fputs(Usage, stdout);
        return PackOk;
    }
#ifdef Q_PACK_BUILD
    if (AArgc >= 2 && strcmp(AArgv[1], "build") == 0) return PackBuildMain(AArgc, AArgv);
#endif
    std::string Zip;
    if (AArgc == 3 && strcmp(AArgv[1], "--check") == 0) return CheckFile(AArgv[2], Zip);
    if (AArgc == 3 && strcmp(AArgv[1], "--verify") == 0) return VerifyFile(AArgv[2]);
    if (AArgc != 6) {
        fputs(Usage, stderr);
        return PackUsage;
    }
    const char *ImageName = AArgv[1], *ZipName = AArgv[2], *OutName = AArgv[5];
    std::string Image;
    if (!ReadWholeFile(ImageName, Image)) {
        fprintf(stderr, "unfurlpack: cannot read %s\n", ImageName);
        return PackFileError;
    }
    if (int Rc = CheckFile(ZipName, Zip)) return Rc;
    std::string Why = PatchImage(Image);
    if (!Why.empty()) {
        fprintf(stderr, "unfurlpack: %s: %s\n", ImageName, Why.c_str());
        return PackBadImage;
    }
    std::string Title = UnescapeText(AArgv[3]), Subtitle = UnescapeText(AArgv[4]);
    std::string Block = SetupBlockFor(Title, Subtitle, Zip);
    if (Block.size() > SetupBlockMax) {
        fprintf(stderr, "unfurlpack: the title and subtitle take %u bytes, at most %u fit\n",
                (unsigned)(Block.size() - ArchiveRecordSize),
                (unsigned)(SetupBlockMax - ArchiveRecordSize));
        return PackBadTexts;
    }
    std::string Out = BuildInstaller(Image, Block, Zip);
    // The installer's offsets are signed 32-bit.
    if (Out.size() > 0x7FFFFFFF) {
        fprintf(stderr, "unfurlpack: the installer would be larger than 2 GB\n");
        return PackBadArchive;
    }
    if (!WriteWholeFile(OutName, Out)) {
        fprintf(stderr, "unfurlpack: cannot write %s\n", OutName);
        return PackFileError;
    }
    return PackOk;
}
