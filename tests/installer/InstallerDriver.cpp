// The installer's additions to the test bench: see InstallerDriver.h.
#include "InstallerDriver.h"
#include <shlobj.h>
#include <string.h>
#include "UnfurlArchive.h"
#include "UnfurlPayload.h"

std::string ImagePath = WinPath(UNFURL_IMAGE);
std::string DeliveredPath = WinPath(Q_PROGRAM_DIR "/Unfurl.exe");

// Offset of the built-in archive start in an installer file, or npos.
static size_t StartMarkAt(const std::string &AExe)
{
    size_t At = AExe.find(std::string(UNFURL_START_MARK, StartMarkSize));
    return At == std::string::npos ? At : At + StartMarkSize;
}

std::string BuildInstaller(const std::string &AZip, const std::string &ATitle,
                           const std::string &ASubtitle, const std::string &ARecords)
{
    std::string Exe;
    if (!QReadFile(ImagePath, Exe)) return std::string();
    size_t At = StartMarkAt(Exe);
    if (At == std::string::npos) return std::string();
    uint32_t Size = Exe.size();
    memcpy(&Exe[At], &Size, 4);
    string Block = BuildSetupBlock(string(ATitle.data(), ATitle.size()),
                                   string(ASubtitle.data(), ASubtitle.size()));
    string Record = BuildArchiveRecord((uint32_t)AZip.size(), ZCrc(AZip));
    return Exe + PayloadBuild(0, std::string(Block.c_str(), Block.length()) +
                                     std::string(Record.c_str(), Record.length()) + ARecords,
                              AZip);
}

bool ArchiveOfInstaller(const std::string &AInstaller, std::string &AZip)
{
    size_t At = StartMarkAt(AInstaller);
    if (At == std::string::npos) return false;
    uint32_t S = LeGet32(AInstaller, At);
    if ((size_t)S + SetupHeaderSize > AInstaller.size()) return false;
    uint32_t L = LeGet32(AInstaller, S + PayloadReserved);
    if ((size_t)S + SetupHeaderSize + L > AInstaller.size()) return false;
    AZip = AInstaller.substr(S + SetupHeaderSize + L);
    return true;
}

const char *const MainCaption = "Unfurl 1.0 installer  -  Bytewise project, www.bytewise.example";

bool BrowserSelect(HANDLE AProcess, HWND ABrowser, const std::string &APath)
{
    void *Remote = VirtualAllocEx(AProcess, 0, APath.size() + 1, MEM_COMMIT, PAGE_READWRITE);
    if (!Remote) return false;
    bool Ok = WriteProcessMemory(AProcess, Remote, APath.c_str(), APath.size() + 1, 0) != 0;
    if (Ok) SendMessageA(ABrowser, BFFM_SETSELECTIONA, TRUE, (LPARAM)Remote);
    VirtualFreeEx(AProcess, Remote, 0, MEM_RELEASE);
    return Ok;
}
