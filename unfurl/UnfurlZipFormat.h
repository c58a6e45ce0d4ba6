// UnfurlZipFormat: the ZIP records the installer walks and its tools write and check, as
// named byte offsets of their fields. Every field is little-endian (QLittleEndian.h reads
// and writes them); the variable parts (name, extra field, comment) follow the fixed part
// in that order.
#ifndef UNFURLZIPFORMAT_H
#define UNFURLZIPFORMAT_H

#include <stdint.h>

#include "QLittleEndian.h"

// Record signatures: "PK" and two more bytes.
const uint32_t ZipLocalSig = 0x04034B50;         // "PK", 3, 4
const uint32_t ZipCentralSig = 0x02014B50;       // "PK", 1, 2
const uint32_t ZipEndSig = 0x06054B50;           // "PK", 5, 6
const uint32_t ZipDescriptorSig = 0x08074B50;    // "PK", 7, 8

// Local file header: 30 bytes, then the name and the extra field, then the data.
enum {
    ZipLocalSignature = 0,
    ZipLocalVersion = 4,          // version needed to extract
    ZipLocalFlags = 6,
    ZipLocalMethod = 8,
    ZipLocalTime = 10,            // DOS time, then DOS date
    ZipLocalDate = 12,
    ZipLocalCrc = 14,
    ZipLocalCompressed = 18,
    ZipLocalUncompressed = 22,
    ZipLocalNameLength = 26,
    ZipLocalExtraLength = 28,
    ZipLocalSize = 30             // the fixed part; the name starts here
};

// Central directory header: 46 bytes, then the name, the extra field and the comment. From
// the version needed to the extra field's length it holds the local header's fields, two
// bytes further on (behind "made by").
enum {
    ZipCentralSignature = 0,
    ZipCentralMadeBy = 4,
    ZipCentralShift = 2,          // from a local header field to the same central one
    ZipCentralVersion = ZipLocalVersion + ZipCentralShift,
    ZipCentralFlags = ZipLocalFlags + ZipCentralShift,
    ZipCentralMethod = ZipLocalMethod + ZipCentralShift,
    ZipCentralTime = ZipLocalTime + ZipCentralShift,
    ZipCentralDate = ZipLocalDate + ZipCentralShift,
    ZipCentralCrc = ZipLocalCrc + ZipCentralShift,
    ZipCentralCompressed = ZipLocalCompressed + ZipCentralShift,
    ZipCentralUncompressed = ZipLocalUncompressed + ZipCentralShift,
    ZipCentralNameLength = ZipLocalNameLength + ZipCentralShift,
    ZipCentralExtraLength = ZipLocalExtraLength + ZipCentralShift,
    ZipCentralCommentLength = 32,
    ZipCentralDisk = 34,
    ZipCentralInternalAttr = 36,
    ZipCentralExternalAttr = 38,
    ZipCentralLocalOffset = 42,   // where the entry's local header starts
    ZipCentralSize = 46           // the fixed part; the name starts here
};

// End of central directory record: 22 bytes, then a comment of up to 65,535 bytes.
enum {
    ZipEndSignature = 0,
    ZipEndDisk = 4,
    ZipEndDirDisk = 6,
    ZipEndDiskEntries = 8,
    ZipEndEntries = 10,           // entries in the whole directory
    ZipEndDirSize = 12,
    ZipEndDirOffset = 16,
    ZipEndCommentLength = 20,
    ZipEndSize = 22,
    ZipEndCommentMax = 65535
};

// Data descriptor after an entry's data, with its signature (the walk steps over it only so).
enum {
    ZipDescriptorCrc = 4,
    ZipDescriptorCompressed = 8,
    ZipDescriptorUncompressed = 12,
    ZipDescriptorSize = 16
};

// General-purpose flag bits.
enum {
    ZipFlagEncrypted = 0x0001,    // bit 0
    ZipFlagDescriptor = 0x0008,   // bit 3: CRC and sizes (also) in a data descriptor
    ZipFlagUtf8 = 0x0800          // bit 11: the name is UTF-8
};

// Methods the installer decodes.
enum { ZipStored = 0, ZipDeflated = 8 };

// Info-ZIP's Unicode path extra field: id, size, version 1, CRC-32 of the header's name, the
// name in UTF-8.
enum {
    ZipUnicodePathId = 0x7075,
    ZipExtraHeaderSize = 4,       // id and size before each extra field's data
    ZipUnicodePathVersion = 4,    // from the field's start
    ZipUnicodePathCrc = 5,
    ZipUnicodePathName = 9
};

// The fixed part of a central directory header, decoded field by field. The caller has
// checked that its ZipCentralSize bytes are there.
struct TZipCentralFields {
    uint32_t Signature;
    uint16_t Flags, Method, Time, Date;
    uint32_t Crc, Compressed, Uncompressed;
    uint16_t NameLength, ExtraLength, CommentLength;
    uint32_t LocalOffset;
};
inline TZipCentralFields ZipDecodeCentral(const uint8_t *P)
{
    TZipCentralFields F;
    F.Signature = LeGet32(P + ZipCentralSignature);
    F.Flags = LeGet16(P + ZipCentralFlags);
    F.Method = LeGet16(P + ZipCentralMethod);
    F.Time = LeGet16(P + ZipCentralTime);
    F.Date = LeGet16(P + ZipCentralDate);
    F.Crc = LeGet32(P + ZipCentralCrc);
    F.Compressed = LeGet32(P + ZipCentralCompressed);
    F.Uncompressed = LeGet32(P + ZipCentralUncompressed);
    F.NameLength = LeGet16(P + ZipCentralNameLength);
    F.ExtraLength = LeGet16(P + ZipCentralExtraLength);
    F.CommentLength = LeGet16(P + ZipCentralCommentLength);
    F.LocalOffset = LeGet32(P + ZipCentralLocalOffset);
    return F;
}

// Appends the end of central directory record of a one-disk archive without comment:
// ACount entries, a directory of ADirSize bytes at ADirAt. Any string class with += char.
template <class S> void ZipAppendEnd(S &AZip, uint32_t ACount, uint32_t ADirSize, uint32_t ADirAt)
{
    LeAppend32(AZip, ZipEndSig);
    LeAppend16(AZip, 0);             // this disk
    LeAppend16(AZip, 0);             // the directory's disk
    LeAppend16(AZip, ACount);        // entries on this disk
    LeAppend16(AZip, ACount);        // entries in all
    LeAppend32(AZip, ADirSize);
    LeAppend32(AZip, ADirAt);
    LeAppend16(AZip, 0);             // comment length
}

#endif
