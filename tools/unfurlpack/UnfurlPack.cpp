// UnfurlPack: archive checks and payload building of the preparation tool (see the header).
#include "UnfurlPack.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <map>
#include <set>

#ifdef Q_PACK_BUILD
#include "UnfurlPackBuild.h"
#endif
#include "UnfurlPayload.h"
#include "UnfurlUnZip.h"
#include "UnfurlZipInflate.h"

namespace {

const uint32_t LocalSig = 0x04034B50;   // "PK", 3, 4

uint16_t Get16(const std::string &S, size_t At)
{
    return (uint16_t)((uint8_t)S[At] | (uint8_t)S[At + 1] << 8);
}
uint32_t Get32(const std::string &S, size_t At)
{
    return (uint32_t)Get16(S, At) | (uint32_t)Get16(S, At + 2) << 16;
}

/* Central directory header (46 bytes and the variable fields):
     0 signature "PK", 1, 2    8 flags   10 method   16 CRC-32   20 compressed size
    24 uncompressed size      28 name length   30 extra length   32 comment length
    42 offset of the local header   46 name */
struct TCentral {
    std::string Name;
    uint16_t Flags, Method;
    uint32_t Crc, Compressed, Uncompressed, Offset;
};

/* End of central directory record (22 bytes and a comment of up to 65,535):
     0 signature "PK", 5, 6   10 entries in total   12 size of the directory
    16 offset of the directory */
bool ReadCentral(const std::string &AZip, std::vector<TCentral> &AEntries, uint32_t &AAt,
                 std::string &AError)
{
    size_t Size = AZip.size();
    size_t End = std::string::npos;
    for (size_t I = Size >= 22 ? Size - 22 + 1 : 0; I-- > 0 && Size - I <= 22 + 65535;)
        if (Get32(AZip, I) == EndOfCentralDirSig) {
            End = I;
            break;
        }
    if (End == std::string::npos) {
        AError = "no end of central directory record: not a ZIP archive";
        return false;
    }
    uint16_t Count = Get16(AZip, End + 10);
    uint32_t DirSize = Get32(AZip, End + 12);
    AAt = Get32(AZip, End + 16);
    if (Count == 0xFFFF || AAt == 0xFFFFFFFF || DirSize == 0xFFFFFFFF) {
        AError = "ZIP64 archive: the installer reads 32-bit sizes only";
        return false;
    }
    if ((uint64_t)AAt + DirSize > End) {
        AError = "the central directory lies outside the archive (data before the archive?)";
        return false;
    }
    size_t P = AAt;
    for (unsigned I = 0; I < Count; I++) {
        if (P + 46 > End || Get32(AZip, P) != CentralDirSig) {
            AError = "the central directory is damaged";
            return false;
        }
        TCentral C;
        C.Flags = Get16(AZip, P + 8);
        C.Method = Get16(AZip, P + 10);
        C.Crc = Get32(AZip, P + 16);
        C.Compressed = Get32(AZip, P + 20);
        C.Uncompressed = Get32(AZip, P + 24);
        C.Offset = Get32(AZip, P + 42);
        size_t NameLen = Get16(AZip, P + 28);
        size_t Rest = NameLen + Get16(AZip, P + 30) + Get16(AZip, P + 32);
        if (P + 46 + Rest > End) {
            AError = "the central directory is damaged";
            return false;
        }
        C.Name = AZip.substr(P + 46, NameLen);
        AEntries.push_back(C);
        P += 46 + Rest;
    }
    return true;
}

// Whether the entry's data at AAt decodes (or copies) to the size and CRC-32 of its header,
// with the installer's own decoder: the installer stops an entry that would write more than
// its declared size, and one that writes less fails its CRC or leaves a short file.
bool DataMatchesHeader(const std::string &AZip, size_t AAt, uint16_t AMethod, uint32_t ASize,
                       uint32_t AUncompressed, uint32_t ACrc)
{
    if (AMethod == 0) {
        uint32_t C = 0xFFFFFFFFu;
        UpdateCrc(AZip.data() + AAt, (int32_t)ASize, C);
        return ASize == AUncompressed && (C ^ 0xFFFFFFFFu) == ACrc;
    }
    // The decoder's output goes nowhere: only its length and CRC-32 matter here.
    uint32_t C = 0;
    int64_t Len = 0;
    int Result = InflateBuffer(AZip.data() + AAt, (int32_t)ASize, 0, C, AUncompressed, &Len);
    return Result == INFLATE_OK && Len == AUncompressed && C == ACrc;
}

std::string Upper(const std::string &S)
{
    std::string R = S;
    for (char &C : R)
        if (C >= 'a' && C <= 'z') C = (char)(C - 32);
    return R;
}

}  // namespace

std::vector<TPackFault> CheckArchive(const std::string &AZip, int &AEntries)
{
    std::vector<TPackFault> Faults;
    AEntries = 0;
    std::vector<TCentral> Central;
    uint32_t CentralAt = 0;
    std::string Error;
    if (!ReadCentral(AZip, Central, CentralAt, Error)) {
        Faults.push_back({"", Error});
        return Faults;
    }
    std::set<std::string> Seen;
    std::map<std::string, std::string> FileNames;   // upper case with "/" -> the entry name
    std::set<std::string> FolderNames;              // upper case, "/" separators
    size_t Pos = 0;
    // The installer's walk: local header after local header, each found by the sizes of the
    // one before, until the central directory.
    for (;;) {
        if (Pos + 4 > AZip.size()) break;
        uint32_t Sig = Get32(AZip, Pos);
        if (Sig != LocalSig || Pos + 30 > AZip.size()) break;
        if ((size_t)AEntries >= Central.size()) {
            Faults.push_back({"", "more local headers than central directory entries"});
            return Faults;
        }
        const TCentral &C = Central[AEntries];
        uint16_t Flags = Get16(AZip, Pos + 6), Method = Get16(AZip, Pos + 8);
        uint32_t Crc32 = Get32(AZip, Pos + 14), Size = Get32(AZip, Pos + 18);
        uint32_t Uncompressed = Get32(AZip, Pos + 22);
        size_t NameLen = Get16(AZip, Pos + 26), ExtraLen = Get16(AZip, Pos + 28);
        std::string Name = AZip.substr(Pos + 30, NameLen);
        std::string Shown = Name.empty() ? "(entry " + std::to_string(AEntries + 1) + ")" : Name;
        AEntries++;
        if (Pos != C.Offset || Name != C.Name) {
            Faults.push_back({Shown, "the local header does not match the central directory"});
            return Faults;
        }
        auto Refuse = [&](const std::string &AReason) { Faults.push_back({Shown, AReason}); };

        size_t DataAt = Pos + 30 + NameLen + ExtraLen;
        if (Name.empty()) Refuse("empty name");
        else if (Name.find('\0') != std::string::npos) Refuse("the name holds a zero byte");
        else {
            // Flag bit 11: a UTF-8 name, written as it is; else the code page 852 table.
            bool Utf8 = (Flags & 0x800) != 0;
            string Raw(Name.data(), Name.size());
            string Converted = Utf8 ? Raw : OemToAnsiName(Raw);
            bool NonAscii = false;
            for (char Ch : Name) NonAscii |= (uint8_t)Ch >= 0x80;
            bool ValidUtf8 = Utf8Valid(Name.data(), (int32_t)Name.size());
            if (Utf8 && !ValidUtf8)
                Refuse("flag bit 11 (UTF-8 name), but the name is not valid UTF-8");
            // UTF-8 without the flag (Info-ZIP without its Unicode path field, or one that no
            // longer matches) would be written through the code page 852 table, mangled.
            if (!Utf8 && NonAscii && ValidUtf8)
                Refuse("a UTF-8 name without flag bit 11: the installer would write it as code "
                       "page 852 (make the archive with UTF-8 names flagged, or use \"build\")");
            if (const char *Why = EntryNameFault(Converted))
                Refuse(std::string("a name the installer refuses: ") + Why);
            std::string Key = Upper(std::string(Converted.data(), Converted.length()));
            if (!Seen.insert(Key).second) Refuse("the name occurs twice (case ignored)");
            for (char &Ch : Key)
                if (Ch == '\\') Ch = '/';
            // Every folder along the name; a folder entry names its own folder.
            for (size_t I = 0; I < Key.size(); I++)
                if (Key[I] == '/') FolderNames.insert(Key.substr(0, I));
            if (!Key.empty() && Key.back() != '/') FileNames[Key] = Shown;
        }
        if (Flags & 1) Refuse("encrypted entry");
        if (Method != 0 && Method != 8)
            Refuse("compression method " + std::to_string(Method) + " (only stored and deflated)");
        if (Size == 0xFFFFFFFF || C.Compressed == 0xFFFFFFFF)
            Refuse("ZIP64 sizes: the installer reads 32-bit sizes only");
        if ((Flags & 8) && Size == 0 && C.Compressed != 0) {
            Refuse("sizes not in the local header (flag bit 3 with zero sizes): the installer "
                   "cannot step to the next entry");
            return Faults;
        }
        if (Size != C.Compressed || Uncompressed != C.Uncompressed || Crc32 != C.Crc) {
            Refuse("the local header's size or CRC-32 differs from the central directory's");
            return Faults;
        }
        if (DataAt + Size > CentralAt) {
            Refuse("the entry's data runs into the central directory");
            return Faults;
        }
        if ((Method == 0 || Method == 8) && !(Flags & 1) &&
            !DataMatchesHeader(AZip, DataAt, Method, Size, Uncompressed, Crc32))
            Refuse("the data does not give its size and CRC-32 (damaged)");
        Pos = DataAt + Size;
        // A data descriptor after the data: the walk steps over it only by its signature.
        if (Pos + 4 <= AZip.size() && Get32(AZip, Pos) == DataDescriptorSig) {
            Pos += DataDescriptorSize;
        } else if (Flags & 8) {
            Refuse("data descriptor without its signature: the installer cannot step over it");
            return Faults;
        }
    }
    // A file named like a folder that an earlier entry needed.
    for (const auto &F : FileNames)
        if (FolderNames.count(F.first))
            Faults.push_back({F.second, "a file of this name is also a folder of other entries"});
    if (Pos != CentralAt || Pos + 4 > AZip.size() || Get32(AZip, Pos) != CentralDirSig) {
        if (Central.empty() && Pos == CentralAt)
            Faults.push_back({"", "the archive has no entries"});
        else
            Faults.push_back({"", "the local headers do not lead to the central directory "
                                  "(data before the archive, or a gap between entries)"});
    } else if ((size_t)AEntries != Central.size()) {
        Faults.push_back({"", "fewer local headers than central directory entries"});
    }
    if (Central.empty() && Faults.empty()) Faults.push_back({"", "the archive has no entries"});
    return Faults;
}

// The UTF-8 name of an Info-ZIP Unicode path field (0x7075: version 1, CRC-32 of the header's
// name, the name) among AExtra, when the field is there and still matches ARaw; else empty.
static std::string UnicodePathName(const std::string &AExtra, const std::string &ARaw)
{
    for (size_t P = 0; P + 4 <= AExtra.size();) {
        size_t Size = Get16(AExtra, P + 2);
        if (P + 4 + Size > AExtra.size()) break;
        if (Get16(AExtra, P) == 0x7075 && Size > 5 && AExtra[P + 4] == 1 &&
            Get32(AExtra, P + 5) == ArchiveCrc(ARaw))
            return AExtra.substr(P + 9, Size - 5);
        P += 4 + Size;
    }
    return std::string();
}

std::string AdoptUnicodeNames(const std::string &AZip, int &ARenamed)
{
    ARenamed = 0;
    std::vector<TCentral> Central;
    uint32_t At = 0;
    std::string Error;
    if (!ReadCentral(AZip, Central, At, Error)) return AZip;
    // The new names by entry; entries must stand in the directory's order, one after another.
    std::vector<std::string> Names(Central.size());
    for (size_t I = 0; I < Central.size(); I++) {
        const TCentral &C = Central[I];
        size_t Next = I + 1 < Central.size() ? Central[I + 1].Offset : At;
        if (C.Offset + 30 > Next || Next > At || Get32(AZip, C.Offset) != LocalSig) return AZip;
        size_t NameLen = Get16(AZip, C.Offset + 26), ExtraLen = Get16(AZip, C.Offset + 28);
        if (C.Offset + 30 + NameLen + ExtraLen > Next) return AZip;
        if (C.Flags & 0x800) continue;
        Names[I] = UnicodePathName(AZip.substr(C.Offset + 30 + NameLen, ExtraLen), C.Name);
        if (!Names[I].empty()) ARenamed++;
    }
    if (ARenamed == 0) return AZip;

    // Local headers and data with the new names; then the directory likewise.
    std::string Out, Dir;
    size_t P = At;
    for (size_t I = 0; I < Central.size(); I++) {
        const TCentral &C = Central[I];
        size_t Next = I + 1 < Central.size() ? Central[I + 1].Offset : At;
        size_t NameLen = Get16(AZip, C.Offset + 26);
        uint32_t Offset = (uint32_t)Out.size();
        std::string Local = AZip.substr(C.Offset, Next - C.Offset);
        std::string Entry = AZip.substr(P, 46 + Get16(AZip, P + 28) + Get16(AZip, P + 30) +
                                               Get16(AZip, P + 32));
        P += Entry.size();
        if (!Names[I].empty()) {
            Local.replace(30, NameLen, Names[I]);
            Local[7] |= 0x08;   // flag bit 11
            Local[26] = (char)Names[I].size();
            Local[27] = (char)(Names[I].size() >> 8);
            Entry.replace(46, NameLen, Names[I]);
            Entry[9] |= 0x08;
            Entry[28] = Local[26];
            Entry[29] = Local[27];
        }
        for (int B = 0; B < 4; B++) Entry[42 + B] = (char)(Offset >> (8 * B));
        Out += Local;
        Dir += Entry;
    }
    // The end record after the directory, with its new size and place.
    std::string End = AZip.substr(P);
    uint32_t DirAt = (uint32_t)Out.size(), DirSize = (uint32_t)Dir.size();
    if (End.size() < 22 || Get32(End, 0) != EndOfCentralDirSig) return AZip;
    for (int B = 0; B < 4; B++) {
        End[12 + B] = (char)(DirSize >> (8 * B));
        End[16 + B] = (char)(DirAt >> (8 * B));
    }
    return Out + Dir + End;
}

std::string PatchImage(std::string &AImage)
{
    const char Mark[StartMarkSize] = UNFURL_START_MARK;
    size_t Found = std::string::npos, Count = 0;
    for (size_t P = AImage.find(Mark, 0, StartMarkSize); P != std::string::npos;
         P = AImage.find(Mark, P + 1, StartMarkSize)) {
        Found = P;
        Count++;
    }
    if (Count == 0) return "no ArchiveStart marker: not an Unfurl installer executable";
    if (Count > 1) return "the ArchiveStart marker occurs more than once";
    if (Found + StartMarkSize + 4 > AImage.size()) return "the ArchiveStart marker is cut off";
    uint32_t S = (uint32_t)AImage.size();
    for (int I = 0; I < 4; I++) AImage[Found + StartMarkSize + I] = (char)(S >> (8 * I));
    return std::string();
}

std::string BuildInstaller(const std::string &AImage, const std::string &ASetupBlock,
                           const std::string &AZip)
{
    std::string Out = AImage;
    // The reserved area stays zeros: a copy of the archive's first bytes there would make ZIP
    // tools take the archive to start 100 bytes early and report its headers as damaged.
    Out += std::string(PayloadReserved, '\0');
    uint32_t L = (uint32_t)ASetupBlock.size();
    for (int I = 0; I < 4; I++) Out += (char)(L >> (8 * I));
    Out += ASetupBlock;
    Out += AZip;
    return Out;
}

uint32_t ArchiveCrc(const std::string &AZip)
{
    uint32_t C = 0xFFFFFFFFu;
    for (size_t At = 0; At < AZip.size(); At += 1 << 30) {
        size_t Piece = AZip.size() - At < (1u << 30) ? AZip.size() - At : (1u << 30);
        UpdateCrc(AZip.data() + At, (int32_t)Piece, C);
    }
    return ~C;
}

std::string SetupBlockFor(const std::string &ATitle, const std::string &ASubtitle,
                          const std::string &AZip)
{
    string Block = BuildSetupBlock(string(ATitle.data(), ATitle.size()),
                                   string(ASubtitle.data(), ASubtitle.size()));
    Block += BuildArchiveRecord((uint32_t)AZip.size(), ArchiveCrc(AZip));
    // Texts beyond ASCII in UTF-8 (as a Linux command line gives them) are marked, so that the
    // installer paints them as written; any other bytes stay the code page's, as before.
    std::string Texts = ATitle + ASubtitle;
    bool Ascii = true;
    for (char C : Texts) Ascii &= (uint8_t)C < 0x80;
    if (!Ascii && Utf8Valid(Texts.data(), (int32_t)Texts.size())) Block += TEXTS_UTF8_MARK;
    return std::string(Block.data(), Block.length());
}

static uint32_t Get32At(const std::string &S, size_t P)
{
    uint32_t V = 0;
    for (int I = 3; I >= 0; I--) V = V << 8 | (uint8_t)S[P + I];
    return V;
}

std::string VerifyInstaller(const std::string &AInstaller)
{
    const char Mark[StartMarkSize] = UNFURL_START_MARK;
    size_t At = AInstaller.find(Mark, 0, StartMarkSize);
    if (At == std::string::npos || At + StartMarkSize + 4 > AInstaller.size())
        return "not an Unfurl installer (no ArchiveStart marker)";
    uint32_t S = Get32At(AInstaller, At + StartMarkSize);
    if ((uint64_t)S + SetupHeaderSize > AInstaller.size())
        return "the file ends before the setup header: incomplete";
    uint32_t L = Get32At(AInstaller, S + PayloadReserved);
    if (L > SetupBlockMax) return "the setup block is longer than the installer reads: damaged";
    if ((uint64_t)S + SetupHeaderSize + L > AInstaller.size())
        return "the file ends inside the setup block: incomplete";
    TArchiveRecord R =
        DecodeArchiveRecord((const uint8_t *)AInstaller.data() + S + SetupHeaderSize, L);
    if (!R.Present) return "no integrity record (an installer made without one): not verified";
    size_t Start = (size_t)S + SetupHeaderSize + L;
    if (AInstaller.size() - Start < R.Length) return "the file ends inside the archive: incomplete";
    if (ArchiveCrc(AInstaller.substr(Start, R.Length)) != R.Crc)
        return "the archive's CRC-32 does not match its record: damaged";
    return std::string();
}

bool ReadWholeFile(const std::string &AName, std::string &AData)
{
    FILE *F = fopen(AName.c_str(), "rb");
    if (!F) return false;
    char Buf[65536];
    size_t Got;
    AData.clear();
    while ((Got = fread(Buf, 1, sizeof Buf, F)) > 0) AData.append(Buf, Got);
    bool Ok = !ferror(F);
    fclose(F);
    return Ok;
}

bool WriteWholeFile(const std::string &AName, const std::string &AData)
{
    FILE *F = fopen(AName.c_str(), "wb");
    if (!F) return false;
    bool Ok = fwrite(AData.data(), 1, AData.size(), F) == AData.size();
    return fclose(F) == 0 && Ok;
}

std::string UnescapeText(const std::string &AText)
{
    std::string R;
    for (size_t I = 0; I < AText.size(); I++) {
        if (AText[I] == '\\' && I + 1 < AText.size() && AText[I + 1] == 'n') {
            R += "\r\n";
            I++;
        } else if (AText[I] == '\\' && I + 1 < AText.size() && AText[I + 1] == '\\') {
            R += '\\';
            I++;
        } else {
            R += AText[I];
        }
    }
    return R;
}

// ---- The command --------------------------------------------------------------------------

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
