// BytewiseSettings: the two file names kept in Bytewise.INI beside the program, section
// "PROPERTY", keys "INPUT" (first name field) and "OUTPUT" (second); a name beyond the code
// page also under "INPUT_UTF8" / "OUTPUT_UTF8", escaped (BytewiseNames: EscapeName).
#ifndef BYTEWISESETTINGS_H
#define BYTEWISESETTINGS_H

extern const char SPROPERTY[];

// Points FIniFile at Bytewise.INI in the program's folder (UTF-8, any script).
void GetFileIni();
// Fills the two name fields of MyWin from the file (empty when missing).
void ReadSysIni();
// Stores the two name fields of MyWin, made absolute; false when the file could not be
// written (a write-protected folder, a folder by the file's name).
bool WriteSysIni();

#endif
