// The control of the DLL-planting check: a program without any protection that loads the
// named DLLs by bare name, as a careless installer would. Where it picks up the markers
// beside it, the check of the installer has teeth.
#include <windows.h>
#include <stdio.h>

int main(int argc, char **argv)
{
    for (int I = 1; I < argc; I++) {
        HMODULE M = LoadLibraryA(argv[I]);
        printf("%s %s\n", argv[I], M ? "loaded" : "not loaded");
    }
    return 0;
}
