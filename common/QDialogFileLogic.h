// QDialogFileLogic: the parts of the file chooser that need no window: the filter list, the
// request flags of the options, and the initial file-name buffer.
#ifndef QDIALOGFILELOGIC_H
#define QDIALOGFILELOGIC_H

#include <stdint.h>
#include "QStr.h"
#include "QTypes.h"

enum TStyleOpen { sOpen, sSave };

enum TOpenOption {
    ofReadOnly,
    ofOverwritePrompt,
    ofHideReadOnly,
    ofNoChangeDir,
    ofShowHelp,
    ofNoValidate,
    ofAllowMultiSelect,
    ofExtensionDifferent,
    ofPathMustExist,
    ofFileMustExist,
    ofCreatePrompt,
    ofShareAware,
    ofNoReadOnlyReturn,
    ofNoTestFileCreate,
    ofNoNetworkButton,
    ofNoLongNames,
    ofOldStyleDialog,       // asks for the Explorer style, which is always set anyway
    ofNoDereferenceLinks,
    ofOptionCount
};

// A set of options: bit N stands for option N. Build one with OpenOption(a) | OpenOption(b).
typedef uint32_t TOpenOptions;
inline TOpenOptions OpenOption(TOpenOption AOption) { return (TOpenOptions)1 << AOption; }

// The request flag of each option (OFN_READONLY ... OFN_NODEREFERENCELINKS).
extern const uint32_t OpenOptionFlag[ofOptionCount];

// Request flags of the resizable dialogs: hide read-only, create prompt, Explorer style.
const uint32_t FileSizeFlags = 0x00082004;
// Request flags of the hooked dialogs: enable hook, the options' flags, Explorer style.
uint32_t FileFlags(TOpenOptions AOptions);

// "Text|*.txt|Any file|*.*" -> "Text\0*.txt\0Any file\0*.*\0\0"; "" stays "" (no list).
string AllocFilterStr(const string &S);

// Size of the chooser's file-name buffer: MAX_PATH characters, a terminator and one spare.
const unsigned FileNameBufSize = MAX_PATH + 2;
// Zero-fills ABuf and copies in at most MAX_PATH characters of AFileName.
void FillFileNameBuf(char (&ABuf)[FileNameBufSize], const string &AFileName);

#endif
