// What the installer's tests add to the test bench (QDriver): installers with payloads of
// our own, the archive of a delivered installer, the installer's captions, and the folder
// browser's selection from outside.
#ifndef INSTALLERDRIVER_H
#define INSTALLERDRIVER_H

#include "QDriver.h"
#include "QTestFiles.h"
#include "ZipBuild.h"

extern std::string ImagePath;        // the installer image without payload
extern std::string DeliveredPath;    // the delivered installer with Bytewise inside
// An installer: the image with its built-in archive start set to its size, the setup
// header with the two texts, the archive's integrity record (and ARecords behind it) and
// the archive.
std::string BuildInstaller(const std::string &AZip, const std::string &ATitle,
                           const std::string &ASubtitle, const std::string &ARecords = "");
// The archive carried by an installer file (from the built-in start and the header).
bool ArchiveOfInstaller(const std::string &AInstaller, std::string &AZip);

extern const char *const MainCaption;   // the caption of the installer dialog

typedef TProgram TInstaller;

// Selects APath in the folder browser of another process (BFFM_SETSELECTIONA with the text
// copied into that process).
bool BrowserSelect(HANDLE AProcess, HWND ABrowser, const std::string &APath);

#endif
