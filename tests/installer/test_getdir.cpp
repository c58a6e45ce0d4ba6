// The folder chooser as the installer opens it from "...": the browser with its added
// "New folder" button, the new-folder dialog, and what ends up in the folder field.
#include <gtest/gtest.h>
#include "InstallerDriver.h"
#include <commctrl.h>
#include "QConst.h"
#include "QGetDir.h"

static const char *const BrowserCaption = " Install into folder";
static const char *const NewCaption = " Creating of new folder";

// An installer started in a fresh working folder D with D\Dir in place, its dialog open.
struct TChooser {
    std::string D;
    TInstaller Inst;
    HWND Dlg = 0;
    explicit TChooser(const char *AName)
    {
        D = "C:\\unfurl-tests\\chooser-" + std::string(AName);
        QRemoveTree(D);
        MakeFolders(D + "\\Dir");
        std::vector<TZipItem> E(1);
        E[0].Name = "readme.txt";
        E[0].Data = "x";
        QWriteFile(D + "\\setup.exe", BuildInstaller(ZipBuild(E), "Chooser", "test"));
        if (Inst.Start(D + "\\setup.exe")) Dlg = Inst.WaitWindow(MainCaption);
    }
    // Presses "..." and answers the browser window with D\ASub selected (the new-folder
    // button enabled by the selection), or 0.
    HWND OpenBrowser(const std::string &ASub = "\\Dir")
    {
        Press(Dlg, CM_BUT);
        HWND B = Inst.WaitWindow(BrowserCaption);
        if (!B) return 0;
        // The tree fills after the window shows: select once it has its first selection.
        HWND Tree = FindWindowExA(B, 0, "SysTreeView32", 0);
        for (int T = 0; T < 5000 && !SendMessageA(Tree, TVM_GETCOUNT, 0, 0); T += 20) Sleep(20);
        for (int T = 0; T < 1000 && !SendMessageA(Tree, TVM_GETNEXTITEM, TVGN_CARET, 0); T += 20)
            Sleep(20);
        for (int Try = 0; Try < 20; Try++) {
            if (!BrowserSelect(Inst.Pi.hProcess, B, D + ASub)) return 0;
            for (int T = 0; T < 500; T += 20) {
                if (IsWindowEnabled(GetDlgItem(B, CM_NEWFOLDER))) return B;
                Sleep(20);
            }
        }
        return 0;
    }
    bool WaitGone(HWND AWnd)
    {
        for (int T = 0; T < 10000; T += 20) {
            if (!IsWindow(AWnd)) return true;
            Sleep(20);
        }
        return false;
    }
    ~TChooser()
    {
        if (Dlg && IsWindow(Dlg)) Press(Dlg, CM_NO);
        Inst.WaitExit(10000);
    }
};

TEST(FolderChooser, NewFolderButtonStandsLeftOfOkWithItsHeightAndFont)
{
    TChooser C("button");
    ASSERT_TRUE(C.Dlg);
    HWND B = C.OpenBrowser();
    ASSERT_TRUE(B);
    HWND New = GetDlgItem(B, CM_NEWFOLDER), Ok = GetDlgItem(B, IDOK);
    ASSERT_TRUE(New);
    RECT Rn, Ro;
    GetWindowRect(New, &Rn);
    GetWindowRect(Ok, &Ro);
    EXPECT_EQ(Rn.left, Ro.left - 90);
    EXPECT_EQ(Rn.right - Rn.left, 85);
    EXPECT_EQ(Rn.top, Ro.top);
    EXPECT_EQ(Rn.bottom - Rn.top, Ro.bottom - Ro.top);
    EXPECT_EQ(SendMessageA(New, WM_GETFONT, 0, 0), SendMessageA(Ok, WM_GETFONT, 0, 0));
    EXPECT_EQ(ItemText(B, CM_NEWFOLDER), "&New folder");
    EXPECT_TRUE(IsWindowEnabled(New));     // a file-system folder is selected

    std::string Shots = ShotDir();
    if (!Shots.empty()) {
        TPicture P;
        Sleep(300);
        if (CaptureWindow(B, P, true)) SaveBitmap(P, Shots + "\\browser.bmp");
    }
    Press(B, IDCANCEL);
    EXPECT_TRUE(C.WaitGone(B));
}

TEST(FolderChooser, SelectedFolderGoesIntoTheField)
{
    TChooser C("select");
    ASSERT_TRUE(C.Dlg);
    HWND B = C.OpenBrowser();
    ASSERT_TRUE(B);
    Press(B, IDOK);
    ASSERT_TRUE(C.WaitGone(B));
    EXPECT_EQ(ItemText(C.Dlg, CM_EDIT), C.D + "\\Dir");
}

// Names typed into the new-folder dialog and the folder that results.
struct TNewCase {
    const char *Name;
    const char *Typed;
    const char *Made;       // under D\Dir; "" when nothing is made
};

class NewFolder : public testing::TestWithParam<TNewCase> {};

TEST_P(NewFolder, IsMadeAtOnceAndConfirmsTheBrowser)
{
    const TNewCase &P = GetParam();
    TChooser C(P.Name);
    ASSERT_TRUE(C.Dlg);
    HWND B = C.OpenBrowser();
    ASSERT_TRUE(B);
    Press(B, CM_NEWFOLDER);
    HWND N = C.Inst.WaitWindow(NewCaption);
    ASSERT_TRUE(N);
    EXPECT_EQ(ItemText(N, CM_LABEL), "Current folder");
    EXPECT_EQ(ItemText(N, CM_LABEL1), C.D + "\\Dir\\");
    EXPECT_EQ(ItemText(N, CM_GROUP), "Enter new folder title");
    EXPECT_EQ(ItemText(N, CM_OK), "&OK");
    EXPECT_EQ(ItemText(N, CM_NO), "&Cancel");
    SetItemText(N, CM_EDIT, P.Typed);
    Press(N, IDOK);
    // The browser closes by itself with the new folder as the result.
    ASSERT_TRUE(C.WaitGone(B));
    std::string Expected = C.D + "\\Dir" + (P.Made[0] ? std::string("\\") + P.Made : "");
    EXPECT_TRUE(IsFolder(Expected)) << Expected;
    EXPECT_EQ(ItemText(C.Dlg, CM_EDIT), Expected);
}

INSTANTIATE_TEST_SUITE_P(Names, NewFolder,
    testing::Values(TNewCase{"tool", "Tool", "Tool"},
                    TNewCase{"two_levels", "A\\B", "A\\B"},
                    TNewCase{"empty", "", ""},
                    // Longer than the name buffer: cut to its 50 characters.
                    TNewCase{"long", "12345678901234567890123456789012345678901234567890XYZ",
                             "12345678901234567890123456789012345678901234567890"}),
    [](const testing::TestParamInfo<TNewCase> &I) { return std::string(I.param.Name); });

TEST(FolderChooser, CancelInEitherDialogKeepsEverything)
{
    TChooser C("cancel");
    ASSERT_TRUE(C.Dlg);
    std::string Before = ItemText(C.Dlg, CM_EDIT);
    HWND B = C.OpenBrowser();
    ASSERT_TRUE(B);
    Press(B, CM_NEWFOLDER);
    HWND N = C.Inst.WaitWindow(NewCaption);
    ASSERT_TRUE(N);
    SetItemText(N, CM_EDIT, "Never");
    Press(N, IDCANCEL);
    ASSERT_TRUE(C.WaitGone(N));
    Sleep(200);
    EXPECT_TRUE(IsWindow(B));                     // the browser stays open
    EXPECT_FALSE(IsFolder(C.D + "\\Dir\\Never"));
    Press(B, IDCANCEL);
    ASSERT_TRUE(C.WaitGone(B));
    EXPECT_EQ(ItemText(C.Dlg, CM_EDIT), Before);  // the field keeps its text
}
