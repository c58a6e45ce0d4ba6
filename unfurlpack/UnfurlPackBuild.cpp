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
#include "UnfurlUnZip.h"
#include "UnfurlZipFormat.h"

namespace {

char Fold(char C) { return C >= 'A' && C <= 'Z' ? (char)(C + 32) : C; }

// Walks ADir (archive prefix APrefix): files, and folders that hold nothing.
bool Walk(const std::string &ADir, const std::string &APrefix, std::vector<TPackEntry> &AEntries,
          std::string &AError)
{
    DIR *D = opendir(ADir.c_str());
    if (!D) {
        AError = "cannot read the folder " + ADir + ": " + strerror(errno);
        return false;
    }
    size_t Before = AEntries.size();
    bool Ok = true;
    while (struct dirent *E = readdir(D)) {
        std::string Name = E->d_name;
        if (Name == "." || Name == "..") continue;
        std::string Path = ADir + "/" + Name;
        struct stat St;
        if (stat(Path.c_str(), &St) != 0) {
            AError = "cannot read " + Path + ": " + strerror(errno);
            Ok = false;
            break;
        }
        if (S_ISDIR(St.st_mode)) {
            if (!Walk(Path, APrefix + Name + "/", AEntries, AError)) {
                Ok = false;
                break;
            }
        } else if (S_ISREG(St.st_mode)) {
            AEntries.push_back({APrefix + Name, Path, DosDateTime(St.st_mtime)});
        } else {
            AError = Path + " is neither a file nor a folder";
            Ok = false;
            break;
        }
    }
    closedir(D);
    // An empty folder is made by an entry of its own; others come with their files.
    if (Ok && AEntries.size() == Before && !APrefix.empty()) {
        struct stat St;
        stat(ADir.c_str(), &St);
        AEntries.push_back({APrefix, "", DosDateTime(St.st_mtime)});
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

uint32_t DosDateTime(time_t ATime)
{
    struct tm T;
    localtime_r(&ATime, &T);
    if (T.tm_year < 80) return (0u << 9 | 1 << 5 | 1) << 16;   // 1980-01-01 00:00:00
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

bool CollectFolder(const std::string &ADir, std::vector<TPackEntry> &AEntries, std::string &AError)
{
    AEntries.clear();
    if (!Walk(ADir, "", AEntries, AError)) return false;
    std::sort(AEntries.begin(), AEntries.end(),
              [](const TPackEntry &X, const TPackEntry &Y) { return WorkListBefore(X.Name, Y.Name); });
    return true;
}

bool WriteZip(const std::vector<TPackEntry> &AEntries, int ALevel, int AThreads,
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
            return false;
        }
        if (AZip.size() + ZipLocalSize + E.Name.size() + P.Data.size() > 0x7FFFFFFF) {
            AError = "the archive would be larger than 2 GB";
            return false;
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
        return false;
    }
    uint32_t CentralAt = (uint32_t)AZip.size();
    AZip += Central;
    ZipAppendEnd(AZip, (uint32_t)AEntries.size(), (uint32_t)Central.size(), CentralAt);
    return true;
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
    "the folder's name, --subtitle to none. Names outside ASCII are stored in UTF-8\n"
    "(flag bit 11); the installer writes them as they are.\n";

// UnfurlImage.exe in the folder of the running tool.
std::string ImageBesideTool()
{
    char Self[4096];
    ssize_t N = readlink("/proc/self/exe", Self, sizeof Self - 1);
    if (N <= 0) return "UnfurlImage.exe";
    std::string S(Self, (size_t)N);
    return S.substr(0, S.rfind('/') + 1) + "UnfurlImage.exe";
}

int Fail(int ACode, const std::string &AWhy)
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
            if (*End || L < 1 || L > 12) return Fail(PackUsage, "--level takes 1 to 12");
            Level = (int)L;
        } else if (A.empty() || A[0] != '-') {
            if (!Dir.empty()) return Fail(PackUsage, "one folder only: " + A);
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
    if (!HasTitle) Title = Dir.substr(Dir.rfind('/') + 1);

    std::vector<TPackEntry> Entries;
    std::string Why;
    if (!CollectFolder(Dir, Entries, Why)) return Fail(PackFileError, Why);
    if (Entries.empty()) return Fail(PackBadArchive, Dir + ": nothing to install");
    for (const TPackEntry &E : Entries)
        if (!Utf8Valid(E.Name.data(), (int32_t)E.Name.size()))
            return Fail(PackBadArchive, "\"" + E.Name + "\": a name that is not UTF-8");
    std::string Img;
    if (!ReadWholeFile(Image, Img) || Img.empty())
        return Fail(PackFileError, "cannot read the installer image " + Image +
                                       " (name one with --image)");
    Why = PatchImage(Img);
    if (!Why.empty()) return Fail(PackBadImage, Image + ": " + Why);

    unsigned Cores = std::thread::hardware_concurrency();
    std::string Zip;
    if (!WriteZip(Entries, Level, Cores ? (int)Cores : 1, Zip, Why)) return Fail(PackFileError, Why);
    int Walked = 0;
    for (const TPackFault &Fault : CheckArchive(Zip, Walked))
        return Fail(PackBadArchive, (Fault.Entry.empty() ? Dir : "\"" + Fault.Entry + "\"") + ": " +
                                        Fault.Reason);
    std::string Block = SetupBlockFor(Title, Subtitle, Zip);
    if (Block.size() > SetupBlockMax)
        return Fail(PackBadTexts, "the title and subtitle take " +
                                      std::to_string(Block.size() - ArchiveRecordSize) +
                                      " bytes, at most " +
                                      std::to_string(SetupBlockMax - ArchiveRecordSize) + " fit");
    std::string Setup = BuildInstaller(Img, Block, Zip);
    if (!WriteWholeFile(Out, Setup)) return Fail(PackFileError, "cannot write " + Out);
    printf("%s: %d entries, archive %zu bytes, installer %zu bytes\n", Out.c_str(), Walked,
           Zip.size(), Setup.size());
    return PackOk;
}
