// UnfurlEntryName: which entry names the installer writes and how their bytes become the
// walk's names: the DOS code page table for names without the UTF-8 flag, the UTF-8 check
// for names with it, and the rules that keep every name inside the target folder and
// writable on Windows.
#ifndef UNFURLENTRYNAME_H
#define UNFURLENTRYNAME_H

#include <stdint.h>

#include "QStr.h"

enum { NameMax = 255 };   // the longest name written, in bytes

extern const uint8_t OemToAnsiTable[128];     // DOS code page 852 to Windows 1250, 0x80..0xFF
// Converts a name from the DOS code page of the archive to the Windows code page.
string OemToAnsiName(const string &S);
// Whether ALen bytes are well-formed UTF-8 (no overlong forms, surrogates or codes above
// U+10FFFF).
bool Utf8Valid(const char *AText, int32_t ALen);
// A text in Windows code page 1250 (what OemToAnsiName makes) in UTF-8, whatever code page
// the system runs with. Bytes the code page leaves undefined keep their value as the code.
string Cp1250ToUtf8(const string &AText);

// Why the installer refuses to write an entry name, or 0 when it may. Refused: names longer
// than NameMax, an absolute name (leading "\" or "/", which covers UNC), a colon (drives and
// streams), ".." or any other component made only of dots and blanks, empty components
// inside the name, a component ending in a dot or a blank, characters Windows does not
// allow in names (< > " | ? * and codes 1 to 31), reserved device names (CON, PRN, AUX, NUL,
// COM1..9, LPT1..9, CONIN$, CONOUT$, CLOCK$, also with an extension). A folder entry ends in
// one separator.
const char *EntryNameFault(const string &AName);

#endif
