// Bytewise: compares two files byte by byte. The program is its main dialog; the process
// ends with it, always with exit code 0.
#include <windows.h>
#include "BytewiseMain.h"
#include "BytewiseNames.h"

int WINAPI WinMain(HINSTANCE AInstance, HINSTANCE, LPSTR ACmdLine, int)
{
    // "Bytewise.exe FIRST SECOND": the names reach the dialog's set-up.
    TCmdNames Names = SplitCommandLine(ACmdLine);
    DialogBoxParamA(AInstance, "MainDialog", 0, MainDialogProc, (LPARAM)&Names);
    return 0;
}
