// What Bytewise's tests add to the test bench (QDriver): a fresh copy of the program in a
// folder of its own, its main dialog, commands sent while a modal box may open, the boxes
// it shows, and a difference row formatted independently of the program.
#ifndef BYTEWISEDRIVER_H
#define BYTEWISEDRIVER_H

#include <string>
#include <vector>

#include "QDriver.h"
#include "QTestFiles.h"

// Items and commands of the main window.
enum {
    IdFirst = 9400, IdSecond = 9402, IdList = 9500,
    CmdCancel = 2, CmdCompare = 3, CmdAbout = 4, CmdAboutBig = 5, CmdHelp = 6,
    IdBrowseFirst = 7, IdBrowseSecond = 8, CmdCopy = 10,
};

// Path of the built program (Wine's form of the build's path).
std::string BuiltProgramPath();

// One expected difference row.
std::string ExpectedRow(long APos, unsigned char AByte1, unsigned char AByte2);

struct TBox {
    HWND Wnd;
    std::string Caption;
    std::string Text;    // the message text (static 65535), if any
};

class TBytewise : public TProgram {
public:
    TBytewise();               // a fresh folder with a copy of the program
    ~TBytewise();              // ends the program if still running, removes the folder
    std::string Folder;        // with a trailing backslash
    std::string WorkDir;       // the program's current folder (default: Folder)
    HWND Dlg = 0;

    // Runs the copy (with AArgs on its command line) and waits for its main window.
    bool Start(const std::string &AArgs = std::string());
    std::string File(const char *AName) const { return Folder + AName; }

    std::string ItemText(int AId, HWND AIn = 0) const { return ::ItemText(AIn ? AIn : Dlg, AId); }
    void SetItemText(int AId, const std::string &AText) { ::SetItemText(Dlg, AId, AText); }
    void SetNames(const std::string &AFirst, const std::string &ASecond)
    {
        SetItemText(IdFirst, AFirst);
        SetItemText(IdSecond, ASecond);
    }
    int ListCount() const;

    // Sends the command from a helper thread (a modal box may open); Wait answers whether
    // the command has returned within the time.
    void Command(int AId);
    bool WaitCommand(DWORD AMs = 20000);
    void Post(int AId) { Press(Dlg, AId); }   // for commands that end the dialog

    // Visible dialog-class windows of the program other than the main window.
    std::vector<TBox> Boxes() const;
    // Waits for a box; Wnd is 0 after the time.
    TBox WaitBox(DWORD AMs = 10000) const;
    void Answer(const TBox &ABox, int AId) const;
    // Runs command AId and answers the boxes that come with AAnswers in turn (IDOK once they
    // are used up); each box must be owned by the main window. Answers the boxes seen, as
    // "caption|text".
    std::vector<std::string> RunAnswering(int AId, const std::vector<int> &AAnswers = {});
    // Lets the program handle everything sent so far.
    void Sync() const { ::Sync(Dlg); }

private:
    HANDLE CmdThread = 0;
};

// A file of ASize zero bytes (sparse: nothing is written but the bytes given, quick to make
// and to read) with AByte at each of APositions.
bool SparseFile(const std::string &AName, long long ASize, const std::vector<long long> &APositions,
                char AByte);

#endif
