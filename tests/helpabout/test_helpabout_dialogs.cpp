// Drives the help viewer and the About box of helpabout_host like a person: keys, mouse
// moves and clicks through the system's input, then looks at the windows and the screen.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>
#include <string>
#include <vector>

#include "HelpAboutProbe.h"
#include "QDriver.h"
#include "QTestFiles.h"

static const char HelpCaption[] = " Tarvo Description and Help";
static const char AboutCaption[] = "  About program";

static std::string TempName(const char *APrefix)
{
    char Dir[MAX_PATH], Name[MAX_PATH];
    GetTempPathA(MAX_PATH, Dir);
    GetTempFileNameA(Dir, APrefix, 0, Name);
    return Name;
}

// One run of the test program with one dialog (or two in a row).
class Host {
public:
    explicit Host(const char *AMode)
    {
        LinkFile = TempName("lnk");
        DeleteFileA(LinkFile.c_str());
        Started = Program.Start(WinPath(Q_HELPABOUT_HOST), std::string(), 0,
                                std::string(AMode) + " \"" + LinkFile + "\"");
    }
    ~Host()
    {
        if (Started) Ended();    // a last chance to end by itself before it is ended
        DeleteFileA(LinkFile.c_str());
    }
    bool Ended(DWORD AMs = 5000) { return WaitForSingleObject(Program.Pi.hProcess, AMs) == WAIT_OBJECT_0; }
    // Closes either dialog with OK twice (the About box's closing game needs two).
    static void Close(HWND ADlg);
    std::string Links() { return QReadFile(LinkFile); }
    TProgram Program;
    bool Started = false;
    std::string LinkFile;
};

static HWND WaitDialog(const char *ACaption, HWND ANot = 0)
{
    for (int I = 0; I < 500; I++) {
        HWND W = FindWindowA("#32770", ACaption);
        if (W && W != ANot && IsWindowVisible(W)) {
            Sleep(150);                          // let it paint and settle
            return W;
        }
        Sleep(20);
    }
    return 0;
}

static bool WaitGone(HWND AWin, int AMs = 3000)
{
    for (int T = 0; T < AMs; T += 20) {
        if (!IsWindow(AWin)) return true;
        Sleep(20);
    }
    return !IsWindow(AWin);
}

void Host::Close(HWND ADlg)
{
    PostMessageA(ADlg, WM_COMMAND, 1, 0);
    PostMessageA(ADlg, WM_COMMAND, 1, 0);
    EXPECT_TRUE(WaitGone(ADlg));
}

enum TAsked { akNoProbe, akShort, akAnswered };

// Sends AQuestion to the test program's probe window; the answer comes back through a file
// into AAnswer (left as it was when the window does not reply).
static TAsked AskProbe(TProbeRequest &AQuestion, TProbeAnswer &AAnswer)
{
    HWND P = FindWindowExA(HWND_MESSAGE, 0, ProbeClass, 0);
    if (!P) return akNoProbe;
    std::string Answer = TempName("prb");
    lstrcpynA(AQuestion.AnswerFile, Answer.c_str(), MAX_PATH);
    COPYDATASTRUCT CD = {0, sizeof AQuestion, &AQuestion};
    DWORD_PTR R = 0;
    TAsked Result = akAnswered;
    if (SendMessageTimeoutA(P, WM_COPYDATA, 0, (LPARAM)&CD, SMTO_NORMAL, 5000, &R)) {
        FILE *F = fopen(Answer.c_str(), "rb");
        if (F) {
            if (fread(&AAnswer, sizeof AAnswer, 1, F) != 1) Result = akShort;
            fclose(F);
        }
    }
    DeleteFileA(Answer.c_str());
    return Result;
}

// A look at a window by the test program; Value -99: no probe, -98: a short answer.
static TProbeAnswer Probe(int AOp, HWND AWin, RECT AArea = RECT(), COLORREF AColor = 0)
{
    TProbeAnswer A = {};
    A.Value = -99;
    TProbeRequest Q = {};
    Q.Op = AOp;
    Q.Win = AWin;
    Q.Area = AArea;
    Q.Color = AColor;
    if (AskProbe(Q, A) == akShort) A.Value = -98;
    return A;
}

static TProbeAnswer Census(HWND AWin, RECT AArea, COLORREF AColor)
{
    return Probe(poCensus, AWin, AArea, AColor);
}

// Where the dialog manager puts a control given in dialog units {x, y, x + cx, y + cy}:
// it maps the origin and the size separately, so the far edges carry their own rounding.
static RECT PlaceOf(HWND ADlg, RECT AUnits)
{
    RECT Origin = Probe(poDialogUnits, ADlg, RECT{AUnits.left, AUnits.top, AUnits.left, AUnits.top}).Box;
    RECT Size = Probe(poDialogUnits, ADlg, RECT{0, 0, AUnits.right - AUnits.left, AUnits.bottom - AUnits.top}).Box;
    return RECT{Origin.left, Origin.top, Origin.left + Size.right, Origin.top + Size.bottom};
}

// Control AId stands where the dialog puts AUnits: its corners, or its origin only (ASize
// false, for icons and text that size themselves).
static void ExpectPlace(HWND ADlg, int AId, RECT AUnits, bool ASize = true)
{
    SCOPED_TRACE(AId);
    RECT Want = PlaceOf(ADlg, AUnits), Got;
    GetWindowRect(GetDlgItem(ADlg, AId), &Got);
    MapWindowPoints(0, ADlg, (POINT *)&Got, 2);
    EXPECT_EQ(Want.left, Got.left);
    EXPECT_EQ(Want.top, Got.top);
    if (!ASize) return;
    EXPECT_EQ(Want.right, Got.right);
    EXPECT_EQ(Want.bottom, Got.bottom);
}

static std::wstring TextW(HWND AWin)
{
    wchar_t Buf[256] = {0};
    GetWindowTextW(AWin, Buf, 256);
    return Buf;
}

// ---- Help viewer -----------------------------------------------------------------------------

TEST(HelpViewer, TemplateCaptionTextAndFocus)
{
    Host H("help");
    ASSERT_TRUE(H.Started);
    HWND D = WaitDialog(HelpCaption);
    ASSERT_TRUE(D);

    // Controls in their places (dialog units mapped by the dialog itself).
    struct { int Id; const char *Class; const char *Text; RECT Units; } Controls[] = {
        {9202, "Button", "Description and help ", {4, 36, 4 + 259, 36 + 163}},
        {9400, "Edit", 0, {10, 47, 10 + 247, 47 + 146}},
        {2, "Button", "&Cancel", {213, 207, 213 + 50, 207 + 14}},
        {9201, "Button", "", {4, 0, 4 + 259, 0 + 34}},
    };
    for (auto &C : Controls) {
        HWND W = GetDlgItem(D, C.Id);
        ASSERT_TRUE(W) << C.Id;
        char Cls[64];
        GetClassNameA(W, Cls, sizeof Cls);
        EXPECT_STREQ(C.Class, Cls) << C.Id;
        if (C.Text) {
            char Txt[128];
            GetWindowTextA(W, Txt, sizeof Txt);
            EXPECT_STREQ(C.Text, Txt) << C.Id;
        }
        ExpectPlace(D, C.Id, C.Units);
    }
    // The icons sit at their top-left corners (a static icon takes the icon's size).
    for (auto C : {std::make_pair(9900, RECT{10, 9, 30, 29}), std::make_pair(9901, RECT{191, 201, 211, 221})}) {
        ExpectPlace(D, C.first, C.second, false);
        EXPECT_TRUE(SendDlgItemMessageA(D, C.first, STM_GETICON, 0, 0)) << C.first;
    }
    LONG Style = GetWindowLongA(GetDlgItem(D, 9400), GWL_STYLE);
    EXPECT_TRUE(Style & ES_MULTILINE);
    EXPECT_TRUE(Style & ES_READONLY);
    EXPECT_TRUE(Style & WS_VSCROLL);
    EXPECT_TRUE(Style & ES_AUTOVSCROLL);
    LONG DlgStyle = GetWindowLongA(D, GWL_STYLE);
    EXPECT_TRUE(DlgStyle & WS_MINIMIZEBOX);
    EXPECT_TRUE(DlgStyle & WS_SYSMENU);

    // The text arrives whole, CR LF and all.
    char Text[8192];
    GetDlgItemTextA(D, 9400, Text, sizeof Text);
    EXPECT_EQ(0, strncmp(Text, "Line 1 of the help text: press the keys, read the rows.\r\nLine 2 ", 64));
    EXPECT_NE(nullptr, strstr(Text, "\r\nLine 60 of the help text"));

    // Focus on Cancel, in the active window.
    GUITHREADINFO GI = {sizeof GI};
    ASSERT_TRUE(GetGUIThreadInfo(H.Program.Pi.dwThreadId, &GI));
    EXPECT_EQ(GetDlgItem(D, 2), GI.hwndFocus);
    EXPECT_EQ(D, GI.hwndActive);
    EXPECT_EQ(D, GetForegroundWindow());

    // Centred: x = (1024 - width) / 2, y = (768 - height) / 3.
    RECT W;
    GetWindowRect(D, &W);
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - (W.right - W.left)) / 2, W.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - (W.bottom - W.top)) / 3, W.top);
    Host::Close(D);
}

TEST(HelpViewer, EmbossedTitleCentredInTheBand)
{
    Host H("help");
    HWND D = WaitDialog(HelpCaption);
    ASSERT_TRUE(D);
    RECT Band = {0, 0, 400, 60};
    TProbeAnswer Name = Census(D, Band, RGB(128, 0, 128));
    TProbeAnswer White = Census(D, Band, RGB(255, 255, 255));
    TProbeAnswer Grey = Census(D, Band, RGB(128, 128, 128));
    ASSERT_GT(Name.Count, 200);                        // a 26-point bold name
    EXPECT_GT(White.Count, 20);                        // highlight peeps out above left
    EXPECT_GT(Grey.Count, 20);                         // shadow below right
    // Centred in 51..390: its middle near 220; it lies inside the band's rectangles.
    int Mid = (Name.Box.left + Name.Box.right) / 2;
    EXPECT_NEAR(220, Mid, 3);
    EXPECT_GE(Name.Box.top, 10);
    EXPECT_LE(Name.Box.bottom, 54);
    EXPECT_GE(Name.Box.bottom - Name.Box.top, 20);     // big letters, not the dialog font
    // Inside the band's frame: the white copy peeps out above (sideways it moves only half
    // a pixel), the grey one is shifted down and right.
    RECT Inside = {20, 8, 385, 46};
    TProbeAnswer WhiteIn = Census(D, Inside, RGB(255, 255, 255));
    TProbeAnswer GreyIn = Census(D, Inside, RGB(128, 128, 128));
    EXPECT_LT(WhiteIn.Box.top, Name.Box.top);
    EXPECT_GT(GreyIn.Box.top, Name.Box.top);
    EXPECT_GT(GreyIn.Box.left, Name.Box.left);
    Host::Close(D);
}

TEST(HelpViewer, LampAnimates)
{
    Host H("help");
    HWND D = WaitDialog(HelpCaption);
    ASSERT_TRUE(D);
    std::vector<LRESULT> Seen;
    for (int I = 0; I < 60; I++) {                     // 1.5 s: more than one cycle of 1.1 s
        LRESULT Icon = SendDlgItemMessageA(D, 9901, STM_GETICON, 0, 0);
        bool Known = false;
        for (LRESULT S : Seen) Known |= S == Icon;
        if (!Known) Seen.push_back(Icon);
        Sleep(25);
    }
    EXPECT_EQ(4u, Seen.size());                        // 19901 .. 19904
    Host::Close(D);
}

TEST(HelpViewer, ClosesByEscapeCancelCloseBoxAndCommandOne)
{
    enum How { ByEscape, ByCancelClick, ByEnterOnCancel, ByCloseBox, ByCommand1 };
    for (How W : {ByEscape, ByCancelClick, ByEnterOnCancel, ByCloseBox, ByCommand1}) {
        Host H("help");
        HWND D = WaitDialog(HelpCaption);
        ASSERT_TRUE(D) << W;
        // Command 4 is accepted and ignored.
        PostMessageA(D, WM_COMMAND, 4, 0);
        Sleep(200);
        EXPECT_TRUE(IsWindow(D)) << W;
        switch (W) {
        case ByEscape: Key(VK_ESCAPE); break;
        case ByCancelClick: EXPECT_TRUE(ClickControl(D, 2)); break;
        case ByEnterOnCancel: Key(VK_RETURN); break;      // the focus is on Cancel
        case ByCloseBox: PostMessageA(D, WM_SYSCOMMAND, SC_CLOSE, 0); break;
        case ByCommand1: PostMessageA(D, WM_COMMAND, 1, 0); break;
        }
        EXPECT_TRUE(WaitGone(D)) << W;
        EXPECT_TRUE(H.Ended()) << W;
    }
}

TEST(HelpViewer, LongTextScrollsButCannotBeEdited)
{
    Host H("help");
    HWND D = WaitDialog(HelpCaption);
    ASSERT_TRUE(D);
    HWND E = GetDlgItem(D, 9400);
    char Before[8192], After[8192];
    GetWindowTextA(E, Before, sizeof Before);
    EXPECT_EQ(60, SendMessageA(E, EM_GETLINECOUNT, 0, 0));
    EXPECT_EQ(0, SendMessageA(E, EM_GETFIRSTVISIBLELINE, 0, 0));
    EXPECT_TRUE(ClickControl(D, 9400));                              // into the text box
    Key(VK_NEXT);
    Key(VK_NEXT);
    EXPECT_GT(SendMessageA(E, EM_GETFIRSTVISIBLELINE, 0, 0), 10);
    Key('X');
    Key(VK_DELETE);
    Key(VK_BACK);
    GetWindowTextA(E, After, sizeof After);
    EXPECT_STREQ(Before, After);
    // The scroll bar: to the bottom and back.
    SendMessageA(E, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_GT(SendMessageA(E, EM_GETFIRSTVISIBLELINE, 0, 0), 40);
    SendMessageA(E, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(0, SendMessageA(E, EM_GETFIRSTVISIBLELINE, 0, 0));
    Host::Close(D);
}

TEST(HelpViewer, EmptyNameAndText)
{
    Host H("help-empty");
    HWND D = WaitDialog(HelpCaption);
    ASSERT_TRUE(D);
    EXPECT_EQ(0, Census(D, RECT{0, 0, 400, 60}, RGB(128, 0, 128)).Count);
    EXPECT_EQ(0, GetWindowTextLengthA(GetDlgItem(D, 9400)));
    Host::Close(D);
}

// ---- About box -----------------------------------------------------------------------------

struct TButtons { bool Ok, Let, Me, Open; };

static TButtons ButtonsOf(HWND D)
{
    if (!IsWindow(D)) return {false, false, false, false};
    return {IsWindowVisible(GetDlgItem(D, 1)) != 0, IsWindowVisible(GetDlgItem(D, 4)) != 0,
            IsWindowVisible(GetDlgItem(D, 3)) != 0, true};
}

TEST(AboutBox, TemplateAndButtonTexts)
{
    Host H("about");
    HWND D = WaitDialog(AboutCaption);
    ASSERT_TRUE(D);
    EXPECT_EQ(L"&OK", TextW(GetDlgItem(D, 1)));
    EXPECT_EQ(L"&Let \x2026", TextW(GetDlgItem(D, 4)));
    EXPECT_EQ(L"\x2026 &me !", TextW(GetDlgItem(D, 3)));
    struct { int Id; RECT Units; } Places[] = {
        {1, {76, 108, 126, 122}}, {4, {5, 108, 55, 122}}, {3, {152, 108, 202, 122}}};
    for (auto &P : Places) ExpectPlace(D, P.Id, P.Units);
    TButtons B = ButtonsOf(D);
    EXPECT_TRUE(B.Ok);
    EXPECT_FALSE(B.Let);
    EXPECT_FALSE(B.Me);
    RECT C;
    GetClientRect(D, &C);
    RECT Size = Probe(poDialogUnits, D, RECT{0, 0, 205, 127}).Box;
    EXPECT_EQ(Size.right, C.right);
    EXPECT_EQ(Size.bottom, C.bottom);
    Host::Close(D);
}

// The closing game, step by step as a person plays it: each way of pressing reaches the game.
// (Every sequence of the game: test_helpaboutlogic.)
enum TStep { sOk, sMe, sLet, sEscape, sCloseBox, sEnter };

TEST(AboutBox, ClosingGame)
{
    struct { const char *Name; std::vector<TStep> Steps; std::vector<TButtons> After; } Games[] = {
        {"OK, me!, OK", {sOk, sMe, sOk},
         {{false, true, true, true}, {true, false, false, true}, {false, false, false, false}}},
        {"OK, Let, OK", {sOk, sLet, sOk},
         {{false, true, true, true}, {true, false, false, true}, {false, false, false, false}}},
        {"Escape x 3", {sEscape, sEscape, sEscape},
         {{false, true, true, true}, {false, true, true, true}, {false, false, false, false}}},
        {"Enter x 3", {sEnter, sEnter, sEnter},
         {{false, true, true, true}, {true, false, false, true}, {false, false, false, false}}},
        {"close box x 3", {sCloseBox, sCloseBox, sCloseBox},
         {{false, true, true, true}, {false, true, true, true}, {false, false, false, false}}},
    };
    for (auto &G : Games) {
        Host H("about");
        HWND D = WaitDialog(AboutCaption);
        ASSERT_TRUE(D) << G.Name;
        for (size_t I = 0; I < G.Steps.size(); I++) {
            switch (G.Steps[I]) {
            case sOk: EXPECT_TRUE(ClickControl(D, 1)); break;
            case sMe: EXPECT_TRUE(ClickControl(D, 3)); break;
            case sLet: EXPECT_TRUE(ClickControl(D, 4)); break;
            case sEscape: Key(VK_ESCAPE); break;
            case sCloseBox: PostMessageA(D, WM_SYSCOMMAND, SC_CLOSE, 0); Sleep(150); break;
            case sEnter: Key(VK_RETURN); break;
            }
            if (!G.After[I].Open) WaitGone(D);
            TButtons B = ButtonsOf(D);
            EXPECT_EQ(G.After[I].Open, B.Open) << G.Name << " step " << I;
            EXPECT_EQ(G.After[I].Ok, B.Ok) << G.Name << " step " << I;
            EXPECT_EQ(G.After[I].Let, B.Let) << G.Name << " step " << I;
            EXPECT_EQ(G.After[I].Me, B.Me) << G.Name << " step " << I;
        }
        EXPECT_TRUE(H.Ended()) << G.Name;
        EXPECT_EQ("", H.Links()) << G.Name;
    }
}

TEST(AboutBox, LinkCursorsWithExclusiveBorders)
{
    Host H("about");
    HWND D = WaitDialog(AboutCaption);
    ASSERT_TRUE(D);
    struct { int X, Y, Want; } Points[] = {
        {100, 95, pcWeb},  {66, 86, pcWeb},    {164, 104, pcWeb},
        {65, 95, pcArrow}, {165, 95, pcArrow}, {100, 85, pcArrow}, {100, 105, pcArrow},
        {240, 95, pcMail}, {186, 86, pcMail},  {294, 104, pcMail},
        {185, 95, pcArrow}, {295, 95, pcArrow}, {240, 85, pcArrow}, {240, 105, pcArrow},
        {175, 95, pcArrow}, {100, 95, pcWeb},  {240, 95, pcMail}, {20, 20, pcArrow},
    };
    for (auto &P : Points) {
        MoveTo(D, P.X, P.Y);
        EXPECT_EQ(P.Want, Probe(poCursor, D).Value) << P.X << ", " << P.Y;
    }
    Host::Close(D);
}

TEST(AboutBox, LinksOpenThroughTheShellAndClose)
{
    struct { const char *Name; int X, Y; bool Right; const char *Want; } Cases[] = {
        {"left click on the web link", 100, 95, false, "http://www.tarvo.test/||\n"},
        {"right click on the e-mail link", 240, 95, true, "mailto:desk@tarvo.test||\n"},
        {"left click on the e-mail link", 200, 90, false, "mailto:desk@tarvo.test||\n"},
    };
    for (auto &C : Cases) {
        Host H("about");
        HWND D = WaitDialog(AboutCaption);
        ASSERT_TRUE(D) << C.Name;
        // Clicks outside the links, borders included, do nothing.
        EXPECT_TRUE(Click(D, 65, 95));
        EXPECT_TRUE(Click(D, 175, 95, true));
        EXPECT_TRUE(Click(D, 240, 105));
        EXPECT_TRUE(IsWindow(D)) << C.Name;
        EXPECT_EQ("", H.Links()) << C.Name;
        EXPECT_TRUE(Click(D, C.X, C.Y, C.Right));
        EXPECT_TRUE(WaitGone(D)) << C.Name;
        EXPECT_TRUE(H.Ended()) << C.Name;
        EXPECT_EQ(C.Want, H.Links()) << C.Name;
    }
}

TEST(AboutBox, CubesFollowTheGeneratorFromSeedZero)
{
    // Draws of Random(8) + 1 from seed 0.
    const int Sequence[] = {1, 1, 7, 2, 3, 6, 3, 2, 3, 4, 1, 4, 1, 7, 1, 3, 8, 3, 7, 3};
    Host H("about");
    HWND D = WaitDialog(AboutCaption);
    ASSERT_TRUE(D);
    // Seen by the test program right after the box painted itself for the first time,
    // 500 ms before the first tick is due.
    TProbeAnswer First = Probe(poFirstPaint, D, RECT{1, 0, 0, 0});
    ASSERT_EQ(0, First.Count) << "the first tick came before the first paint";
    EXPECT_EQ(0, First.Value) << "before the first tick every cube shows its base colour";
    int Checked = 0;
    for (int I = 0; I < 12; I++) {
        Sleep(230);
        TProbeAnswer A = Probe(poCubes, D);
        ASSERT_GE(A.Count, 0);
        if (A.Count == 0 || A.Count > 20) continue;
        EXPECT_EQ(Sequence[A.Count - 1], A.Box.left) << "draw " << A.Count;
        EXPECT_EQ(Sequence[A.Count - 1], A.Value) << "lit on screen after draw " << A.Count;
        Checked++;
    }
    EXPECT_GE(Checked, 6);
    Host::Close(D);
}

TEST(AboutBox, SecondOpeningKeepsTheLastLitCubeUntilTheFirstTick)
{
    Host H("about-twice");
    HWND D = WaitDialog(AboutCaption);
    ASSERT_TRUE(D);
    Sleep(1200);                                        // two draws at least
    TProbeAnswer Before = Probe(poCubes, D);
    ASSERT_GE(Before.Box.left, 1);
    PostMessageA(D, WM_COMMAND, 1, 0);
    PostMessageA(D, WM_COMMAND, 1, 0);
    ASSERT_TRUE(WaitGone(D));
    HWND D2 = WaitDialog(AboutCaption, D);
    ASSERT_TRUE(D2);
    TProbeAnswer After = Probe(poFirstPaint, D2, RECT{2, 0, 0, 0});
    ASSERT_EQ(After.Box.right, After.Count) << "the first tick came before the first paint";
    EXPECT_GE(After.Box.top, 1);                        // a cube was lit at the close
    EXPECT_EQ(After.Box.top, After.Value) << "the cube lit at the close shows lit again";
    Host::Close(D2);
    EXPECT_TRUE(H.Ended());
}

TEST(AboutBox, BandLogoCreditsAndLinksWhereTheyBelong)
{
    Host H("about");
    HWND D = WaitDialog(AboutCaption);
    ASSERT_TRUE(D);
    RECT C;
    GetClientRect(D, &C);
    const COLORREF Blue = RGB(0, 0, 255), Yellow = RGB(255, 255, 225), DarkRed = RGB(128, 0, 0),
                   Navy = RGB(0, 0, 128), Link = RGB(0, 0, 225), Black = RGB(0, 0, 0);
    RECT BandArea = {6, 6, 52, C.bottom - 40};
    // The band: blue wherever no text is; nothing blue just right of it.
    TProbeAnswer Band = Census(D, BandArea, Blue);
    EXPECT_GT(Band.Count, 46 * (C.bottom - 46) / 2);
    EXPECT_EQ(6, Band.Box.left);
    EXPECT_EQ(52, Band.Box.right);
    EXPECT_EQ(0, Census(D, RECT{52, 40, 60, C.bottom - 40}, Blue).Count);
    // The name runs upwards from y = 159 in dark red, outlined in light yellow.
    TProbeAnswer Name = Census(D, RECT{0, 0, 60, C.bottom}, DarkRed);
    EXPECT_GT(Name.Count, 50);
    EXPECT_GE(Name.Box.left, 8);
    EXPECT_LE(Name.Box.right, 32);
    EXPECT_LE(Name.Box.bottom, 160);
    EXPECT_GT(Name.Box.bottom - Name.Box.top, 3 * (Name.Box.right - Name.Box.left)); // upright
    // The type: light yellow, upwards from (35, 62).
    TProbeAnswer Type = Census(D, RECT{33, 0, 52, C.bottom}, Yellow);   // right of the name
    EXPECT_GT(Type.Count, 20);
    EXPECT_GE(Type.Box.left, 35);
    EXPECT_LE(Type.Box.bottom, 63);
    // The logo word in navy right of the cubes, its shadow in grey.
    // (The underline runs under the four leading blanks, below the cubes.)
    TProbeAnswer Logo = Census(D, RECT{131, 0, C.right, 54}, Navy);
    EXPECT_GT(Logo.Count, 200);
    EXPECT_GT(Logo.Box.top, 6);
    TProbeAnswer LogoShadow = Census(D, RECT{131, 0, C.right, 54}, RGB(128, 128, 128));
    EXPECT_GT(LogoShadow.Box.right, Logo.Box.right);
    EXPECT_GT(LogoShadow.Box.bottom, Logo.Box.bottom);
    // Links: bold, underlined, in their areas only.
    TProbeAnswer Web = Census(D, RECT{60, 80, 180, 110}, Link);
    TProbeAnswer Mail = Census(D, RECT{180, 80, 300, 110}, Link);
    EXPECT_GT(Web.Count, 30);
    EXPECT_GT(Mail.Count, 30);
    EXPECT_GE(Web.Box.left, 70);
    EXPECT_LE(Web.Box.right, 165);
    EXPECT_GE(Mail.Box.left, 190);
    EXPECT_LE(Mail.Box.right, 295);
    EXPECT_GT(Web.Box.top, 85);
    EXPECT_LT(Web.Box.bottom, 105);
    EXPECT_EQ(Web.Count + Mail.Count, Census(D, C, Link).Count);
    // Credit lines in black between the band and x = 290; footnotes in dark red below.
    TProbeAnswer Credits = Census(D, RECT{52, 54, C.right, 134}, Black);
    EXPECT_GT(Credits.Count, 100);
    EXPECT_GE(Credits.Box.left, 60);
    EXPECT_LE(Credits.Box.right, 290);
    TProbeAnswer Notes = Census(D, RECT{52, 134, C.right, C.bottom}, DarkRed);
    EXPECT_GT(Notes.Count, 30);
    EXPECT_GE(Notes.Box.top, 134);
    Host::Close(D);
}

TEST(AboutBox, EmptyNameAndFootnotesLeaveBlanks)
{
    Host H("about-empty");
    HWND D = WaitDialog(AboutCaption);
    ASSERT_TRUE(D);
    RECT C;
    GetClientRect(D, &C);
    EXPECT_EQ(0, Census(D, RECT{0, 0, 60, C.bottom}, RGB(128, 0, 0)).Count);
    EXPECT_EQ(0, Census(D, RECT{52, 134, C.right, C.bottom}, RGB(128, 0, 0)).Count);
    EXPECT_GT(Census(D, RECT{33, 0, 52, C.bottom}, RGB(255, 255, 225)).Count, 20);  // type still there
    Host::Close(D);
}

// ---- Both, opened from a program window -------------------------------------------------------

TEST(HelpAndAbout, OwnerWindowWaitsWhileTheDialogIsOpen)
{
    struct { const char *Mode, *Caption; } Cases[] = {
        {"help-owned", HelpCaption}, {"about-owned", AboutCaption}};
    for (auto &C : Cases) {
        Host H(C.Mode);
        HWND D = WaitDialog(C.Caption);
        ASSERT_TRUE(D) << C.Mode;
        HWND Owner = FindWindowA("QHelpAboutOwner", "Owner");
        ASSERT_TRUE(Owner) << C.Mode;
        EXPECT_EQ(Owner, GetWindow(D, GW_OWNER)) << C.Mode;
        EXPECT_FALSE(IsWindowEnabled(Owner)) << C.Mode;
        EXPECT_EQ(D, GetForegroundWindow()) << C.Mode;
        Host::Close(D);
        EXPECT_TRUE(H.Ended()) << C.Mode;
    }
}
