// UnfurlPackRewrite: archives read through their central directory and written anew for the
// installer's walk (see the header).
#include "UnfurlPackRewrite.h"

#include <stdint.h>

#include <algorithm>

#include "QLittleEndian.h"
#include "UnfurlZipFormat.h"

namespace {

// ZIP64 records, which the installer does not read. The locator (20 bytes) stands right before
// the end record and the ZIP64 end record (56 bytes without extensible data) before it, with
// the directory's 64-bit count, size and offset. The extended information extra field (id 1)
// holds, in this order, the 64-bit values of those header fields that hold all ones: the
// uncompressed size, the compressed size, the local header's offset.
const uint32_t Zip64EndSig = 0x06064B50;       // "PK", 6, 6
const uint32_t Zip64LocatorSig = 0x07064B50;   // "PK", 6, 7
enum {
    Zip64LocatorSize = 20, Zip64EndEntries = 32, Zip64EndDirSize = 40, Zip64EndDirOffset = 48,
    Zip64EndSize = 56, Zip64ExtraId = 0x0001
};
const uint32_t AllOnes = 0xFFFFFFFF;      // a 32-bit size or offset kept in the ZIP64 field
const uint64_t InstallerMax = 0x7FFFFFFF;   // the installer's offsets are signed 32-bit

uint64_t LeGet64(const std::string &S, size_t At)
{
    return LeGet32(S, At) | (uint64_t)LeGet32(S, At + 4) << 32;
}

// One entry as the central directory describes it, and what becomes of it.
struct TEntry {
    std::string Name, Extra;                   // as the directory holds them
    uint16_t MadeBy, Flags, Method, Time, Date, Internal;
    uint32_t External, Crc;
    uint64_t Compressed, Uncompressed, Offset;   // Offset: of the local header in AZip
    size_t DataAt = 0;                         // where its compressed data starts in AZip
    std::string NewName;                       // the name written
    bool Utf8 = false;                         // written with flag bit 11
};

// What the rewriting changed, counted by kind.
struct TChanges {
    int Entries = 0, Sizes = 0, Zip64 = 0, Flagged = 0, FromField = 0;
    uint64_t Front = 0;   // bytes before the first entry
};

// The extra field of id AId among AExtra: its data, or empty when there is none.
std::string ExtraField(const std::string &AExtra, uint16_t AId, bool &AFound)
{
    AFound = false;
    for (size_t P = 0; P + ZipExtraHeaderSize <= AExtra.size();) {
        size_t Size = LeGet16(AExtra, P + 2);
        if (P + ZipExtraHeaderSize + Size > AExtra.size()) break;
        if (LeGet16(AExtra, P) == AId) {
            AFound = true;
            return AExtra.substr(P + ZipExtraHeaderSize, Size);
        }
        P += ZipExtraHeaderSize + Size;
    }
    return std::string();
}

// The UTF-8 name of an Info-ZIP Unicode path field (0x7075: version 1, CRC-32 of the header's
// name, the name) when the field is there and still matches ARaw (a tool that renamed the
// entry without knowing the field leaves it stale); else empty.
std::string UnicodePathName(const std::string &AExtra, const std::string &ARaw)
{
    bool Found;
    std::string F = ExtraField(AExtra, ZipUnicodePathId, Found);
    const size_t Head = ZipUnicodePathName - ZipExtraHeaderSize;   // version and CRC-32
    if (F.size() <= Head || F[0] != 1 || LeGet32(F, 1) != ArchiveCrc(ARaw)) return std::string();
    return F.substr(Head);
}

bool NonAscii(const std::string &AName)
{
    for (char C : AName)
        if ((uint8_t)C >= 0x80) return true;
    return false;
}

// The directory's entries, each with its local header's place in AZip. Bytes in front of the
// archive (a script, a self-extractor) show as the difference between where the directory
// ends up and where the end record says it starts; offsets are moved by that difference, as
// unzip does.
bool ReadDirectory(const std::string &AZip, std::vector<TEntry> &AEntries, size_t &ADirAt,
                   std::string &AError)
{
    size_t End = FindEndRecord(AZip);
    if (End == std::string::npos) {
        AError = "no end of central directory record: not a ZIP archive";
        return false;
    }
    uint64_t Count = LeGet16(AZip, End + ZipEndEntries);
    uint64_t Size = LeGet32(AZip, End + ZipEndDirSize);
    uint64_t Offset = LeGet32(AZip, End + ZipEndDirOffset);
    size_t DirEnd = End;
    if (End >= Zip64LocatorSize + Zip64EndSize &&
        LeGet32(AZip, End - Zip64LocatorSize) == Zip64LocatorSig) {
        DirEnd = End - Zip64LocatorSize - Zip64EndSize;
        if (LeGet32(AZip, DirEnd) != Zip64EndSig) {
            AError = "the ZIP64 end record is not before its locator (damaged, or extensible data)";
            return false;
        }
        Count = LeGet64(AZip, DirEnd + Zip64EndEntries);
        Size = LeGet64(AZip, DirEnd + Zip64EndDirSize);
        Offset = LeGet64(AZip, DirEnd + Zip64EndDirOffset);
    }
    if (Size > DirEnd || Offset > DirEnd - Size) {
        AError = "the central directory lies outside the file (damaged)";
        return false;
    }
    ADirAt = (size_t)(DirEnd - Size);
    uint64_t Shift = ADirAt - Offset;
    if (Count > Size / ZipCentralSize) {
        AError = "the central directory is shorter than its entries (damaged)";
        return false;
    }
    size_t P = ADirAt;
    for (uint64_t I = 0; I < Count; I++) {
        if (P + ZipCentralSize > DirEnd || LeGet32(AZip, P) != ZipCentralSig) {
            AError = "the central directory is damaged at entry " + std::to_string(I + 1);
            return false;
        }
        TZipCentralFields F = ZipDecodeCentral((const uint8_t *)AZip.data() + P);
        size_t NameAt = P + ZipCentralSize;
        if (NameAt + F.NameLength + F.ExtraLength + F.CommentLength > DirEnd) {
            AError = "the central directory is damaged at entry " + std::to_string(I + 1);
            return false;
        }
        TEntry E;
        E.Name = AZip.substr(NameAt, F.NameLength);
        E.Extra = AZip.substr(NameAt + F.NameLength, F.ExtraLength);
        E.MadeBy = LeGet16(AZip, P + ZipCentralMadeBy);
        E.Flags = F.Flags;
        E.Method = F.Method;
        E.Time = F.Time;
        E.Date = F.Date;
        E.Internal = LeGet16(AZip, P + ZipCentralInternalAttr);
        E.External = LeGet32(AZip, P + ZipCentralExternalAttr);
        E.Crc = F.Crc;
        E.Compressed = F.Compressed;
        E.Uncompressed = F.Uncompressed;
        E.Offset = F.LocalOffset;
        // The ZIP64 values, in their order, of the fields that hold all ones.
        bool Has64;
        std::string Z = ExtraField(E.Extra, Zip64ExtraId, Has64);
        size_t At = 0;
        for (uint64_t *V : {&E.Uncompressed, &E.Compressed, &E.Offset}) {
            if (*V != AllOnes) continue;
            if (At + 8 > Z.size()) {
                AError = "the central directory is damaged at entry " + std::to_string(I + 1) +
                         " (a ZIP64 value missing)";
                return false;
            }
            *V = LeGet64(Z, At);
            At += 8;
        }
        if (E.Offset > Offset) {
            AError = "an entry's local header lies outside the archive (damaged)";
            return false;
        }
        E.Offset += Shift;
        AEntries.push_back(E);
        P = NameAt + F.NameLength + F.ExtraLength + F.CommentLength;
    }
    return true;
}

// Checks entry AE's local header and data against the directory, decides its new name and
// counts what changes. Adds the faults found.
void ReadEntry(const std::string &AZip, size_t ADirAt, TEntry &AE, TChanges &AChanges,
               std::vector<TPackFault> &AFaults)
{
    auto Refuse = [&](const std::string &AReason) { AFaults.push_back({AE.Name, AReason}); };
    if (AE.Flags & ZipFlagEncrypted) return Refuse("encrypted entry");
    if (AE.Compressed >= AllOnes || AE.Uncompressed >= AllOnes)
        return Refuse("4 GiB or more (" + std::to_string(std::max(AE.Compressed, AE.Uncompressed)) +
                      " bytes): the installer's entries hold 32-bit sizes");
    size_t L = (size_t)AE.Offset;
    if (L + ZipLocalSize > ADirAt || LeGet32(AZip, L) != ZipLocalSig)
        return Refuse("no local header where the central directory puts it (the directory "
                      "does not match the data)");
    size_t NameLen = LeGet16(AZip, L + ZipLocalNameLength);
    size_t ExtraLen = LeGet16(AZip, L + ZipLocalExtraLength);
    AE.DataAt = L + ZipLocalSize + NameLen + ExtraLen;
    if (AE.DataAt > ADirAt || AE.Compressed > ADirAt - AE.DataAt)
        return Refuse("the entry's data runs into the central directory (damaged)");
    uint16_t LocalFlags = LeGet16(AZip, L + ZipLocalFlags);
    uint32_t Crc = LeGet32(AZip, L + ZipLocalCrc);
    uint32_t Compressed = LeGet32(AZip, L + ZipLocalCompressed);
    uint32_t Uncompressed = LeGet32(AZip, L + ZipLocalUncompressed);
    if (AZip.compare(L + ZipLocalSize, NameLen, AE.Name) != 0 ||
        LeGet16(AZip, L + ZipLocalMethod) != AE.Method)
        return Refuse("the local header's name or method differs from the central directory's");
    // With a data descriptor the local values may be zeros; ZIP64 puts all ones in the sizes.
    bool Later = (LocalFlags & ZipFlagDescriptor) != 0;
    auto Fits = [&](uint32_t ALocal, uint64_t ACentral, bool AMay64) {
        return ALocal == ACentral || (Later && ALocal == 0) || (AMay64 && ALocal == AllOnes);
    };
    if (!Fits(Crc, AE.Crc, false) || !Fits(Compressed, AE.Compressed, true) ||
        !Fits(Uncompressed, AE.Uncompressed, true))
        return Refuse("the local header's size or CRC-32 differs from the central directory's");

    bool Sizes = Later || Crc != AE.Crc || Compressed != AE.Compressed ||
                 Uncompressed != AE.Uncompressed;
    bool Zip64 = false, Renamed = false, Flagged = false;
    std::string LocalExtra = AZip.substr(L + ZipLocalSize + NameLen, ExtraLen);
    ExtraField(AE.Extra, Zip64ExtraId, Zip64);
    if (!Zip64) ExtraField(LocalExtra, Zip64ExtraId, Zip64);
    AE.NewName = AE.Name;
    AE.Utf8 = (AE.Flags & ZipFlagUtf8) != 0;
    if (!AE.Utf8) {
        std::string U = UnicodePathName(AE.Extra, AE.Name);
        if (U.empty()) U = UnicodePathName(LocalExtra, AE.Name);
        if (!U.empty()) {
            AE.NewName = U;
            AE.Utf8 = Renamed = true;
        } else if (NonAscii(AE.Name) && IsUtf8(AE.Name)) {
            AE.Utf8 = Flagged = true;
        }
    }
    AChanges.Sizes += Sizes;
    AChanges.Zip64 += Zip64;
    AChanges.FromField += Renamed;
    AChanges.Flagged += Flagged;
    AChanges.Entries += Sizes || Zip64 || Renamed || Flagged;
}

// Entries whose data reaches into the next local header share bytes: the directory does not
// describe the data (or describes it twice).
void CheckOverlaps(const std::vector<TEntry> &AEntries, std::vector<TPackFault> &AFaults)
{
    std::vector<const TEntry *> ByPlace;
    for (const TEntry &E : AEntries) ByPlace.push_back(&E);
    std::sort(ByPlace.begin(), ByPlace.end(),
              [](const TEntry *A, const TEntry *B) { return A->Offset < B->Offset; });
    for (size_t I = 0; I + 1 < ByPlace.size(); I++)
        if (ByPlace[I]->DataAt + ByPlace[I]->Compressed > ByPlace[I + 1]->Offset)
            AFaults.push_back({ByPlace[I + 1]->Name,
                               "the entry overlaps \"" + ByPlace[I]->Name +
                                   "\" (the directory does not match the data)"});
}

// "12 entries: sizes from the central directory, ...; 310 bytes in front dropped", or "the
// archive: 310 bytes in front dropped" when no entry changed.
std::string Describe(const TChanges &AC, bool AZip64End)
{
    std::string Kinds;
    auto Add = [&](int ACount, const char *AWhat) {
        if (ACount == 0) return;
        Kinds += (Kinds.empty() ? "" : ", ") + std::string(AWhat);
        if (ACount != AC.Entries) Kinds += " (" + std::to_string(ACount) + ")";
    };
    Add(AC.Sizes, "sizes from the central directory");
    Add(AC.Zip64, "ZIP64 fields dropped");
    Add(AC.Flagged, "UTF-8 names flagged");
    Add(AC.FromField, "names from their Unicode path fields");
    std::string Archive;
    if (AC.Front) Archive = std::to_string(AC.Front) + " bytes in front dropped";
    if (AZip64End)
        Archive += (Archive.empty() ? "" : ", ") + std::string("ZIP64 end records dropped");
    std::string R;
    if (AC.Entries)
        R = std::to_string(AC.Entries) + (AC.Entries == 1 ? " entry: " : " entries: ") + Kinds;
    if (!Archive.empty()) R += (R.empty() ? "the archive: " : "; ") + Archive;
    return R.empty() ? "local headers written anew from the central directory" : R;
}

}  // namespace

bool RewriteArchive(const std::string &AZip, std::string &AOut, std::string &ARewrote,
                    std::vector<TPackFault> &AFaults)
{
    std::vector<TEntry> Entries;
    size_t DirAt = 0;
    std::string Error;
    if (!ReadDirectory(AZip, Entries, DirAt, Error)) {
        AFaults.push_back({"", Error});
        return false;
    }
    if (Entries.size() > 0xFFFE) {
        AFaults.push_back({"", "more than 65,534 entries"});
        return false;
    }
    TChanges Changes;
    Changes.Front = DirAt;
    for (TEntry &E : Entries) {
        ReadEntry(AZip, DirAt, E, Changes, AFaults);
        Changes.Front = std::min<uint64_t>(Changes.Front, E.Offset);
    }
    if (AFaults.empty()) CheckOverlaps(Entries, AFaults);
    if (!AFaults.empty()) return false;

    // Local header and data, entry after entry in the directory's order; then the directory.
    AOut.clear();
    std::string Dir;
    for (const TEntry &E : Entries) {
        if (AOut.size() + ZipLocalSize + E.NewName.size() + E.Compressed > InstallerMax) {
            AFaults.push_back({"", "the rewritten archive would be larger than 2 GB, more "
                                   "than an installer can hold"});
            return false;
        }
        bool Folder = !E.NewName.empty() && E.NewName.back() == '/';
        std::string Common;
        LeAppend16(Common, E.Method == ZipDeflated || Folder ? 20 : 10);   // version needed
        uint16_t Flags = (E.Flags & ~(ZipFlagDescriptor | ZipFlagUtf8)) | (E.Utf8 ? ZipFlagUtf8 : 0);
        LeAppend16(Common, Flags);
        LeAppend16(Common, E.Method);
        LeAppend16(Common, E.Time);
        LeAppend16(Common, E.Date);
        LeAppend32(Common, E.Crc);
        LeAppend32(Common, (uint32_t)E.Compressed);
        LeAppend32(Common, (uint32_t)E.Uncompressed);
        LeAppend16(Common, (uint32_t)E.NewName.size());
        LeAppend16(Common, 0);   // no extra field
        uint32_t Offset = (uint32_t)AOut.size();
        LeAppend32(AOut, ZipLocalSig);
        AOut += Common + E.NewName;
        AOut.append(AZip, E.DataAt, (size_t)E.Compressed);
        LeAppend32(Dir, ZipCentralSig);
        LeAppend16(Dir, E.MadeBy);
        Dir += Common;
        LeAppend16(Dir, 0);   // comment
        LeAppend16(Dir, 0);   // disk
        LeAppend16(Dir, E.Internal);
        LeAppend32(Dir, E.External);
        LeAppend32(Dir, Offset);
        Dir += E.NewName;
    }
    uint32_t DirOffset = (uint32_t)AOut.size();
    AOut += Dir;
    ZipAppendEnd(AOut, (uint32_t)Entries.size(), (uint32_t)Dir.size(), DirOffset);
    size_t End = FindEndRecord(AZip);
    bool Zip64End =
        End >= Zip64LocatorSize && LeGet32(AZip, End - Zip64LocatorSize) == Zip64LocatorSig;
    ARewrote = Describe(Changes, Zip64End);
    return true;
}

TPreparedArchive PrepareArchive(const std::string &AZip)
{
    TPreparedArchive P;
    std::vector<TPackFault> AsIs = CheckArchive(AZip, P.Entries);
    if (AsIs.empty()) {
        P.Verdict = pvAsIs;
        return P;
    }
    std::vector<TPackFault> Faults;
    if (!RewriteArchive(AZip, P.Rewritten, P.Rewrote, Faults)) {
        P.Faults = Faults;
        P.Rewritten.clear();
        return P;
    }
    // What the walk cannot install is found in the new archive, as in any other: names,
    // methods, damaged data (every entry decoded under the walk's bounds).
    P.Faults = CheckArchive(P.Rewritten, P.Entries);
    if (!P.Faults.empty()) {
        P.Rewritten.clear();
        return P;
    }
    P.Verdict = pvRewritten;
    return P;
}
