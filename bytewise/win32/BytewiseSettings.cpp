// BytewiseSettings: reading and writing the two file names.
#include "BytewiseSettings.h"
#include "BytewiseRows.h"
#include "BytewiseWindow.h"
#include "QConst.h"
#include "QIni.h"
#include "QSysUtil.h"

const char SPROPERTY[] = "PROPERTY";

void GetFileIni()
{
    FIniFile = SettingsFileName(ExtractFilePath(string("")));
}

void ReadSysIni()
{
    GetFileIni();
    SetDlgItemTextA(MyWin, CM_EDIT, IniReadString(SPROPERTY, "INPUT", "").c_str());
    SetDlgItemTextA(MyWin, CM_EDIT2, IniReadString(SPROPERTY, "OUTPUT", "").c_str());
}

bool WriteSysIni()
{
    GetFileIni();
    bool Input = IniWriteString(SPROPERTY, "INPUT", FieldText(CM_EDIT).substr(0, MAX_PATH));
    bool Output = IniWriteString(SPROPERTY, "OUTPUT", FieldText(CM_EDIT2).substr(0, MAX_PATH));
    return Input && Output;
}
