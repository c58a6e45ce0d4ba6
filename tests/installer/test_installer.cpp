// The installer end to end under Wine: a driver process starts it, fills and presses its
// dialog, answers its prompts and checks what lands on disk and what it says.
#include <gtest/gtest.h>
#include "InstallerChecks.h"
#include <commctrl.h>
#include "QConst.h"
#include "UnfurlPayload.h"

static const char *const EndText = "End install.\r\nProduct is instaled in directory:\r\n";

static std::vector<TZipItem> SmallPayload()
{
    std::vector<TZipItem> E(4);
    E[0].Name = "a.txt";
    E[0].Data = "first file\r\n";
    E[1].Name = "docs/";
    E[1].Method = 0;
    E[2].Name = "docs/b.txt";
    E[2].Data = std::string(5000, 'b') + "end";
    E[2].Time = 0x7A31;         // 15:17:34
    E[3].Name = "docs/stored.bin";
    E[3].Method = 0;
    for (int I = 0; I < 300; I++) E[3].Data += (char)(I * 7);
    return E;
}

// Writes an installer carrying AEntries as ADir\setup.exe and answers its path.
static std::string MakeSetup(const std::string &ADir, const std::vector<TZipItem> &AEntries,
                             const char *AName = "setup.exe")
{
    std::string Exe = BuildInstaller(ZipBuild(AEntries), "Test product", "installed by the tests");
    EXPECT_FALSE(Exe.empty());
    std::string Path = ADir + "\\" + AName;
    EXPECT_TRUE(QWriteFile(Path, Exe));
    return Path;
}

// Waits for the end of the process while watching for a window it must never show.
static int WaitExitWithout(TInstaller &AInst, const char *ACaption, bool &ASeen, int AMs = 60000)
{
    ASeen = false;
    for (int T = 0; T < AMs && AInst.Running(); T += 20) {
        if (AInst.FindWindowOf(ACaption)) ASeen = true;
        Sleep(20);
    }
    return AInst.WaitExit(1000);
}

// Presses OK with AField in the folder field; answers the completion message and
// returns its text ("" when none came).
static std::string InstallInto(TInstaller &AInst, const std::string *AField)
{
    HWND Dlg = AInst.WaitWindow(MainCaption);
    if (!Dlg) return "no dialog";
    if (AField) SetItemText(Dlg, CM_EDIT, *AField);
    Press(Dlg, CM_OK);
    HWND Box = AInst.WaitWindow("Confirmation.", 60000);
    if (!Box) return std::string();
    std::string Text = BoxText(Box);
    Press(Box, IDOK);
    return Text;
}

// The title is painted three times (white highlight, grey shadow, green text) and the
// subtitle once in blue, in the group box at the top of the dialog.
static void ExpectPaintedTexts(HWND ADlg, const char *AShot)
{
    Sleep(300);                        // let the first paint finish
    TPicture P;
    ASSERT_TRUE(CaptureWindow(ADlg, P));
    Shoot(ADlg, AShot);
    POINT Org = {0, 0};
    RECT W;
    ClientToScreen(ADlg, &Org);
    GetWindowRect(ADlg, &W);
    int X0 = Org.x - W.left, Y0 = Org.y - W.top;   // client area inside the capture
    int Green = CountColor(P, 0x027D1A, X0 + 80, Y0 + 11, X0 + 502, Y0 + 60);
    int White = CountColor(P, 0xFFFFFF, X0 + 80, Y0 + 11, X0 + 502, Y0 + 60);
    int Grey = CountColor(P, 0x808080, X0 + 80, Y0 + 11, X0 + 502, Y0 + 60);
    int Blue = CountColor(P, 0x057CF8, X0 + 80, Y0 + 55, X0 + 500, Y0 + 71);
    EXPECT_GT(Green, 200) << "title";
    EXPECT_GT(White, 20) << "highlight";
    EXPECT_GT(Grey, 20) << "shadow";
    EXPECT_GT(Blue, 20) << "subtitle";
    // Nothing of the title outside its rectangle (right edge 500).
    EXPECT_EQ(CountColor(P, 0x027D1A, X0 + 502, Y0, P.Width, Y0 + 80), 0);
}

TEST(InstallerEndToEnd, DeliveredPayloadInstallsEveryFileWithItsTime)
{
    std::string Exe, Zip;
    ASSERT_TRUE(QReadFile(DeliveredPath, Exe)) << DeliveredPath;
    ASSERT_TRUE(ArchiveOfInstaller(Exe, Zip));
    std::vector<TZipItem> Entries;
    ASSERT_TRUE(ZipRead(Zip, Entries));
    ASSERT_GT(Entries.size(), 20u);
    bool HasProgram = false, HasSource = false;
    for (const TZipItem &E : Entries) {
        HasProgram |= E.Name == "Bytewise.exe";
        HasSource |= E.Name == "Source/common/QSysUtil.cpp";
    }
    EXPECT_TRUE(HasProgram);
    EXPECT_TRUE(HasSource);

    std::string D = Work("delivered");
    ASSERT_TRUE(QWriteFile(D + "\\Unfurl.exe", Exe));
    TInstaller Inst;
    ASSERT_TRUE(Inst.Start(D + "\\Unfurl.exe"));
    HWND Dlg = Inst.WaitWindow(MainCaption);
    ASSERT_TRUE(Dlg);
    EXPECT_EQ(ItemText(Dlg, CM_EDIT), D);             // pre-set to the installer's folder
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(Dlg, CM_LIST)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(Dlg, CM_PROGRESSBAR)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(Dlg, CM_LABEL_PB)));
    ExpectPaintedTexts(Dlg, "installer.bmp");
    std::string Target = D + "\\Product";
    SetItemText(Dlg, CM_EDIT, Target);
    Press(Dlg, CM_OK);
    HWND Box = Inst.WaitWindow("Confirmation.", 60000);
    ASSERT_TRUE(Box);
    Shoot(Box, "done.bmp");
    EXPECT_EQ(BoxText(Box), EndText + Target);
    // OK only.
    HWND Cancel = GetDlgItem(Box, IDCANCEL);
    EXPECT_TRUE(!Cancel || !IsWindowVisible(Cancel));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(Box, IDOK)));
    Press(Box, IDOK);
    EXPECT_EQ(Inst.WaitExit(), 0);
    ExpectInstalled(Target, Entries);
}

// The field's text on OK and the folder the files land in and the message names.
struct TFolderCase {
    const char *Name;
    const char *Field;       // appended to the working folder
    const char *Folder;      // where the files go, appended to the working folder
};

class InstallerFolders : public testing::TestWithParam<TFolderCase> {};

TEST_P(InstallerFolders, TrailingBackslashIsDroppedAndFoldersAreMade)
{
    const TFolderCase &C = GetParam();
    std::string D = Work(std::string("folders-") + C.Name);
    std::vector<TZipItem> E = SmallPayload();
    std::string Setup = MakeSetup(D, E);
    TInstaller Inst;
    ASSERT_TRUE(Inst.Start(Setup));
    std::string Field = D + C.Field;
    EXPECT_EQ(InstallInto(Inst, &Field), EndText + D + C.Folder);
    EXPECT_EQ(Inst.WaitExit(), 0);
    ExpectInstalled(D + C.Folder, E);
}

INSTANTIATE_TEST_SUITE_P(Fields, InstallerFolders,
    testing::Values(TFolderCase{"plain", "\\Programs\\Tool", "\\Programs\\Tool"},
                    TFolderCase{"trailing", "\\Programs\\Tool\\", "\\Programs\\Tool"},
                    TFolderCase{"deep", "\\a\\b\\c\\d", "\\a\\b\\c\\d"}),
    [](const testing::TestParamInfo<TFolderCase> &I) { return std::string(I.param.Name); });

TEST(InstallerEndToEnd, DriveRootKeepsItsBackslashAndInstallsUnderIt)
{
    std::vector<TZipItem> E(2);
    E[0].Name = "unfurl-root-entry.txt";
    E[0].Data = "at the root";
    E[1].Name = "unfurl-root-dir/inner.txt";
    E[1].Data = "one level down";
    QRemoveTree("C:\\unfurl-root-dir");
    DeleteFileA("C:\\unfurl-root-entry.txt");
    std::string Setup = MakeSetup("C:", E, "unfurl-root-setup.exe");
    TInstaller Inst;
    ASSERT_TRUE(Inst.Start(Setup));
    HWND Dlg = Inst.WaitWindow(MainCaption);
    ASSERT_TRUE(Dlg);
    EXPECT_EQ(ItemText(Dlg, CM_EDIT), "C:\\");
    EXPECT_EQ(InstallInto(Inst, 0), std::string(EndText) + "C:");
    EXPECT_EQ(Inst.WaitExit(), 0);
    ExpectInstalled("C:", E);
    QRemoveTree("C:\\unfurl-root-dir");
    DeleteFileA("C:\\unfurl-root-entry.txt");
    DeleteFileA(Setup.c_str());
}

TEST(InstallerEndToEnd, EmptyFieldTakesTheCurrentFolder)
{
    std::string D = Work("empty-field");
    MakeFolders(D + "\\cwd");
    std::vector<TZipItem> E = SmallPayload();
    // An existing file stops the run at the prompt, while the dialog can still be read.
    ASSERT_TRUE(QWriteFile(D + "\\cwd\\a.txt", "old"));
    std::string Setup = MakeSetup(D, E);
    TInstaller Inst;
    ASSERT_TRUE(Inst.Start(Setup, D + "\\cwd"));
    HWND Dlg = Inst.WaitWindow(MainCaption);
    ASSERT_TRUE(Dlg);
    SetItemText(Dlg, CM_EDIT, "");
    Press(Dlg, CM_OK);
    HWND Prompt = Inst.WaitWindow("File exist...");
    ASSERT_TRUE(Prompt);
    EXPECT_EQ(ItemText(Dlg, CM_EDIT), D + "\\cwd");    // shown in the field
    // Installing: field, "..." and its label disabled; progress and file label shown.
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Dlg, CM_EDIT)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Dlg, CM_BUT)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Dlg, CM_LABEL)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(Dlg, CM_OK)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(Dlg, CM_PROGRESSBAR)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(Dlg, CM_LABEL_PB)));
    Press(Prompt, IDOK);
    HWND Box = Inst.WaitWindow("Confirmation.", 60000);
    ASSERT_TRUE(Box);
    EXPECT_EQ(BoxText(Box), EndText + D + "\\cwd");
    Press(Box, IDOK);
    EXPECT_EQ(Inst.WaitExit(), 0);
    ExpectInstalled(D + "\\cwd", E);
}

TEST(InstallerEndToEnd, CancelAtOnceWritesNothingAndSaysNothing)
{
    std::string D = Work("cancel");
    std::string Setup = MakeSetup(D, SmallPayload());
    TInstaller Inst;
    ASSERT_TRUE(Inst.Start(Setup));
    HWND Dlg = Inst.WaitWindow(MainCaption);
    ASSERT_TRUE(Dlg);
    SetItemText(Dlg, CM_EDIT, D + "\\Target");
    Press(Dlg, CM_NO);
    bool Said = false;
    EXPECT_EQ(WaitExitWithout(Inst, "Confirmation.", Said), 1);   // cancelled, nothing written
    EXPECT_FALSE(Said);
    EXPECT_FALSE(IsFolder(D + "\\Target"));
    EXPECT_FALSE(IsFile(D + "\\a.txt"));
    EXPECT_FALSE(IsFolder(D + "\\docs"));
}

// The overwrite prompt: each of its four answers on three existing files and one new one.
struct TPromptCase {
    const char *Name;
    int Button;          // IDOK or IDCANCEL
    bool RewriteAll;     // the check box
    int Prompts;         // prompts expected
    bool Replaced;       // the existing files get the archive's contents
};

class InstallerPrompt : public testing::TestWithParam<TPromptCase> {};

TEST_P(InstallerPrompt, AnswersDecideWhichFilesAreReplaced)
{
    const TPromptCase &C = GetParam();
    std::string D = Work(std::string("prompt-") + C.Name);
    std::vector<TZipItem> E(4);
    const char *Names[4] = {"one.txt", "sub/two.txt", "three.txt", "zfresh.txt"};
    for (int I = 0; I < 4; I++) {
        E[I].Name = Names[I];
        E[I].Data = std::string("new contents of ") + Names[I];
    }
    std::string Setup = MakeSetup(D, E);
    std::string T = D + "\\t";
    MakeFolders(T + "\\sub");
    for (int I = 0; I < 3; I++)
        ASSERT_TRUE(QWriteFile(T + "\\" + BackSlashes(E[I].Name), "old"));
    TInstaller Inst;
    ASSERT_TRUE(Inst.Start(Setup));
    HWND Dlg = Inst.WaitWindow(MainCaption);
    ASSERT_TRUE(Dlg);
    SetItemText(Dlg, CM_EDIT, T);
    Press(Dlg, CM_OK);
    int Prompts = 0;
    std::vector<std::string> Shown;
    HWND Box = 0;
    for (int Wait = 0; Wait < 60000 && !Box; Wait += 20) {
        HWND P = Inst.FindWindowOf("File exist...");
        if (P) {
            Shown.push_back(ItemText(P, CM_EDIT1));
            if (C.RewriteAll)
                SendMessageA(GetDlgItem(P, CM_CHECK), BM_SETCHECK, BST_CHECKED, 0);
            Press(P, C.Button);
            Prompts++;
            while (IsWindow(P) && Wait < 60000) { Sleep(20); Wait += 20; }
        }
        Box = Inst.FindWindowOf("Confirmation.");
        Sleep(20);
    }
    ASSERT_TRUE(Box);
    EXPECT_EQ(BoxText(Box), EndText + T);
    Press(Box, IDOK);
    EXPECT_EQ(Inst.WaitExit(), 0);
    EXPECT_EQ(Prompts, C.Prompts);
    ASSERT_FALSE(Shown.empty());
    EXPECT_EQ(Shown[0], "one.txt");          // the name part of the file asked about
    if (Shown.size() == 3) {
        EXPECT_EQ(Shown[1], "two.txt");
    }
    for (int I = 0; I < 3; I++) {
        std::string P = T + "\\" + BackSlashes(E[I].Name), Data;
        ASSERT_TRUE(QReadFile(P, Data));
        EXPECT_EQ(Data, C.Replaced ? E[I].Data : std::string("old")) << P;
    }
    std::string Fresh;
    EXPECT_TRUE(QReadFile(T + "\\zfresh.txt", Fresh));
    EXPECT_EQ(Fresh, E[3].Data);
}

INSTANTIATE_TEST_SUITE_P(Answers, InstallerPrompt,
    testing::Values(TPromptCase{"ok_each", IDOK, false, 3, true},
                    TPromptCase{"cancel_each", IDCANCEL, false, 3, false},
                    TPromptCase{"ok_all", IDOK, true, 1, true},
                    TPromptCase{"cancel_all", IDCANCEL, true, 1, false}),
    [](const testing::TestParamInfo<TPromptCase> &I) { return std::string(I.param.Name); });

// (The final "Error" box naming the entry: test_installer_outcome.)
TEST(InstallerEndToEnd, EntryFailingItsCrcClosesWithoutCompletionMessage)
{
    std::string D = Work("crc");
    std::vector<TZipItem> E = SmallPayload();
    E[2].BadCrc = true;
    std::string Setup = MakeSetup(D, E);
    TInstaller Inst;
    ASSERT_TRUE(Inst.Start(Setup));
    HWND Dlg = Inst.WaitWindow(MainCaption);
    ASSERT_TRUE(Dlg);
    SetItemText(Dlg, CM_EDIT, D + "\\t");
    Press(Dlg, CM_OK);
    HWND Box = Inst.WaitWindow("Error", 60000);
    ASSERT_TRUE(Box);
    Press(Box, IDOK);
    bool Said = false;
    EXPECT_EQ(WaitExitWithout(Inst, "Confirmation.", Said), 2);
    EXPECT_FALSE(Said);
    // The damaged file is still written; the others are complete.
    std::vector<TZipItem> Good = {E[0], E[3]};
    ExpectInstalled(D + "\\t", Good);
    EXPECT_TRUE(IsFile(D + "\\t\\docs\\b.txt"));
}

TEST(InstallerEndToEnd, ClicksOnOkDuringTheRunStartNoSecondRun)
{
    std::string D = Work("second-run");
    std::vector<TZipItem> E = ManyFiles(60, 100);
    std::string Setup = MakeSetup(D, E);
    TInstaller Inst;
    ASSERT_TRUE(Inst.Start(Setup));
    HWND Dlg = Inst.WaitWindow(MainCaption);
    ASSERT_TRUE(Dlg);
    SetItemText(Dlg, CM_EDIT, D + "\\t");
    // OK and more clicks on OK behind it: the run dispatches them one per file.
    for (int I = 0; I < 6; I++) Press(Dlg, CM_OK);
    bool Prompted = false, Said = false;
    for (int T = 0; T < 60000 && Inst.Running(); T += 10) {
        Prompted |= Inst.FindWindowOf("File exist...") != 0;
        HWND Box = Inst.FindWindowOf("Confirmation.");
        if (Box) {
            Said = true;
            Press(Box, IDOK);
            break;
        }
        Sleep(10);
    }
    EXPECT_EQ(Inst.WaitExit(), 0);
    EXPECT_TRUE(Said);
    // A nested run would find every file already there and ask about it.
    EXPECT_FALSE(Prompted);
    ExpectInstalled(D + "\\t", E);
}

TEST(InstallerEndToEnd, FolderOfMaximumLengthDoesNotOverrunTheBuffer)
{
    std::string D = Work("long");
    std::string Setup = MakeSetup(D, SmallPayload());
    std::string Field = D + "\\";
    Field += std::string(259 - Field.size(), 'x');
    ASSERT_EQ(Field.size(), 259u);
    TInstaller Inst;
    ASSERT_TRUE(Inst.Start(Setup));
    HWND Dlg = Inst.WaitWindow(MainCaption);
    ASSERT_TRUE(Dlg);
    SetItemText(Dlg, CM_EDIT, Field);
    Press(Dlg, CM_OK);
    // Either the folder cannot be made (reported) or the files are written; the text the
    // run works with is the field's, whole.
    std::string Error, Done;
    for (int T = 0; T < 60000 && Inst.Running(); T += 20) {
        if (HWND B = Inst.FindWindowOf("Error")) {
            if (Error.empty()) Error = BoxText(B);   // the failure, then the final message
            Press(B, IDOK);
            while (IsWindow(B)) Sleep(10);
        }
        if (HWND B = Inst.FindWindowOf("Confirmation.")) {
            Done = BoxText(B);
            Press(B, IDOK);
        }
        Sleep(20);
    }
    EXPECT_EQ(Inst.WaitExit(), Done.empty() ? 2 : 0);
    if (Done.empty()) {
        EXPECT_EQ(Error.substr(0, 13), "Cannot create") << Error;
        EXPECT_NE(Error.find(Field), std::string::npos) << Error;
    } else {
        EXPECT_EQ(Done, EndText + Field);
    }
}

TEST(InstallerEndToEnd, OwnFileThatCannotBeOpenedIsReported)
{
    std::string D = Work("own-file");
    std::string Setup = MakeSetup(D, SmallPayload());
    TInstaller Inst;
    ASSERT_TRUE(Inst.Start(Setup, std::string(), CREATE_SUSPENDED));
    // The running image stays mapped, but its name no longer leads to a file.
    ASSERT_TRUE(MoveFileA(Setup.c_str(), (D + "\\moved.exe").c_str()));
    ResumeThread(Inst.Pi.hThread);
    HWND Box = Inst.WaitWindow("Error Install File");
    ASSERT_TRUE(Box);
    EXPECT_EQ(BoxText(Box), Setup);
    EXPECT_FALSE(Inst.FindWindowOf(MainCaption));
    Press(Box, IDOK);
    EXPECT_EQ(Inst.WaitExit(), 3);   // the installer's own file cannot be read
}

// The delivered installer carries its archive's length and CRC-32: one flipped byte in the
// middle of a download is refused at the start, before the dialog, and nothing is written.
TEST(InstallerEndToEnd, DamagedDownloadIsRefusedBeforeAnythingIsWritten)
{
    std::string Exe, Zip;
    ASSERT_TRUE(QReadFile(DeliveredPath, Exe));
    ASSERT_TRUE(ArchiveOfInstaller(Exe, Zip));
    Exe[Exe.size() - Zip.size() + Zip.size() / 2] ^= 0x04;
    std::string D = Work("damaged");
    ASSERT_TRUE(QWriteFile(D + "\\Unfurl.exe", Exe));
    TInstaller Inst;
    ASSERT_TRUE(Inst.Start(D + "\\Unfurl.exe", D));
    HWND Box = Inst.WaitWindow("Error");
    ASSERT_TRUE(Box);
    EXPECT_EQ(BoxText(Box), "The installer file is damaged or incomplete.");
    EXPECT_TRUE(HasStopIcon(Box));
    Shoot(Box, "damaged.bmp");
    EXPECT_FALSE(Inst.FindWindowOf(MainCaption));
    Press(Box, IDOK);
    EXPECT_EQ(Inst.WaitExit(), 3);
    WIN32_FIND_DATAA F;
    HANDLE H = FindFirstFileA((D + "\\*").c_str(), &F);
    int Names = 0;
    if (H != INVALID_HANDLE_VALUE) {
        do Names++;
        while (FindNextFileA(H, &F));
        FindClose(H);
    }
    EXPECT_EQ(Names, 3) << "only ., .. and the installer itself";
}

TEST(InstallerEndToEnd, LargerInstallMovesTheProgressBar)
{
    std::string D = Work("progress");
    std::vector<TZipItem> E;
    uint32_t Seed = 7;
    for (int I = 0; I < 1000; I++) {   // many files: the run lasts a good second
        TZipItem F;
        F.Name = "data/file" + std::to_string(1000 + I) + ".bin";
        for (int K = 0; K < 30000; K++) {
            Seed = Seed * 1103515245 + 12345;
            F.Data += (char)('a' + (Seed >> 16) % 8);
        }
        E.push_back(F);
    }
    std::string Setup = MakeSetup(D, E);
    TInstaller Inst;
    ASSERT_TRUE(Inst.Start(Setup));
    HWND Dlg = Inst.WaitWindow(MainCaption);
    ASSERT_TRUE(Dlg);
    SetItemText(Dlg, CM_EDIT, D + "\\t");
    Press(Dlg, CM_OK);
    HWND Bar = GetDlgItem(Dlg, CM_PROGRESSBAR);
    std::vector<int> Seen;
    std::string Label;
    bool Shot = false;
    HWND Box = 0;
    for (int T = 0; T < 120000 && !Box; T += 5) {
        int Pos = (int)SendMessageA(Bar, PBM_GETPOS, 0, 0);
        if (!IsWindow(Bar)) break;             // the run is over and the dialog closed
        if (Seen.empty() || Seen.back() != Pos) Seen.push_back(Pos);
        if (!Shot && Pos >= 30 && Pos <= 70) {
            // The bar and the label paint ten times a second: the shot waits for the next
            // paint, the run going on meanwhile.
            Sleep(130);
            Label = ItemText(Dlg, CM_LABEL_PB);
            Shoot(Dlg, "progress.bmp", false);
            Shot = true;
        }
        Box = Inst.FindWindowOf("Confirmation.");
        Sleep(5);
    }
    if (!Box) Box = Inst.WaitWindow("Confirmation.", 60000);
    ASSERT_TRUE(Box);
    Press(Box, IDOK);
    EXPECT_EQ(Inst.WaitExit(), 0);
    ASSERT_GE(Seen.size(), 3u);
    EXPECT_GE(Seen.back(), 40);
    for (size_t I = 1; I < Seen.size(); I++) EXPECT_GE(Seen[I], Seen[I - 1]);
    EXPECT_TRUE(Shot);
    EXPECT_EQ(Label.substr(0, 5), "file1") << Label;
    ExpectInstalled(D + "\\t", E);
}

// Installers with nothing to install end before the dialog shows: an empty archive silently
// with exit code 0; an installer whose payload is missing (its image alone, the payload's
// start set to the image's end) after telling that the file is damaged, with exit code 3.
TEST(InstallerEndToEnd, NothingToInstallEndsBeforeTheDialog)
{
    std::string D = Work("nothing"), Image;
    ASSERT_TRUE(QReadFile(ImagePath, Image));
    size_t ImageSize = Image.size();
    Image = BuildInstaller(ZipBuild({}), "Cut", "payload missing");
    ASSERT_GT(Image.size(), ImageSize);
    Image.resize(ImageSize);
    struct {
        const char *Name;
        std::string Exe;
        bool Damaged;       // an "Error" box is expected
    } Cases[] = {
        {"empty archive", BuildInstaller(ZipBuild({}), "Empty", "no entries"), false},
        {"payload missing", Image, true},
    };
    for (auto &C : Cases) {
        std::string Path = D + "\\setup.exe";
        ASSERT_TRUE(QWriteFile(Path, C.Exe)) << C.Name;
        TInstaller Inst;
        ASSERT_TRUE(Inst.Start(Path)) << C.Name;
        bool Dialog = false, Error = false;
        for (int T = 0; T < 20000 && Inst.Running(); T += 20) {
            Dialog |= Inst.FindWindowOf(MainCaption) || Inst.FindWindowOf("Confirmation.");
            if (HWND B = Inst.FindWindowOf("Error")) {
                Error = true;
                EXPECT_NE(BoxText(B).find("damaged"), std::string::npos) << BoxText(B);
                Press(B, IDOK);
            }
            Sleep(20);
        }
        EXPECT_EQ(Inst.WaitExit(1000), C.Damaged ? 3 : 0) << C.Name;
        EXPECT_FALSE(Dialog) << C.Name;
        EXPECT_EQ(Error, C.Damaged) << C.Name;
    }
}

#ifdef UNFURL_SIGNED
// Signing appends a certificate after the payload and changes the header's checksum and
// certificate entry: the installer still finds its archive and installs every file.
TEST(InstallerEndToEnd, SignedInstallerStillInstallsEveryFile)
{
    std::string Signed, Plain, Zip;
    ASSERT_TRUE(QReadFile(WinPath(UNFURL_SIGNED), Signed)) << "made by the signing step";
    ASSERT_TRUE(QReadFile(DeliveredPath, Plain));
    ASSERT_GT(Signed.size(), Plain.size());
    ASSERT_TRUE(ArchiveOfInstaller(Plain, Zip));
    std::vector<TZipItem> Entries;
    ASSERT_TRUE(ZipRead(Zip, Entries));
    std::string D = Work("signed");
    ASSERT_TRUE(QWriteFile(D + "\\Unfurl.exe", Signed));
    TInstaller Inst;
    ASSERT_TRUE(Inst.Start(D + "\\Unfurl.exe"));
    std::string Target = D + "\\Product";
    EXPECT_EQ(InstallInto(Inst, &Target), EndText + Target);
    EXPECT_EQ(Inst.WaitExit(), 0);
    ExpectInstalled(Target, Entries);
}
#endif

#ifdef PLANT_MARKER
// Loads ADll inside another process by a thread that runs LoadLibraryA there: the search
// follows that process's own DLL search policy. Answers the module handle, 0 on failure.
static DWORD LoadInProcess(HANDLE AProcess, const std::string &ADll)
{
    void *Remote = VirtualAllocEx(AProcess, 0, ADll.size() + 1, MEM_COMMIT, PAGE_READWRITE);
    if (!Remote || !WriteProcessMemory(AProcess, Remote, ADll.c_str(), ADll.size() + 1, 0)) return 0;
    FARPROC Load = GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA");
    HANDLE T = CreateRemoteThread(AProcess, 0, 0, (LPTHREAD_START_ROUTINE)(void *)Load, Remote, 0, 0);
    DWORD Module = 0;
    if (T) {
        WaitForSingleObject(T, 10000);
        GetExitCodeThread(T, &Module);
        CloseHandle(T);
    }
    return Module;
}

static std::vector<std::string> MarkersIn(const std::string &ADir)
{
    std::vector<std::string> Found;
    WIN32_FIND_DATAA F;
    HANDLE H = FindFirstFileA((ADir + "\\*.loaded").c_str(), &F);
    if (H != INVALID_HANDLE_VALUE) {
        do Found.push_back(F.cFileName);
        while (FindNextFileA(H, &F));
        FindClose(H);
    }
    return Found;
}

// A DLL planted beside the installer (a download folder) under the name of a system DLL is
// never loaded: the installer limits the DLL search to the system folder before anything
// else. Under Wine most system DLLs are Wine's own built-ins whatever lies beside a program;
// the control shows which names Wine does take from the program's folder, and those are the
// ones the installer process is then made to load.
TEST(InstallerEndToEnd, DllPlantedBesideTheInstallerIsNotLoaded)
{
    const char *Names[] = {"version.dll", "uxtheme.dll", "dwmapi.dll", "cryptbase.dll",
                           "comctl32.dll", "propsys.dll", "userenv.dll", "winmm.dll",
                           "msimg32.dll", "shfolder.dll", "dbghelp.dll", "imm32.dll"};
    std::string D = Work("planting"), Marker, Probe, Exe;
    ASSERT_TRUE(QReadFile(WinPath(PLANT_MARKER), Marker));
    ASSERT_TRUE(QReadFile(WinPath(PLANT_PROBE), Probe));
    ASSERT_TRUE(QReadFile(DeliveredPath, Exe));
    for (const char *N : Names) ASSERT_TRUE(QWriteFile(D + "\\" + N, Marker));
    ASSERT_TRUE(QWriteFile(D + "\\probe.exe", Probe));
    ASSERT_TRUE(QWriteFile(D + "\\Unfurl.exe", Exe));

    // Control: an unprotected program beside the markers.
    {
        TInstaller P;
        std::string Args = "\"" + D + "\\probe.exe\"";
        for (const char *N : Names) Args += std::string(" ") + N;
        STARTUPINFOA Si = {};
        Si.cb = sizeof Si;
        ASSERT_TRUE(CreateProcessA((D + "\\probe.exe").c_str(), &Args[0], 0, 0, FALSE,
                                   CREATE_NO_WINDOW, 0, D.c_str(), &Si, &P.Pi));
        EXPECT_EQ(P.WaitExit(), 0);
    }
    std::vector<std::string> Taken = MarkersIn(D);
    ASSERT_FALSE(Taken.empty()) << "Wine loaded none of the planted DLLs into an unprotected program";
    std::string TakenList;
    for (std::string &T : Taken) {
        DeleteFileA((D + "\\" + T).c_str());
        T.resize(T.size() - 7);                      // "userenv.dll.loaded" -> "userenv.dll"
        TakenList += T + " ";
    }
    RecordProperty("planted_dlls_wine_loads_unprotected", TakenList);

    TInstaller Inst;
    ASSERT_TRUE(Inst.Start(D + "\\Unfurl.exe"));
    HWND Dlg = Inst.WaitWindow(MainCaption);
    ASSERT_TRUE(Dlg);
    // The same bare names loaded inside the installer: the system's copy or none at all
    // (Wine has no cryptbase.dll of its own), never the one beside it.
    for (const std::string &T : Taken) LoadInProcess(Inst.Pi.hProcess, T);
    std::vector<std::string> Early = MarkersIn(D);
    EXPECT_TRUE(Early.empty()) << "the installer loaded " << Early[0];
    // The folder browser and an installation load whatever the shell needs.
    Press(Dlg, CM_BUT);
    HWND B = Inst.WaitWindow(" Install into folder");
    ASSERT_TRUE(B);
    Press(B, IDCANCEL);
    std::string Target = D + "\\t";
    EXPECT_EQ(InstallInto(Inst, &Target), EndText + Target);
    EXPECT_EQ(Inst.WaitExit(), 0);
    std::vector<std::string> Loaded = MarkersIn(D);
    EXPECT_TRUE(Loaded.empty()) << "the installer loaded " << Loaded[0];
}
#endif

// ---- Names and texts in UTF-8 ------------------------------------------------------------
#ifdef UNFURL_UTF8_SETUP

static std::wstring Wide(const std::string &AText)
{
    std::wstring W(AText.size() + 1, L'\0');
    W.resize(MultiByteToWideChar(CP_UTF8, 0, AText.c_str(), -1, &W[0], (int)W.size()) - 1);
    return W;
}

// A control's text as its window holds it (UTF-16), from another process.
static std::wstring WideItemText(HWND ADlg, int AId)
{
    WCHAR Text[512] = {0};
    SendMessageW(GetDlgItem(ADlg, AId), WM_GETTEXT, 512, (LPARAM)Text);
    return Text;
}

// The bytes of a file named in UTF-8 (read with the wide API), "<missing>" when it is not there.
static std::string WideRead(const std::string &APath)
{
    HANDLE H = CreateFileW(Wide(APath).c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    if (H == INVALID_HANDLE_VALUE) return "<missing>";
    std::string Data(1 << 16, '\0');
    DWORD Got = 0;
    ReadFile(H, &Data[0], (DWORD)Data.size(), &Got, 0);
    CloseHandle(H);
    return Data.substr(0, Got);
}

// Green pixels of the painted title (see ExpectPaintedTexts) of an installer whose setup block
// holds ATitle and ARecords.
static int TitleGreen(const std::string &ADir, const std::string &ATitle, const std::string &ARecords,
                      const char *AShot)
{
    std::string Setup = ADir + "\\title.exe";
    EXPECT_TRUE(QWriteFile(Setup, BuildInstaller(ZipBuild({TZipItem{"a.txt", "a"}}), ATitle,
                                                 "Sous-titre \xC3\xA9t\xC3\xA9", ARecords)));
    TInstaller Inst;
    EXPECT_TRUE(Inst.Start(Setup));
    HWND Dlg = Inst.WaitWindow(MainCaption);
    if (!Dlg) return -1;
    Sleep(300);
    TPicture P;
    EXPECT_TRUE(CaptureWindow(Dlg, P));
    Shoot(Dlg, AShot);
    POINT Org = {0, 0};
    RECT W;
    ClientToScreen(Dlg, &Org);
    GetWindowRect(Dlg, &W);
    int X0 = Org.x - W.left, Y0 = Org.y - W.top;
    int Green = CountColor(P, 0x027D1A, X0 + 80, Y0 + 11, X0 + 502, Y0 + 60);
    Press(Dlg, CM_NO);
    Inst.WaitExit();
    return Green;
}

// An installer made by unfurlpack's build mode from names in four scripts (make_utf8_setup.sh)
// writes every name as it is (read back here with the wide API); the overwrite prompt and the
// label show them as they are. A title marked UTF-8 paints as the same title in the code page
// does, where the code page has its characters.
TEST(InstallerEndToEnd, Utf8NamesAndTexts)
{
    std::string D = Work("utf8");
    const std::string Japanese = "\xE6\x97\xA5\xE6\x9C\xAC/\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB.txt";
    const std::vector<std::pair<std::string, std::string>> Files = {
        {"caf\xC3\xA9.txt", "accent"},
        {"plain.txt", "plain"},
        {"\xC5\x82\xC3\xB3" "d\xC5\xBA/\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1.txt", "greek"},
        {Japanese, "japanese"},
    };
    std::string Target = D + "\\Product";
    // The bench removes folders with the code page's API, which cannot name these files.
    auto Clear = [&] {
        for (auto &F : Files) {
            std::string Path = Target + "\\" + BackSlashes(F.first);
            DeleteFileW(Wide(Path).c_str());
            RemoveDirectoryW(Wide(Path.substr(0, Path.rfind('\\'))).c_str());
        }
    };
    Clear();
    MakeFolders(Target);
    CreateDirectoryW(Wide(Target + "\\\xE6\x97\xA5\xE6\x9C\xAC").c_str(), 0);
    HANDLE Old = CreateFileW(Wide(Target + "\\" + BackSlashes(Japanese)).c_str(), GENERIC_WRITE, 0, 0,
                             CREATE_NEW, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, Old);
    CloseHandle(Old);
    std::string Setup = D + "\\setup.exe", Exe;
    ASSERT_TRUE(QReadFile(WinPath(UNFURL_UTF8_SETUP), Exe)) << "made by make_utf8_setup.sh";
    ASSERT_TRUE(QWriteFile(Setup, Exe));
    TInstaller Inst;
    ASSERT_TRUE(Inst.Start(Setup));
    HWND Dlg = Inst.WaitWindow(MainCaption);
    ASSERT_TRUE(Dlg);
    Sleep(300);
    Shoot(Dlg, "utf8-title.bmp");
    SetItemText(Dlg, CM_EDIT, Target);
    Press(Dlg, CM_OK);
    HWND Prompt = Inst.WaitWindow("File exist...");
    ASSERT_TRUE(Prompt);
    EXPECT_TRUE(WideItemText(Prompt, CM_EDIT1) == Wide(Japanese.substr(Japanese.find('/') + 1)))
        << "prompt";
    EXPECT_TRUE(WideItemText(Dlg, CM_LABEL_PB) == Wide(Files[2].first.substr(Files[2].first.find('/') + 1)))
        << "label: the file before";
    Shoot(Prompt, "utf8-prompt.bmp");
    Press(Prompt, IDOK);
    HWND Box = Inst.WaitWindow("Confirmation.", 60000);
    ASSERT_TRUE(Box);
    Press(Box, IDOK);
    EXPECT_EQ(Inst.WaitExit(), 0);
    for (auto &F : Files) EXPECT_EQ(F.second, WideRead(Target + "\\" + BackSlashes(F.first))) << F.first;
    Clear();

    // "Caf\xE9" in UTF-8 with the mark and in the code page without it: the same pixels.
    int Utf8 = TitleGreen(D, "Caf\xC3\xA9 caf\xC3\xA9", TEXTS_UTF8_MARK, "utf8-cafe.bmp");
    int Ansi = TitleGreen(D, "Caf\xE9 caf\xE9", "", "ansi-cafe.bmp");
    EXPECT_GT(Utf8, 200);
    EXPECT_EQ(Ansi, Utf8);
    // Unmarked, the UTF-8 bytes are the code page's: more characters, more green.
    EXPECT_GT(TitleGreen(D, "Caf\xC3\xA9 caf\xC3\xA9", "", "unmarked-cafe.bmp"), Utf8);
}
#endif
