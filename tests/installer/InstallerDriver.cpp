// Driving the installer from a second process: see InstallerDriver.h.
#include "InstallerDriver.h"
#include <shlobj.h>
#include <string.h>
#include <zlib.h>
#include "QTestFiles.h"
#include "UnfurlPayload.h"

// ---- Files --------------------------------------------------------------------------

std::string WinPath(const char *AUnixPath)
{
    std::string S = std::string("Z:") + AUnixPath;
    for (char &C : S)
        if (C == '/') C = '\\';
    return S;
}

bool ReadWholeFile(const std::string &AName, std::string &AData)
{
    HANDLE H = CreateFileA(AName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                           OPEN_EXISTING, 0, 0);
    if (H == INVALID_HANDLE_VALUE) return false;
    DWORD Size = GetFileSize(H, 0), Got = 0;
    AData.assign(Size, 0);
    bool Ok = Size == 0 || (ReadFile(H, &AData[0], Size, &Got, 0) && Got == Size);
    CloseHandle(H);
    return Ok;
}

bool WriteWholeFile(const std::string &AName, const std::string &AData)
{
    HANDLE H = CreateFileA(AName.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    if (H == INVALID_HANDLE_VALUE) return false;
    DWORD Put = 0;
    bool Ok = AData.empty() || (WriteFile(H, AData.data(), AData.size(), &Put, 0) && Put == AData.size());
    CloseHandle(H);
    return Ok;
}

bool IsFile(const std::string &AName)
{
    DWORD A = GetFileAttributesA(AName.c_str());
    return A != INVALID_FILE_ATTRIBUTES && !(A & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(const std::string &AName)
{
    DWORD A = GetFileAttributesA(AName.c_str());
    return A != INVALID_FILE_ATTRIBUTES && (A & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveTree(const std::string &AName)
{
    QRemoveTree(AName);
}

void MakeFolders(const std::string &AName)
{
    for (size_t I = 3; I <= AName.size(); I++)
        if (I == AName.size() || AName[I] == '\\')
            CreateDirectoryA(AName.substr(0, I).c_str(), 0);
}

uint32_t FileDosTime(const std::string &AName)
{
    WIN32_FILE_ATTRIBUTE_DATA D;
    if (!GetFileAttributesExA(AName.c_str(), GetFileExInfoStandard, &D)) return 0;
    FILETIME Local;
    WORD Date = 0, Time = 0;
    FileTimeToLocalFileTime(&D.ftLastWriteTime, &Local);
    FileTimeToDosDateTime(&Local, &Date, &Time);
    return (uint32_t)Date << 16 | Time;
}

// ---- ZIP archives -------------------------------------------------------------------

uint32_t Crc32(const std::string &AData)
{
    return (uint32_t)crc32(0, (const Bytef *)AData.data(), (uInt)AData.size());
}

static void Put16(std::string &S, uint32_t V) { S += (char)(V & 255); S += (char)(V >> 8 & 255); }
static void Put32(std::string &S, uint32_t V) { Put16(S, V & 0xFFFF); Put16(S, V >> 16); }
static uint32_t Get16(const std::string &S, size_t P) { return (uint8_t)S[P] | (uint8_t)S[P + 1] << 8; }
static uint32_t Get32(const std::string &S, size_t P) { return Get16(S, P) | Get16(S, P + 2) << 16; }

static std::string Deflate(const std::string &AData)
{
    z_stream Z = {};
    deflateInit2(&Z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string Out(deflateBound(&Z, AData.size()) + 16, 0);
    Z.next_in = (Bytef *)AData.data();
    Z.avail_in = AData.size();
    Z.next_out = (Bytef *)&Out[0];
    Z.avail_out = Out.size();
    deflate(&Z, Z_FINISH);
    Out.resize(Z.total_out);
    deflateEnd(&Z);
    return Out;
}

static bool Inflate(const std::string &AIn, size_t ASize, std::string &AOut)
{
    z_stream Z = {};
    if (inflateInit2(&Z, -15) != Z_OK) return false;
    AOut.assign(ASize, 0);
    Z.next_in = (Bytef *)AIn.data();
    Z.avail_in = AIn.size();
    Z.next_out = (Bytef *)(ASize ? &AOut[0] : 0);
    Z.avail_out = ASize;
    int R = inflate(&Z, Z_FINISH);
    inflateEnd(&Z);
    return R == Z_STREAM_END && Z.total_out == ASize;
}

std::string BuildZip(const std::vector<TZipEntry> &AEntries)
{
    std::string Zip, Central;
    for (const TZipEntry &E : AEntries) {
        std::string Body = E.Method == 8 ? Deflate(E.Data) : E.Data;
        uint32_t Crc = Crc32(E.Data) ^ (E.BadCrc ? 0x5A5A5A5A : 0);
        uint32_t Offset = Zip.size();
        std::string Common;
        Put16(Common, E.Method == 8 ? 20 : 10);    // version needed
        Put16(Common, 0);                          // flags
        Put16(Common, E.Method);
        Put16(Common, E.Time);
        Put16(Common, E.Date);
        Put32(Common, Crc);
        Put32(Common, Body.size());
        Put32(Common, E.Data.size());
        Put16(Common, E.Name.size());
        Put16(Common, 0);                          // extra field
        Put32(Zip, 0x04034B50);
        Zip += Common + E.Name + Body;
        Put32(Central, 0x02014B50);
        Put16(Central, 20);                        // made by
        Central += Common;
        Put16(Central, 0);                         // comment
        Put16(Central, 0);                         // disk
        Put16(Central, 0);                         // internal attributes
        Put32(Central, E.Name.back() == '/' ? 0x10 : 0x20);
        Put32(Central, Offset);
        Central += E.Name;
    }
    uint32_t CentralAt = Zip.size();
    Zip += Central;
    Put32(Zip, 0x06054B50);
    Put16(Zip, 0);
    Put16(Zip, 0);
    Put16(Zip, AEntries.size());
    Put16(Zip, AEntries.size());
    Put32(Zip, Central.size());
    Put32(Zip, CentralAt);
    Put16(Zip, 0);
    return Zip;
}

bool ReadZip(const std::string &AZip, std::vector<TZipEntry> &AEntries)
{
    AEntries.clear();
    if (AZip.size() < 22) return false;
    size_t End = AZip.size() - 22;
    while (End > 0 && Get32(AZip, End) != 0x06054B50) End--;
    if (Get32(AZip, End) != 0x06054B50) return false;
    uint32_t Count = Get16(AZip, End + 10), P = Get32(AZip, End + 16);
    for (uint32_t I = 0; I < Count; I++) {
        if (P + 46 > AZip.size() || Get32(AZip, P) != 0x02014B50) return false;
        TZipEntry E;
        E.Method = Get16(AZip, P + 10);
        E.Time = Get16(AZip, P + 12);
        E.Date = Get16(AZip, P + 14);
        E.Crc = Get32(AZip, P + 16);
        uint32_t Packed = Get32(AZip, P + 20), Size = Get32(AZip, P + 24);
        uint32_t NameLen = Get16(AZip, P + 28), Extra = Get16(AZip, P + 30), Comment = Get16(AZip, P + 32);
        uint32_t Local = Get32(AZip, P + 42);
        E.Name = AZip.substr(P + 46, NameLen);
        if (Local + 30 > AZip.size() || Get32(AZip, Local) != 0x04034B50) return false;
        size_t Data = Local + 30 + Get16(AZip, Local + 26) + Get16(AZip, Local + 28);
        std::string Body = AZip.substr(Data, Packed);
        if (E.Method == 0) E.Data = Body;
        else if (E.Method != 8 || !Inflate(Body, Size, E.Data)) return false;
        if (Crc32(E.Data) != E.Crc) return false;
        AEntries.push_back(E);
        P += 46 + NameLen + Extra + Comment;
    }
    return true;
}

// ---- Installers ---------------------------------------------------------------------

std::string ImagePath = WinPath(UNFURL_IMAGE);
std::string DeliveredPath = WinPath(Q_PROGRAM_DIR "/Unfurl.exe");

// Offset of the built-in archive start in an installer file, or npos.
static size_t StartMarkAt(const std::string &AExe)
{
    size_t At = AExe.find(std::string(UNFURL_START_MARK, StartMarkSize));
    return At == std::string::npos ? At : At + StartMarkSize;
}

std::string BuildInstaller(const std::string &AZip, const std::string &ATitle,
                           const std::string &ASubtitle)
{
    std::string Exe;
    if (!ReadWholeFile(ImagePath, Exe)) return std::string();
    size_t At = StartMarkAt(Exe);
    if (At == std::string::npos) return std::string();
    uint32_t Size = Exe.size();
    memcpy(&Exe[At], &Size, 4);
    string Block = BuildSetupBlock(string(ATitle.data(), ATitle.size()),
                                   string(ASubtitle.data(), ASubtitle.size()));
    Exe += std::string(PayloadReserved, '\0');   // reserved, zeros as the preparation tool writes
    Put32(Exe, Block.length());
    Exe.append(Block.c_str(), Block.length());
    return Exe + AZip;
}

bool ArchiveOfInstaller(const std::string &AInstaller, std::string &AZip)
{
    size_t At = StartMarkAt(AInstaller);
    if (At == std::string::npos) return false;
    uint32_t S = Get32(AInstaller, At);
    if ((size_t)S + SetupHeaderSize > AInstaller.size()) return false;
    uint32_t L = Get32(AInstaller, S + PayloadReserved);
    if ((size_t)S + SetupHeaderSize + L > AInstaller.size()) return false;
    AZip = AInstaller.substr(S + SetupHeaderSize + L);
    return true;
}

// ---- The running installer ----------------------------------------------------------

const char *const MainCaption = "Unfurl 1.0 installer  -  Bytewise project, www.bytewise.example";

bool TInstaller::Start(const std::string &AExe, const std::string &ACurDir, DWORD AFlags,
                       const std::string &AArgs)
{
    STARTUPINFOA Si = {};
    Si.cb = sizeof Si;
    std::string Cmd = "\"" + AExe + "\"";
    if (!AArgs.empty()) Cmd += " " + AArgs;
    return CreateProcessA(AExe.c_str(), &Cmd[0], 0, 0, FALSE, AFlags, 0,
                          ACurDir.empty() ? 0 : ACurDir.c_str(), &Si, &Pi) != 0;
}

// The installer's visible dialog with this caption. FindWindowEx narrows the search to
// dialogs with the caption in the window server, so a poll costs a few round trips rather
// than several for every top-level window (the benchmark polls while the installer works).
HWND TInstaller::FindWindowOf(const char *ACaption)
{
    HWND W = 0;
    while ((W = FindWindowExA(0, W, "#32770", ACaption)) != 0) {
        DWORD Pid = 0;
        GetWindowThreadProcessId(W, &Pid);
        if (Pid != Pi.dwProcessId || !IsWindowVisible(W)) continue;
        char Text[512];
        GetWindowTextA(W, Text, sizeof Text);
        if (strcmp(Text, ACaption) == 0) return W;
    }
    return 0;
}

struct TVisibleSearch {
    DWORD Pid;
    bool Found;
};

static BOOL CALLBACK FindVisibleOf(HWND AWnd, LPARAM ASearch)
{
    TVisibleSearch &S = *(TVisibleSearch *)ASearch;
    DWORD Pid = 0;
    GetWindowThreadProcessId(AWnd, &Pid);
    if (Pid == S.Pid && IsWindowVisible(AWnd)) S.Found = true;
    return !S.Found;
}

bool TInstaller::AnyVisibleWindow()
{
    TVisibleSearch S = {Pi.dwProcessId, false};
    EnumWindows(FindVisibleOf, (LPARAM)&S);
    return S.Found;
}

HWND TInstaller::WaitWindow(const char *ACaption, int AMs)
{
    for (int T = 0; T < AMs; T += 20) {
        HWND W = FindWindowOf(ACaption);
        if (W) return W;
        if (!Running()) return 0;
        Sleep(20);
    }
    return 0;
}

bool TInstaller::Running()
{
    return Pi.hProcess && WaitForSingleObject(Pi.hProcess, 0) == WAIT_TIMEOUT;
}

int TInstaller::WaitExit(int AMs)
{
    if (!Pi.hProcess) return -1;
    if (WaitForSingleObject(Pi.hProcess, AMs) != WAIT_OBJECT_0) {
        TerminateProcess(Pi.hProcess, 99);
        WaitForSingleObject(Pi.hProcess, 5000);
        return -1;
    }
    DWORD Code = 0;
    GetExitCodeProcess(Pi.hProcess, &Code);
    return (int)Code;
}

TInstaller::~TInstaller()
{
    if (Pi.hProcess) {
        if (Running()) {
            TerminateProcess(Pi.hProcess, 99);
            WaitForSingleObject(Pi.hProcess, 5000);
        }
        CloseHandle(Pi.hProcess);
        CloseHandle(Pi.hThread);
    }
}

std::string ItemText(HWND ADlg, int AId)
{
    char Buf[1024] = "";
    GetDlgItemTextA(ADlg, AId, Buf, sizeof Buf);
    return Buf;
}

void SetItemText(HWND ADlg, int AId, const std::string &AText)
{
    SendMessageA(GetDlgItem(ADlg, AId), WM_SETTEXT, 0, (LPARAM)AText.c_str());
}

void Press(HWND AWnd, int AId) { PostMessageA(AWnd, WM_COMMAND, AId, 0); }

std::string BoxText(HWND ABox) { return ItemText(ABox, 0xFFFF); }

bool BrowserSelect(HANDLE AProcess, HWND ABrowser, const std::string &APath)
{
    void *Remote = VirtualAllocEx(AProcess, 0, APath.size() + 1, MEM_COMMIT, PAGE_READWRITE);
    if (!Remote) return false;
    bool Ok = WriteProcessMemory(AProcess, Remote, APath.c_str(), APath.size() + 1, 0) != 0;
    if (Ok) SendMessageA(ABrowser, BFFM_SETSELECTIONA, TRUE, (LPARAM)Remote);
    VirtualFreeEx(AProcess, Remote, 0, MEM_RELEASE);
    return Ok;
}

// ---- Pictures -----------------------------------------------------------------------

bool CaptureWindow(HWND AWnd, TPicture &APicture, bool AWholeScreen)
{
    RECT R;
    if (AWholeScreen) {
        R.left = R.top = 0;
        R.right = GetSystemMetrics(SM_CXSCREEN);
        R.bottom = GetSystemMetrics(SM_CYSCREEN);
    } else if (!GetWindowRect(AWnd, &R))
        return false;
    int W = R.right - R.left, H = R.bottom - R.top;
    if (W <= 0 || H <= 0) return false;
    HDC Screen = GetDC(0);
    HDC Mem = CreateCompatibleDC(Screen);
    BITMAPINFO Bi = {};
    Bi.bmiHeader.biSize = sizeof Bi.bmiHeader;
    Bi.bmiHeader.biWidth = W;
    Bi.bmiHeader.biHeight = -H;     // top-down
    Bi.bmiHeader.biPlanes = 1;
    Bi.bmiHeader.biBitCount = 32;
    void *Bits = 0;
    HBITMAP Bmp = CreateDIBSection(Mem, &Bi, DIB_RGB_COLORS, &Bits, 0, 0);
    HGDIOBJ Old = SelectObject(Mem, Bmp);
    bool Ok = BitBlt(Mem, 0, 0, W, H, Screen, R.left, R.top, SRCCOPY) != 0;
    GdiFlush();
    APicture.Width = W;
    APicture.Height = H;
    APicture.Pixels.assign((const uint32_t *)Bits, (const uint32_t *)Bits + (size_t)W * H);
    for (uint32_t &P : APicture.Pixels) P &= 0xFFFFFF;
    SelectObject(Mem, Old);
    DeleteObject(Bmp);
    DeleteDC(Mem);
    ReleaseDC(0, Screen);
    return Ok;
}

bool SaveBitmap(const TPicture &APicture, const std::string &AName)
{
    int W = APicture.Width, H = APicture.Height, Stride = (W * 3 + 3) & ~3;
    std::string F;
    F += "BM";
    Put32(F, 54 + Stride * H);
    Put32(F, 0);
    Put32(F, 54);
    Put32(F, 40);
    Put32(F, W);
    Put32(F, H);
    Put16(F, 1);
    Put16(F, 24);
    Put32(F, 0);
    Put32(F, Stride * H);
    Put32(F, 2835);
    Put32(F, 2835);
    Put32(F, 0);
    Put32(F, 0);
    for (int Y = H - 1; Y >= 0; Y--) {
        std::string Row;
        for (int X = 0; X < W; X++) {
            uint32_t P = APicture.At(X, Y);
            Row += (char)(P & 255);
            Row += (char)(P >> 8 & 255);
            Row += (char)(P >> 16 & 255);
        }
        Row.resize(Stride, 0);
        F += Row;
    }
    return WriteWholeFile(AName, F);
}

int CountColor(const TPicture &APicture, uint32_t ARgb, int X0, int Y0, int X1, int Y1)
{
    int N = 0;
    for (int Y = Y0 < 0 ? 0 : Y0; Y < Y1 && Y < APicture.Height; Y++)
        for (int X = X0 < 0 ? 0 : X0; X < X1 && X < APicture.Width; X++)
            if (APicture.At(X, Y) == ARgb) N++;
    return N;
}

std::string ShotDir()
{
    char Buf[MAX_PATH] = "";
    DWORD N = GetEnvironmentVariableA("UNFURL_SHOTS", Buf, sizeof Buf);
    return N && N < sizeof Buf ? std::string(Buf) : std::string();
}
