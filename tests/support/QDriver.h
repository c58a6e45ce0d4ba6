// The test bench's driver: works the real windows of a program from a test under Wine the
// way a person would (start it, wait for a dialog, read and fill items, press buttons,
// answer message boxes, keys and clicks through the system's input), and reads what it
// leaves behind (exit code, clipboard, pixels on the screen). Windows only.
#ifndef QDRIVER_H
#define QDRIVER_H

#include <windows.h>
#include <stdint.h>
#include <string>
#include <vector>

// ---- Paths and files ------------------------------------------------------------------

std::string WinPath(const std::string &APath);          // "/a/b" -> "Z:\a\b"; others unchanged
bool IsFile(const std::string &AName);
bool IsFolder(const std::string &AName);
void MakeFolders(const std::string &AName);              // every level of a "C:\a\b" path
// Last-write time of a file as a DOS date/time (local time, 2-second steps); 0 on failure.
uint32_t FileDosTime(const std::string &AName);

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
bool HasStopIcon(HWND ABox);                            // the box shows the system's stop icon
// Lets the window's thread handle everything sent to it so far.
void Sync(HWND AWnd);

// ---- Input as a person gives it -------------------------------------------------------

void Key(WORD AVk);
// The pointer to client point (X, Y) of AWin; answers the screen point.
POINT MoveTo(HWND AWin, int X, int Y);
// A click there; false when the pointer did not arrive.
bool Click(HWND AWin, int X, int Y, bool ARight = false);
bool ClickControl(HWND ADlg, int AId);                  // the middle of a control

// ---- Clipboard ------------------------------------------------------------------------

std::string ClipboardText();                            // CF_TEXT as bytes
void PutClipboard(const std::string &AText);

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
// Pixels of colour ARgb (0xRRGGBB) inside the rectangle.
int CountColor(const TPicture &APicture, uint32_t ARgb, int X0, int Y0, int X1, int Y1);
// Where screenshots go (UNFURL_SHOTS in the environment), "" for none.
std::string ShotDir();

#endif
