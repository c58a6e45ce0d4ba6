// The archive walk on Windows (under Wine): the kernel's file API into a temporary folder,
// the real list box, progress bar and label, the FILEEXIST prompt and the error boxes
// answered by a driver thread the way a person would.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "QConst.h"
#include "QDriver.h"
#include "QTestFiles.h"
#include "UnfurlArchive.h"
#include "UnfurlPayload.h"
#include "UnfurlUnZip.h"
#include "UnfurlUnZipWin.h"
#include "UnfurlUndo.h"
#include "ZipBuild.h"

namespace {

// ---- The driver: answers prompts and message boxes from a second thread ----------------

struct TPromptAnswer {
    int Button;       // IDOK or IDCANCEL
    bool RewriteAll;  // tick "Rewrite all files" first
};

CRITICAL_SECTION Lock;
std::vector<TPromptAnswer> Answers;   // for FILEEXIST, in order; Cancel when none is left
std::vector<std::string> Asked;       // the name each FILEEXIST showed
std::vector<std::string> Boxes;       // the text of each "Error" box
std::vector<bool> BoxHasStopIcon;
volatile bool Stop = false;

DWORD WINAPI Driver(void *)
{
    // UNZIP_PROMPT_DELAY (ms) keeps each prompt open a while, for a screenshot.
    const char *Delay = getenv("UNZIP_PROMPT_DELAY");
    while (!Stop) {
        if (HWND P = FindWindowA("#32770", "File exist...")) {
            if (Delay) Sleep(atoi(Delay));
            // The window exists before its WM_INITDIALOG has run: wait until it is shown
            // with its name filled in, so neither the name nor the check box is read or set early.
            char Name[300] = "";
            for (int Tries = 0; Tries < 400 && !Stop; Tries++) {
                GetDlgItemTextA(P, CM_EDIT1, Name, sizeof Name);
                if (IsWindowVisible(P) && Name[0]) break;
                Sleep(5);
            }
            EnterCriticalSection(&Lock);
            TPromptAnswer A = {IDCANCEL, false};
            if (!Answers.empty()) {
                A = Answers.front();
                Answers.erase(Answers.begin());
            }
            Asked.push_back(Name);
            LeaveCriticalSection(&Lock);
            if (A.RewriteAll) SendDlgItemMessageA(P, CM_CHECK, BM_SETCHECK, BST_CHECKED, 0);
            Press(P, A.Button);
            while (!Stop && IsWindow(P)) Sleep(5);
        }
        if (HWND B = FindWindowA("#32770", "Error")) {
            std::string Text = BoxText(B);
            EnterCriticalSection(&Lock);
            Boxes.push_back(Text);
            BoxHasStopIcon.push_back(HasStopIcon(B));
            LeaveCriticalSection(&Lock);
            Press(B, IDOK);
            while (!Stop && IsWindow(B)) Sleep(5);
        }
        Sleep(10);
    }
    return 0;
}

int Ended = 0;
void RecordEnd(HWND, int32_t) { Ended++; }

// ---- The installer dialog's controls -------------------------------------------------------

class UnZipWin : public ::testing::Test {
protected:
    TTempDir Dir;
    HWND Dlg = 0, List = 0;
    HANDLE Thread = 0;
    char Target[MAX_PATH + 1];
    std::vector<TZipItem> Items;
    TUnZipRun R;
    TUnZipDialog Dialog;

    void SetUp() override
    {
        InitCommonControls();
        InitializeCriticalSection(&Lock);
        Answers.clear();
        Asked.clear();
        Boxes.clear();
        BoxHasStopIcon.clear();
        Ended = 0;
        Stop = false;
        Dlg = CreateWindowExA(0, "STATIC", "installer", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                              500, 200, 0, 0, 0, 0);
        List = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | LBS_SORT | LBS_MULTIPLESEL |
                               LBS_HASSTRINGS, 0, 0, 100, 100, Dlg, (HMENU)CM_LIST, 0, 0);
        CreateWindowExA(0, "msctls_progress32", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 120,
                        300, 20, Dlg, (HMENU)CM_PROGRESSBAR, 0, 0);
        CreateWindowExA(0, "STATIC", "Install", WS_CHILD | WS_VISIBLE, 10, 100, 300, 16, Dlg,
                        (HMENU)CM_LABEL_PB, 0, 0);
        RunInitPlatform(R);
        Dialog = *UnZipPlatformDialog();
        Dialog.EndProgram = RecordEnd;
        R.Dialog = &Dialog;
        Thread = CreateThread(0, 0, Driver, 0, 0, 0);

        TZipItem A{"readme.txt", "Read me.\r\n", 0};
        A.Time = 0x7B2F;   // 15:25:30
        A.Date = 0x4A21;   // 2017-01-01
        TZipItem F{"sub/"};
        TZipItem B{"sub/file.txt", std::string(100000, 'z') + "end"};
        B.Date = 0x3C56;   // 2010-02-22
        TZipItem C{"sub/deep/x.bin", std::string("\0\1\2\3\xFF", 5)};
        Items = {A, F, B, C};
        strcpy(Target, Dir.Join("target").c_str());
    }
    void TearDown() override
    {
        Stop = true;
        WaitForSingleObject(Thread, 5000);
        CloseHandle(Thread);
        CloseArchive(R);
        DestroyWindow(Dlg);
        DeleteCriticalSection(&Lock);
    }
    // Opens an installer file holding AZip behind a 512-byte image and reads its header.
    void Open(const std::string &AZip)
    {
        std::string Exe = Dir.Join("setup.exe");
        ASSERT_TRUE(QWriteFile(Exe, PayloadBuild(512, std::string("T\0S\0", 4), AZip)));
        OpenArchiveFile(R, Exe.c_str());
        ASSERT_NE(-1, R.ArchiveFile);
        R.ArchiveStart = 512;
        TInstall Info;
        TArchiveRecord Record;
        ReadSetupHeader(R, Info, Record);
    }
    void Listing()
    {
        R.OverwriteMode = omAsk;
        UnZipFiles(R, Dlg, CM_LIST, true);
        SendMessageA(List, LB_SETSEL, TRUE, -1);
    }
    void Extract()
    {
        CreateDirectoryA(Target, 0);
        R.TargetDir = Target;
        int N = (int)SendMessageA(List, LB_GETCOUNT, 0, 0);
        R.ProgressStep = N ? 100.0 / N : 0;
        R.FilesDone = 0;
        UnZipFiles(R, Dlg, CM_LIST, false);
    }
    std::string Label() { return ItemText(Dlg, CM_LABEL_PB); }
    std::string Out(const std::string &AName)
    {
        std::string N = AName;
        for (char &C : N)
            if (C == '/') C = '\\';
        return std::string(Target) + "\\" + N;
    }
    int SelectedCount() { return (int)SendMessageA(List, LB_GETSELCOUNT, 0, 0); }
};

}  // namespace

TEST_F(UnZipWin, ListsAndExtractsThroughTheKernelFileApi)
{
    Open(ZipBuild(Items));
    Listing();
    ASSERT_EQ(4, SendMessageA(List, LB_GETCOUNT, 0, 0));
    char First[300];
    SendMessageA(List, LB_GETTEXT, 3, (LPARAM)First);
    EXPECT_STREQ("sub/file.txt", First);   // sorted, with its forward slash
    Extract();
    EXPECT_TRUE(R.AllExtracted);
    EXPECT_EQ("ALL", Label());
    EXPECT_EQ(0, SelectedCount());
    for (auto &I : Items) {
        if (I.Name.back() == '/') {
            EXPECT_TRUE(IsFolder(Out(I.Name)));
            continue;
        }
        EXPECT_EQ(I.Data, QReadFile(Out(I.Name))) << I.Name;
        EXPECT_EQ((uint32_t)I.Date << 16 | I.Time, FileDosTime(Out(I.Name))) << I.Name;
    }
    EXPECT_EQ(3, R.FilesDone);
    EXPECT_EQ(75, SendDlgItemMessageA(Dlg, CM_PROGRESSBAR, PBM_GETPOS, 0, 0));
    EXPECT_TRUE(Asked.empty());
    EXPECT_TRUE(Boxes.empty());
}

// The prompt's buttons and its check box. Names are compared as Windows compares them: a file
// there under another case is the same file, asked for, and no second one appears beside it.
TEST_F(UnZipWin, ExistingFilesPromptAnswers)
{
    struct {
        const char *Title;
        std::vector<TPromptAnswer> Answers;   // one for each prompt expected
        const char *Replaced;   // per file in archive order: R replaced, K kept
        uint8_t Mode;
        bool OtherCase;         // the files there are named in other letters
    } Cases[] = {
        {"OK", {{IDOK, false}, {IDOK, false}, {IDOK, false}}, "RRR", omAsk, false},
        {"Cancel", {{IDCANCEL, false}, {IDCANCEL, false}, {IDCANCEL, false}}, "KKK", omAsk, false},
        {"OK with Rewrite all files", {{IDOK, true}}, "RRR", omReplace, false},
        {"Cancel with Rewrite all files", {{IDCANCEL, true}}, "KKK", omKeep, false},
        {"names in other case", {{IDCANCEL, false}, {IDOK, false}, {IDCANCEL, false}}, "KRK", omAsk,
         true},
    };
    Open(ZipBuild(Items));
    const char *Files[] = {"readme.txt", "sub/file.txt", "sub/deep/x.bin"};
    const char *Upper[] = {"README.TXT", "sub/FILE.Txt", "sub/deep/X.bin"};
    for (auto &C : Cases) {
        SCOPED_TRACE(C.Title);
        QRemoveTree(Target);
        MakeFolders(Out("sub/deep"));
        for (int I = 0; I < 3; I++)
            ASSERT_TRUE(QWriteFile(Out(C.OtherCase ? Upper[I] : Files[I]), "old"));
        EnterCriticalSection(&Lock);
        Answers = C.Answers;
        LeaveCriticalSection(&Lock);
        Listing();
        Extract();
        EnterCriticalSection(&Lock);
        std::vector<std::string> Seen = Asked;
        Asked.clear();
        LeaveCriticalSection(&Lock);
        std::vector<std::string> Names = {"readme.txt", "file.txt", "x.bin"};
        Names.resize(C.Answers.size());
        EXPECT_EQ(Names, Seen);
        for (int I = 0; I < 3; I++) {
            const TZipItem &Z = I == 0 ? Items[0] : Items[I + 1];
            EXPECT_EQ(C.Replaced[I] == 'R' ? Z.Data : "old", QReadFile(Out(Files[I]))) << Files[I];
        }
        EXPECT_EQ(C.Mode, R.OverwriteMode);
        EXPECT_TRUE(R.AllExtracted);
        for (const char *Mask : {"*.txt", "sub\\*.txt", "sub\\deep\\*"}) {
            WIN32_FIND_DATAA Fd;
            HANDLE F = FindFirstFileA(Out(Mask).c_str(), &Fd);
            ASSERT_NE(INVALID_HANDLE_VALUE, F);
            int Count = 0;
            do Count += !(Fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
            while (FindNextFileA(F, &Fd));
            FindClose(F);
            EXPECT_EQ(1, Count) << Mask;
        }
    }
}

TEST_F(UnZipWin, ErrorBoxesAreCaptionedErrorWithTheStopIcon)
{
    Open(ZipBuild({TZipItem{"../up.txt", "evil"}, TZipItem{"good.txt", "good"}}));
    Listing();
    Extract();
    ASSERT_EQ(2u, Boxes.size());   // the refused name, then what was not installed
    EXPECT_EQ("Cannot create file\r\n../up.txt", Boxes[0]);
    EXPECT_EQ(0u, Boxes[1].find("The installation is incomplete."));
    EXPECT_TRUE(BoxHasStopIcon[0]);
    EXPECT_TRUE(BoxHasStopIcon[1]);
    EXPECT_EQ("good", QReadFile(Out("good.txt")));
    EXPECT_EQ("STR_NOTSELEXT", Label());
    EXPECT_EQ(1, SelectedCount());
}

TEST_F(UnZipWin, DamagedInstallerIsReportedAndEnds)
{
    std::string Zip = ZipBuild(Items);
    Open(Zip.substr(0, Zip.find("PK\x03\x04", 10)));   // cut after the first entry
    Listing();
    ASSERT_EQ(1u, Boxes.size());
    EXPECT_EQ(MsgDamaged, Boxes[0]);
    EXPECT_TRUE(BoxHasStopIcon[0]);
    EXPECT_EQ(1, Ended);
}

// The file's identity (the file index): the same one after a run that left the file alone.
static uint64_t FileIndex(const std::string &APath)
{
    HANDLE H = CreateFileA(APath.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           0, OPEN_EXISTING, 0, 0);
    BY_HANDLE_FILE_INFORMATION Info = {};
    bool Got = H != INVALID_HANDLE_VALUE && GetFileInformationByHandle(H, &Info);
    if (H != INVALID_HANDLE_VALUE) CloseHandle(H);
    return Got ? (uint64_t)Info.nFileIndexHigh << 32 | Info.nFileIndexLow : 0;
}

// A second run over the files the first one wrote: a file with the entry's size, time and bytes
// stays the same file; one whose time was changed is written anew with the entry's time.
TEST_F(UnZipWin, ASecondRunLeavesFilesThatHoldTheirEntry)
{
    Open(ZipBuild(Items));
    Listing();
    Extract();
    ASSERT_TRUE(R.AllExtracted);
    uint64_t Readme = FileIndex(Out("readme.txt")), Big = FileIndex(Out("sub/file.txt"));
    ASSERT_NE(0u, Readme);
    HANDLE H = CreateFileA(Out("sub/file.txt").c_str(), FILE_WRITE_ATTRIBUTES, 0, 0, OPEN_EXISTING,
                           0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, H);
    FILETIME Now;
    GetSystemTimeAsFileTime(&Now);
    EXPECT_TRUE(SetFileTime(H, 0, 0, &Now));
    CloseHandle(H);
    SendMessageA(List, LB_SETSEL, TRUE, -1);
    R.OverwriteMode = omReplace;
    Extract();
    EXPECT_TRUE(R.AllExtracted);
    EXPECT_EQ(Readme, FileIndex(Out("readme.txt")));
    EXPECT_NE(Big, FileIndex(Out("sub/file.txt")));
    for (auto &I : Items)
        if (I.Name.back() != '/') {
            EXPECT_EQ(I.Data, QReadFile(Out(I.Name))) << I.Name;
            EXPECT_EQ((uint32_t)I.Date << 16 | I.Time, FileDosTime(Out(I.Name))) << I.Name;
        }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(Out(UNDO_FOLDER_NAME).c_str()));
    EXPECT_TRUE(Boxes.empty());
}

// A DOS date of 0 names no moment: the file keeps the time it was written at. A file that
// cannot be created is reported with the system's text for the failure.
TEST_F(UnZipWin, DateZeroKeepsTheWriteTimeAndFailuresGiveTheSystemsReason)
{
    Items[0].Date = 0;
    Items[0].Time = 0;
    Open(ZipBuild(Items));
    Listing();
    CreateDirectoryA(Target, 0);
    CreateDirectoryA(Out("sub").c_str(), 0);
    CreateDirectoryA(Out("sub/file.txt").c_str(), 0);   // a folder holds the file's name
    SYSTEMTIME Now;
    GetLocalTime(&Now);
    Extract();
    FILETIME Local;
    WORD D = 0, T = 0;
    SystemTimeToFileTime(&Now, &Local);
    FileTimeToDosDateTime(&Local, &D, &T);
    uint32_t Written = FileDosTime(Out("readme.txt"));
    EXPECT_EQ(D, Written >> 16);   // today (as written), not a random or 1980 date
    EXPECT_EQ(Items[0].Data, QReadFile(Out("readme.txt")));
    ASSERT_EQ(2u, Boxes.size());
    std::string Head = "Cannot create file\r\n" + Out("sub/file.txt") + "\r\n";
    ASSERT_EQ(0u, Boxes[0].find(Head)) << Boxes[0];
    EXPECT_GT(Boxes[0].size(), Head.size() + 5) << Boxes[0];   // the reason, a line of text
    EXPECT_EQ(std::string::npos, Boxes[0].find('\n', Head.size())) << Boxes[0];
}

TEST_F(UnZipWin, OpenArchiveOpensTheProgramsOwnFile)
{
    OpenArchive(R);
    ASSERT_NE(-1, R.ArchiveFile);
    char Head[2] = {0, 0};
    SeekArchive(R, 0, ZIP_SEEK_BEGIN);
    EXPECT_EQ(0, R.ArchivePos);
    EXPECT_EQ(2, ReadArchive(R, Head, 2));
    EXPECT_EQ('M', Head[0]);
    EXPECT_EQ('Z', Head[1]);
}

// The work list's lookup answers as LB_FINDSTRINGEXACT does from every start, also where the
// list's sorting and the archive's order differ and where names differ only in case.
TEST_F(UnZipWin, ListFindAnswersAsTheListBoxSearch)
{
    std::vector<std::string> Names = {"a_b.h", "a.b.h", "a-b.h", "ab.h", "A.txt", "a.TXT",
                                      "a.txt", "b", "B", "c", "x y", "x_y", "x.y", "x-y",
                                      "coop", "co-op", "co'op", "CO-OP", "xy", "x~y", "X{Y",
                                      "x[y", "\xE9t\xE9", "\xC9T\xC9", "ete",
                                      std::string(255, 'q')};
    for (int I = 0; I < 30; I++) Names.push_back("fill" + std::to_string(I));
    for (auto &N : Names) SendMessageA(List, LB_ADDSTRING, 0, (LPARAM)N.c_str());
    int Count = (int)SendMessageA(List, LB_GETCOUNT, 0, 0);
    ASSERT_EQ((int)Names.size(), Count);
    Names.push_back("missing");
    Names.push_back("a");
    for (int Start = -1; Start <= Count; Start++)
        for (auto &N : Names) {
            LRESULT Want = SendMessageA(List, LB_FINDSTRINGEXACT, (WPARAM)Start, (LPARAM)N.c_str());
            // The walk hands names to the binding in UTF-8.
            WCHAR *Wide = WideText(string(N.c_str()), CP_ACP);
            string Name = Utf8Text(Wide);
            delete[] Wide;
            EXPECT_EQ(Want == LB_ERR ? -1 : (int32_t)Want,
                      UnZipPlatformDialog()->ListFind(List, Start, Name))
                << "from " << Start << " " << N.substr(0, 20);
        }
}
