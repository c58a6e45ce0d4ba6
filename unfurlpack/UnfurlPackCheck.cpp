// UnfurlPackCheck: archive checks of the preparation tool (see the header).
#include "UnfurlPackCheck.h"

#include <stdint.h>

#include <map>
#include <set>

#include "QLittleEndian.h"
#include "UnfurlEntryName.h"
#include "UnfurlZipFormat.h"
#include "UnfurlZipInflate.h"

namespace {

// A central directory entry, as far as the checks compare it with the local header.
struct TCentral {
    std::string Name;
    uint16_t Flags, Method;
    uint32_t Crc, Compressed, Uncompressed, Offset;
};

bool ReadCentral(const std::string &AZip, std::vector<TCentral> &AEntries, uint32_t &AAt,
                 std::string &AError)
{
    size_t End = FindEndRecord(AZip);
    if (End == std::string::npos) {
        AError = "no end of central directory record: not a ZIP archive";
        return false;
    }
    uint16_t Count = LeGet16(AZip, End + ZipEndEntries);
    uint32_t DirSize = LeGet32(AZip, End + ZipEndDirSize);
    AAt = LeGet32(AZip, End + ZipEndDirOffset);
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
        if (P + ZipCentralSize > End || LeGet32(AZip, P) != ZipCentralSig) {
            AError = "the central directory is damaged";
            return false;
        }
        TZipCentralFields F = ZipDecodeCentral((const uint8_t *)AZip.data() + P);
        size_t Rest = (size_t)F.NameLength + F.ExtraLength + F.CommentLength;
        if (P + ZipCentralSize + Rest > End) {
            AError = "the central directory is damaged";
            return false;
        }
        TCentral C = {AZip.substr(P + ZipCentralSize, F.NameLength), F.Flags, F.Method, F.Crc,
                      F.Compressed, F.Uncompressed, F.LocalOffset};
        AEntries.push_back(C);
        P += ZipCentralSize + Rest;
    }
    return true;
}

// Whether the entry's data at AAt decodes (or copies) to the size and CRC-32 of its header,
// with the installer's own decoder: the installer stops an entry that would write more than
// its declared size, and one that writes less fails its CRC or leaves a short file.
bool DataMatchesHeader(const std::string &AZip, size_t AAt, uint16_t AMethod, uint32_t ASize,
                       uint32_t AUncompressed, uint32_t ACrc)
{
    if (AMethod == ZipStored) {
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

// The names met so far in the walk, to find those that clash.
struct TNameSets {
    std::set<std::string> Seen;                     // upper case, as the installer writes them
    std::map<std::string, std::string> FileNames;   // upper case with "/" -> the entry name
    std::set<std::string> FolderNames;              // upper case, "/" separators
};

// The faults of one entry's name (AFlags for its UTF-8 bit), shown as AShown; the name goes
// into ANames.
void CheckName(const std::string &AName, uint16_t AFlags, const std::string &AShown,
               TNameSets &ANames, std::vector<TPackFault> &AFaults)
{
    auto Refuse = [&](const std::string &AReason) { AFaults.push_back({AShown, AReason}); };
    if (AName.empty()) {
        Refuse("empty name");
        return;
    }
    if (AName.find('\0') != std::string::npos) {
        Refuse("the name holds a zero byte");
        return;
    }
    // Flag bit 11: a UTF-8 name, written as it is; else the code page 852 table.
    bool Utf8 = (AFlags & ZipFlagUtf8) != 0;
    string Raw(AName.data(), AName.size());
    string Converted = Utf8 ? Raw : OemToAnsiName(Raw);
    bool NonAscii = false;
    for (char Ch : AName) NonAscii |= (uint8_t)Ch >= 0x80;
    bool ValidUtf8 = Utf8Valid(AName.data(), (int32_t)AName.size());
    if (Utf8 && !ValidUtf8)
        Refuse("flag bit 11 (UTF-8 name), but the name is not valid UTF-8");
    // UTF-8 without the flag (Info-ZIP without its Unicode path field, or one that no
    // longer matches) would be written through the code page 852 table, mangled.
    if (!Utf8 && NonAscii && ValidUtf8)
        Refuse("a UTF-8 name without flag bit 11: the installer would write it as code "
               "page 852 (make the archive with UTF-8 names flagged, or use \"build\")");
    if (const char *Why = EntryNameFault(Converted))
        Refuse(std::string("a name the installer refuses: ") + Why);
    // One file on Windows: ASCII case ignored, "\\" and "/" the same separator.
    std::string Key = Upper(std::string(Converted.data(), Converted.length()));
    for (char &Ch : Key)
        if (Ch == '\\') Ch = '/';
    if (!ANames.Seen.insert(Key).second)
        Refuse("the name occurs twice (one file on Windows: case and \\ or / ignored)");
    // Every folder along the name; a folder entry names its own folder.
    for (size_t I = 0; I < Key.size(); I++)
        if (Key[I] == '/') ANames.FolderNames.insert(Key.substr(0, I));
    if (!Key.empty() && Key.back() != '/') ANames.FileNames[Key] = AShown;
}

// One step of the installer's walk: the local header at APos, which is entry number
// AEntries of ACentral. Adds its faults, counts it and moves APos to the next header;
// false when the walk cannot go on.
bool CheckEntry(const std::string &AZip, const std::vector<TCentral> &ACentral,
                uint32_t ACentralAt, size_t &APos, int &AEntries, TNameSets &ANames,
                std::vector<TPackFault> &AFaults)
{
    const TCentral &C = ACentral[AEntries];
    size_t Pos = APos;
    uint16_t Flags = LeGet16(AZip, Pos + ZipLocalFlags);
    uint16_t Method = LeGet16(AZip, Pos + ZipLocalMethod);
    uint32_t Crc32 = LeGet32(AZip, Pos + ZipLocalCrc);
    uint32_t Size = LeGet32(AZip, Pos + ZipLocalCompressed);
    uint32_t Uncompressed = LeGet32(AZip, Pos + ZipLocalUncompressed);
    size_t NameLen = LeGet16(AZip, Pos + ZipLocalNameLength);
    size_t ExtraLen = LeGet16(AZip, Pos + ZipLocalExtraLength);
    std::string Name = AZip.substr(Pos + ZipLocalSize, NameLen);
    std::string Shown = Name.empty() ? "(entry " + std::to_string(AEntries + 1) + ")" : Name;
    AEntries++;
    auto Refuse = [&](const std::string &AReason) { AFaults.push_back({Shown, AReason}); };
    if (Pos != C.Offset || Name != C.Name) {
        Refuse("the local header does not match the central directory");
        return false;
    }
    size_t DataAt = Pos + ZipLocalSize + NameLen + ExtraLen;
    CheckName(Name, Flags, Shown, ANames, AFaults);
    if (Flags & ZipFlagEncrypted) Refuse("encrypted entry");
    if (Method != ZipStored && Method != ZipDeflated)
        Refuse("compression method " + std::to_string(Method) + " (only stored and deflated)");
    if (Size == 0xFFFFFFFF || C.Compressed == 0xFFFFFFFF)
        Refuse("ZIP64 sizes: the installer reads 32-bit sizes only");
    if (Size > 0x7FFFFFFF) {
        Refuse("larger than an installer can hold (2 GB)");
        return false;
    }
    if ((Flags & ZipFlagDescriptor) && Size == 0 && C.Compressed != 0) {
        Refuse("sizes not in the local header (flag bit 3 with zero sizes): the installer "
               "cannot step to the next entry");
        return false;
    }
    if (Size != C.Compressed || Uncompressed != C.Uncompressed || Crc32 != C.Crc) {
        Refuse("the local header's size or CRC-32 differs from the central directory's");
        return false;
    }
    if (DataAt + Size > ACentralAt) {
        Refuse("the entry's data runs into the central directory");
        return false;
    }
    if ((Method == ZipStored || Method == ZipDeflated) && !(Flags & ZipFlagEncrypted) &&
        !DataMatchesHeader(AZip, DataAt, Method, Size, Uncompressed, Crc32))
        Refuse("the data does not give its size and CRC-32 (damaged)");
    APos = DataAt + Size;
    // A data descriptor after the data: the walk steps over it only by its signature.
    if (APos + 4 <= AZip.size() && LeGet32(AZip, APos) == ZipDescriptorSig) {
        APos += ZipDescriptorSize;
    } else if (Flags & ZipFlagDescriptor) {
        Refuse("data descriptor without its signature: the installer cannot step over it");
        return false;
    }
    return true;
}

}  // namespace

size_t FindEndRecord(const std::string &AZip)
{
    size_t Size = AZip.size();
    for (size_t I = Size >= ZipEndSize ? Size - ZipEndSize + 1 : 0;
         I-- > 0 && Size - I <= ZipEndSize + ZipEndCommentMax;)
        if (LeGet32(AZip, I) == ZipEndSig) return I;
    return std::string::npos;
}


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
    TNameSets Names;
    size_t Pos = 0;
    // The installer's walk: local header after local header, each found by the sizes of the
    // one before, until the central directory.
    for (;;) {
        if (Pos + 4 > AZip.size()) break;
        if (LeGet32(AZip, Pos) != ZipLocalSig || Pos + ZipLocalSize > AZip.size()) break;
        if ((size_t)AEntries >= Central.size()) {
            Faults.push_back({"", "more local headers than central directory entries"});
            return Faults;
        }
        if (!CheckEntry(AZip, Central, CentralAt, Pos, AEntries, Names, Faults)) return Faults;
    }
    // A file named like a folder that an earlier entry needed.
    for (const auto &F : Names.FileNames)
        if (Names.FolderNames.count(F.first))
            Faults.push_back({F.second, "a file of this name is also a folder of other entries"});
    if (Pos != CentralAt || Pos + 4 > AZip.size() || LeGet32(AZip, Pos) != ZipCentralSig) {
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

bool IsUtf8(const std::string &AText)
{
    return Utf8Valid(AText.data(), (int32_t)AText.size());
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
