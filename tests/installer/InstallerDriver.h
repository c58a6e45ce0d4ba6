// Driving the installer from a second process under Wine: start it, find its windows,
// fill and press its controls, read its message boxes; build installers with payloads of
// our own; read the archive of a delivered installer; capture windows as bitmaps.
#ifndef INSTALLERDRIVER_H
#define INSTALLERDRIVER_H

#include <windows.h>
#include <stdint.h>
#include <string>
#include <vector>

// ---- Files --------------------------------------------------------------------------

std::string WinPath(const char *AUnixPath);              // "/a/b" -> "Z:\a\b"
bool ReadWholeFile(const std::string &AName, std::string &AData);
bool WriteWholeFile(const std::string &AName, const std::string &AData);
bool IsFile(const std::string &AName);
bool IsFolder(const std::string &AName);
void RemoveTree(const std::string &AName);               // folder and everything in it
void MakeFolders(const std::string &AName);
// Last-write time of a file as a DOS date/time (local time, 2-second steps); 0 on failure.
uint32_t FileDosTime(const std::string &AName);

// ---- ZIP archives (the test's own writer and reader, zlib for DEFLATE) ----------------

struct TZipEntry {
    std::string Name;            // with "/" separators; a folder ends in "/"
    std::string Data;            // uncompressed bytes
    uint16_t Method = 8;         // 0 stored, 8 deflated
    uint16_t Time = 0x6000;      // DOS time 12:00:00
    uint16_t Date = 0x5A87;      // DOS date 2025-04-07
    bool BadCrc = false;         // store a CRC-32 that does not match the data
    uint32_t Crc = 0;            // filled by ReadZip
};
std::string BuildZip(const std::vector<TZipEntry> &AEntries);
// Entries of a ZIP archive from its central directory, data inflated. False when damaged.
bool ReadZip(const std::string &AZip, std::vector<TZipEntry> &AEntries);
uint32_t Crc32(const std::string &AData);

// ---- Installers ---------------------------------------------------------------------

extern std::string ImagePath;        // the installer image without payload
extern std::string DeliveredPath;    // the delivered installer with Bytewise inside
// An installer: the image with its built-in archive start set to its size, the setup
// header with the two texts and the archive.
std::string BuildInstaller(const std::string &AZip, const std::string &ATitle,
                           const std::string &ASubtitle);
// The archive carried by an installer file (from the built-in start and the header).
bool ArchiveOfInstaller(const std::string &AInstaller, std::string &AZip);

// ---- The running installer ----------------------------------------------------------

extern const char *const MainCaption;   // the caption of the installer dialog

struct TInstaller {
    PROCESS_INFORMATION Pi = {};
    // AArgs: the command line after the program's quoted name, as given.
    bool Start(const std::string &AExe, const std::string &ACurDir = std::string(),
               DWORD AFlags = 0, const std::string &AArgs = std::string());
    // Whether the process shows any top-level window at the moment.
    bool AnyVisibleWindow();
    // A visible dialog window of the process with the caption, or 0 after the timeout.
    HWND WaitWindow(const char *ACaption, int AMs = 15000);
    HWND FindWindowOf(const char *ACaption);
    // Waits for the end; the exit code, or -1 on timeout (the process is then killed).
    int WaitExit(int AMs = 60000);
    bool Running();
    ~TInstaller();
};

std::string ItemText(HWND ADlg, int AId);
void SetItemText(HWND ADlg, int AId, const std::string &AText);
void Press(HWND AWnd, int AId);                         // posts WM_COMMAND with the id
std::string BoxText(HWND ABox);                         // the text of a message box

// Selects APath in the folder browser of another process (BFFM_SETSELECTIONA with the text
// copied into that process).
bool BrowserSelect(HANDLE AProcess, HWND ABrowser, const std::string &APath);

// ---- Pictures -----------------------------------------------------------------------

// The window's pixels as 0x00RRGGBB, row by row, from the screen.
struct TPicture {
    int Width = 0, Height = 0;
    std::vector<uint32_t> Pixels;
    uint32_t At(int X, int Y) const { return Pixels[(size_t)Y * Width + X]; }
};
bool CaptureWindow(HWND AWnd, TPicture &APicture, bool AWholeScreen = false);
bool SaveBitmap(const TPicture &APicture, const std::string &AName);   // 24-bit .bmp
// Pixels of colour ARgb (0xRRGGBB) inside the rectangle.
int CountColor(const TPicture &APicture, uint32_t ARgb, int X0, int Y0, int X1, int Y1);
// Where screenshots go (UNFURL_SHOTS in the environment), "" for none.
std::string ShotDir();

#endif
