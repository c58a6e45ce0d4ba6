// unfurl_walk: a scripted walk through the delivered installer, for the main command when
// no one watches the screen (and for the install benchmark). Starts the installer, shows
// the folder browser when screenshots are asked for, installs into
// the folder given, answers an overwrite prompt with "Rewrite all files" and the completion
// message, and saves a screenshot of each step.
// Usage: unfurl_walk INSTALLER.exe TARGET_FOLDER [SHOT_FOLDER]; exit code 0 when the
// installer reported the completed installation. Prints the times from the installer's start
// to its dialog and to its exit as the install benchmark takes them.
#include <stdio.h>

#include "QConst.h"
#include "QDrive.h"

// The installer dialog's caption (unfurl/res/Unfurl.rc).
static const char *const MainCaption =
    "Unfurl 1.0 installer  -  Bytewise project, www.bytewise.example";

static std::string Shots;

static void Shoot(HWND AWnd, const char *AName)
{
    if (Shots.empty()) return;
    RedrawWindow(AWnd, 0, 0, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(400);
    TPicture P;
    if (CaptureWindow(AWnd, P, true)) SaveBitmap(P, Shots + "\\" + AName);
}

static int Fail(const char *AWhat)
{
    fprintf(stderr, "unfurl_walk: %s\n", AWhat);
    return 1;
}

int main(int argc, char **argv)
{
    if (argc < 3) return Fail("usage: unfurl_walk INSTALLER.exe TARGET_FOLDER [SHOT_FOLDER]");
    if (argc > 3) Shots = argv[3];
    TProgram Inst;
    LARGE_INTEGER Freq, Begin, End;
    QueryPerformanceFrequency(&Freq);
    QueryPerformanceCounter(&Begin);
    if (!Inst.Start(argv[1])) return Fail("cannot start the installer");
    HWND Dlg = Inst.WaitWindow(MainCaption, 30000);
    if (!Dlg) return Fail("no installer dialog");
    QueryPerformanceCounter(&End);
    printf("installer dialog up, folder field: %s\ninstaller start to dialog: %.0f ms\n",
           ItemText(Dlg, CM_EDIT).c_str(),
           (double)(End.QuadPart - Begin.QuadPart) * 1000.0 / (double)Freq.QuadPart);
    Shoot(Dlg, "1-installer.bmp");

    if (!Shots.empty()) {
        Press(Dlg, CM_BUT);
        HWND B = Inst.WaitWindow(" Install into folder", 15000);
        Sleep(500);
        if (B) {
            Shoot(B, "2-browser.bmp");
            Press(B, IDCANCEL);
            for (int T = 0; T < 5000 && IsWindow(B); T += 20) Sleep(20);
        }
    }

    SetItemText(Dlg, CM_EDIT, argv[2]);
    Press(Dlg, CM_OK);
    DWORD Started = GetTickCount();
    HWND Box = 0;
    for (int T = 0; T < 600000 && !Box && Inst.Running(); T += 100) {
        if (HWND P = Inst.FindWindowOf("File exist...")) {
            SendMessageA(GetDlgItem(P, CM_CHECK), BM_SETCHECK, BST_CHECKED, 0);
            Press(P, IDOK);
        }
        if (HWND E = Inst.FindWindowOf("Error")) {
            fprintf(stderr, "unfurl_walk: the installer says: %s\n", BoxText(E).c_str());
            Press(E, IDOK);
        }
        Box = Inst.FindWindowOf("Confirmation.");
        Sleep(100);   // a poll of another process's windows loads the Wine server: ten a second
    }
    if (!Box) {
        Inst.WaitExit(5000);
        return Fail("no completion message");
    }
    DWORD Took = GetTickCount() - Started;
    std::string Text = BoxText(Box);
    Shoot(Box, "3-done.bmp");
    Press(Box, IDOK);
    int Code = Inst.WaitExit(10000);
    QueryPerformanceCounter(&End);
    for (char &C : Text)
        if (C == '\r' || C == '\n') C = ' ';
    printf("installer says: %s\ninstaller exit code: %d\nfrom OK to the completion message: %lu ms\n"
           "installer start to exit: %.0f ms\n",
           Text.c_str(), Code, (unsigned long)Took,
           (double)(End.QuadPart - Begin.QuadPart) * 1000.0 / (double)Freq.QuadPart);
    return Code == 0 ? 0 : 1;
}
