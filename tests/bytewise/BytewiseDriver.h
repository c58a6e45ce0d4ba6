// Drives a running Bytewise.exe from a second process: starts a fresh copy in its own
// folder, finds its windows and boxes, presses its buttons and reads what it shows.
#ifndef BYTEWISEDRIVER_H
#define BYTEWISEDRIVER_H

#include <windows.h>
#include <string>
#include <vector>

#include "QTestFiles.h"

// Path of the built program (a Linux path from the build, or a Windows path).
std::string BuiltProgramPath();
// Linux "/a/b" as Wine's "Z:\a\b"; Windows paths unchanged.
std::string WinPath(const std::string &APath);

// One expected difference row, formatted here independently of the program.
std::string ExpectedRow(long APos, unsigned char AByte1, unsigned char AByte2);

struct TBox {
    HWND Wnd;
    std::string Caption;
    std::string Text;    // the message text (static 65535), if any
};

class TBytewise {
public:
    TBytewise();               // a fresh folder with a copy of the program
    ~TBytewise();              // ends the program if still running, removes the folder
    std::string Folder;        // with a trailing backslash
    std::string WorkDir;       // the program's current folder (default: Folder)
    PROCESS_INFORMATION Proc;
    HWND Dlg = 0;

    bool Start();              // runs the copy and waits for its main window
    std::string File(const char *AName) const { return Folder + AName; }

    std::string ItemText(int AId, HWND AIn = 0) const;
    void SetItemText(int AId, const std::string &AText);
    int ListCount() const;

    // Sends the command from a helper thread (a modal box may open); Wait answers whether
    // the command has returned within the time.
    void Command(int AId);
    bool WaitCommand(DWORD AMs = 20000);
    void Post(int AId);        // posts the command (for commands that end the dialog)

    // Visible dialog-class windows of the program other than the main window.
    std::vector<TBox> Boxes() const;
    // Waits for a box; Wnd is 0 after the time.
    TBox WaitBox(DWORD AMs = 10000) const;
    void Answer(const TBox &ABox, int AId) const;
    // Waits for the process to end; answers its exit code, or -1 on time-out.
    int WaitExit(DWORD AMs = 10000);
    // Lets the program handle everything sent so far.
    void Sync() const;

private:
    HANDLE CmdThread = 0;
};

// Clipboard text as bytes; PutClipboard places a text there first.
std::string ClipboardText();
void PutClipboard(const std::string &AText);

#endif
