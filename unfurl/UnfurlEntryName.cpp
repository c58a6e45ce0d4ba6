// UnfurlEntryName: the rules for entry names (see the header).
#include "UnfurlEntryName.h"

#include <string.h>

// DOS code page 852 to Windows 1250 for the bytes 0x80..0xFF of entry names; box-drawing
// and shading characters become "+", "-", "_" or the broken bar 0xA6.
const uint8_t OemToAnsiTable[128] = {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xF9, 0xE6, 0xE7, 0xB3, 0xEB, 0xD5, 0xF5, 0xEE, 0x8F, 0xC4, 0xC6,
    0xC9, 0xC5, 0xE5, 0xF4, 0xF6, 0xBC, 0xBE, 0x8C, 0x9C, 0xD6, 0xDC, 0x8D, 0x9D, 0xA3, 0xD7, 0xE8,
    0xE1, 0xED, 0xF3, 0xFA, 0xA5, 0xB9, 0x8E, 0x9E, 0xCA, 0xEA, 0xA0, 0x9F, 0xC8, 0xBA, 0xAB, 0xBB,
    0x5F, 0x5F, 0x5F, 0xA6, 0xA6, 0xC1, 0xC2, 0xCC, 0xAA, 0xA6, 0xA6, 0x2B, 0x2B, 0xAF, 0xBF, 0x2B,
    0x2B, 0x2D, 0x2D, 0x2B, 0x2D, 0x2B, 0xC3, 0xE3, 0x2B, 0x2B, 0x2D, 0x2D, 0xA6, 0x2D, 0x2B, 0xA4,
    0xF0, 0xD0, 0xCF, 0xCB, 0xEF, 0xD2, 0xCD, 0xCE, 0xEC, 0x2B, 0x2B, 0x5F, 0x5F, 0xDE, 0xD9, 0x5F,
    0xD3, 0xDF, 0xD4, 0xD1, 0xF1, 0xF2, 0x8A, 0x9A, 0xC0, 0xDA, 0xE0, 0xDB, 0xFD, 0xDD, 0x5F, 0xB4,
    0xAD, 0xBD, 0xB2, 0xA1, 0xA2, 0xA7, 0xF7, 0xB8, 0xB0, 0xA8, 0xB7, 0xFB, 0xD8, 0xF8, 0x5F, 0x5F,
};

string OemToAnsiName(const string &S)
{
    string R(S);
    for (size_t I = 0; I < R.length(); I++) {
        uint8_t C = (uint8_t)R[I];
        if (C >= 0x80) R[I] = (char)OemToAnsiTable[C - 0x80];
    }
    return R;
}

static char UpperAscii(char C) { return C >= 'a' && C <= 'z' ? (char)(C - 32) : C; }

// Whether the component [AFrom, ATo) of AName, up to its first dot and without trailing
// blanks, is a device name of Windows ("NUL", "nul.txt", "COM1 .log").
static bool IsDeviceName(const string &AName, size_t AFrom, size_t ATo)
{
    static const char *const Devices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$",
                                          "CLOCK$"};
    size_t End = AFrom;
    while (End < ATo && AName[End] != '.') End++;
    while (End > AFrom && AName[End - 1] == ' ') End--;
    size_t Len = End - AFrom;
    char Base[8];
    if (Len == 0 || Len > 7) return false;
    for (size_t I = 0; I < Len; I++) Base[I] = UpperAscii(AName[AFrom + I]);
    Base[Len] = 0;
    for (const char *D : Devices)
        if (strcmp(Base, D) == 0) return true;
    // COM1..COM9 and LPT1..LPT9, also with the superscript digits 1, 2, 3 of the code page.
    // In UTF-8 the superscripts are 0xC2 and the code page's byte.
    if (Len == 5 && (uint8_t)Base[3] == 0xC2) {
        Base[3] = Base[4];
        Len = 4;
    }
    if (Len == 4 && (strncmp(Base, "COM", 3) == 0 || strncmp(Base, "LPT", 3) == 0)) {
        uint8_t D = (uint8_t)Base[3];
        return (D >= '1' && D <= '9') || D == 0xB9 || D == 0xB2 || D == 0xB3;
    }
    return false;
}

bool Utf8Valid(const char *AText, int32_t ALen)
{
    const uint8_t *P = (const uint8_t *)AText, *End = P + ALen;
    while (P < End) {
        uint8_t C = *P++;
        if (C < 0x80) continue;
        // Lead byte: the count of continuation bytes and the least value it may code.
        int More = C >= 0xF0 ? 3 : C >= 0xE0 ? 2 : 1;
        uint32_t Min = More == 3 ? 0x10000 : More == 2 ? 0x800 : 0x80;
        if (C < 0xC2 || C > 0xF4 || End - P < More) return false;
        uint32_t V = C & (0x3F >> More);
        while (More--) {
            if ((*P & 0xC0) != 0x80) return false;
            V = V << 6 | (*P++ & 0x3F);
        }
        if (V < Min || V > 0x10FFFF || (V >= 0xD800 && V <= 0xDFFF)) return false;
    }
    return true;
}

const char *EntryNameFault(const string &AName)
{
    size_t Len = AName.length();
    if (Len == 0) return "the name is empty";
    if (Len > NameMax) return "the name is longer than 255 characters";
    if (AName[0] == '/' || AName[0] == '\\') return "the name is an absolute path";
    for (size_t I = 0; I < Len; I++) {
        uint8_t C = (uint8_t)AName[I];
        if (C == ':') return "the name holds a colon (drive or stream)";
        if (C < 32 || strchr("<>\"|?*", C)) return "the name holds a character Windows does not allow";
    }
    // Components between separators; a folder entry ends in one separator.
    size_t From = 0;
    while (From < Len) {
        size_t To = From;
        while (To < Len && AName[To] != '/' && AName[To] != '\\') To++;
        if (To == From) return "the name has an empty component";
        bool DotsOnly = true;
        for (size_t I = From; I < To; I++)
            if (AName[I] != '.' && AName[I] != ' ') DotsOnly = false;
        if (DotsOnly) return "the name has a \"..\" or dots-only component";
        if (AName[To - 1] == '.' || AName[To - 1] == ' ')
            return "a component ends in a dot or a blank";
        if (IsDeviceName(AName, From, To)) return "the name is a reserved device name";
        From = To + 1;
    }
    return 0;
}


// Windows code page 1250, 0x80..0xFF, as Unicode code points.
static const uint16_t Cp1250Table[128] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

string Cp1250ToUtf8(const string &AText)
{
    string R;
    for (size_t I = 0; I < AText.length(); I++) {
        uint8_t B = (uint8_t)AText[I];
        uint32_t C = B < 0x80 ? B : Cp1250Table[B - 0x80];
        if (C < 0x80) {
            R += (char)C;
        } else if (C < 0x800) {
            R += (char)(0xC0 | C >> 6);
            R += (char)(0x80 | (C & 0x3F));
        } else {
            R += (char)(0xE0 | C >> 12);
            R += (char)(0x80 | (C >> 6 & 0x3F));
            R += (char)(0x80 | (C & 0x3F));
        }
    }
    return R;
}
