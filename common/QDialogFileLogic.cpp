// QDialogFileLogic: filter list, option flags and file-name buffer of the file chooser.
#include "QDialogFileLogic.h"

#include <string.h>

const uint32_t OpenOptionFlag[ofOptionCount] = {
    0x00000001,  // ofReadOnly            OFN_READONLY
    0x00000002,  // ofOverwritePrompt     OFN_OVERWRITEPROMPT
    0x00000004,  // ofHideReadOnly        OFN_HIDEREADONLY
    0x00000008,  // ofNoChangeDir         OFN_NOCHANGEDIR
    0x00000010,  // ofShowHelp            OFN_SHOWHELP
    0x00000100,  // ofNoValidate          OFN_NOVALIDATE
    0x00000200,  // ofAllowMultiSelect    OFN_ALLOWMULTISELECT
    0x00000400,  // ofExtensionDifferent  OFN_EXTENSIONDIFFERENT
    0x00000800,  // ofPathMustExist       OFN_PATHMUSTEXIST
    0x00001000,  // ofFileMustExist       OFN_FILEMUSTEXIST
    0x00002000,  // ofCreatePrompt        OFN_CREATEPROMPT
    0x00004000,  // ofShareAware          OFN_SHAREAWARE
    0x00008000,  // ofNoReadOnlyReturn    OFN_NOREADONLYRETURN
    0x00010000,  // ofNoTestFileCreate    OFN_NOTESTFILECREATE
    0x00020000,  // ofNoNetworkButton     OFN_NONETWORKBUTTON
    0x00040000,  // ofNoLongNames         OFN_NOLONGNAMES
    0x00080000,  // ofOldStyleDialog      OFN_EXPLORER
    0x00100000,  // ofNoDereferenceLinks  OFN_NODEREFERENCELINKS
};

uint32_t FileFlags(TOpenOptions AOptions)
{
    uint32_t Flags = 0x00000020 | 0x00080000;  // OFN_ENABLEHOOK, OFN_EXPLORER
    for (int I = 0; I < ofOptionCount; I++)
        if (AOptions & OpenOption((TOpenOption)I)) Flags |= OpenOptionFlag[I];
    return Flags;
}

// The platform's filter list is a run of zero-terminated strings ended by an extra zero;
// the caller writes the same run with "|" between the strings.
string AllocFilterStr(const string &S)
{
    if (S.empty()) return string();
    string R(S);
    R.append("\0\0", 2);
    for (size_t I = 0; I < R.length(); I++)
        if (R[I] == '|') R[I] = 0;
    return R;
}

void FillFileNameBuf(char (&ABuf)[FileNameBufSize], const string &AFileName)
{
    memset(ABuf, 0, sizeof ABuf);
    size_t Len = AFileName.length();
    if (Len > MAX_PATH) Len = MAX_PATH;
    memcpy(ABuf, AFileName.c_str(), Len);
}
