// Bytewise end to end: a fresh copy of the built program per test, driven from this process
// through its window messages; rows are checked against rows formatted here, the table's look
// against the screen's pixels.
#include <gtest/gtest.h>
#include <map>
#include <set>
#include "BytewiseDriver.h"

static const int IdFirst = 9400, IdSecond = 9402, IdList = 9500;
static const int CmdCancel = 2, CmdCompare = 3, CmdAbout = 4, CmdAboutBig = 5, CmdHelp = 6, CmdCopy = 10;

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

// N differences spread over the file, the bytes walking through every value.
static std::vector<TDiff> ManyDiffs(int N, long AStep)
{
    std::vector<TDiff> R;
    for (int I = 0; I < N; I++) R.push_back({I * AStep + 1, (unsigned char)(I % 256), (unsigned char)(255 - I % 256)});
    for (TDiff &D : R)
        if (D.A == D.B) D.B ^= 1;
    return R;
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
    AProg.SetItemText(IdFirst, AProg.File("a.bin"));
    AProg.SetItemText(IdSecond, AProg.File("b.bin"));
}

// Compares, answering each continue prompt with the given answers in turn; answers the
// prompt texts seen.
static std::vector<std::string> CompareAnswering(TBytewise &AProg, std::vector<int> AAnswers)
{
    std::vector<std::string> Seen;
    AProg.Command(CmdCompare);
    size_t Next = 0;
    while (!AProg.WaitCommand(20)) {
        std::vector<TBox> Boxes = AProg.Boxes();
        if (Boxes.empty()) continue;
        TBox B = AProg.WaitBox(1000);
        Seen.push_back(B.Caption + "|" + B.Text);
        EXPECT_EQ(GetWindow(B.Wnd, GW_OWNER), AProg.Dlg) << B.Caption;    // modal to the main window
        EXPECT_LT(Next, AAnswers.size()) << "unexpected box " << B.Caption << ": " << B.Text;
        AProg.Answer(B, Next < AAnswers.size() ? AAnswers[Next] : IDCANCEL);
        Next++;
    }
    return Seen;
}

static std::string Prompt(int ACount)
{
    return " Notice!|Already found " + std::to_string(ACount) + " differencies. Continue?";
}

// ---- start-up, Esc, close box, settings ----

TEST(BytewiseProgram, FirstStartShowsEmptyFieldsTitleAndHeaderThenEscSavesEmptyNames)
{
    TBytewise P;
    ASSERT_TRUE(P.Start());
    char Title[256] = "";
    GetWindowTextA(P.Dlg, Title, sizeof Title);
    EXPECT_EQ(std::string(Title), PlainText("title.txt"));
    EXPECT_EQ(P.ItemText(5), PlainText("button.txt"));
    EXPECT_EQ(P.ItemText(9100), "Position      Byte 1 Byte 2    Character");
    EXPECT_EQ(P.ItemText(IdFirst), "");
    EXPECT_EQ(P.ItemText(IdSecond), "");
    EXPECT_EQ(P.ListCount(), 0);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(P.Dlg, 9403)));
    EXPECT_EQ(GetFileAttributesA(P.File("Bytewise.INI").c_str()), INVALID_FILE_ATTRIBUTES);

    // Enter in a name field: no default button, nothing happens.
    P.SetItemText(IdFirst, P.File("a.bin"));
    P.SetItemText(IdSecond, P.File("a.bin"));
    QWriteFile(P.File("a.bin"), "x");
    PostMessageA(GetDlgItem(P.Dlg, IdFirst), WM_KEYDOWN, VK_RETURN, 0);
    PostMessageA(GetDlgItem(P.Dlg, IdFirst), WM_KEYUP, VK_RETURN, 0);
    Sleep(300);
    P.Sync();
    EXPECT_TRUE(IsWindow(P.Dlg));
    EXPECT_TRUE(P.Boxes().empty());
    P.SetItemText(IdFirst, "");
    P.SetItemText(IdSecond, "");

    PostMessageA(GetDlgItem(P.Dlg, IdFirst), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(P.WaitExit(), 0);
    std::string Ini = QReadFile(P.File("Bytewise.INI"));
    EXPECT_NE(Ini.find("[PROPERTY]"), std::string::npos) << Ini;
    EXPECT_NE(Ini.find("INPUT=\r\n"), std::string::npos) << Ini;
    EXPECT_NE(Ini.find("OUTPUT=\r\n"), std::string::npos) << Ini;
}

TEST(BytewiseProgram, CloseBoxSavesNamesAndTheNextStartRestoresThemCut)
{
    TBytewise P;
    ASSERT_TRUE(P.Start());
    P.SetItemText(IdFirst, "C:\\data\\first name.txt ;; compared on Monday");
    P.SetItemText(IdSecond, "D:\\second.bin   ");
    PostMessageA(P.Dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(P.WaitExit(), 0);
    std::string Ini = QReadFile(P.File("Bytewise.INI"));
    EXPECT_NE(Ini.find("INPUT=C:\\data\\first name.txt ;; compared on Monday"), std::string::npos) << Ini;
    EXPECT_NE(Ini.find("OUTPUT=D:\\second.bin"), std::string::npos) << Ini;

    // Second start in the same folder: names back, cut before ";;" and without trailing blanks.
    P.End();
    P.Dlg = 0;
    ASSERT_TRUE(P.Start());
    EXPECT_EQ(P.ItemText(IdFirst), "C:\\data\\first name.txt");
    EXPECT_EQ(P.ItemText(IdSecond), "D:\\second.bin");

    // Names typed but the program ended otherwise: the file stays as it was.
    P.SetItemText(IdFirst, "E:\\never saved");
    TerminateProcess(P.Pi.hProcess, 0);
    WaitForSingleObject(P.Pi.hProcess, 5000);
    EXPECT_EQ(QReadFile(P.File("Bytewise.INI")), Ini);
}

TEST(BytewiseProgram, CancelButtonSavesTypedNamesNeverCompared)
{
    TBytewise P;
    ASSERT_TRUE(P.Start());
    P.SetItemText(IdFirst, "C:\\one.txt");
    P.SetItemText(IdSecond, "C:\\two.txt");
    P.Post(CmdCancel);
    EXPECT_EQ(P.WaitExit(), 0);
    std::string Ini = QReadFile(P.File("Bytewise.INI"));
    EXPECT_NE(Ini.find("[PROPERTY]\r\nINPUT=C:\\one.txt\r\nOUTPUT=C:\\two.txt\r\n"), std::string::npos) << Ini;
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
    std::vector<std::string> Seen = CompareAnswering(P, {IDOK});
    EXPECT_EQ(Seen, std::vector<std::string>{" Notice!|The files differ in size.\nFirst file: 100000 bytes\n"
                                             "Second file: 99000 bytes\nCompared: 99000 bytes"});
    EXPECT_EQ(P.ListCount(), 210);
    EXPECT_EQ(SendMessageA(GetDlgItem(P.Dlg, IdList), LB_GETCURSEL, 0, 0), 0);

    PutClipboard("before");
    P.Command(CmdCopy);
    ASSERT_TRUE(P.WaitCommand());
    std::string Clip = ClipboardText();
    EXPECT_EQ(Clip.size(), 210u * 25);
    EXPECT_EQ(Clip, Joined(Rows));
    EXPECT_EQ(Clip.substr(0, 25), "      0  65  66   A   B\r\n");
    EXPECT_EQ(Clip.substr(25, 25), "   1234  13  10 #13 #10\r\n");

    // One name emptied: the table is cleared and nothing else happens.
    P.SetItemText(IdSecond, "");
    EXPECT_TRUE(CompareAnswering(P, {}).empty());
    EXPECT_EQ(P.ListCount(), 0);
    // Copying the empty table leaves the clipboard alone.
    PutClipboard("kept");
    P.Command(CmdCopy);
    ASSERT_TRUE(P.WaitCommand());
    EXPECT_EQ(ClipboardText(), "kept");
    P.Post(CmdCancel);
    EXPECT_EQ(P.WaitExit(), 0);
}

TEST(BytewiseProgram, PromptsEveryThreeHundredRetryGoesOnCancelStops)
{
    {
        TBytewise P;
        std::vector<std::string> Rows = MakeFiles(P, 150000, 150000, ManyDiffs(1000, 149));
        StartWithFiles(P);
        std::vector<std::string> Seen = CompareAnswering(P, {IDRETRY, IDRETRY, IDRETRY});
        EXPECT_EQ(Seen, (std::vector<std::string>{Prompt(300), Prompt(600), Prompt(900)}));
        EXPECT_EQ(P.ListCount(), 1000);
        P.Command(CmdCopy);
        ASSERT_TRUE(P.WaitCommand());
        EXPECT_EQ(ClipboardText(), Joined(Rows));
        P.Post(CmdCancel);
        EXPECT_EQ(P.WaitExit(), 0);
    }
    {
        TBytewise P;
        std::vector<std::string> Rows = MakeFiles(P, 150000, 150000, ManyDiffs(1000, 149));
        StartWithFiles(P);
        std::vector<std::string> Seen = CompareAnswering(P, {IDCANCEL});
        EXPECT_EQ(Seen, (std::vector<std::string>{Prompt(300)}));
        EXPECT_EQ(P.ListCount(), 300);
        P.Command(CmdCopy);
        ASSERT_TRUE(P.WaitCommand());
        std::string Clip = ClipboardText();
        EXPECT_EQ(Clip.size(), 7500u);
        EXPECT_EQ(Clip, Joined(std::vector<std::string>(Rows.begin(), Rows.begin() + 300)));
        P.Post(CmdCancel);
        EXPECT_EQ(P.WaitExit(), 0);
    }
}

TEST(BytewiseProgram, LargeTableIsCopiedWhole)
{
    TBytewise P;
    const int N = 30000;
    std::vector<std::string> Rows = MakeFiles(P, 200000, 200000, ManyDiffs(N, 6));
    StartWithFiles(P);
    std::vector<std::string> Seen = CompareAnswering(P, std::vector<int>(N / 300, IDRETRY));
    EXPECT_EQ(Seen.size(), (size_t)N / 300);
    EXPECT_EQ(P.ListCount(), N);
    P.Command(CmdCopy);
    ASSERT_TRUE(P.WaitCommand(60000));
    std::string Clip = ClipboardText();
    EXPECT_EQ(Clip.size(), (size_t)N * 25);
    EXPECT_TRUE(Clip == Joined(Rows));
    P.Post(CmdCancel);
    EXPECT_EQ(P.WaitExit(), 0);
}

TEST(BytewiseProgram, FileErrorsShowOneBoxAndLeaveTheTableEmpty)
{
    // The box names the file after the text.
    struct TCase { const char *First, *Second, *Text, *Failing; };
    const TCase Cases[] = {
        {"missing.bin", "b.bin", "File not found", "missing.bin"},
        {"a.bin", "missing.bin", "File not found", "missing.bin"},
        {"nofolder\\a.bin", "b.bin", "Path not found", "nofolder\\a.bin"},
    };
    TBytewise P;
    MakeFiles(P, 1000, 1000, {{5, 1, 2}});
    ASSERT_TRUE(P.Start());
    for (const TCase &C : Cases) {
        P.SetItemText(IdFirst, P.File(C.First));
        P.SetItemText(IdSecond, P.File(C.Second));
        std::vector<std::string> Seen = CompareAnswering(P, {IDOK});
        EXPECT_EQ(Seen, (std::vector<std::string>{std::string("Error|") + C.Text + "\n" + P.File(C.Failing)}))
            << C.First << " " << C.Second;
        EXPECT_EQ(P.ListCount(), 0);
        EXPECT_EQ(SendMessageA(GetDlgItem(P.Dlg, IdList), LB_GETCURSEL, 0, 0), LB_ERR);
    }
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
    P.Command(7);
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
    P.Command(8);
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

TEST(BytewiseProgram, BothAboutButtonsOpenTheAboutBoxAndHelpShowsTheText)
{
    TBytewise P;
    ASSERT_TRUE(P.Start());
    for (int Cmd : {CmdAbout, CmdAboutBig}) {
        P.Command(Cmd);
        TBox B = P.WaitBox();
        ASSERT_TRUE(B.Wnd) << Cmd;
        EXPECT_EQ(B.Caption, "  About program") << Cmd;
        EXPECT_EQ(GetWindow(B.Wnd, GW_OWNER), P.Dlg);
        // The box's closing game: the first OK brings up two buttons, the second closes.
        PostMessageA(B.Wnd, WM_COMMAND, 1, 0);
        Sleep(200);
        EXPECT_FALSE(P.WaitCommand(100));
        PostMessageA(B.Wnd, WM_COMMAND, 1, 0);
        EXPECT_TRUE(P.WaitCommand(5000)) << Cmd;
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
