// UnfurlPack: the preparation tool of the installer. Checks that a ZIP archive is one the
// installer can walk and install, and appends it with the setup header to the installer
// executable: reserved 100 zero bytes, L, the setup block with the scrambled title and
// subtitle and the archive's integrity record, the archive. The built-in ArchiveStart of the
// image is set to the image's size on the way. The archive checks are UnfurlPackCheck's, the
// rewriting of archives the walk cannot step through UnfurlPackRewrite's; the command line
// is in UnfurlPackCommand.cpp.
#ifndef UNFURLPACK_H
#define UNFURLPACK_H

#include <stdint.h>

#include <string>
#include <vector>

// Exit codes of the tool.
enum {
    PackOk = 0,
    PackUsage = 1,        // wrong arguments
    PackFileError = 2,    // a file could not be read or written
    PackBadArchive = 3,   // the archive holds something the installer cannot install
    PackBadImage = 4,     // the installer executable has no (or no unique) ArchiveStart marker
    PackBadTexts = 5,     // the setup block would be longer than 1000 bytes
    PackDamaged = 6       // --verify: the installer's archive does not match its record
};

// The largest installer file: the installer's offsets are signed 32-bit.
const size_t InstallerSizeMax = 0x7FFFFFFF;

// Sets the value behind the ArchiveStart marker of AImage to the image's size. Answers an
// empty text, or why the image cannot take a payload.
std::string PatchImage(std::string &AImage);

// The installer file: the patched image, then the payload.
std::string BuildInstaller(const std::string &AImage, const std::string &ASetupBlock,
                           const std::string &AZip);

// The setup block of an installer of AZip: the two texts and the archive's integrity record.
std::string SetupBlockFor(const std::string &ATitle, const std::string &ASubtitle,
                          const std::string &AZip);

// Why the setup block ABlock of the two texts is too long for the installer's reader (empty
// when it fits): the texts with their zero bytes take at most 988 bytes, 984 when the UTF-8
// mark goes with them.
std::string SetupTextsFault(const std::string &ATitle, const std::string &ASubtitle,
                            const std::string &ABlock);

// Checks a finished installer file as the installer does when it starts: the archive behind
// the setup header against the block's integrity record. Answers an empty text when the
// archive is intact, or what is wrong.
std::string VerifyInstaller(const std::string &AInstaller);

// "\n" in a text given on the command line stands for a line break (CR LF), "\\" for "\".
std::string UnescapeText(const std::string &AText);

// A whole file into AData, and AData as a whole file; false when that fails.
bool ReadWholeFile(const std::string &AName, std::string &AData);
bool WriteWholeFile(const std::string &AName, const std::string &AData);

// The whole tool: arguments, checks, messages on stderr, the exit code.
int PackMain(int AArgc, char **AArgv);

#endif
