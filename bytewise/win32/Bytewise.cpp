// Bytewise: compares two files byte by byte. The program is its main dialog; the process
// ends with it, always with exit code 0.
#include <windows.h>
#include "BytewiseMain.h"

int WINAPI WinMain(HINSTANCE AInstance, HINSTANCE, LPSTR, int)
{
    DialogBoxParamA(AInstance, "MainDialog", 0, MainDialogProc, 0);
    return 0;
}
