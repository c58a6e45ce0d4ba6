// Bytewise end to end: a fresh copy of the built program per test, driven from this process
// through its window messages: the first start, the names saved on closing, the table and the
// clipboard after a run, the continue prompts, the file choosers, About and help. Rows are
// checked against rows formatted here. (Rows, notices and settings rules: the host tests.)
#include <gtest/gtest.h>
#include <map>
#include "BytewiseDriver.h"

static std::string PlainText(const char *AName)
{
    std::string S = QReadFile(WinPath(std::string(Q_SOURCE_DIR) + "/bytewise/texts/" + AName));
    if (!S.empty() && S.back() == '\n') S.pop_back();
    return S;
}

static std::string Upper(std::string S)
{
    for (char &C : S) C = (char)toupper((unsigned char)C);
    return S;
}

static std::string WithCrLf(const std::string &AText)
{
    std::string R;
    for (char C : AText) {
        if (C == '\n') R += "\r\n";
        else R += C;
    }
    return R;
}

// Two files of the given sizes, equal except at the given positions of the common part,
// where the second file holds a different byte; answers the rows expected for them.
struct TDiff { long Pos; unsigned char A, B; };

static std::vector<std::string> MakeFiles(TBytewise &AProg, long ASize1, long ASize2,
                                          const std::vector<TDiff> &ADiffs)
{
    std::string A(ASize1, '\0'), B(ASize2, '\0');
    for (long I = 0; I < ASize1; I++) A[I] = (char)(I * 7 + 3);
    for (long I = 0; I < ASize2; I++) B[I] = (char)(I * 7 + 3);
    std::map<long, TDiff> ByPos;
    for (const TDiff &D : ADiffs) {
        A[D.Pos] = (char)D.A;
        if (D.Pos < ASize2) B[D.Pos] = (char)D.B;
        ByPos[D.Pos] = D;
    }
    QWriteFile(AProg.File("a.bin"), A);
    QWriteFile(AProg.File("b.bin"), B);
    std::vector<std::string> Rows;
    for (const auto &P : ByPos)
        if (P.first < ASize2 && P.second.A != P.second.B) Rows.push_back(ExpectedRow(P.first, P.second.A, P.second.B));
    return Rows;
}

static std::string Joined(const std::vector<std::string> &ARows)
{
    std::string R;
    for (const std::string &S : ARows) R += S + "\r\n";
    return R;
}

static void StartWithFiles(TBytewise &AProg)
{
    ASSERT_TRUE(AProg.Start());
    AProg.SetNames(AProg.File("a.bin"), AProg.File("b.bin"));
}

// ---- start-up and closing ----

TEST(BytewiseProgram, FirstStartShowsEmptyFieldsTitleAndHeaderAndEnterDoesNothing)
{
    TBytewise P;
    ASSERT_TRUE(P.Start());
    char Title[256] = "";
    GetWindowTextA(P.Dlg, Title, sizeof Title);
    EXPECT_EQ(std::string(Title), PlainText("title.txt"));
    EXPECT_EQ(P.ItemText(5), PlainText("button.txt"));
    EXPECT_EQ(P.ItemText(9100), "Position                      Byte 1 Byte 2    Character");
    EXPECT_EQ(P.ItemText(IdFirst), "");
    EXPECT_EQ(P.ItemText(IdSecond), "");
    EXPECT_EQ(P.ListCount(), 0);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(P.Dlg, 9403)));
    EXPECT_EQ(GetFileAttributesA(P.File("Bytewise.INI").c_str()), INVALID_FILE_ATTRIBUTES);

    // Enter in a name field: no default button, nothing happens.
    QWriteFile(P.File("a.bin"), "x");
    P.SetNames(P.File("a.bin"), P.File("a.bin"));
    PostMessageA(GetDlgItem(P.Dlg, IdFirst), WM_KEYDOWN, VK_RETURN, 0);
    PostMessageA(GetDlgItem(P.Dlg, IdFirst), WM_KEYUP, VK_RETURN, 0);
    Sleep(300);
    P.Sync();
    EXPECT_TRUE(IsWindow(P.Dlg));
    EXPECT_TRUE(P.Boxes().empty());
}

// Esc, the close box and Cancel all end the program and save the names as typed, without
// their trailing blanks.
TEST(BytewiseProgram, EveryWayOfClosingSavesTheTypedNames)
{
    enum TWay { wyEscape, wyCloseBox, wyCancel };
    const struct {
        TWay Way;
        const char *First, *Second, *Ini;
    } Cases[] = {
        {wyEscape, "", "", "[PROPERTY]\r\nINPUT=\r\nOUTPUT=\r\n"},
        {wyCloseBox, "C:\\data\\first name.txt ;; compared on Monday", "D:\\second.bin   ",
         "[PROPERTY]\r\nINPUT=C:\\data\\first name.txt ;; compared on Monday\r\nOUTPUT=D:\\second.bin"},
        {wyCancel, "C:\\one.txt", "C:\\two.txt", "[PROPERTY]\r\nINPUT=C:\\one.txt\r\nOUTPUT=C:\\two.txt\r\n"},
    };
    for (const auto &C : Cases) {
        SCOPED_TRACE(C.Way);
        TBytewise P;
        ASSERT_TRUE(P.Start());
        P.SetNames(C.First, C.Second);
        switch (C.Way) {
        case wyEscape: PostMessageA(GetDlgItem(P.Dlg, IdFirst), WM_KEYDOWN, VK_ESCAPE, 0); break;
        case wyCloseBox: PostMessageA(P.Dlg, WM_SYSCOMMAND, SC_CLOSE, 0); break;
        case wyCancel: P.Post(CmdCancel); break;
        }
        EXPECT_EQ(P.WaitExit(), 0);
        std::string Ini = QReadFile(P.File("Bytewise.INI"));
        EXPECT_NE(Ini.find(C.Ini), std::string::npos) << Ini;
    }
}

// ---- comparing and copying ----

TEST(BytewiseProgram, RowsAndClipboardMatchTheDifferencesByteForByte)
{
    TBytewise P;
    std::vector<TDiff> D = {
        {0, 65, 66}, {1234, 13, 10}, {59999, 1, 2}, {60000, 3, 4}, {60001, '&', '%'},
        {70000, 0, 32}, {70001, 33, 255}, {70002, 127, 128}, {70003, 0x81, 0x8D}, {70004, 0x9D, 0xA0},
        {99500, 9, 9},     // equal bytes: no row
        {99990, 200, 1},   // beyond the second file's end: no row
    };
    for (int I = 0; I < 200; I++) D.push_back({2000 + I * 3, (unsigned char)(128 + I % 128), (unsigned char)(33 + I % 90)});
    std::vector<std::string> Rows = MakeFiles(P, 100000, 99000, D);
    ASSERT_EQ(Rows.size(), 210u);
    StartWithFiles(P);
    // The second file is shorter: one notice says so after the run.
    EXPECT_EQ(P.RunAnswering(CmdCompare), std::vector<std::string>{" Notice!|The files differ in size.\nFirst file: 100000 bytes\n"
                                                                  "Second file: 99000 bytes\nCompared: 99000 bytes"});
    EXPECT_EQ(P.ListCount(), 210);
    EXPECT_EQ(SendMessageA(GetDlgItem(P.Dlg, IdList), LB_GETCURSEL, 0, 0), 0);

    PutClipboard("before");
    EXPECT_TRUE(P.RunAnswering(CmdCopy).empty());
    EXPECT_EQ(ClipboardText(), Joined(Rows));

    // One name emptied: the table is cleared and nothing else happens.
    P.SetItemText(IdSecond, "");
    EXPECT_TRUE(P.RunAnswering(CmdCompare).empty());
    EXPECT_EQ(P.ListCount(), 0);
    // Copying the empty table leaves the clipboard alone.
    PutClipboard("kept");
    EXPECT_TRUE(P.RunAnswering(CmdCopy).empty());
    EXPECT_EQ(ClipboardText(), "kept");
    P.Post(CmdCancel);
    EXPECT_EQ(P.WaitExit(), 0);
}

// Retry at each prompt goes on to the end; the whole table of 30,000 rows is copied.
// (Cancel at a prompt: test_bytewise_look.)
TEST(BytewiseProgram, RetryAtEveryPromptGoesOnAndTheLargeTableIsCopiedWhole)
{
    TBytewise P;
    const int N = 30000;
    std::vector<TDiff> D;
    for (int I = 0; I < N; I++) {
        // the bytes walk through every value
        TDiff Diff = {I * 6 + 1, (unsigned char)(I % 256), (unsigned char)(255 - I % 256)};
        D.push_back(Diff);
    }
    std::vector<std::string> Rows = MakeFiles(P, 200000, 200000, D);
    StartWithFiles(P);
    std::vector<std::string> Prompts;
    for (int K = 300; K <= N; K += 300)
        Prompts.push_back(" Notice!|Already found " + std::to_string(K) + " differencies. Continue?");
    EXPECT_EQ(P.RunAnswering(CmdCompare, std::vector<int>(N / 300, IDRETRY)), Prompts);
    EXPECT_EQ(P.ListCount(), N);
    P.Command(CmdCopy);
    ASSERT_TRUE(P.WaitCommand(60000));
    EXPECT_TRUE(ClipboardText() == Joined(Rows));
    P.Post(CmdCancel);
    EXPECT_EQ(P.WaitExit(), 0);
}

// ---- choosing files ----

TEST(BytewiseProgram, BrowseOpensInTheProgramFolderAndCancelKeepsTheField)
{
    TBytewise P;
    QWriteFile(P.File("pick.txt"), "x");
    char Temp[MAX_PATH];
    GetTempPathA(MAX_PATH, Temp);
    P.WorkDir = Temp;    // not the program's folder, so the chooser's start is seen
    ASSERT_TRUE(P.Start());

    // Empty first field: the chooser starts in the program's folder; a bare name picks there.
    P.Command(IdBrowseFirst);
    TBox B = P.WaitBox();
    ASSERT_TRUE(B.Wnd);
    EXPECT_EQ(B.Caption, "First file for comparing");
    HWND Name = GetDlgItem(B.Wnd, 1148);           // file name combo box
    if (!Name) Name = GetDlgItem(B.Wnd, 1152);     // or edit, by dialog version
    ASSERT_TRUE(Name != 0);
    SendMessageA(Name, WM_SETTEXT, 0, (LPARAM)"pick.txt");
    PostMessageA(B.Wnd, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(P.WaitCommand(10000));
    EXPECT_EQ(Upper(P.ItemText(IdFirst)), Upper(P.File("pick.txt")));

    // Cancelled chooser on the second field: the field keeps its text.
    P.SetItemText(IdSecond, "C:\\kept\\name.bin");
    P.Command(IdBrowseSecond);
    B = P.WaitBox();
    ASSERT_TRUE(B.Wnd);
    EXPECT_EQ(B.Caption, "Second file for comparing");
    P.Answer(B, IDCANCEL);
    ASSERT_TRUE(P.WaitCommand(10000));
    EXPECT_EQ(P.ItemText(IdSecond), "C:\\kept\\name.bin");
    P.Post(CmdCancel);
    EXPECT_EQ(P.WaitExit(), 0);
}

// ---- About and Help ----

// Both About buttons open the About box over the main window (its closing game:
// test_helpabout_dialogs); Help shows the program's help text.
TEST(BytewiseProgram, BothAboutButtonsOpenTheAboutBoxAndHelpShowsTheText)
{
    TBytewise P;
    ASSERT_TRUE(P.Start());
    for (int Cmd : {CmdAbout, CmdAboutBig}) {
        SCOPED_TRACE(Cmd);
        P.Command(Cmd);
        TBox B = P.WaitBox();
        ASSERT_TRUE(B.Wnd);
        EXPECT_EQ(B.Caption, "  About program");
        EXPECT_EQ(GetWindow(B.Wnd, GW_OWNER), P.Dlg);
        PostMessageA(B.Wnd, WM_COMMAND, 1, 0);
        PostMessageA(B.Wnd, WM_COMMAND, 1, 0);
        EXPECT_TRUE(P.WaitCommand(5000));
        EXPECT_TRUE(P.Boxes().empty());
    }
    P.Command(CmdHelp);
    TBox H = P.WaitBox();
    ASSERT_TRUE(H.Wnd);
    EXPECT_EQ(H.Caption, " Tarvo Description and Help");
    EXPECT_EQ(P.ItemText(9400, H.Wnd), WithCrLf(PlainText("help.txt")));
    P.Answer(H, IDCANCEL);
    EXPECT_TRUE(P.WaitCommand(5000));
    P.Post(CmdCancel);
    EXPECT_EQ(P.WaitExit(), 0);
}

TEST(BytewiseProgram, ProgramFileHoldsItsTextsOnlyScrambled)
{
    std::string Exe = QReadFile(BuiltProgramPath());
    ASSERT_GT(Exe.size(), 10000u);
    for (const char *F : {"title.txt", "button.txt", "about_description.txt", "about_note1.txt"})
        EXPECT_EQ(Exe.find(PlainText(F)), std::string::npos) << F;
    std::string Help = PlainText("help.txt");
    EXPECT_EQ(Exe.find(Help.substr(0, Help.find('\n'))), std::string::npos);
}
