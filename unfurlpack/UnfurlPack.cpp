// UnfurlPack: the installer file the preparation tool writes and verifies: the image with
// its ArchiveStart set, the setup header and the archive (see the header).
#include "UnfurlPack.h"

#include <stdint.h>
#include <stdio.h>

#include "QLittleEndian.h"
#include "UnfurlArchive.h"
#include "UnfurlPackCheck.h"
#include "UnfurlPayload.h"

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
    LePut32((uint8_t *)&AImage[Found + StartMarkSize], (uint32_t)AImage.size());
    return std::string();
}

std::string BuildInstaller(const std::string &AImage, const std::string &ASetupBlock,
                           const std::string &AZip)
{
    std::string Out = AImage;
    // The reserved area stays zeros: a copy of the archive's first bytes there would make ZIP
    // tools take the archive to start 100 bytes early and report its headers as damaged.
    Out += std::string(PayloadReserved, '\0');
    LeAppend32(Out, (uint32_t)ASetupBlock.size());
    Out += ASetupBlock;
    Out += AZip;
    return Out;
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
    if (!Ascii && IsUtf8(Texts)) Block += TEXTS_UTF8_MARK;
    return std::string(Block.data(), Block.length());
}

std::string SetupTextsFault(const std::string &ATitle, const std::string &ASubtitle,
                            const std::string &ABlock)
{
    if (ABlock.size() <= SetupBlockMax) return std::string();
    size_t Texts = ATitle.size() + ASubtitle.size() + 2;
    size_t Fit = SetupBlockMax - ArchiveRecordSize - (ABlock.size() - Texts - ArchiveRecordSize);
    return "the title and subtitle take " + std::to_string(Texts) +
           " bytes with their zero bytes, at most " + std::to_string(Fit) + " fit" +
           (Fit < SetupBlockMax - ArchiveRecordSize ? " (texts in UTF-8 beyond ASCII carry a "
                                                      "4-byte mark)"
                                                    : "");
}

std::string VerifyInstaller(const std::string &AInstaller)
{
    const char Mark[StartMarkSize] = UNFURL_START_MARK;
    size_t At = AInstaller.find(Mark, 0, StartMarkSize);
    if (At == std::string::npos || At + StartMarkSize + 4 > AInstaller.size())
        return "not an Unfurl installer (no ArchiveStart marker)";
    uint32_t S = LeGet32(AInstaller, At + StartMarkSize);
    if ((uint64_t)S + SetupHeaderSize > AInstaller.size())
        return "the file ends before the setup header: incomplete";
    uint32_t L = LeGet32(AInstaller, S + PayloadReserved);
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
