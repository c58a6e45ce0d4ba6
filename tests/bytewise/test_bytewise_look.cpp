// Bytewise's look, read off the screen: the result table's colour bands, grid lines, the
// highlighted row after a focus change, the header above the columns, the animated icon, the
// rows found so far while a prompt waits.
// The last screen is kept as bytewise_look.bmp in the build folder for a person to see.
#include <gtest/gtest.h>
#include <map>
#include <set>
#include "BytewiseDriver.h"

typedef TPicture TScreen;

static uint32_t Rgb(int R, int G, int B) { return (uint32_t)(R << 16 | G << 8 | B); }

// The whole screen.
static TScreen Capture()
{
    TScreen S;
    CaptureWindow(0, S, true);
    return S;
}

// The most frequent colour in a rectangle of the screen, and its share.
static uint32_t Dominant(const TScreen &S, int X0, int Y0, int X1, int Y1, double *AShare = 0)
{
    std::map<uint32_t, int> Count;
    int Total = 0;
    for (int Y = Y0; Y < Y1; Y++)
        for (int X = X0; X < X1; X++, Total++) Count[S.At(X, Y)]++;
    uint32_t Best = 0;
    int N = -1;
    for (const auto &C : Count)
        if (C.second > N) Best = C.first, N = C.second;
    if (AShare) *AShare = Total ? (double)N / Total : 0;
    return Best;
}

static bool Has(const TScreen &S, int X0, int Y0, int X1, int Y1, uint32_t AColor)
{
    for (int Y = Y0; Y < Y1; Y++)
        for (int X = X0; X < X1; X++)
            if (S.At(X, Y) == AColor) return true;
    return false;
}

static std::string Hex(uint32_t C)
{
    char B[16];
    snprintf(B, sizeof B, "#%06X", C);
    return B;
}

// Writes the two files into the program's folder, names them in the boxes and starts the
// comparison; false when the program does not start.
static bool StartCompare(TBytewise &P, const std::string &A, const std::string &B)
{
    QWriteFile(P.File("a.bin"), A);
    QWriteFile(P.File("b.bin"), B);
    if (!P.Start()) return false;
    P.SetNames(P.File("a.bin"), P.File("b.bin"));
    P.Command(CmdCompare);
    return true;
}

TEST(BytewiseLook, TableBandsGridHighlightHeaderAndIcon)
{
    TBytewise P;
    std::string A(20000, 'a'), B(20000, 'a');
    for (int I = 0; I < 40; I++) B[100 + I * 37] = (char)('0' + I % 10);
    B[150] = 0; B[151] = (char)255;
    QWriteFile(P.File("a.bin"), A);
    QWriteFile(P.File("b.bin"), B);
    ASSERT_TRUE(P.Start());
    HWND List = GetDlgItem(P.Dlg, IdList);
    int RowH = (int)SendMessageA(List, LB_GETITEMHEIGHT, 0, 0);
    RECT ListScreen;
    GetWindowRect(List, &ListScreen);

    // The empty list takes the focus: nothing is drawn in it.
    PostMessageA(List, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, RowH / 2));
    PostMessageA(List, WM_LBUTTONUP, 0, MAKELPARAM(20, RowH / 2));
    P.Sync();
    Sleep(300);
    {
        TScreen E = Capture();
        EXPECT_FALSE(Has(E, ListScreen.left, ListScreen.top, ListScreen.right, ListScreen.bottom, Rgb(108, 108, 255)));
        EXPECT_FALSE(Has(E, ListScreen.left, ListScreen.top, ListScreen.right, ListScreen.bottom, Rgb(250, 250, 230)));
    }

    P.SetNames(P.File("a.bin"), P.File("b.bin"));
    P.Command(CmdCompare);
    ASSERT_TRUE(P.WaitCommand());
    ASSERT_EQ(P.ListCount(), 42);

    // A click on row 2 moves the focus there: that row is drawn highlighted.
    ASSERT_GT(RowH, 8);
    PostMessageA(List, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 2 * RowH + RowH / 2));
    PostMessageA(List, WM_LBUTTONUP, 0, MAKELPARAM(20, 2 * RowH + RowH / 2));
    P.Sync();
    Sleep(500);
    P.Sync();
    EXPECT_EQ(SendMessageA(List, LB_GETCURSEL, 0, 0), 2);

    RECT Client;
    GetClientRect(List, &Client);
    POINT O = {0, 0};
    ClientToScreen(List, &O);
    TScreen S = Capture();
    SaveBitmap(S, WinPath(std::string(Q_BINARY_DIR) + "/bytewise_look.bmp"));
    int Right = O.x + Client.right;
    auto RowTop = [&](int ARow) { return O.y + ARow * RowH; };

    // Row 2: the highlight fills the row, white text on it.
    double Share = 0;
    uint32_t Hi = Dominant(S, O.x, RowTop(2) + 1, Right, RowTop(3), &Share);
    EXPECT_EQ(Hex(Hi), Hex(Rgb(108, 108, 255)));
    EXPECT_GT(Share, 0.5);
    EXPECT_TRUE(Has(S, O.x, RowTop(2) + 1, O.x + 238, RowTop(3), Rgb(255, 255, 255)));

    // Rows 1 and 4: the three bands, black text, the grid.
    for (int Row : {1, 4}) {
        int T = RowTop(Row) + 1, Bt = RowTop(Row + 1);
        EXPECT_EQ(Hex(Dominant(S, O.x + 1, T, O.x + 106, Bt)), Hex(Rgb(250, 250, 230))) << Row;
        EXPECT_EQ(Hex(Dominant(S, O.x + 111, T, O.x + 137, Bt)), Hex(Rgb(230, 250, 250))) << Row;
        EXPECT_EQ(Hex(Dominant(S, O.x + 142, T, O.x + 171, Bt)), Hex(Rgb(230, 250, 250))) << Row;
        EXPECT_EQ(Hex(Dominant(S, O.x + 176, T, Right - 1, Bt)), Hex(Rgb(250, 230, 250))) << Row;
        EXPECT_TRUE(Has(S, O.x, T, O.x + 238, Bt, Rgb(0, 0, 0))) << Row;
        int Mid = (T + Bt) / 2;
        EXPECT_EQ(Hex(S.At(O.x + 108, Mid)), Hex(Rgb(128, 128, 128))) << Row;  // thick
        EXPECT_EQ(Hex(S.At(O.x + 139, Mid)), Hex(Rgb(188, 188, 188))) << Row;  // thin
        EXPECT_EQ(Hex(S.At(O.x + 173, Mid)), Hex(Rgb(128, 128, 128))) << Row;  // thick
        EXPECT_EQ(Hex(S.At(O.x + 208, Mid)), Hex(Rgb(188, 188, 188))) << Row;  // thin
        EXPECT_EQ(Hex(S.At(O.x + 30, RowTop(Row))), Hex(Rgb(188, 188, 188))) << Row;  // top line
    }
    // The grid stays on the highlighted row too.
    EXPECT_EQ(Hex(S.At(O.x + 139, (RowTop(2) + RowTop(3)) / 2)), Hex(Rgb(188, 188, 188)));

    // The header sits just above the list, inside its width.
    RECT Header, ListR;
    GetWindowRect(GetDlgItem(P.Dlg, 9100), &Header);
    GetWindowRect(List, &ListR);
    EXPECT_LE(Header.bottom, ListR.top);
    EXPECT_GE(Header.left, ListR.left);
    EXPECT_LE(Header.right, ListR.right + 4);    // the template lets it pass by one unit
    EXPECT_LT(ListR.top - Header.bottom, 8);

    // The icon animates: its pixels change within one cycle (2.87 s).
    RECT Icon;
    GetWindowRect(GetDlgItem(P.Dlg, 9900), &Icon);
    std::set<std::vector<uint32_t>> Frames;
    for (int I = 0; I < 15; I++) {
        TScreen F = I == 0 ? S : Capture();
        std::vector<uint32_t> Pix;
        for (int Y = Icon.top; Y < Icon.top + 32; Y++)
            for (int X = Icon.left; X < Icon.left + 32; X++) Pix.push_back(F.At(X, Y));
        Frames.insert(Pix);
        if (I + 1 < 15) Sleep(200);
    }
    EXPECT_GE(Frames.size(), 3u);
    // One of the file-cell colours of the emblem shows.
    EXPECT_TRUE(Has(S, Icon.left, Icon.top, Icon.left + 32, Icon.top + 32, Rgb(40, 90, 200)) ||
                Has(S, Icon.left, Icon.top, Icon.left + 32, Icon.top + 32, Rgb(30, 150, 90)));

    P.Post(CmdCancel);
    EXPECT_EQ(P.WaitExit(), 0);
}

// The first prompt waits with its 300 rows drawn; Cancel stops the run there and the table
// keeps them (no further prompt comes for the other 4,700 differences).
TEST(BytewiseLook, RowsFoundSoFarShowWhileThePromptWaitsAndCancelStops)
{
    TBytewise P;
    std::string A(5000, 'x'), B(5000, 'y');
    ASSERT_TRUE(StartCompare(P, A, B));
    TBox Box = P.WaitBox();
    ASSERT_TRUE(Box.Wnd);
    EXPECT_EQ(Box.Caption, " Notice!");
    EXPECT_EQ(Box.Text, "Already found 300 differencies. Continue?");
    Sleep(300);
    EXPECT_EQ(P.ListCount(), 300);
    HWND List = GetDlgItem(P.Dlg, IdList);
    POINT O = {0, 0};
    ClientToScreen(List, &O);
    int RowH = (int)SendMessageA(List, LB_GETITEMHEIGHT, 0, 0);
    TScreen S = Capture();
    SaveBitmap(S, WinPath(std::string(Q_BINARY_DIR) + "/bytewise_prompt.bmp"));
    // The first row is drawn (the prompt sits in the middle of the screen, not over it).
    EXPECT_EQ(Hex(Dominant(S, O.x + 1, O.y + 1, O.x + 106, O.y + RowH)), Hex(Rgb(250, 250, 230)));
    EXPECT_TRUE(Has(S, O.x, O.y + 1, O.x + 106, O.y + RowH, Rgb(0, 0, 0)));
    P.Answer(Box, IDCANCEL);
    ASSERT_TRUE(P.WaitCommand());
    EXPECT_EQ(P.ListCount(), 300);
    EXPECT_TRUE(P.Boxes().empty());
    P.Post(CmdCancel);
    EXPECT_EQ(P.WaitExit(), 0);
}

// Rows with positions of 9, 10 and 13 digits: each value stands in its column under its
// header, whole, and no character runs over a grid line. The 9- and 10-digit rows come from
// a real run over two sparse files of 1.1 GB; a 13-digit position (a file of terabytes)
// cannot be read here, so its rows are added to the table as the run adds its rows.
TEST(BytewiseLook, RowsUpToThirteenDigitsStayInTheirColumns)
{
    TBytewise P;
    const long long Size = 1100000010LL;
    const std::vector<long long> Diffs = {150000000LL, 150000001LL, 1100000005LL, 1100000009LL};
    ASSERT_TRUE(SparseFile(P.File("a.bin"), Size, {}, 0));
    ASSERT_TRUE(SparseFile(P.File("b.bin"), Size, Diffs, (char)255));
    ASSERT_TRUE(P.Start());
    P.SetNames(P.File("a.bin"), P.File("b.bin"));
    P.Command(CmdCompare);
    ASSERT_TRUE(P.WaitCommand(120000));
    ASSERT_EQ(P.ListCount(), 4);
    EXPECT_EQ(P.ItemText(9101), "4 differences in 1,100,000,010 bytes compared");
    HWND List = GetDlgItem(P.Dlg, IdList);
    for (const char *Row : {"1234567890123 255  65   \xff   A", "9999999999999   0  32  #0 #32"})
        SendMessageA(List, LB_ADDSTRING, 0, (LPARAM)Row);
    ASSERT_EQ(P.ListCount(), 6);
    InvalidateRect(List, 0, TRUE);
    P.Sync();
    Sleep(300);
    POINT O = {0, 0};
    ClientToScreen(List, &O);
    RECT Client;
    GetClientRect(List, &Client);
    int RowH = (int)SendMessageA(List, LB_GETITEMHEIGHT, 0, 0);
    TScreen S = Capture();
    SaveBitmap(S, WinPath(std::string(Q_BINARY_DIR) + "/bytewise_long.bmp"));
    const int Lines[4] = {108, 139, 173, 208};
    const uint32_t LineColor[4] = {Rgb(128, 128, 128), Rgb(188, 188, 188), Rgb(128, 128, 128), Rgb(188, 188, 188)};
    const struct {
        int Row;
        int Digits;
    } Rows[] = {{1, 9}, {2, 10}, {3, 10}, {4, 13}, {5, 13}};
    for (const auto &R : Rows) {
        SCOPED_TRACE(R.Row);
        int T = O.y + R.Row * RowH + 1, Bt = O.y + (R.Row + 1) * RowH;
        // Each grid line is whole: no character stroke lies on it.
        for (int I = 0; I < 4; I++)
            for (int Y = T; Y < Bt; Y++) ASSERT_EQ(Hex(S.At(O.x + Lines[I], Y)), Hex(LineColor[I])) << I << " " << Y;
        // Every column holds its value: text between each pair of lines, and the row ends
        // inside the list.
        int Left = 0;
        for (int I = 0; I <= 4; I++) {
            int Right = I < 4 ? Lines[I] : Client.right;
            EXPECT_TRUE(Has(S, O.x + Left + 2, T, O.x + Right - 1, Bt, Rgb(0, 0, 0))) << "column " << I;
            Left = Right;
        }
        // The position's first digit: the column is 13 cells of 8 pixels, right-aligned.
        int First = -1;
        for (int X = 0; X < Lines[0] && First < 0; X++)
            if (Has(S, O.x + X, T, O.x + X + 1, Bt, Rgb(0, 0, 0))) First = X;
        EXPECT_GE(First, (13 - R.Digits) * 8);
        EXPECT_LT(First, (13 - R.Digits) * 8 + 8);
    }
    P.Post(CmdCancel);
    EXPECT_EQ(P.WaitExit(), 0);
}
