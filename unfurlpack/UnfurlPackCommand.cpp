// UnfurlPackCommand: the preparation tool's command line: arguments, messages on stderr and
// the exit code (see UnfurlPack.h).
#include <stdio.h>
#include <string.h>

#include "UnfurlPack.h"
#include "UnfurlPackRewrite.h"
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
    "An archive the installer can walk as it is (sizes and CRC-32 in every local header)\n"
    "goes in byte for byte. Any other archive readable through its central directory is\n"
    "written anew, each entry's compressed data kept: sizes from the directory in every\n"
    "local header, no data descriptors or ZIP64 fields, no bytes in front, UTF-8 names\n"
    "flagged (bit 11; from Info-ZIP's Unicode path field where it has one), times and\n"
    "empty folders kept; one line says what was rewritten. Refused, with the entry and\n"
    "the reason: encryption, methods other than stored and deflated, entries of 4 GiB or\n"
    "more, names the installer does not write (absolute paths, drives, \"..\", streams,\n"
    "device names, more than 255 bytes), names that are one file on Windows (ASCII case\n"
    "and \\ or / ignored), damaged data (every entry is decoded as the installer does),\n"
    "a central directory that does not match the data. Names without the UTF-8 flag that\n"
    "are not UTF-8 are written through code page 852. --check says \"installable as it\n"
    "is\", \"installable after rewriting (what)\" or why the archive is refused.\n"
    "In TITLE and SUBTITLE, \\n stands for a line break and \\\\ for a backslash; the two\n"
    "texts with their zero bytes take at most 988 bytes (984 when they hold UTF-8 beyond\n"
    "ASCII, which carries a mark). The setup header also records the archive's length\n"
    "and CRC-32: the installer checks them when it starts and refuses a damaged or\n"
    "incomplete file; --verify checks a finished installer the same way.\n"
    "\n"
    "Exit codes: 0 written (or archive installable with --check), 1 wrong arguments,\n"
    "2 a file could not be read or written, 3 archive refused (also: a file of 4 GiB or\n"
    "more, an installer over 2 GB), 4 not an Unfurl installer executable, 5 texts too\n"
    "long, 6 installer damaged or not verifiable (--verify).\n";

// Reads the archive AName and decides: AZip is what goes into the installer. With ACheck the
// verdict goes to stdout ("installable ..."); the reasons of a refusal always to stderr.
int PrepareFile(const char *AName, std::string &AZip, bool ACheck)
{
    if (!ReadWholeFile(AName, AZip)) {
        fprintf(stderr, "unfurlpack: cannot read %s\n", AName);
        return PackFileError;
    }
    TPreparedArchive P = PrepareArchive(AZip);
    if (P.Verdict == pvRewritten) {
        AZip.swap(P.Rewritten);
        if (ACheck)
            printf("%s: installable after rewriting (%s)\n", AName, P.Rewrote.c_str());
        else
            fprintf(stderr, "unfurlpack: %s: rewrote %s\n", AName, P.Rewrote.c_str());
    } else if (P.Verdict == pvAsIs && ACheck) {
        printf("%s: installable as it is (%d entries)\n", AName, P.Entries);
    }
    for (const TPackFault &F : P.Faults) {
        if (F.Entry.empty())
            fprintf(stderr, "unfurlpack: %s: refused: %s\n", AName, F.Reason.c_str());
        else
            fprintf(stderr, "unfurlpack: %s: refused: entry \"%s\": %s\n", AName, F.Entry.c_str(),
                    F.Reason.c_str());
    }
    return P.Verdict == pvRefused ? PackBadArchive : PackOk;
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
    if (AArgc == 3 && strcmp(AArgv[1], "--check") == 0) return PrepareFile(AArgv[2], Zip, true);
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
    if (int Rc = PrepareFile(ZipName, Zip, false)) return Rc;
    std::string Why = PatchImage(Image);
    if (!Why.empty()) {
        fprintf(stderr, "unfurlpack: %s: %s\n", ImageName, Why.c_str());
        return PackBadImage;
    }
    std::string Title = UnescapeText(AArgv[3]), Subtitle = UnescapeText(AArgv[4]);
    std::string Block = SetupBlockFor(Title, Subtitle, Zip);
    Why = SetupTextsFault(Title, Subtitle, Block);
    if (!Why.empty()) {
        fprintf(stderr, "unfurlpack: %s\n", Why.c_str());
        return PackBadTexts;
    }
    if (Image.size() + SetupHeaderSize + Block.size() + Zip.size() > InstallerSizeMax) {
        fprintf(stderr, "unfurlpack: the installer would be larger than 2 GB\n");
        return PackBadArchive;
    }
    if (!WriteWholeFile(OutName, BuildInstaller(Image, Block, Zip))) {
        fprintf(stderr, "unfurlpack: cannot write %s\n", OutName);
        return PackFileError;
    }
    return PackOk;
}
