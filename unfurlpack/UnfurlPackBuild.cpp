// UnfurlPackBuild: a folder into the installer's ZIP archive (see the header).
#include "UnfurlPackBuild.h"

#include <dirent.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include <libdeflate.h>

#include "UnfurlPack.h"
#include "UnfurlPackCheck.h"
#include "UnfurlPayload.h"
#include "UnfurlZipFormat.h"

namespace {

char Fold(char C) { return C >= 'A' && C <= 'Z' ? (char)(C + 32) : C; }

// The folder's walk: where it started (resolved), the file to leave out, what it found.
struct TWalk {
    std::string Root;        // the folder, all links resolved
    dev_t SkipDev = 0;       // the output file, when it exists
    ino_t SkipIno = 0;
    bool Skip = false;
    TCollected *Out;
};

bool Refuse(TWalk &AW, int ACode, const std::string &AWhy)
{
    AW.Out->Error = AWhy;
    AW.Out->Code = ACode;
    return false;
}

// Whether the resolved path APath lies inside the walk's folder.
bool Inside(const TWalk &AW, const std::string &APath)
{
    return AW.Root == "/" || APath.compare(0, AW.Root.size() + 1, AW.Root + "/") == 0;
}

// A symbolic link at APath (archive name AName): ASt becomes what it points to, when that is a
// file inside the folder; else the refusal.
bool FollowLink(TWalk &AW, const std::string &APath, const std::string &AName, struct stat &ASt)
{
    char *Real = realpath(APath.c_str(), 0);
    if (!Real)
        return Refuse(AW, PackBadArchive, "\"" + AName + "\": a symbolic link that leads nowhere");
    std::string Target = Real;
    free(Real);
    if (!Inside(AW, Target))
        return Refuse(AW, PackBadArchive, "\"" + AName + "\": a symbolic link out of the folder "
                                          "(to " + Target + "); links are not followed out of it");
    if (stat(APath.c_str(), &ASt) != 0 || !S_ISREG(ASt.st_mode))
        return Refuse(AW, PackBadArchive, "\"" + AName + "\": a symbolic link to a folder or "
                                              "something not a file (only links to files inside "
                                              "the folder are packed, as copies)");
    return true;
}

// Walks ADir (archive prefix APrefix): files, and folders that hold nothing.
bool Walk(TWalk &AW, const std::string &ADir, const std::string &APrefix)
{
    std::vector<TPackEntry> &Entries = AW.Out->Entries;
    DIR *D = opendir(ADir.c_str());
    if (!D)
        return Refuse(AW, PackFileError, "cannot read the folder " + ADir + ": " + strerror(errno));
    size_t Before = Entries.size();
    bool Ok = true;
    while (struct dirent *E = readdir(D)) {
        std::string Name = E->d_name;
        if (Name == "." || Name == "..") continue;
        std::string Path = ADir + "/" + Name;
        struct stat St;
        if (lstat(Path.c_str(), &St) != 0) {
            Ok = Refuse(AW, PackFileError, "cannot read " + Path + ": " + strerror(errno));
            break;
        }
        if (S_ISLNK(St.st_mode) && !(Ok = FollowLink(AW, Path, APrefix + Name, St))) break;
        if (S_ISDIR(St.st_mode)) {
            if (!(Ok = Walk(AW, Path, APrefix + Name + "/"))) break;
        } else if (S_ISREG(St.st_mode)) {
            if (AW.Skip && St.st_dev == AW.SkipDev && St.st_ino == AW.SkipIno) continue;
            // The installer's entries hold 32-bit sizes (and all ones means ZIP64).
            if ((uint64_t)St.st_size >= 0xFFFFFFFFull) {
                Ok = Refuse(AW, PackBadArchive,
                            "\"" + APrefix + Name + "\": 4 GiB or more (" +
                                std::to_string((uint64_t)St.st_size) +
                                " bytes): the installer's entries hold 32-bit sizes");
                break;
            }
            bool Late = false;
            Entries.push_back({APrefix + Name, Path, DosDateTime(St.st_mtime, &Late)});
            if (Late) AW.Out->Late.push_back(APrefix + Name);
        } else {
            Ok = Refuse(AW, PackBadArchive, Path + " is neither a file nor a folder");
            break;
        }
    }
    closedir(D);
    // An empty folder is made by an entry of its own; others come with their files.
    if (Ok && Entries.size() == Before && !APrefix.empty()) {
        struct stat St;
        stat(ADir.c_str(), &St);
        Entries.push_back({APrefix, "", DosDateTime(St.st_mtime)});
    }
    return Ok;
}

// One entry's data as it goes into the archive.
struct TPacked {
    std::string Data;        // stored or deflated bytes
    uint16_t Method = 0;     // 0 stored, 8 deflated
    uint32_t Crc = 0;
    uint64_t Size = 0;       // uncompressed
    std::string Error;
};

// Reads and compresses the file of AEntry; stored when deflating does not make it smaller.
void Pack(const TPackEntry &AEntry, libdeflate_compressor *AC, TPacked &AOut)
{
    if (AEntry.Path.empty()) return;   // a folder
    std::string Raw;
    if (!ReadWholeFile(AEntry.Path, Raw)) {
        AOut.Error = "cannot read " + AEntry.Path;
        return;
    }
    AOut.Size = Raw.size();
    AOut.Crc = libdeflate_crc32(0, Raw.data(), Raw.size());
    std::string Out(Raw.size() > 1 ? Raw.size() - 1 : 0, '\0');
    size_t Got = Out.empty() ? 0
                             : libdeflate_deflate_compress(AC, Raw.data(), Raw.size(), &Out[0],
                                                           Out.size());
    if (Got > 0) {
        Out.resize(Got);
        AOut.Data.swap(Out);
        AOut.Method = 8;
    } else {
        AOut.Data.swap(Raw);
    }
}

// Whether a name holds anything beyond ASCII (and so goes in UTF-8 with flag bit 11).
bool NonAscii(const std::string &AName)
{
    for (char C : AName)
        if ((unsigned char)C >= 0x80) return true;
    return false;
}

}  // namespace

uint32_t DosDateTime(time_t ATime, bool *AClamped)
{
    struct tm T;
    localtime_r(&ATime, &T);
    if (T.tm_year < 80) return (0u << 9 | 1 << 5 | 1) << 16;   // 1980-01-01 00:00:00
    // Seven bits of years from 1980: 2107-12-31 23:59:58 is the last time.
    if (T.tm_year - 80 > 127) {
        if (AClamped) *AClamped = true;
        return (127u << 9 | 12 << 5 | 31) << 16 | (23u << 11 | 59 << 5 | 29);
    }
    uint32_t Date = (uint32_t)(T.tm_year - 80) << 9 | (uint32_t)(T.tm_mon + 1) << 5 | (uint32_t)T.tm_mday;
    uint32_t Time = (uint32_t)T.tm_hour << 11 | (uint32_t)T.tm_min << 5 | (uint32_t)(T.tm_sec / 2);
    return Date << 16 | Time;
}

bool WorkListBefore(const std::string &A, const std::string &B)
{
    return std::lexicographical_compare(A.begin(), A.end(), B.begin(), B.end(),
                                        [](char X, char Y) {
                                            return (unsigned char)Fold(X) < (unsigned char)Fold(Y);
                                        });
}

bool CollectFolder(const std::string &ADir, const std::string &ASkip, TCollected &AOut)
{
    AOut = TCollected();
    TWalk W;
    W.Out = &AOut;
    char *Real = realpath(ADir.c_str(), 0);
    if (!Real)
        return Refuse(W, PackFileError, "cannot read the folder " + ADir + ": " + strerror(errno));
    W.Root = Real;
    free(Real);
    struct stat St;
    if (stat(ASkip.c_str(), &St) == 0) {
        W.Skip = true;
        W.SkipDev = St.st_dev;
        W.SkipIno = St.st_ino;
    }
    if (!Walk(W, ADir, "")) return false;
    std::vector<TPackEntry> &AEntries = AOut.Entries;
    std::sort(AEntries.begin(), AEntries.end(),
              [](const TPackEntry &X, const TPackEntry &Y) { return WorkListBefore(X.Name, Y.Name); });
    return true;
}

int WriteZip(const std::vector<TPackEntry> &AEntries, int ALevel, int AThreads,
             std::string &AZip, std::string &AError)
{
    // Compression on the machine's cores; the archive is written in order afterwards.
    std::vector<TPacked> Packed(AEntries.size());
    std::atomic<size_t> Next(0);
    auto Work = [&]() {
        libdeflate_compressor *C = libdeflate_alloc_compressor(ALevel);
        for (size_t I; (I = Next++) < AEntries.size();) {
            if (C) Pack(AEntries[I], C, Packed[I]);
            else Packed[I].Error = "no memory for the compressor";
        }
        libdeflate_free_compressor(C);
    };
    std::vector<std::thread> Threads;
    for (int T = 1; T < AThreads; T++) Threads.emplace_back(Work);
    Work();
    for (std::thread &T : Threads) T.join();

    /* Local header (30 bytes, then name and data):
         0 signature   4 version needed   6 flags   8 method   10 time   12 date
        14 CRC-32     18 compressed size   22 uncompressed size   26 name length   28 extra */
    AZip.clear();
    std::string Central;
    for (size_t I = 0; I < AEntries.size(); I++) {
        const TPackEntry &E = AEntries[I];
        const TPacked &P = Packed[I];
        if (!P.Error.empty()) {
            AError = P.Error;
            return PackFileError;
        }
        if (AZip.size() + ZipLocalSize + E.Name.size() + P.Data.size() > InstallerSizeMax) {
            AError = "the archive would be larger than 2 GB, more than an installer can hold";
            return PackBadArchive;
        }
        std::string Common;
        LeAppend16(Common, P.Method == ZipDeflated ? 20 : 10);   // version needed
        LeAppend16(Common, NonAscii(E.Name) ? ZipFlagUtf8 : 0);   // flags: a UTF-8 name
        LeAppend16(Common, P.Method);
        LeAppend32(Common, E.DosTime);                     // time, then date
        LeAppend32(Common, P.Crc);
        LeAppend32(Common, (uint32_t)P.Data.size());
        LeAppend32(Common, (uint32_t)P.Size);
        LeAppend16(Common, (uint32_t)E.Name.size());
        LeAppend16(Common, 0);                             // extra field
        uint32_t Offset = (uint32_t)AZip.size();
        LeAppend32(AZip, ZipLocalSig);
        AZip += Common + E.Name + P.Data;
        LeAppend32(Central, ZipCentralSig);
        LeAppend16(Central, 20);                           // made by
        Central += Common;
        LeAppend16(Central, 0);                            // comment
        LeAppend16(Central, 0);                            // disk
        LeAppend16(Central, 0);                            // internal attributes
        LeAppend32(Central, E.Path.empty() ? 0x10 : 0x20);   // folder / archive attribute
        LeAppend32(Central, Offset);
        Central += E.Name;
    }
    if (AEntries.size() > 0xFFFE) {
        AError = "more than 65,534 entries";
        return PackBadArchive;
    }
    uint32_t CentralAt = (uint32_t)AZip.size();
    AZip += Central;
    ZipAppendEnd(AZip, (uint32_t)AEntries.size(), (uint32_t)Central.size(), CentralAt);
    return PackOk;
}

// ---- The "build" command --------------------------------------------------------------------

namespace {

const char *const BuildUsage =
    "Usage: unfurlpack build FOLDER -o OUTPUT.exe [--title TEXT] [--subtitle TEXT]\n"
    "                        [--image INSTALLER.exe] [--level 1..12]\n"
    "\n"
    "Makes the installer of everything in FOLDER in one step: the ZIP archive (in the\n"
    "installer's order, each file's time, empty folders, deflated by libdeflate at --level,\n"
    "default 12, on every core, or stored when that is not smaller), checked as --check\n"
    "checks, then appended with the setup header to the installer image. The image is\n"
    "UnfurlImage.exe beside this tool unless --image names another. --title defaults to\n"
    "the folder's name (also for \".\"), --subtitle to none; both with their zero bytes\n"
    "take at most 988 bytes (984 in UTF-8 beyond ASCII). Names outside ASCII are stored in\n"
    "UTF-8 (flag bit 11); the installer writes them as they are. OUTPUT.exe is left out\n"
    "when it lies in FOLDER. A symbolic link to a file inside FOLDER is packed as a copy;\n"
    "links out of it, to folders or nowhere are refused, as are files of 4 GiB or more and\n"
    "names that are one file on Windows (case, \\ and /). Times from 2108 on are stored as\n"
    "2107-12-31 23:59:58 and said so. Exit codes as for the other forms (--help).\n";

// UnfurlImage.exe in the folder of the running tool.
std::string ImageBesideTool()
{
    char Self[4096];
    ssize_t N = readlink("/proc/self/exe", Self, sizeof Self - 1);
    if (N <= 0) return "UnfurlImage.exe";
    std::string S(Self, (size_t)N);
    return S.substr(0, S.rfind('/') + 1) + "UnfurlImage.exe";
}

static int Refuse(int ACode, const std::string &AWhy)
{
    fprintf(stderr, "unfurlpack: %s\n", AWhy.c_str());
    return ACode;
}

}  // namespace

int PackBuildMain(int AArgc, char **AArgv)
{
    std::string Dir, Out, Title, Subtitle, Image = ImageBesideTool();
    bool HasTitle = false;
    int Level = 12;
    for (int I = 2; I < AArgc; I++) {
        std::string A = AArgv[I];
        bool HasValue = I + 1 < AArgc;
        if (A == "--help" || A == "-h") {
            fputs(BuildUsage, stdout);
            return PackOk;
        } else if ((A == "-o" || A == "--output") && HasValue) {
            Out = AArgv[++I];
        } else if (A == "--title" && HasValue) {
            Title = UnescapeText(AArgv[++I]);
            HasTitle = true;
        } else if (A == "--subtitle" && HasValue) {
            Subtitle = UnescapeText(AArgv[++I]);
        } else if (A == "--image" && HasValue) {
            Image = AArgv[++I];
        } else if (A == "--level" && HasValue) {
            char *End = 0;
            long L = strtol(AArgv[++I], &End, 10);
            if (*End || L < 1 || L > 12) return Refuse(PackUsage, "--level takes 1 to 12");
            Level = (int)L;
        } else if (A.empty() || A[0] != '-') {
            if (!Dir.empty()) return Refuse(PackUsage, "one folder only: " + A);
            Dir = A;
        } else {
            fputs(BuildUsage, stderr);
            return PackUsage;
        }
    }
    if (Dir.empty() || Out.empty()) {
        fputs(BuildUsage, stderr);
        return PackUsage;
    }
    while (Dir.size() > 1 && Dir.back() == '/') Dir.pop_back();
    if (!HasTitle) {
        // The folder's own name, also for "." or "..".
        char *Real = realpath(Dir.c_str(), 0);
        std::string Full = Real ? Real : Dir;
        free(Real);
        Title = Full.substr(Full.rfind('/') + 1);
    }

    TCollected Found;
    std::string Why;
    if (!CollectFolder(Dir, Out, Found)) return Refuse(Found.Code, Found.Error);
    const std::vector<TPackEntry> &Entries = Found.Entries;
    if (Entries.empty()) return Refuse(PackBadArchive, Dir + ": nothing to install");
    for (const TPackEntry &E : Entries)
        if (!IsUtf8(E.Name))
            return Refuse(PackBadArchive, "\"" + E.Name + "\": a name that is not UTF-8");
    std::string Img;
    if (!ReadWholeFile(Image, Img) || Img.empty())
        return Refuse(PackFileError, "cannot read the installer image " + Image +
                                       " (name one with --image)");
    Why = PatchImage(Img);
    if (!Why.empty()) return Refuse(PackBadImage, Image + ": " + Why);
    std::string Block = SetupBlockFor(Title, Subtitle, std::string());
    Why = SetupTextsFault(Title, Subtitle, Block);
    if (!Why.empty()) return Refuse(PackBadTexts, Why);

    unsigned Cores = std::thread::hardware_concurrency();
    std::string Zip;
    if (int Code = WriteZip(Entries, Level, Cores ? (int)Cores : 1, Zip, Why))
        return Refuse(Code, Why);
    int Walked = 0;
    for (const TPackFault &Fault : CheckArchive(Zip, Walked))
        return Refuse(PackBadArchive, (Fault.Entry.empty() ? Dir : "\"" + Fault.Entry + "\"") + ": " +
                                        Fault.Reason);
    Block = SetupBlockFor(Title, Subtitle, Zip);
    if (Img.size() + SetupHeaderSize + Block.size() + Zip.size() > InstallerSizeMax)
        return Refuse(PackBadArchive, "the installer would be larger than 2 GB");
    if (!Found.Late.empty())
        fprintf(stderr, "unfurlpack: %zu file(s) dated 2108 or later, stored as 2107-12-31 "
                        "23:59:58 (the last time a ZIP entry holds), the first \"%s\"\n",
                Found.Late.size(), Found.Late[0].c_str());
    std::string Setup = BuildInstaller(Img, Block, Zip);
    if (!WriteWholeFile(Out, Setup)) return Refuse(PackFileError, "cannot write " + Out);
    printf("%s: %d entries, archive %zu bytes, installer %zu bytes\n", Out.c_str(), Walked,
           Zip.size(), Setup.size());
    return PackOk;
}
