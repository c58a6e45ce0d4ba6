// Bytewise end to end on big files and real paths: progress and Stop during a long run,
// names in another script through every way in and across a restart, a relative name after
// the chooser looked in another folder, the usage box. A fresh copy of the program per test.
// (The progress pace, the summary and usage texts, the settings' escaped form: the host
// tests.)
#include <gtest/gtest.h>
#include "BytewiseDriver.h"

static const int IdStatus = 9101, IdStop = 9;

static std::wstring W(const std::string &A)
{
    std::wstring R(A.size() + 1, L'\0');
    R.resize((size_t)MultiByteToWideChar(CP_UTF8, 0, A.c_str(), (int)A.size(), &R[0], (int)R.size()));
    return R;
}

static std::wstring WideItem(HWND ADlg, int AId)
{
    WCHAR Buf[1024] = L"";
    SendMessageW(GetDlgItem(ADlg, AId), WM_GETTEXT, 1024, (LPARAM)Buf);
    return Buf;
}

static bool WaitVisible(HWND AWnd, DWORD AMs)
{
    for (DWORD T = 0; T < AMs; T += 20) {
        if (IsWindowVisible(AWnd)) return true;
        Sleep(20);
    }
    return false;
}

// ---- long runs ----

// A run over two identical files of 8 GB shows its progress and Stop after half a second;
// the window answers meanwhile. Esc (pressed twice), the Stop button and the close box each
// stop it: the rows and the window stay, the line under the table says it was stopped, no
// notice comes, and nothing pressed for the run acts after it.
TEST(BytewiseRun, ProgressAndStopDuringALongRun)
{
    TBytewise P;
    const long long Size = 8000000000LL;
    ASSERT_TRUE(SparseFile(P.File("a.bin"), Size, {1000}, 1));
    ASSERT_TRUE(SparseFile(P.File("b.bin"), Size, {1000}, 2));
    ASSERT_TRUE(P.Start());
    P.SetNames(P.File("a.bin"), P.File("b.bin"));
    HWND Stop = GetDlgItem(P.Dlg, IdStop);
    EXPECT_FALSE(IsWindowVisible(Stop));
    enum TWay { wyEscape, wyStopButton, wyCloseBox };
    for (TWay Way : {wyEscape, wyStopButton, wyCloseBox}) {
        SCOPED_TRACE(Way);
        P.Command(CmdCompare);
        ASSERT_TRUE(WaitVisible(Stop, 10000));
        Sleep(400);
        std::string Status = P.ItemText(IdStatus);
        EXPECT_EQ(Status.rfind("Comparing: ", 0), 0u) << Status;
        EXPECT_NE(Status.find(" of 8,000,000,000 bytes ("), std::string::npos) << Status;
        // The line moves on a few times a second.
        Sleep(600);
        EXPECT_NE(P.ItemText(IdStatus), Status);
        // The window handles messages during the run.
        DWORD_PTR R = 0;
        EXPECT_NE(SendMessageTimeoutA(P.Dlg, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &R), 0);
        if (Way == wyEscape) {
            TPicture S;
            CaptureWindow(0, S, true);
            SaveBitmap(S, WinPath(std::string(Q_BINARY_DIR) + "/bytewise_progress.bmp"));
        }
        switch (Way) {
        case wyEscape:
            for (int I = 0; I < 2; I++) {
                PostMessageA(GetDlgItem(P.Dlg, IdFirst), WM_KEYDOWN, VK_ESCAPE, 0);
                PostMessageA(GetDlgItem(P.Dlg, IdFirst), WM_KEYUP, VK_ESCAPE, 0);
            }
            break;
        case wyStopButton:
            PostMessageA(Stop, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            PostMessageA(Stop, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
            break;
        case wyCloseBox: PostMessageA(P.Dlg, WM_SYSCOMMAND, SC_CLOSE, 0); break;
        }
        ASSERT_TRUE(P.WaitCommand(5000));
        Sleep(300);
        P.Sync();
        EXPECT_TRUE(IsWindow(P.Dlg));
        EXPECT_TRUE(P.Boxes().empty());
        EXPECT_FALSE(IsWindowVisible(Stop));
        EXPECT_EQ(P.ListCount(), 1);
        Status = P.ItemText(IdStatus);
        EXPECT_EQ(Status.rfind("1 difference in ", 0), 0u) << Status;
        EXPECT_NE(Status.find(" bytes compared (stopped)"), std::string::npos) << Status;
        if (Way == wyStopButton) {
            TPicture S;
            CaptureWindow(0, S, true);
            SaveBitmap(S, WinPath(std::string(Q_BINARY_DIR) + "/bytewise_stopped.bmp"));
        }
    }
    P.Post(CmdCancel);
    EXPECT_EQ(P.WaitExit(), 0);
}

// ---- names ----

// The program in a folder named in Greek and Japanese, started with two such names on its
// command line: the run reads both files, and the names survive a restart through the
// settings file, which keeps the code page's form under the old keys.
TEST(BytewiseRun, NamesInAnotherScriptEverywhere)
{
    TBytewise P;
    const std::string Dir = P.Folder + "\xce\xa9\xce\xbc\xce\xad\xce\xb3\xce\xb1 \xe6\x97\xa5\xe6\x9c\xac\\";   // "Ωμέγα 日本\"
    const std::string First = Dir + "\xce\xb1\xce\xb2\xce\xb3.bin";                                     // "αβγ.bin"
    const std::string Second = Dir + "\xe3\x83\x95\xe3\x82\xa1\xe3\x82\xa4\xe3\x83\xab.bin";           // "ファイル.bin"
    ASSERT_TRUE(CreateDirectoryW(W(Dir).c_str(), 0) || GetLastError() == ERROR_ALREADY_EXISTS);
    DeleteFileW(W(Dir + "Bytewise.INI").c_str());
    ASSERT_TRUE(CopyFileW(W(P.File("Bytewise.exe")).c_str(), W(Dir + "Bytewise.exe").c_str(), FALSE));
    for (const auto &F : {std::make_pair(First, std::string("abcdef")), std::make_pair(Second, std::string("abXdeY"))}) {
        HANDLE H = CreateFileW(W(F.first).c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
        ASSERT_NE(H, INVALID_HANDLE_VALUE);
        DWORD Put = 0;
        WriteFile(H, F.second.data(), (DWORD)F.second.size(), &Put, 0);
        CloseHandle(H);
    }
    auto StartIn = [&](const std::wstring &AArgs) {
        std::wstring Line = L"\"" + W(Dir + "Bytewise.exe") + L"\" " + AArgs;
        STARTUPINFOW Si = {};
        Si.cb = sizeof Si;
        P.End();
        P.Dlg = 0;
        if (!CreateProcessW(0, &Line[0], 0, 0, FALSE, 0, 0, W(P.Folder).c_str(), &Si, &P.Pi)) return false;
        WaitForInputIdle(P.Pi.hProcess, 10000);
        for (int I = 0; I < 200 && !P.Dlg; I++) {
            for (HWND Wnd : P.Dialogs())
                if (GetDlgItem(Wnd, IdList)) P.Dlg = Wnd;
            if (!P.Dlg) Sleep(50);
        }
        return P.Dlg != 0;
    };
    ASSERT_TRUE(StartIn(L"\"" + W(First) + L"\" \"" + W(Second) + L"\""));
    for (int I = 0; I < 200 && P.ListCount() < 2; I++) Sleep(25);
    P.Sync();
    EXPECT_EQ(P.ListCount(), 2);
    EXPECT_TRUE(P.Boxes().empty());
    EXPECT_EQ(P.ItemText(IdStatus), "2 differences in 6 bytes compared");
    EXPECT_TRUE(WideItem(P.Dlg, IdFirst) == W(First));
    EXPECT_TRUE(WideItem(P.Dlg, IdSecond) == W(Second));
    P.Post(CmdCancel);
    EXPECT_EQ(P.WaitExit(), 0);

    // The settings file beside the program: the code page's form under the old keys, the
    // whole names escaped under their own.
    HANDLE H = CreateFileW(W(Dir + "Bytewise.INI").c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    ASSERT_NE(H, INVALID_HANDLE_VALUE);
    char Buf[4096];
    DWORD Got = 0;
    ReadFile(H, Buf, sizeof Buf, &Got, 0);
    CloseHandle(H);
    std::string Ini(Buf, Got);
    EXPECT_NE(Ini.find("INPUT_UTF8=" + P.Folder.substr(0, 2)), std::string::npos) << Ini;
    EXPECT_NE(Ini.find("%CE%B1%CE%B2%CE%B3.bin"), std::string::npos) << Ini;
    EXPECT_NE(Ini.find("%E3%83%95%E3%82%A1%E3%82%A4%E3%83%AB.bin"), std::string::npos) << Ini;
    EXPECT_NE(Ini.find("\r\nINPUT=" + P.Folder), std::string::npos) << Ini;

    // A restart without names brings them back whole.
    ASSERT_TRUE(StartIn(L""));
    EXPECT_TRUE(WideItem(P.Dlg, IdFirst) == W(First));
    EXPECT_TRUE(WideItem(P.Dlg, IdSecond) == W(Second));
    // A name the code page holds replaces one: its escaped copy goes.
    P.SetItemText(IdFirst, "C:\\plain.bin");
    P.Post(CmdCancel);
    EXPECT_EQ(P.WaitExit(), 0);
    H = CreateFileW(W(Dir + "Bytewise.INI").c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    ASSERT_NE(H, INVALID_HANDLE_VALUE);
    ReadFile(H, Buf, sizeof Buf, &Got, 0);
    CloseHandle(H);
    Ini.assign(Buf, Got);
    EXPECT_NE(Ini.find("INPUT=C:\\plain.bin"), std::string::npos) << Ini;
    EXPECT_EQ(Ini.find("INPUT_UTF8="), std::string::npos) << Ini;
    EXPECT_NE(Ini.find("OUTPUT_UTF8="), std::string::npos) << Ini;
    for (const std::string &F : {First, Second, Dir + "Bytewise.exe", Dir + "Bytewise.INI"}) DeleteFileW(W(F).c_str());
    RemoveDirectoryW(W(Dir).c_str());
}

// A relative name typed in the first field, then the second picked by the chooser in a
// subfolder that holds a file of the first one's name: the run reads the first file from the
// folder the program started in, and the field shows it absolute.
TEST(BytewiseRun, ARelativeNameKeepsItsFolderAfterTheChooser)
{
    TBytewise P;
    std::string Sub = P.File("sub");
    ASSERT_TRUE(CreateDirectoryA(Sub.c_str(), 0));
    QWriteFile(P.File("a.bin"), "aaaa");
    QWriteFile(Sub + "\\a.bin", "bbbb");    // what a drifted current folder would read
    QWriteFile(Sub + "\\b.bin", "aaab");
    ASSERT_TRUE(P.Start());    // its current folder: P.Folder
    P.SetItemText(IdFirst, "a.bin");
    P.Command(IdBrowseSecond);
    TBox B = P.WaitBox();
    ASSERT_TRUE(B.Wnd);
    HWND Name = GetDlgItem(B.Wnd, 1148);
    if (!Name) Name = GetDlgItem(B.Wnd, 1152);
    ASSERT_TRUE(Name != 0);
    SendMessageA(Name, WM_SETTEXT, 0, (LPARAM)(Sub + "\\b.bin").c_str());
    PostMessageA(B.Wnd, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(P.WaitCommand(10000));
    EXPECT_EQ(P.ItemText(IdSecond), Sub + "\\b.bin");
    EXPECT_TRUE(P.RunAnswering(CmdCompare).empty());
    ASSERT_EQ(P.ListCount(), 1);
    EXPECT_EQ(P.ItemText(IdFirst), P.File("a.bin"));
    P.Post(CmdCancel);
    EXPECT_EQ(P.WaitExit(), 0);
}

// A third name or "/?" on the command line: the usage box, no run, the remembered names.
TEST(BytewiseRun, UsageForAThirdNameAndForTheQuestion)
{
    for (const char *Args : {"a.bin b.bin c.bin", "/?"}) {
        SCOPED_TRACE(Args);
        TBytewise P;
        QWriteFile(P.File("Bytewise.INI"), "[PROPERTY]\r\nINPUT=C:\\old1.bin\r\nOUTPUT=C:\\old2.bin\r\n");
        QWriteFile(P.File("a.bin"), "a");
        QWriteFile(P.File("b.bin"), "b");
        ASSERT_TRUE(P.Start(Args));
        TBox Box = P.WaitBox();
        ASSERT_TRUE(Box.Wnd);
        EXPECT_EQ(Box.Caption, "Bytewise");
        EXPECT_EQ(Box.Text.rfind("Usage: Bytewise.exe [FIRST [SECOND]]", 0), 0u) << Box.Text;
        P.Answer(Box, IDOK);
        P.Sync();
        EXPECT_EQ(P.ListCount(), 0);
        EXPECT_EQ(P.ItemText(IdFirst), "C:\\old1.bin");
        EXPECT_EQ(P.ItemText(IdSecond), "C:\\old2.bin");
        P.Post(CmdCancel);
        EXPECT_EQ(P.WaitExit(), 0);
    }
}
