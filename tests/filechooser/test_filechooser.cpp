// The file chooser on the system's real Open and Save As dialogs. A driver thread finds the
// dialog by its title and works it like a person: types a name, presses OK or Cancel.
// Q_HOLD_MS=n keeps each dialog open n ms before it is worked (for screenshots).
#include <gtest/gtest.h>
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include "QDialogFile.h"
#include "QTestFiles.h"

namespace {

std::string Std(const string &S) { return std::string(S.c_str(), S.length()); }

// What the driver does once the dialog is up.
struct TDriver {
    const char *Title;
    const char *TypeName;   // typed into the file-name field first, 0 for nothing
    WPARAM Button;          // IDOK or IDCANCEL
    bool Found;
    char SeenFileName[MAX_PATH];   // the file-name field as the dialog opened
    bool Sizable;                  // the dialog has a sizing border
    HANDLE Thread;
};

HWND FileNameField(HWND Dlg)
{
    // Newer dialogs hold the name in a combo box (cmb13), older ones in an edit (edt1).
    HWND Combo = GetDlgItem(Dlg, cmb13);
    if (Combo) {
        HWND Edit = FindWindowExA(Combo, 0, "Edit", 0);
        return Edit ? Edit : Combo;
    }
    return GetDlgItem(Dlg, edt1);
}

HWND WaitForDialog(const char *ATitle)
{
    for (int I = 0; I < 200; I++) {
        HWND Dlg = FindWindowA("#32770", ATitle);
        DWORD Pid = 0;
        if (Dlg) GetWindowThreadProcessId(Dlg, &Pid);
        if (Dlg && Pid == GetCurrentProcessId() && IsWindowVisible(Dlg)) return Dlg;
        Sleep(50);
    }
    return 0;
}

DWORD WINAPI DriverMain(LPVOID AArg)
{
    TDriver *D = (TDriver *)AArg;
    HWND Dlg = WaitForDialog(D->Title);
    if (!Dlg) return 0;
    D->Found = true;
    D->Sizable = (GetWindowLongA(Dlg, GWL_STYLE) & WS_THICKFRAME) != 0;
    const char *Hold = getenv("Q_HOLD_MS");
    Sleep(Hold ? atoi(Hold) : 300);
    HWND Field = FileNameField(Dlg);
    if (Field) SendMessageA(Field, WM_GETTEXT, sizeof D->SeenFileName, (LPARAM)D->SeenFileName);
    if (D->TypeName && Field) SendMessageA(Field, WM_SETTEXT, 0, (LPARAM)D->TypeName);
    PostMessageA(Dlg, WM_COMMAND, MAKEWPARAM(D->Button, BN_CLICKED),
                 (LPARAM)GetDlgItem(Dlg, (int)D->Button));
    return 0;
}

void StartDriver(TDriver &D, const char *ATitle, const char *ATypeName, WPARAM AButton)
{
    D.Title = ATitle;
    D.TypeName = ATypeName;
    D.Button = AButton;
    D.Found = false;
    D.SeenFileName[0] = 0;
    D.Thread = CreateThread(0, 0, DriverMain, &D, 0, 0);
}

void EndDriver(TDriver &D)
{
    WaitForSingleObject(D.Thread, 15000);
    CloseHandle(D.Thread);
}

// A folder with a few files to pick from.
class FileChooser : public ::testing::Test {
protected:
    TTempDir Dir;
    void SetUp() override
    {
        for (const char *Name : {"target.txt", "noext", "other.bin"})
            ASSERT_TRUE(QWriteFile(Dir.Join(Name), "data"));
    }
};

const char *Filter = "Text files|*.txt|Any file|*.*";

}  // namespace

// The unhooked Open and Save As dialogs: they can be resized and show the initial name; Cancel
// gives the empty string, OK the full path of what was typed (with the default extension when
// one is given); choosing a name to save under creates no file.
TEST_F(FileChooser, UnhookedDialogsGiveTheChosenPath)
{
    struct {
        const char *Title;
        bool Save;
        const char *Initial, *Typed;
        WPARAM Button;
        const char *Filter, *DefExt;
        const char *Chosen;   // in the folder; 0 for the empty string
    } Cases[] = {
        {"Pick a file to cancel", false, "initial.txt", 0, IDCANCEL, Filter, "", 0},
        {"Pick by typing", false, "", "target.txt", IDOK, Filter, "", "target.txt"},
        {"No default extension", false, "", "noext", IDOK, "Any file|*.*", "", "noext"},
        {"With default extension", false, "", "target", IDOK, Filter, "txt", "target.txt"},
        {"Save it", true, "x.txt", 0, IDCANCEL, Filter, "txt", 0},
        {"Save a new one", true, "", "fresh.txt", IDOK, Filter, "txt", "fresh.txt"},
    };
    for (auto &C : Cases) {
        SCOPED_TRACE(C.Title);
        TDriver D;
        StartDriver(D, C.Title, C.Typed, C.Button);
        auto Chooser = C.Save ? SaveFileSize : OpenFileSize;
        string R = Chooser(0, C.Initial, Dir.Path.c_str(), C.Title, C.Filter, C.DefExt);
        EndDriver(D);
        ASSERT_TRUE(D.Found);
        EXPECT_STREQ(C.Initial, D.SeenFileName);
        EXPECT_TRUE(D.Sizable);
        EXPECT_EQ(C.Chosen ? Dir.Join(C.Chosen) : "", Std(R));
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(Dir.Join("fresh.txt").c_str()));
}

namespace {
int InitCalls = 0;
HWND InitWnd = 0;
UINT_PTR CALLBACK CountInit(HWND Wnd, UINT Msg, WPARAM, LPARAM)
{
    if (Msg == WM_INITDIALOG) {
        InitCalls++;
        InitWnd = Wnd;
    }
    return 0;
}
int NotifyCalls = 0;
UINT_PTR CALLBACK CountNotify(HWND, UINT Msg, WPARAM, LPARAM)
{
    if (Msg == WM_NOTIFY) NotifyCalls++;
    return 0;
}
}  // namespace

TEST_F(FileChooser, HookedDialogCallsTheHookSlots)
{
    DFInitHookProc = CountInit;
    DFNotifyHookProc = CountNotify;
    InitCalls = NotifyCalls = 0;
    TDriver D;
    StartDriver(D, "Hooked open", "target.txt", IDOK);
    string R = OpenFile(0, "", Dir.Path.c_str(), "Hooked open", Filter, "",
                        OpenOption(ofFileMustExist) | OpenOption(ofHideReadOnly));
    EndDriver(D);
    DFInitHookProc = DFNotifyHookProc = 0;
    EXPECT_EQ(Std(R), Dir.Join("target.txt"));
    EXPECT_EQ(InitCalls, 1);
    EXPECT_TRUE(InitWnd != 0);
    EXPECT_GT(NotifyCalls, 0) << "the Explorer-style dialog notifies its hook";
    EXPECT_FALSE(D.Sizable) << "a hooked dialog keeps its size";

    StartDriver(D, "Hooked save", 0, IDCANCEL);
    EXPECT_EQ(Std(SaveFile(0, "a.txt", Dir.Path.c_str(), "Hooked save", Filter, "", 0)), "");
    EndDriver(D);
    EXPECT_TRUE(D.Found);
}

TEST(QlpfnHook, PassesOnlyInitAndNotifyToTheirSlots)
{
    static UINT Seen;
    static WPARAM SeenW;
    static LPARAM SeenL;
    struct Hooks {
        static UINT_PTR CALLBACK Init(HWND, UINT Msg, WPARAM W, LPARAM L)
        {
            Seen = Msg, SeenW = W, SeenL = L;
            return 11;
        }
        static UINT_PTR CALLBACK Notify(HWND, UINT Msg, WPARAM W, LPARAM L)
        {
            Seen = Msg, SeenW = W, SeenL = L;
            return 22;
        }
    };
    EXPECT_EQ(QlpfnHook(0, WM_INITDIALOG, 1, 2), 0u) << "empty slots";
    EXPECT_EQ(QlpfnHook(0, WM_NOTIFY, 1, 2), 0u);
    DFInitHookProc = Hooks::Init;
    DFNotifyHookProc = Hooks::Notify;
    EXPECT_EQ(QlpfnHook(0, WM_INITDIALOG, 3, 4), 11u);
    EXPECT_EQ(Seen, (UINT)WM_INITDIALOG);
    EXPECT_EQ(SeenW, 3u);
    EXPECT_EQ(SeenL, 4);
    EXPECT_EQ(QlpfnHook(0, WM_NOTIFY, 5, 6), 22u);
    EXPECT_EQ(Seen, (UINT)WM_NOTIFY);
    EXPECT_EQ(SeenL, 6);
    Seen = 0;
    EXPECT_EQ(QlpfnHook(0, WM_COMMAND, 7, 8), 0u);
    EXPECT_EQ(QlpfnHook(0, WM_DESTROY, 0, 0), 0u);
    EXPECT_EQ(Seen, 0u) << "other messages reach neither slot";
    DFInitHookProc = DFNotifyHookProc = 0;
}

TEST(FillFileRequest, TheClassicRecordAsTheDialogsGetIt)
{
    char Buf[FileNameBufSize];
    FillFileNameBuf(Buf, "start.txt");
    string Filter = AllocFilterStr("Any file|*.*");
    string Dir("C:\\dir"), Title("Title"), Ext("txt"), None;
    OPENFILENAMEA R;
    memset(&R, 0x5A, sizeof R);
    HWND Owner = (HWND)0x1234;
    FillFileRequest(R, Owner, Buf, Filter, Dir, Title, Ext, FileSizeFlags, 0);
    EXPECT_EQ(R.lStructSize, sizeof(void *) == 4 ? 76u : 136u);   // the classic record of this width
    EXPECT_EQ(R.hwndOwner, Owner);
    EXPECT_EQ(R.hInstance, GetModuleHandleA(0));
    EXPECT_EQ(R.lpstrFilter, Filter.c_str());
    EXPECT_EQ(R.nFilterIndex, 1u);
    EXPECT_EQ(R.lpstrFile, Buf);
    EXPECT_EQ(R.nMaxFile, 260u);
    EXPECT_STREQ(R.lpstrInitialDir, "C:\\dir");
    EXPECT_STREQ(R.lpstrTitle, "Title");
    EXPECT_EQ(R.Flags, 0x82004u);
    EXPECT_STREQ(R.lpstrDefExt, "txt");
    EXPECT_EQ(R.lpfnHook, (LPOFNHOOKPROC)0);
    EXPECT_EQ(R.lpstrCustomFilter, (LPSTR)0);
    EXPECT_EQ(R.nMaxCustFilter, 0u);
    EXPECT_EQ(R.lpstrFileTitle, (LPSTR)0);
    EXPECT_EQ(R.lCustData, 0);
    EXPECT_EQ(R.lpTemplateName, (LPCSTR)0);
    EXPECT_EQ(R.nFileOffset, 0);

    FillFileRequest(R, 0, Buf, None, None, None, None, FileFlags(0), QlpfnHook);
    EXPECT_EQ(R.lpstrFilter, (LPCSTR)0) << "an empty filter gives no list";
    EXPECT_EQ(R.lpstrDefExt, (LPCSTR)0) << "no default extension";
    EXPECT_EQ(R.lpstrTitle, (LPCSTR)0) << "the dialog's own title";
    EXPECT_EQ(R.lpfnHook, QlpfnHook);
    EXPECT_EQ(R.Flags, 0x80020u);
}
