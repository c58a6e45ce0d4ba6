// UnfurlPayload: reads the setup header behind the installer image (see the header).
#include "UnfurlPayload.h"

#include <string.h>

#include "QEncr.h"
#include "QLittleEndian.h"
#include "UnfurlArchive.h"

// The records behind the subtitle's zero byte, one after another: the record marked AMark,
// or 0 when there is none (an unknown or cut record ends the search).
static const uint8_t *FindRecord(const uint8_t *ABlock, uint32_t ALen, const char *AMark)
{
    const uint8_t *End = ABlock + ALen;
    const uint8_t *P = (const uint8_t *)memchr(ABlock, 0, ALen);
    if (P) P = (const uint8_t *)memchr(P + 1, 0, (size_t)(End - P - 1));
    if (!P) return 0;
    for (P++; End - P >= ArchiveRecordMarkSize;) {
        int32_t Size = memcmp(P, ARCHIVE_RECORD_MARK, ArchiveRecordMarkSize) == 0 ? ArchiveRecordSize
                       : memcmp(P, TEXTS_UTF8_MARK, ArchiveRecordMarkSize) == 0  ? ArchiveRecordMarkSize
                                                                                   : 0;
        if (Size == 0 || End - P < Size) return 0;
        if (memcmp(P, AMark, ArchiveRecordMarkSize) == 0) return P;
        P += Size;
    }
    return 0;
}

void DecodeSetupBlock(const uint8_t *ABlock, uint32_t ALen, TInstall &AInfo)
{
    AInfo.Utf8 = FindRecord(ABlock, ALen, TEXTS_UTF8_MARK) != 0;
    // Title up to the first zero byte, subtitle up to the next; a text without its zero byte
    // ends with the block. What follows the second zero byte is not looked at.
    AInfo.Subtitle.clear();
    const uint8_t *P = ABlock, *End = ABlock + ALen;
    const uint8_t *Zero = (const uint8_t *)memchr(P, 0, (size_t)(End - P));
    const uint8_t *TitleEnd = Zero ? Zero : End;
    AInfo.Title = string((const char *)P, (size_t)(TitleEnd - P));
    if (!Zero) return;
    P = Zero + 1;
    Zero = (const uint8_t *)memchr(P, 0, (size_t)(End - P));
    AInfo.Subtitle = string((const char *)P, (size_t)((Zero ? Zero : End) - P));
}

string BuildSetupBlock(const string &ATitle, const string &ASubtitle)
{
    string Block = ECrypt(ATitle, SetupTextShift);
    Block += '\0';
    Block += ECrypt(ASubtitle, SetupTextShift);
    Block += '\0';
    return Block;
}

string BuildArchiveRecord(uint32_t ALength, uint32_t ACrc)
{
    string R(ARCHIVE_RECORD_MARK);
    LeAppend32(R, ALength);
    LeAppend32(R, ACrc);
    return R;
}

TArchiveRecord DecodeArchiveRecord(const uint8_t *ABlock, uint32_t ALen)
{
    TArchiveRecord R = {false, 0, 0};
    const uint8_t *P = FindRecord(ABlock, ALen, ARCHIVE_RECORD_MARK);
    if (!P) return R;
    R.Present = true;
    R.Length = LeGet32(P + 4);
    R.Crc = LeGet32(P + 8);
    return R;
}

TSetupRead ReadSetupHeader(TUnZipRun &ARun, TInstall &AInfo, TArchiveRecord &ARecord)
{
    TSetupRead Read = srOk;

    // L: 4 bytes little-endian at S + 100. A file ending before them gives L = 0.
    uint8_t Raw[4] = {0, 0, 0, 0};
    SeekArchive(ARun, ARun.ArchiveStart + PayloadReserved, ZIP_SEEK_BEGIN);
    uint32_t L = 0;
    if (ARun.ArchivePos != -1 && ReadArchiveFully(ARun, Raw, 4) == 4)
        L = LeGet32(Raw);
    else
        Read = srShortLength;

    // The block, into a buffer of SetupBlockMax bytes. A longer L is not read at all (the
    // buffer could not hold it); the archive is then looked for behind it all the same, where
    // the walk finds no header and reports the file as damaged.
    uint8_t *Buf = new uint8_t[SetupBlockMax];
    uint32_t Got = 0;
    if (L > SetupBlockMax) {
        Read = srTooLong;
    } else if (L > 0) {
        SeekArchive(ARun, ARun.ArchiveStart + SetupHeaderSize, ZIP_SEEK_BEGIN);
        if (ARun.ArchivePos != -1) Got = ReadArchiveFully(ARun, Buf, L);
        if (Got < L) Read = srShortBlock;
    }
    DecodeSetupBlock(Buf, Got, AInfo);
    ARecord = DecodeArchiveRecord(Buf, Got);
    delete[] Buf;

    AInfo.Title = DeCrypt(AInfo.Title, SetupTextShift);
    AInfo.Subtitle = DeCrypt(AInfo.Subtitle, SetupTextShift);
    // 64-bit sum so that a huge L cannot wrap the offset back into the file.
    uint64_t Start = (uint64_t)ARun.ArchiveStart + SetupHeaderSize + L;
    ARun.ArchiveStart = Start > 0xFFFFFFFFu ? 0xFFFFFFFFu : (uint32_t)Start;
    return Read;
}

TArchiveVerdict VerifyArchive(TUnZipRun &ARun, const TArchiveRecord &ARecord)
{
    if (!ARecord.Present) return avUnchecked;
    SeekArchive(ARun, ARun.ArchiveStart, ZIP_SEEK_BEGIN);
    if (ARun.ArchivePos == -1) return avDamaged;
    enum { Piece = 1 << 20 };   // large reads: the file is read once, front to back
    uint8_t *Buf = new uint8_t[Piece];
    uint32_t Done = 0, Sum = 0xFFFFFFFFu;
    while (Done < ARecord.Length) {
        uint32_t Want = ARecord.Length - Done;
        int32_t Got = ReadArchive(ARun, Buf, (int32_t)(Want < Piece ? Want : Piece));
        if (Got <= 0) break;
        UpdateCrc(Buf, Got, Sum);
        Done += (uint32_t)Got;
    }
    delete[] Buf;
    return Done == ARecord.Length && ~Sum == ARecord.Crc ? avIntact : avDamaged;
}
