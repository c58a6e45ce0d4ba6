// Bytewise end to end, the ways in and the boxes out: names on the command line, files
// dropped on the window, the notice after a run, error boxes that name the file, and the
// settings file and the clipboard that cannot be written. A fresh copy of the program per
// test, driven from this process.
#include <gtest/gtest.h>
#include "BytewiseDriver.h"
#include <shlobj.h>    // DROPFILES

static const int IdFirst = 9400, IdSecond = 9402, IdList = 9500, IdSecondFrame = 9203;
static const int IdBrowseFirst = 7, IdBrowseSecond = 8;
static const int CmdCancel = 2, CmdCompare = 3, CmdCopy = 10;

// Runs command AId and answers every box that comes with IDOK; answers the boxes seen, as
// "caption|text".
static std::vector<std::string> RunAnswering(TBytewise &AProg, int AId)
{
    std::vector<std::string> Seen;
    AProg.Command(AId);
    while (!AProg.WaitCommand(20)) {
        if (AProg.Boxes().empty()) continue;
        TBox B = AProg.WaitBox(1000);
        if (!B.Wnd) continue;
        Seen.push_back(B.Caption + "|" + B.Text);
        EXPECT_EQ(GetWindow(B.Wnd, GW_OWNER), AProg.Dlg) << B.Caption;
        AProg.Answer(B, IDOK);
    }
    return Seen;
}

// Waits until the table holds ARows rows (a run started from the command line).
static bool WaitRows(TBytewise &AProg, int ARows)
{
    for (int I = 0; I < 400; I++) {
        if (AProg.ListCount() == ARows) return true;
        Sleep(25);
    }
    return false;
}

static std::string Bytes(size_t ASize, char AFill) { return std::string(ASize, AFill); }

// ---- the command line ----

TEST(BytewiseCmdLine, TwoQuotedNamesFillTheFieldsAndCompareAtOnce)
{
    TBytewise P;
    std::string A = Bytes(70000, 'a'), B = A;
    B[3] = 'x';
    B[65000] = 'y';
    QWriteFile(P.File("first file.bin"), A);
    QWriteFile(P.File("second file.bin"), B);
    // Remembered names lose against the command line.
    QWriteFile(P.File("Bytewise.INI"), "[PROPERTY]\r\nINPUT=C:\\old1.bin\r\nOUTPUT=C:\\old2.bin\r\n");
    ASSERT_TRUE(P.Start("\"" + P.File("first file.bin") + "\" \"" + P.File("second file.bin") + "\""));
    ASSERT_TRUE(WaitRows(P, 2));
    P.Sync();   // the run has ended
    EXPECT_EQ(P.ItemText(IdFirst), P.File("first file.bin"));
    EXPECT_EQ(P.ItemText(IdSecond), P.File("second file.bin"));
    EXPECT_TRUE(P.Boxes().empty());   // equal sizes, rows found: nothing more to say
    EXPECT_EQ(SendMessageA(GetDlgItem(P.Dlg, IdList), LB_GETCURSEL, 0, 0), 0);
    P.Command(CmdCopy);
    ASSERT_TRUE(P.WaitCommand());
    EXPECT_EQ(ClipboardText(), ExpectedRow(3, 'a', 'x') + "\r\n" + ExpectedRow(65000, 'a', 'y') + "\r\n");
    // Closing keeps the names of the command line.
    P.Post(CmdCancel);
    EXPECT_EQ(P.WaitExit(), 0);
    std::string Ini = QReadFile(P.File("Bytewise.INI"));
    EXPECT_NE(Ini.find("INPUT=" + P.File("first file.bin")), std::string::npos) << Ini;
}

TEST(BytewiseCmdLine, OneNameFillsTheFirstFieldAndWaits)
{
    TBytewise P;
    QWriteFile(P.File("Bytewise.INI"), "[PROPERTY]\r\nINPUT=C:\\old1.bin\r\nOUTPUT=C:\\old2.bin\r\n");
    QWriteFile(P.File("one.bin"), "abc");
    ASSERT_TRUE(P.Start(P.File("one.bin")));
    Sleep(300);
    P.Sync();
    EXPECT_EQ(P.ItemText(IdFirst), P.File("one.bin"));
    EXPECT_EQ(P.ItemText(IdSecond), "C:\\old2.bin");
    EXPECT_EQ(P.ListCount(), 0);
    EXPECT_TRUE(P.Boxes().empty());
    P.Post(CmdCancel);
    EXPECT_EQ(P.WaitExit(), 0);
}

// ---- the notice after a run ----

TEST(BytewiseNotice, SizesDifferOrIdenticalIsToldOnce)
{
    TBytewise P;
    QWriteFile(P.File("a.bin"), Bytes(70000, 'a'));
    QWriteFile(P.File("same.bin"), Bytes(70000, 'a'));
    std::string Short = Bytes(1000, 'a');
    Short[10] = 'b';
    QWriteFile(P.File("short.bin"), Short);
    QWriteFile(P.File("empty.bin"), "");
    ASSERT_TRUE(P.Start());
    const struct {
        const char *First, *Second;
        int Rows;
        const char *Text;
    } Cases[] = {
        {"a.bin", "same.bin", 0, " Notice!|The files are identical.\nSize: 70000 bytes"},
        {"a.bin", "short.bin", 1,
         " Notice!|The files differ in size.\nFirst file: 70000 bytes\nSecond file: 1000 bytes\nCompared: 1000 bytes"},
        {"short.bin", "a.bin", 1,
         " Notice!|The files differ in size.\nFirst file: 1000 bytes\nSecond file: 70000 bytes\nCompared: 1000 bytes"},
        {"empty.bin", "a.bin", 0,
         " Notice!|The files differ in size.\nFirst file: 0 bytes\nSecond file: 70000 bytes\nCompared: 0 bytes"},
    };
    for (const auto &C : Cases) {
        P.SetItemText(IdFirst, P.File(C.First));
        P.SetItemText(IdSecond, P.File(C.Second));
        EXPECT_EQ(RunAnswering(P, CmdCompare), std::vector<std::string>{C.Text}) << C.First << " " << C.Second;
        EXPECT_EQ(P.ListCount(), C.Rows);
    }
    // The notice stays up Q_HOLD_MS ms when asked, for a screenshot taken from outside.
    const char *Hold = getenv("Q_HOLD_MS");
    if (Hold && *Hold) {
        P.SetItemText(IdFirst, P.File("a.bin"));
        P.SetItemText(IdSecond, P.File("short.bin"));
        P.Command(CmdCompare);
        TBox Box = P.WaitBox();
        ASSERT_TRUE(Box.Wnd);
        Sleep(atoi(Hold));
        P.Answer(Box, IDOK);
    }
    ASSERT_TRUE(P.WaitCommand());
    P.Post(CmdCancel);
    EXPECT_EQ(P.WaitExit(), 0);
}

// ---- error boxes ----

TEST(BytewiseErrors, BoxesKeepTheTextsAndNameTheFile)
{
    TBytewise P;
    QWriteFile(P.File("a.bin"), "abc");
    QWriteFile(P.File("held.bin"), "abc");
    ASSERT_TRUE(P.Start());
    std::string Long = P.Folder + std::string(300 - P.Folder.size(), 'n');
    const struct {
        std::string First, Second;
        std::string Text;
    } Cases[] = {
        {P.File("missing.bin"), P.File("a.bin"), "File not found\n" + P.File("missing.bin")},
        {P.File("a.bin"), P.File("nofolder\\b.bin"), "Path not found\n" + P.File("nofolder\\b.bin")},
        // A name pasted with its quotes.
        {"\"" + P.File("a.bin") + "\"", P.File("a.bin"), "Invalid file name\n\"" + P.File("a.bin") + "\""},
        {P.File("a.bin"), Long, "File name too long\n" + Long},
    };
    for (const auto &C : Cases) {
        P.SetItemText(IdFirst, C.First);
        P.SetItemText(IdSecond, C.Second);
        EXPECT_EQ(RunAnswering(P, CmdCompare), std::vector<std::string>{"Error|" + C.Text}) << C.Text;
        EXPECT_EQ(P.ListCount(), 0);
    }
    // A file another program holds without sharing.
    HANDLE Held = CreateFileA(P.File("held.bin").c_str(), GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0);
    ASSERT_NE(Held, INVALID_HANDLE_VALUE);
    P.SetItemText(IdFirst, P.File("a.bin"));
    P.SetItemText(IdSecond, P.File("held.bin"));
    EXPECT_EQ(RunAnswering(P, CmdCompare),
              std::vector<std::string>{"Error|File access denied\nThe file is in use by another program.\n" +
                                       P.File("held.bin")});
    CloseHandle(Held);
    P.Post(CmdCancel);
    EXPECT_EQ(P.WaitExit(), 0);
}

// ---- losses that are told ----

TEST(BytewiseLosses, SettingsFileThatCannotBeWrittenIsTold)
{
    // A folder by the settings file's name: the profile service cannot write it (a
    // read-only folder stops no one who runs as root under Wine).
    TBytewise P;
    ASSERT_TRUE(CreateDirectoryA(P.File("Bytewise.INI").c_str(), 0));
    ASSERT_TRUE(P.Start());
    P.SetItemText(IdFirst, "C:\\one.bin");
    P.Post(CmdCancel);
    TBox Box = P.WaitBox();
    ASSERT_TRUE(Box.Wnd);
    EXPECT_EQ(Box.Caption, "Error");
    EXPECT_EQ(Box.Text, "The file names could not be saved in\n" + P.File("Bytewise.INI"));
    EXPECT_EQ(GetWindow(Box.Wnd, GW_OWNER), P.Dlg);
    P.Answer(Box, IDOK);
    EXPECT_EQ(P.WaitExit(), 0);   // the window closes all the same
}

TEST(BytewiseLosses, ClipboardHeldOpenIsTold)
{
    TBytewise P;
    std::string A = Bytes(100, 'a'), B = A;
    B[7] = 'b';
    QWriteFile(P.File("a.bin"), A);
    QWriteFile(P.File("b.bin"), B);
    ASSERT_TRUE(P.Start());
    P.SetItemText(IdFirst, P.File("a.bin"));
    P.SetItemText(IdSecond, P.File("b.bin"));
    EXPECT_TRUE(RunAnswering(P, CmdCompare).empty());
    ASSERT_EQ(P.ListCount(), 1);

    PutClipboard("held");
    ASSERT_TRUE(OpenClipboard(0));
    std::vector<std::string> Seen = RunAnswering(P, CmdCopy);
    CloseClipboard();
    EXPECT_EQ(Seen, std::vector<std::string>{
                        "Error|The table could not be copied to the clipboard.\nAnother program may hold it open."});
    EXPECT_EQ(ClipboardText(), "held");
    // Released: the copy goes through without a word.
    EXPECT_TRUE(RunAnswering(P, CmdCopy).empty());
    EXPECT_EQ(ClipboardText(), ExpectedRow(7, 'a', 'b') + "\r\n");
    P.Post(CmdCancel);
    EXPECT_EQ(P.WaitExit(), 0);
}

// ---- drag and drop ----

// The DROPFILES block for ANames (ANSI, each name ended by a zero, a zero after the last)
// dropped at APt of the window's client area.
static std::string DropBlock(const std::vector<std::string> &ANames, POINT APt)
{
    DROPFILES D;
    ZeroMemory(&D, sizeof D);
    D.pFiles = sizeof D;
    D.pt = APt;
    D.fNC = FALSE;
    D.fWide = FALSE;
    std::string Block((const char *)&D, sizeof D);
    for (const std::string &N : ANames) Block += N + '\0';
    Block += '\0';
    return Block;
}

// Posts a real drop to the program: the block in memory of the program's process (a global
// memory handle of this process means nothing there), handed over as WM_DROPFILES.
static void PostDrop(TBytewise &AProg, const std::vector<std::string> &ANames, POINT APt)
{
    std::string Block = DropBlock(ANames, APt);
    void *Remote = VirtualAllocEx(AProg.Pi.hProcess, 0, Block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_TRUE(Remote);
    ASSERT_TRUE(WriteProcessMemory(AProg.Pi.hProcess, Remote, Block.data(), Block.size(), 0));
    PostMessageA(AProg.Dlg, WM_DROPFILES, (WPARAM)Remote, 0);
    AProg.Sync();
}

// The centre of control AId in the main window's client coordinates.
static POINT CentreOf(const TBytewise &AProg, int AId)
{
    RECT R;
    GetWindowRect(GetDlgItem(AProg.Dlg, AId), &R);
    MapWindowPoints(0, AProg.Dlg, (POINT *)&R, 2);
    return POINT{(R.left + R.right) / 2, (R.top + R.bottom) / 2};
}

TEST(BytewiseDrop, FilesDroppedOnAFieldOrItsButtonOrAnywhere)
{
    TBytewise P;
    ASSERT_TRUE(P.Start());
    EXPECT_NE(GetWindowLongA(P.Dlg, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
    // One file on each field and on each "..." button.
    PostDrop(P, {"C:\\dropped\\one.bin"}, CentreOf(P, IdFirst));
    EXPECT_EQ(P.ItemText(IdFirst), "C:\\dropped\\one.bin");
    EXPECT_EQ(P.ItemText(IdSecond), "");
    PostDrop(P, {"C:\\dropped\\two.bin"}, CentreOf(P, IdSecond));
    EXPECT_EQ(P.ItemText(IdSecond), "C:\\dropped\\two.bin");
    PostDrop(P, {"C:\\dropped\\three.bin"}, CentreOf(P, IdBrowseFirst));
    EXPECT_EQ(P.ItemText(IdFirst), "C:\\dropped\\three.bin");
    PostDrop(P, {"C:\\dropped\\four with blank.bin"}, CentreOf(P, IdBrowseSecond));
    EXPECT_EQ(P.ItemText(IdSecond), "C:\\dropped\\four with blank.bin");
    EXPECT_EQ(P.ItemText(IdFirst), "C:\\dropped\\three.bin");
    // Two files over the table, and two over the second field: first and second in order.
    PostDrop(P, {"C:\\d\\x.bin", "C:\\d\\y.bin"}, CentreOf(P, IdList));
    EXPECT_EQ(P.ItemText(IdFirst), "C:\\d\\x.bin");
    EXPECT_EQ(P.ItemText(IdSecond), "C:\\d\\y.bin");
    PostDrop(P, {"C:\\d\\p.bin", "C:\\d\\q.bin", "C:\\d\\r.bin"}, CentreOf(P, IdSecondFrame));
    EXPECT_EQ(P.ItemText(IdFirst), "C:\\d\\p.bin");
    EXPECT_EQ(P.ItemText(IdSecond), "C:\\d\\q.bin");
    // One file over the table with both fields filled: nothing changes; nothing is compared.
    PostDrop(P, {"C:\\d\\z.bin"}, CentreOf(P, IdList));
    EXPECT_EQ(P.ItemText(IdFirst), "C:\\d\\p.bin");
    EXPECT_EQ(P.ItemText(IdSecond), "C:\\d\\q.bin");
    EXPECT_EQ(P.ListCount(), 0);
    EXPECT_TRUE(P.Boxes().empty());
    P.Post(CmdCancel);
    EXPECT_EQ(P.WaitExit(), 0);
}
