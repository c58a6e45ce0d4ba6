// BytewiseSettings: the two file names kept in Bytewise.INI beside the program, section
// "PROPERTY", keys "INPUT" (first name field) and "OUTPUT" (second).
#ifndef BYTEWISESETTINGS_H
#define BYTEWISESETTINGS_H

extern const char SPROPERTY[];

// Points FIniFile at Bytewise.INI in the program's folder.
void GetFileIni();
// Fills the two name fields of MyWin from the file (empty when missing).
void ReadSysIni();
// Stores the two name fields of MyWin (each at most 260 characters); false when the file
// could not be written (a write-protected folder, a folder by the file's name).
bool WriteSysIni();

#endif
