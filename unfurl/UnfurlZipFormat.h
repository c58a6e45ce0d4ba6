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

// Local file header: 30 bytes, then the name and the extra field, then the data. Time and
// date are DOS ones; the version is the one needed to extract.
enum {
    ZipLocalSignature = 0, ZipLocalVersion = 4, ZipLocalFlags = 6, ZipLocalMethod = 8,
    ZipLocalTime = 10, ZipLocalDate = 12, ZipLocalCrc = 14, ZipLocalCompressed = 18,
    ZipLocalUncompressed = 22, ZipLocalNameLength = 26, ZipLocalExtraLength = 28,
    ZipLocalSize = 30   // the fixed part; the name starts here
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

// End of central directory record: 22 bytes, then a comment of up to 65,535 bytes. The
// directory's entries: on this disk, and in all (the count read).
enum {
    ZipEndSignature = 0, ZipEndDisk = 4, ZipEndDirDisk = 6, ZipEndDiskEntries = 8,
    ZipEndEntries = 10, ZipEndDirSize = 12, ZipEndDirOffset = 16, ZipEndCommentLength = 20,
    ZipEndSize = 22, ZipEndCommentMax = 65535
};

// Data descriptor after an entry's data, with its signature (the walk steps over it only so).
enum {
    ZipDescriptorCrc = 4, ZipDescriptorCompressed = 8, ZipDescriptorUncompressed = 12,
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

// Info-ZIP's Unicode path extra field: id and size (as every extra field), then version 1,
// the CRC-32 of the header's name and the name in UTF-8; offsets from the field's start.
enum {
    ZipUnicodePathId = 0x7075, ZipExtraHeaderSize = 4, ZipUnicodePathVersion = 4,
    ZipUnicodePathCrc = 5, ZipUnicodePathName = 9
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
    return {LeGet32(P + ZipCentralSignature), LeGet16(P + ZipCentralFlags),
            LeGet16(P + ZipCentralMethod), LeGet16(P + ZipCentralTime),
            LeGet16(P + ZipCentralDate), LeGet32(P + ZipCentralCrc),
            LeGet32(P + ZipCentralCompressed), LeGet32(P + ZipCentralUncompressed),
            LeGet16(P + ZipCentralNameLength), LeGet16(P + ZipCentralExtraLength),
            LeGet16(P + ZipCentralCommentLength), LeGet32(P + ZipCentralLocalOffset)};
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
