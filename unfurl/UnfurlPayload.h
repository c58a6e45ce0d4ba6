// UnfurlPayload: the setup header between the installer's executable image and its archive.
//
// File layout of the installer with its payload (S = size of the executable image, which
// is the built-in value of ArchiveStart; integers little-endian):
//   S            100 bytes  reserved: never read; the preparation tool fills them with zeros
//   S + 100      4 bytes    L, length of the setup block (at most SetupBlockMax)
//   S + 104      L bytes    setup block: title, 0, subtitle, 0, then further records that
//                           readers without them ignore; both texts scrambled with ECrypt at
//                           SetupTextShift. The integrity record follows the subtitle's zero:
//                           "UFck", the archive's length and its CRC-32 (12 bytes); then, for
//                           texts in UTF-8, the mark "UFu8" (4 bytes)
//   S + 104 + L  rest       the ZIP archive, unchanged (a valid ZIP file when cut out here)
#ifndef UNFURLPAYLOAD_H
#define UNFURLPAYLOAD_H

#include <stdint.h>

#include "QStr.h"
#include "UnfurlRun.h"

enum {
    PayloadReserved = 100,   // reserved area at S
    SetupBlockMax = 1000,    // largest setup block, the size of the reader's buffer
    SetupHeaderSize = 104    // reserved area and L
};
// Scrambling shift of the two setup texts, shared with the preparation tool (below 32).
const uint8_t SetupTextShift = 19;

// The installer's setup texts, descrambled.
struct TInstall {
    string Title;       // painted large at the top of the installer window
    string Subtitle;    // painted small under it
    bool Utf8;          // the texts are UTF-8 (marked), else in the Windows code page
};
// How the last ReadSetupHeader went (the reader itself reports nothing to the user).
enum TSetupRead {
    srOk,            // the whole block was read
    srShortLength,   // the file ended before the 4-byte length: L taken as 0
    srTooLong,       // L above SetupBlockMax: the block is not read, texts empty
    srShortBlock     // the file ended inside the block: only the bytes read are used
};

// The setup texts decoded from the bytes of a block (for the reader and the tests).
void DecodeSetupBlock(const uint8_t *ABlock, uint32_t ALen, TInstall &AInfo);
// The setup block for two texts: ECrypt(title), 0, ECrypt(subtitle), 0.
string BuildSetupBlock(const string &ATitle, const string &ASubtitle);

// ---- The archive's integrity record ---------------------------------------------------

// Written by the preparation tool after the subtitle's zero byte, so that an installer made
// the old way (without it) stays valid. It covers the archive only, not what follows it: an
// Authenticode signature appended after the build leaves it intact.
#define ARCHIVE_RECORD_MARK "UFck"
enum { ArchiveRecordMarkSize = 4, ArchiveRecordSize = 12 };
struct TArchiveRecord {
    bool Present;        // the block holds the record
    uint32_t Length;     // bytes of the archive
    uint32_t Crc;        // CRC-32 of those bytes
};
// The mark of texts in UTF-8: a record of its 4 bytes alone. Installers made before it paint
// such texts byte by byte in the code page.
#define TEXTS_UTF8_MARK "UFu8"

// The record's 12 bytes for an archive.
string BuildArchiveRecord(uint32_t ALength, uint32_t ACrc);
// The record of a setup block: after the subtitle's zero byte, marked; Present is false when
// the block has none (the old layout) or it is cut short.
TArchiveRecord DecodeArchiveRecord(const uint8_t *ABlock, uint32_t ALen);

// What the installer says when VerifyArchive finds the archive damaged.
inline constexpr const char *MsgInstallerDamaged = "The installer file is damaged or incomplete.";

enum TArchiveVerdict {
    avUnchecked,   // no record: an installer made the old way, installed as it is
    avIntact,      // the archive's bytes are there and their CRC-32 matches
    avDamaged      // a byte differs, or the file ends before the archive's recorded length
};
// ---- Reading the header ----------------------------------------------------------------

// Reads L and the setup block behind the image at ARun's ArchiveStart, fills AInfo with the
// descrambled texts and ARecord with the integrity record, and adds 104 + L to ArchiveStart,
// so that it holds the offset of the archive's first local header. A text without its zero
// byte ends at the end of the bytes read. An L above SetupBlockMax, or a file ending before L
// or the block is complete, never reads past the buffer (see TSetupRead, the answer); the walk
// then starts at S + 104 + L as usual, and what is not a local header there is reported by the
// listing run as a damaged file.
TSetupRead ReadSetupHeader(TUnZipRun &ARun, TInstall &AInfo, TArchiveRecord &ARecord);

// Reads the archive once from ArchiveStart (after ReadSetupHeader) and compares it with
// ARecord. About 0.1 s for 100 MB under Wine, before the dialog opens: too short for a
// progress display of its own.
TArchiveVerdict VerifyArchive(TUnZipRun &ARun, const TArchiveRecord &ARecord);

#endif
