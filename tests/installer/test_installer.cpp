// The installer end to end under Wine: a driver process starts it, fills and presses its
// dialog, answers its prompts and checks what lands on disk and what it says. (How a run
// ends, its messages and exit codes: test_installer_outcome; the archive walk's rules: the
// host tests of unzip.)
#include <gtest/gtest.h>
#include "InstallerChecks.h"
#include <commctrl.h>
#include "QConst.h"
#include "UnfurlPayload.h"

static const char *const EndText = "End install.\r\nProduct is instaled in directory:\r\n";

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
// subtitle once in blue, in the group box at the top of the dialog: the pixels of each, and
// the green ones right of the title's rectangle (its right edge at 500).
struct TPainted { int Green, White, Grey, Blue, GreenOutside; };
static TPainted PaintedTexts(HWND ADlg, const char *AShot)
{
    Sleep(300);                        // let the first paint finish
    TPicture P;
    EXPECT_TRUE(CaptureWindow(ADlg, P));
    Shoot(ADlg, AShot);
    POINT Org = {0, 0};
    RECT W;
    ClientToScreen(ADlg, &Org);
    GetWindowRect(ADlg, &W);
    int X0 = Org.x - W.left, Y0 = Org.y - W.top;   // client area inside the capture
    return {CountColor(P, 0x027D1A, X0 + 80, Y0 + 11, X0 + 502, Y0 + 60),
            CountColor(P, 0xFFFFFF, X0 + 80, Y0 + 11, X0 + 502, Y0 + 60),
            CountColor(P, 0x808080, X0 + 80, Y0 + 11, X0 + 502, Y0 + 60),
            CountColor(P, 0x057CF8, X0 + 80, Y0 + 55, X0 + 500, Y0 + 71),
            CountColor(P, 0x027D1A, X0 + 502, Y0, P.Width, Y0 + 80)};
}

// The delivered installer, and a signed copy of it (signing appends a certificate after the
// payload and changes the header's checksum and certificate entry): the dialog preset to the
// installer's folder with its painted texts, every file installed with its time, a completion
// message with OK only.
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
    std::vector<std::pair<std::string, std::string>> Copies = {{"delivered", Exe}};
#ifdef UNFURL_SIGNED
    std::string Signed;
    ASSERT_TRUE(QReadFile(WinPath(UNFURL_SIGNED), Signed)) << "made by the signing step";
    ASSERT_GT(Signed.size(), Exe.size());
    Copies.push_back({"signed", Signed});
#endif
    for (const auto &C : Copies) {
        SCOPED_TRACE(C.first);
        bool Shots = C.first == "delivered";
        std::string D = Work(C.first);
        ASSERT_TRUE(QWriteFile(D + "\\Unfurl.exe", C.second));
        TInstaller Inst;
        ASSERT_TRUE(Inst.Start(D + "\\Unfurl.exe"));
        HWND Dlg = Inst.WaitWindow(MainCaption);
        ASSERT_TRUE(Dlg);
        EXPECT_EQ(ItemText(Dlg, CM_EDIT), D);
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(Dlg, CM_LIST)));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(Dlg, CM_PROGRESSBAR)));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(Dlg, CM_LABEL_PB)));
        TPainted Texts = PaintedTexts(Dlg, Shots ? "installer.bmp" : "signed.bmp");
        EXPECT_GT(Texts.Green, 200) << "title";
        EXPECT_GT(Texts.White, 20) << "highlight";
        EXPECT_GT(Texts.Grey, 20) << "shadow";
        EXPECT_GT(Texts.Blue, 20) << "subtitle";
        EXPECT_EQ(Texts.GreenOutside, 0);
        std::string Target = D + "\\Product";
        SetItemText(Dlg, CM_EDIT, Target);
        Press(Dlg, CM_OK);
        HWND Box = Inst.WaitWindow("Confirmation.", 60000);
        ASSERT_TRUE(Box);
        if (Shots) Shoot(Box, "done.bmp");
        EXPECT_EQ(BoxText(Box), EndText + Target);
        HWND Cancel = GetDlgItem(Box, IDCANCEL);
        EXPECT_TRUE(!Cancel || !IsWindowVisible(Cancel));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(Box, IDOK)));
        Press(Box, IDOK);
        EXPECT_EQ(Inst.WaitExit(), 0);
        ExpectInstalled(Target, Entries);
    }
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
    std::vector<TZipItem> E = Payload();
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
    std::vector<TZipItem> E = Payload();
    // An existing file stops the run at the prompt, while the dialog can still be read.
    ASSERT_TRUE(QWriteFile(D + "\\cwd\\a.txt", "old"));
    std::string Setup = MakeSetup(D, E);
    TInstaller Inst;
    HWND Dlg = StartInstall(Inst, Setup, "", D + "\\cwd");
    ASSERT_TRUE(Dlg);
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

// The overwrite prompt of the program on three existing files and one new one: OK for each
// file, and Cancel with "Rewrite all files" for all. (All four answers: test_unzip_win.)
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
    ASSERT_TRUE(StartInstall(Inst, Setup, T));
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
                    TPromptCase{"cancel_all", IDCANCEL, true, 1, false}),
    [](const testing::TestParamInfo<TPromptCase> &I) { return std::string(I.param.Name); });

TEST(InstallerEndToEnd, ClicksOnOkDuringTheRunStartNoSecondRun)
{
    std::string D = Work("second-run");
    std::vector<TZipItem> E = ManyFiles(60, 100);
    std::string Setup = MakeSetup(D, E);
    TInstaller Inst;
    // OK and more clicks on OK behind it: the run dispatches them one per file.
    ASSERT_TRUE(StartInstall(Inst, Setup, D + "\\t", std::string(), 6));
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
    std::string Setup = MakeSetup(D, Payload());
    std::string Field = D + "\\";
    Field += std::string(259 - Field.size(), 'x');
    ASSERT_EQ(Field.size(), 259u);
    TInstaller Inst;
    ASSERT_TRUE(StartInstall(Inst, Setup, Field));
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

// Installers that end before the dialog shows, and write nothing: an empty archive silently
// (exit code 0); an installer whose own file cannot be opened, whose payload is missing (its
// image alone) or whose archive fails its recorded length and CRC-32 (one flipped byte in the
// middle of a download), each after one box with the stop icon (exit code 3).
TEST(InstallerEndToEnd, RefusedOrEmptyInstallersEndBeforeTheDialog)
{
    std::string Image, Delivered, Zip;
    ASSERT_TRUE(QReadFile(ImagePath, Image));
    size_t ImageSize = Image.size();
    Image = BuildInstaller(ZipBuild({}), "Cut", "payload missing");
    ASSERT_GT(Image.size(), ImageSize);
    Image.resize(ImageSize);
    ASSERT_TRUE(QReadFile(DeliveredPath, Delivered));
    ASSERT_TRUE(ArchiveOfInstaller(Delivered, Zip));
    Delivered[Delivered.size() - Zip.size() + Zip.size() / 2] ^= 0x04;
    const char *const Damaged = "The installer file is damaged or incomplete.";
    const struct {
        const char *Name;
        std::string Exe;
        bool Moved;           // the file is renamed while the process starts
        const char *Caption;  // the box expected, or none
        std::string Text;     // the box's text, or its first line (Whole false)
        bool Whole;
    } Cases[] = {
        {"empty archive", BuildInstaller(ZipBuild({}), "Empty", "no entries"), false, 0, "", true},
        {"own file gone", BuildInstaller(ZipBuild(Payload()), "Own", "file moved"), true, "Error Install File", "", true},
        {"payload missing", Image, false, "Error", Damaged, false},
        {"damaged download", Delivered, false, "Error", Damaged, true},
    };
    for (const auto &C : Cases) {
        SCOPED_TRACE(C.Name);
        std::string D = Work("refused-" + std::to_string(&C - Cases));
        std::string Path = D + "\\setup.exe";
        ASSERT_TRUE(QWriteFile(Path, C.Exe));
        TInstaller Inst;
        ASSERT_TRUE(Inst.Start(Path, D, C.Moved ? CREATE_SUSPENDED : 0));
        if (C.Moved) {
            // The running image stays mapped, but its name no longer leads to a file.
            ASSERT_TRUE(MoveFileA(Path.c_str(), (D + "\\moved.exe").c_str()));
            ResumeThread(Inst.Pi.hThread);
        }
        bool Dialog = false, Boxed = false;
        for (int T = 0; T < 20000 && Inst.Running(); T += 20) {
            Dialog |= Inst.FindWindowOf(MainCaption) || Inst.FindWindowOf("Confirmation.");
            if (HWND B = C.Caption ? Inst.FindWindowOf(C.Caption) : 0) {
                Boxed = true;
                std::string Text = BoxText(B);
                std::string Want = C.Text.empty() ? Path : C.Text;
                EXPECT_EQ(C.Whole ? Text : Text.substr(0, Want.size()), Want);
                EXPECT_TRUE(HasStopIcon(B));
                if (C.Whole && C.Text == Damaged) Shoot(B, "damaged.bmp");
                Press(B, IDOK);
                while (IsWindow(B)) Sleep(10);
            }
            Sleep(20);
        }
        EXPECT_EQ(Inst.WaitExit(1000), C.Caption ? 3 : 0);
        EXPECT_FALSE(Dialog);
        EXPECT_EQ(Boxed, C.Caption != 0);
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
    HWND Dlg = StartInstall(Inst, Setup, D + "\\t");
    ASSERT_TRUE(Dlg);
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

// Green pixels of the painted title (see PaintedTexts) of an installer whose setup block
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
    int Green = PaintedTexts(Dlg, AShot).Green;
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
