// A marker DLL for the DLL-planting check: copied beside the installer under the names of
// system DLLs, it leaves "<its name>.loaded" in its folder when any process loads it.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE AInst, DWORD AReason, LPVOID)
{
    if (AReason == DLL_PROCESS_ATTACH) {
        char Path[MAX_PATH + 16];
        DWORD Len = GetModuleFileNameA(AInst, Path, MAX_PATH);
        if (Len && Len < MAX_PATH) {
            lstrcatA(Path, ".loaded");
            HANDLE H = CreateFileA(Path, GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
            if (H != INVALID_HANDLE_VALUE) CloseHandle(H);
        }
    }
    return TRUE;
}
