// QDrive: works another program's windows from outside, the way a person would: starts the
// program, waits for its dialogs, reads and fills items, presses buttons, reads message
// boxes, and takes pictures of windows. Used by the walk programs (tools/walk) and, with the
// rest of the driving, by the test bench (tests/support/QDriver.h). Windows only.
#ifndef QDRIVE_H
#define QDRIVE_H

#include <windows.h>
#include <stdint.h>
#include <string>
#include <vector>

// ---- A program under test -------------------------------------------------------------

class TProgram {
public:
    PROCESS_INFORMATION Pi = {};
    // AArgs follow the quoted program name on the command line as given.
    bool Start(const std::string &AExe, const std::string &ACurDir = std::string(),
               DWORD AFlags = 0, const std::string &AArgs = std::string());
    // A visible dialog window of the process with exactly this caption, or 0.
    HWND FindWindowOf(const char *ACaption) const;
    // The same, waited for; 0 after the time or when the process has ended.
    HWND WaitWindow(const char *ACaption, int AMs = 15000) const;
    // Every visible dialog-class window of the process but AExcept.
    std::vector<HWND> Dialogs(HWND AExcept = 0) const;
    // Whether the process shows any top-level window at the moment.
    bool AnyVisibleWindow() const;
    bool Running() const;
    // Waits for the end; the exit code, or -1 on time-out (the process is then killed).
    int WaitExit(int AMs = 60000);
    // Ends the process if it still runs and lets go of it (the destructor does the same).
    void End();
    ~TProgram() { End(); }
};

// ---- Dialog items and message boxes ---------------------------------------------------

std::string ItemText(HWND ADlg, int AId);               // "<no control>" when there is none
void SetItemText(HWND ADlg, int AId, const std::string &AText);
void Press(HWND ADlg, int AId);                         // posts the button's WM_COMMAND
std::string Caption(HWND AWnd);
std::string BoxText(HWND ABox);                         // the text of a message box

// ---- Pictures -------------------------------------------------------------------------

// The window's pixels as 0x00RRGGBB, row by row, from the screen.
struct TPicture {
    int Width = 0, Height = 0;
    std::vector<uint32_t> Pixels;
    // Outside the picture: 0xFFFFFFFF, no colour.
    uint32_t At(int X, int Y) const
    {
        return X < 0 || Y < 0 || X >= Width || Y >= Height ? 0xFFFFFFFF : Pixels[(size_t)Y * Width + X];
    }
};
bool CaptureWindow(HWND AWnd, TPicture &APicture, bool AWholeScreen = false);
bool SaveBitmap(const TPicture &APicture, const std::string &AName);   // 24-bit .bmp

#endif
