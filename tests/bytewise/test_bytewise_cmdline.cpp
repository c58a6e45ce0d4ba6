// Bytewise end to end, the ways in and the boxes out: names on the command line, files
// dropped on the window, the notice after a run, error boxes that name the file, and the
// settings file and the clipboard that cannot be written. A fresh copy of the program per
// test, driven from this process. (Splitting the line, the drop plan, the box texts: the
// host tests.)
#include <gtest/gtest.h>
#include "BytewiseDriver.h"
#include <shlobj.h>    // DROPFILES

static const int IdSecondFrame = 9203;

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

static const char OldSettings[] = "[PROPERTY]\r\nINPUT=C:\\old1.bin\r\nOUTPUT=C:\\old2.bin\r\n";

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
    QWriteFile(P.File("Bytewise.INI"), OldSettings);
    ASSERT_TRUE(P.Start("\"" + P.File("first file.bin") + "\" \"" + P.File("second file.bin") + "\""));
    ASSERT_TRUE(WaitRows(P, 2));
    P.Sync();   // the run has ended
    EXPECT_EQ(P.ItemText(IdFirst), P.File("first file.bin"));
    EXPECT_EQ(P.ItemText(IdSecond), P.File("second file.bin"));
    EXPECT_TRUE(P.Boxes().empty());   // equal sizes, rows found: nothing more to say
    EXPECT_EQ(SendMessageA(GetDlgItem(P.Dlg, IdList), LB_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(P.RunAnswering(CmdCopy).empty());
    EXPECT_EQ(ClipboardText(), ExpectedRow(3, 'a', 'x') + "\r\n" + ExpectedRow(65000, 'a', 'y') + "\r\n");
    // Closing keeps the names of the command line.
    P.Post(CmdCancel);
    EXPECT_EQ(P.WaitExit(), 0);
    std::string Ini = QReadFile(P.File("Bytewise.INI"));
    EXPECT_NE(Ini.find("INPUT=" + P.File("first file.bin")), std::string::npos) << Ini;
}

// One name fills the first field; the second keeps the remembered name; nothing is compared.
// Names are saved only when the program closes.
TEST(BytewiseCmdLine, OneNameFillsTheFirstFieldAndWaits)
{
    TBytewise P;
    QWriteFile(P.File("Bytewise.INI"), OldSettings);
    QWriteFile(P.File("one.bin"), "abc");
    ASSERT_TRUE(P.Start(P.File("one.bin")));
    Sleep(300);
    P.Sync();
    EXPECT_EQ(P.ItemText(IdFirst), P.File("one.bin"));
    EXPECT_EQ(P.ItemText(IdSecond), "C:\\old2.bin");
    EXPECT_EQ(P.ListCount(), 0);
    EXPECT_TRUE(P.Boxes().empty());
    TerminateProcess(P.Pi.hProcess, 0);
    WaitForSingleObject(P.Pi.hProcess, 5000);
    EXPECT_EQ(QReadFile(P.File("Bytewise.INI")), OldSettings);
}

// ---- the notice after a run ----

// A run without rows ends with one notice; when both sizes are equal it says the files are
// identical. (Sizes differing with rows found: test_bytewise_e2e.)
TEST(BytewiseNotice, IdenticalOrSizesDifferIsToldOnce)
{
    TBytewise P;
    QWriteFile(P.File("a.bin"), Bytes(70000, 'a'));
    QWriteFile(P.File("same.bin"), Bytes(70000, 'a'));
    QWriteFile(P.File("short.bin"), Bytes(1000, 'a'));
    QWriteFile(P.File("empty.bin"), "");
    ASSERT_TRUE(P.Start());
    const struct {
        const char *First, *Second, *Text;
    } Cases[] = {
        {"a.bin", "same.bin", " Notice!|The files are identical.\nSize: 70000 bytes"},
        {"empty.bin", "a.bin",
         " Notice!|The files differ in size.\nFirst file: 0 bytes\nSecond file: 70000 bytes\nCompared: 0 bytes"},
    };
    for (const auto &C : Cases) {
        SCOPED_TRACE(C.First);
        P.SetNames(P.File(C.First), P.File(C.Second));
        EXPECT_EQ(P.RunAnswering(CmdCompare), std::vector<std::string>{C.Text});
        EXPECT_EQ(P.ListCount(), 0);
    }
    // The notice stays up Q_HOLD_MS ms when asked, for a screenshot taken from outside.
    const char *Hold = getenv("Q_HOLD_MS");
    if (Hold && *Hold) {
        P.SetNames(P.File("a.bin"), P.File("short.bin"));
        P.Command(CmdCompare);
        TBox Box = P.WaitBox();
        ASSERT_TRUE(Box.Wnd);
        Sleep(atoi(Hold));
        P.Answer(Box, IDOK);
        ASSERT_TRUE(P.WaitCommand());
    }
    P.Post(CmdCancel);
    EXPECT_EQ(P.WaitExit(), 0);
}

// ---- error boxes ----

// One "Error" box naming the file, and the table of the run before emptied. The names the
// system itself refuses are the ones shown here; missing files and names too long for the
// file layer come from the engine (test_compare).
TEST(BytewiseErrors, OneBoxNamesTheFileAndTheTableIsEmptied)
{
    TBytewise P;
    QWriteFile(P.File("a.bin"), "abc");
    QWriteFile(P.File("b.bin"), "abd");
    QWriteFile(P.File("held.bin"), "abc");
    ASSERT_TRUE(P.Start());
    P.SetNames(P.File("a.bin"), P.File("b.bin"));
    EXPECT_TRUE(P.RunAnswering(CmdCompare).empty());
    ASSERT_EQ(P.ListCount(), 1);

    // A file another program holds without sharing.
    HANDLE Held = CreateFileA(P.File("held.bin").c_str(), GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0);
    ASSERT_NE(Held, INVALID_HANDLE_VALUE);
    std::string Long = P.Folder + std::string(300 - P.Folder.size(), 'n');
    const struct {
        std::string First, Second, Text;
    } Cases[] = {
        {P.File("a.bin"), P.File("held.bin"),
         "File access denied\nThe file is in use by another program.\n" + P.File("held.bin")},
        {P.File("missing.bin"), P.File("a.bin"), "File not found\n" + P.File("missing.bin")},
        {P.File("a.bin"), P.File("nofolder\\b.bin"), "Path not found\n" + P.File("nofolder\\b.bin")},
        // A name pasted with its quotes.
        {"\"" + P.File("a.bin") + "\"", P.File("a.bin"), "Invalid file name\n\"" + P.File("a.bin") + "\""},
        // The field takes it whole: nothing is cut.
        {P.File("a.bin"), Long, "File name too long\n" + Long},
    };
    for (const auto &C : Cases) {
        SCOPED_TRACE(C.Text);
        P.SetNames(C.First, C.Second);
        EXPECT_EQ(P.RunAnswering(CmdCompare), std::vector<std::string>{"Error|" + C.Text});
        EXPECT_EQ(P.ListCount(), 0);
        EXPECT_EQ(SendMessageA(GetDlgItem(P.Dlg, IdList), LB_GETCURSEL, 0, 0), LB_ERR);
    }
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
    P.SetNames(P.File("a.bin"), P.File("b.bin"));
    EXPECT_TRUE(P.RunAnswering(CmdCompare).empty());
    ASSERT_EQ(P.ListCount(), 1);

    PutClipboard("held");
    ASSERT_TRUE(OpenClipboard(0));
    std::vector<std::string> Seen = P.RunAnswering(CmdCopy);
    CloseClipboard();
    EXPECT_EQ(Seen, std::vector<std::string>{
                        "Error|The table could not be copied to the clipboard.\nAnother program may hold it open."});
    EXPECT_EQ(ClipboardText(), "held");
    // Released: the copy goes through without a word.
    EXPECT_TRUE(P.RunAnswering(CmdCopy).empty());
    EXPECT_EQ(ClipboardText(), ExpectedRow(7, 'a', 'b') + "\r\n");
    P.Post(CmdCancel);
    EXPECT_EQ(P.WaitExit(), 0);
}

// ---- drag and drop ----

// Posts a real drop to the program: the DROPFILES block (ANSI names, each ended by a zero, a
// zero after the last) dropped at the centre of control AAt, written into the memory of the
// program's process (a global memory handle of this process means nothing there).
static void PostDrop(TBytewise &AProg, const std::vector<std::string> &ANames, int AAt)
{
    RECT R;
    GetWindowRect(GetDlgItem(AProg.Dlg, AAt), &R);
    MapWindowPoints(0, AProg.Dlg, (POINT *)&R, 2);
    DROPFILES D = {};
    D.pFiles = sizeof D;
    D.pt = POINT{(R.left + R.right) / 2, (R.top + R.bottom) / 2};
    std::string Block((const char *)&D, sizeof D);
    for (const std::string &N : ANames) Block += N + '\0';
    Block += '\0';
    void *Remote = VirtualAllocEx(AProg.Pi.hProcess, 0, Block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_TRUE(Remote);
    ASSERT_TRUE(WriteProcessMemory(AProg.Pi.hProcess, Remote, Block.data(), Block.size(), 0));
    PostMessageA(AProg.Dlg, WM_DROPFILES, (WPARAM)Remote, 0);
    AProg.Sync();
}

// Where a drop lands decides the field: a name field or its "..." button, or elsewhere
// (the table, a frame); the fields after each drop in turn. Nothing is compared.
TEST(BytewiseDrop, FilesDroppedOnAFieldOrItsButtonOrAnywhere)
{
    TBytewise P;
    ASSERT_TRUE(P.Start());
    EXPECT_NE(GetWindowLongA(P.Dlg, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
    const struct {
        std::vector<std::string> Names;
        int At;
        const char *First, *Second;
    } Drops[] = {
        {{"C:\\dropped\\one.bin"}, IdFirst, "C:\\dropped\\one.bin", ""},
        {{"C:\\dropped\\two.bin"}, IdSecond, "C:\\dropped\\one.bin", "C:\\dropped\\two.bin"},
        {{"C:\\dropped\\three.bin"}, IdBrowseFirst, "C:\\dropped\\three.bin", "C:\\dropped\\two.bin"},
        {{"C:\\dropped\\four with blank.bin"}, IdBrowseSecond, "C:\\dropped\\three.bin", "C:\\dropped\\four with blank.bin"},
        {{"C:\\d\\x.bin", "C:\\d\\y.bin"}, IdList, "C:\\d\\x.bin", "C:\\d\\y.bin"},
        {{"C:\\d\\p.bin", "C:\\d\\q.bin", "C:\\d\\r.bin"}, IdSecondFrame, "C:\\d\\p.bin", "C:\\d\\q.bin"},
        // One file elsewhere with both fields filled: nothing changes.
        {{"C:\\d\\z.bin"}, IdList, "C:\\d\\p.bin", "C:\\d\\q.bin"},
    };
    for (const auto &D : Drops) {
        SCOPED_TRACE(D.Names[0]);
        PostDrop(P, D.Names, D.At);
        EXPECT_EQ(P.ItemText(IdFirst), D.First);
        EXPECT_EQ(P.ItemText(IdSecond), D.Second);
    }
    EXPECT_EQ(P.ListCount(), 0);
    EXPECT_TRUE(P.Boxes().empty());
    P.Post(CmdCancel);
    EXPECT_EQ(P.WaitExit(), 0);
}
