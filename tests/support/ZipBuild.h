// The tests' one ZIP writer, which can also write what well-behaved writers never do
// (wrong CRCs, data descriptors with and without signature, zero sizes, odd flags, methods
// and names), and a reader of finished archives; zlib for DEFLATE. Header-only; used by the
// host, fuzz and Windows tests.
#ifndef ZIPBUILD_H
#define ZIPBUILD_H

#include <stdint.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "QLittleEndian.h"
#include "UnfurlZipFormat.h"

struct TZipItem {
    std::string Name;            // raw name bytes as stored ("/" separators, folder ends in "/")
    std::string Data;            // uncompressed bytes
    uint16_t Method = 8;         // 0 stored, 8 deflated, others stored as is
    uint16_t Flags = 0;          // extra flag bits (bit 0 encrypted, bit 11 UTF-8 ...)
    uint16_t Time = 0x6000;      // 12:00:00
    uint16_t Date = 0x5A87;      // 2025-04-07
    bool BadCrc = false;         // store a CRC-32 that does not match the data
    int Descriptor = 0;          // 0 none; 1 descriptor with signature; 2 without (bit 3 set)
    bool ZeroSizes = false;      // with a descriptor: CRC and sizes 0 in the local header
    std::string Extra;           // local extra field
    std::string Packed;          // data as stored when not empty (overrides compression)
    int64_t Declared = -1;       // uncompressed size written in the headers, when not the data's
};

// An entry of AData under AName, deflated unless AMethod says otherwise.
inline TZipItem Item(const std::string &AName, const std::string &AData = "data", uint16_t AMethod = 8)
{
    TZipItem I;
    I.Name = AName;
    I.Data = AData;
    I.Method = AMethod;
    return I;
}

// The tests' short names of the appending writers.
inline void ZPut16(std::string &S, uint32_t V) { LeAppend16(S, V); }
inline void ZPut32(std::string &S, uint32_t V) { LeAppend32(S, V); }

inline uint32_t ZCrc(const std::string &AData)
{
    return (uint32_t)crc32(0, (const Bytef *)AData.data(), (uInt)AData.size());
}

// Raw DEFLATE (no zlib header) at ALevel.
inline std::string ZDeflate(const std::string &AData, int ALevel = 6)
{
    z_stream Z = {};
    deflateInit2(&Z, ALevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string Out(deflateBound(&Z, (uLong)AData.size()) + 16, '\0');
    Z.next_in = (Bytef *)AData.data();
    Z.avail_in = (uInt)AData.size();
    Z.next_out = (Bytef *)&Out[0];
    Z.avail_out = (uInt)Out.size();
    deflate(&Z, Z_FINISH);
    Out.resize(Z.total_out);
    deflateEnd(&Z);
    return Out;
}

// The archive: local headers with their data, then the central directory and its end
// record (unless ACentral is false).
inline std::string ZipBuild(const std::vector<TZipItem> &AItems, bool ACentral = true)
{
    std::string Zip, Central;
    for (const TZipItem &I : AItems) {
        std::string Packed = !I.Packed.empty() ? I.Packed
                             : I.Method == 8     ? ZDeflate(I.Data)
                                                 : I.Data;
        uint32_t Crc = ZCrc(I.Data) ^ (I.BadCrc ? 0x5A5A5A5Au : 0);
        uint16_t Flags = I.Flags | (I.Descriptor ? 8 : 0);
        bool Zero = I.Descriptor && I.ZeroSizes;
        uint32_t Offset = (uint32_t)Zip.size();
        ZPut32(Zip, ZipLocalSig);
        ZPut16(Zip, 20);
        ZPut16(Zip, Flags);
        ZPut16(Zip, I.Method);
        ZPut16(Zip, I.Time);
        ZPut16(Zip, I.Date);
        ZPut32(Zip, Zero ? 0 : Crc);
        ZPut32(Zip, Zero ? 0 : (uint32_t)Packed.size());
        uint32_t Size = I.Declared >= 0 ? (uint32_t)I.Declared : (uint32_t)I.Data.size();
        ZPut32(Zip, Zero ? 0 : Size);
        ZPut16(Zip, (uint32_t)I.Name.size());
        ZPut16(Zip, (uint32_t)I.Extra.size());
        Zip += I.Name;
        Zip += I.Extra;
        Zip += Packed;
        if (I.Descriptor) {
            if (I.Descriptor == 1) ZPut32(Zip, ZipDescriptorSig);
            ZPut32(Zip, Crc);
            ZPut32(Zip, (uint32_t)Packed.size());
            ZPut32(Zip, Size);
        }
        ZPut32(Central, ZipCentralSig);
        ZPut16(Central, 20);
        ZPut16(Central, 20);
        ZPut16(Central, Flags);
        ZPut16(Central, I.Method);
        ZPut16(Central, I.Time);
        ZPut16(Central, I.Date);
        ZPut32(Central, Crc);
        ZPut32(Central, (uint32_t)Packed.size());
        ZPut32(Central, Size);
        ZPut16(Central, (uint32_t)I.Name.size());
        ZPut16(Central, 0);   // extra
        ZPut16(Central, 0);   // comment
        ZPut16(Central, 0);   // disk
        ZPut16(Central, 0);   // internal attributes
        ZPut32(Central, I.Name.size() && I.Name.back() == '/' ? 16 : 0);
        ZPut32(Central, Offset);
        Central += I.Name;
    }
    if (!ACentral) return Zip;
    uint32_t CentralAt = (uint32_t)Zip.size();
    Zip += Central;
    ZipAppendEnd(Zip, (uint32_t)AItems.size(), (uint32_t)Central.size(), CentralAt);
    return Zip;
}

// Raw DEFLATE data of a known size; false unless it ends exactly there.
inline bool ZInflate(const std::string &AIn, size_t ASize, std::string &AOut)
{
    z_stream Z = {};
    if (inflateInit2(&Z, -15) != Z_OK) return false;
    AOut.assign(ASize, '\0');
    Z.next_in = (Bytef *)AIn.data();
    Z.avail_in = (uInt)AIn.size();
    Z.next_out = (Bytef *)(ASize ? &AOut[0] : 0);
    Z.avail_out = (uInt)ASize;
    int R = inflate(&Z, Z_FINISH);
    inflateEnd(&Z);
    return R == Z_STREAM_END && Z.total_out == ASize;
}

// The entries of a finished archive from its central directory, data inflated and checked
// against the stored CRC. False when the archive is damaged.
inline bool ZipRead(const std::string &AZip, std::vector<TZipItem> &AItems)
{
    AItems.clear();
    if (AZip.size() < ZipEndSize) return false;
    size_t End = AZip.size() - ZipEndSize;
    while (End > 0 && LeGet32(AZip, End) != ZipEndSig) End--;
    if (LeGet32(AZip, End) != ZipEndSig) return false;
    uint32_t Count = LeGet16(AZip, End + ZipEndEntries), P = LeGet32(AZip, End + ZipEndDirOffset);
    for (uint32_t N = 0; N < Count; N++) {
        if ((size_t)P + ZipCentralSize > AZip.size() || LeGet32(AZip, P) != ZipCentralSig) return false;
        TZipCentralFields F = ZipDecodeCentral((const uint8_t *)AZip.data() + P);
        TZipItem I;
        I.Flags = F.Flags;
        I.Method = F.Method;
        I.Time = F.Time;
        I.Date = F.Date;
        uint32_t Local = F.LocalOffset;
        I.Name = AZip.substr(P + ZipCentralSize, F.NameLength);
        if ((size_t)Local + ZipLocalSize > AZip.size() || LeGet32(AZip, Local) != ZipLocalSig) return false;
        size_t Data = Local + ZipLocalSize + LeGet16(AZip, Local + ZipLocalNameLength) +
                      LeGet16(AZip, Local + ZipLocalExtraLength);
        if (Data + F.Compressed > AZip.size()) return false;
        std::string Body = AZip.substr(Data, F.Compressed);
        if (I.Method == ZipStored) I.Data = Body;
        else if (I.Method != ZipDeflated || !ZInflate(Body, F.Uncompressed, I.Data)) return false;
        if (ZCrc(I.Data) != F.Crc) return false;
        AItems.push_back(I);
        P += ZipCentralSize + F.NameLength + F.ExtraLength + F.CommentLength;
    }
    return true;
}

// An installer file: AImageSize bytes of image, the 100 reserved (zero) bytes, L, the block,
// the archive.
inline std::string PayloadBuild(size_t AImageSize, const std::string &ABlock,
                                const std::string &AZip)
{
    std::string File(AImageSize, '\0');
    for (size_t I = 0; I < AImageSize; I++) File[I] = (char)(I * 7 + 3);
    File += std::string(100, '\0');   // reserved: zeros, as the preparation tool writes
    ZPut32(File, (uint32_t)ABlock.size());
    File += ABlock;
    File += AZip;
    return File;
}

#endif
