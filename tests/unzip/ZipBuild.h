// Test helper: a small ZIP writer that can also write what well-behaved writers never do
// (wrong CRCs, data descriptors with and without signature, zero sizes, odd flags, methods
// and names), zlib for DEFLATE. Header-only; used by the host, fuzz and Windows tests.
#ifndef ZIPBUILD_H
#define ZIPBUILD_H

#include <stdint.h>
#include <zlib.h>

#include <string>
#include <vector>

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
};

inline void ZPut16(std::string &S, uint32_t V)
{
    S += (char)(V & 0xFF);
    S += (char)((V >> 8) & 0xFF);
}
inline void ZPut32(std::string &S, uint32_t V)
{
    ZPut16(S, V & 0xFFFF);
    ZPut16(S, V >> 16);
}

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
        ZPut32(Zip, 0x04034B50);
        ZPut16(Zip, 20);
        ZPut16(Zip, Flags);
        ZPut16(Zip, I.Method);
        ZPut16(Zip, I.Time);
        ZPut16(Zip, I.Date);
        ZPut32(Zip, Zero ? 0 : Crc);
        ZPut32(Zip, Zero ? 0 : (uint32_t)Packed.size());
        ZPut32(Zip, Zero ? 0 : (uint32_t)I.Data.size());
        ZPut16(Zip, (uint32_t)I.Name.size());
        ZPut16(Zip, (uint32_t)I.Extra.size());
        Zip += I.Name;
        Zip += I.Extra;
        Zip += Packed;
        if (I.Descriptor) {
            if (I.Descriptor == 1) ZPut32(Zip, 0x08074B50);
            ZPut32(Zip, Crc);
            ZPut32(Zip, (uint32_t)Packed.size());
            ZPut32(Zip, (uint32_t)I.Data.size());
        }
        ZPut32(Central, 0x02014B50);
        ZPut16(Central, 20);
        ZPut16(Central, 20);
        ZPut16(Central, Flags);
        ZPut16(Central, I.Method);
        ZPut16(Central, I.Time);
        ZPut16(Central, I.Date);
        ZPut32(Central, Crc);
        ZPut32(Central, (uint32_t)Packed.size());
        ZPut32(Central, (uint32_t)I.Data.size());
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
    ZPut32(Zip, 0x06054B50);
    ZPut16(Zip, 0);
    ZPut16(Zip, 0);
    ZPut16(Zip, (uint32_t)AItems.size());
    ZPut16(Zip, (uint32_t)AItems.size());
    ZPut32(Zip, (uint32_t)Central.size());
    ZPut32(Zip, CentralAt);
    ZPut16(Zip, 0);
    return Zip;
}

// An installer file: AImageSize bytes of image, the 100 reserved bytes, L, the block, the
// archive.
inline std::string PayloadBuild(size_t AImageSize, const std::string &ABlock,
                                const std::string &AZip)
{
    std::string File(AImageSize, '\0');
    for (size_t I = 0; I < AImageSize; I++) File[I] = (char)(I * 7 + 3);
    std::string Reserved = AZip.substr(0, 100);
    Reserved.resize(100, '\0');
    File += Reserved;
    ZPut32(File, (uint32_t)ABlock.size());
    File += ABlock;
    File += AZip;
    return File;
}

#endif
