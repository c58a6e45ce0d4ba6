// The "MainDialog" template as built into Bytewise.exe: the window's frame and font, and every
// control in template (= tab) order with its identifier, kind, caption, place and styles.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "BytewiseDriver.h"

// A reader of the extended dialog template's variable-length fields.
struct TReader {
    const BYTE *P;
    WORD Word() { WORD W; memcpy(&W, P, 2); P += 2; return W; }
    DWORD Dword() { DWORD D; memcpy(&D, P, 4); P += 4; return D; }
    short Short() { return (short)Word(); }
    void Align() { P = (const BYTE *)(((uintptr_t)P + 3) & ~(uintptr_t)3); }
    // A string of WCHARs (ANSI range expected) or, after 0xFFFF, an ordinal written "#n".
    std::string SzOrOrd()
    {
        WORD W = Word();
        if (W == 0xFFFF) return "#" + std::to_string(Word());
        std::string S;
        while (W != 0) { S += (char)W; W = Word(); }
        return S;
    }
};

struct TItem {
    DWORD ExStyle, Style;
    short X, Y, W, H;
    DWORD Id;
    std::string Class, Text;
};

static std::string ClassName(const std::string &AClass)
{
    if (AClass == "#128") return "BUTTON";
    if (AClass == "#129") return "EDIT";
    if (AClass == "#130") return "STATIC";
    if (AClass == "#131") return "LISTBOX";
    std::string U = AClass;
    for (char &C : U) C = (char)toupper((unsigned char)C);
    return U;
}

enum TKind { kGroup, kEdit, kPush, kFlat, kIcon, kLabel, kList, kHiddenEdit };

struct TExpect {
    DWORD Id;
    TKind Kind;
    const char *Text;
    short X, Y, W, H;
};

static const TExpect Expected[] = {
    {9202, kGroup, "&First file for byte comparing", 6, 53, 275, 31},
    {9400, kEdit, "", 13, 64, 244, 12},
    {7, kPush, "...", 261, 64, 14, 12},
    {9203, kGroup, "&Second file for byte comparing", 6, 88, 275, 31},
    {9402, kEdit, "", 13, 99, 244, 12},
    {8, kPush, "...", 262, 99, 14, 12},
    {3, kPush, "C&ompare file", 6, 141, 108, 14},
    {4, kPush, "&About...", 120, 141, 50, 14},
    {6, kPush, "&Help...", 176, 141, 50, 14},
    {2, kPush, "&Cancel", 231, 141, 50, 14},
    {9201, kGroup, "", 6, 5, 31, 36},
    {9900, kIcon, "#9906", 12, 15, 20, 20},
    {5, kFlat, "", 144, 9, 132, 32},
    {9204, kGroup, "&Results of file comparing", 285, 5, 155, 158},
    {9100, kLabel, "Position      Byte 1 Byte 2    Character", 295, 15, 140, 8},
    {9500, kList, "", 291, 25, 143, 109},
    {10, kPush, "Copy &to Clipboard", 370, 140, 65, 14},
    {9403, kHiddenEdit, "", 65, 17, 15, 12},
};

TEST(BytewiseTemplate, MainDialogIsBuiltExactlyAsDesigned)
{
    HMODULE M = LoadLibraryExA(BuiltProgramPath().c_str(), 0, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(M != 0) << BuiltProgramPath();
    HRSRC R = FindResourceA(M, "MainDialog", (LPCSTR)RT_DIALOG);
    ASSERT_TRUE(R != 0);
    TReader T = {(const BYTE *)LockResource(LoadResource(M, R))};
    ASSERT_EQ(T.Word(), 1);         // extended template
    ASSERT_EQ(T.Word(), 0xFFFF);
    T.Dword();                      // help id
    T.Dword();                      // extended style
    DWORD Style = T.Dword();
    WORD Count = T.Word();
    short X = T.Short(), Y = T.Short(), W = T.Short(), H = T.Short();
    EXPECT_EQ(X, 101);
    EXPECT_EQ(Y, 74);
    EXPECT_EQ(W, 447);
    EXPECT_EQ(H, 170);
    const DWORD Need = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                       DS_MODALFRAME | DS_3DLOOK | DS_CENTER | DS_SETFONT;
    EXPECT_EQ(Style & Need, Need);
    EXPECT_EQ(Style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0u);
    EXPECT_EQ(T.SzOrOrd(), "");     // menu
    EXPECT_EQ(T.SzOrOrd(), "");     // class: the dialog class
    EXPECT_EQ(T.SzOrOrd(), "");     // title, set at run time
    EXPECT_EQ(T.Word(), 8);         // points
    T.Word();                       // weight
    T.P += 2;                       // italic, charset
    EXPECT_EQ(T.SzOrOrd(), "MS Sans Serif");

    std::vector<TItem> Items;
    for (int I = 0; I < Count; I++) {
        T.Align();
        TItem It;
        T.Dword();
        It.ExStyle = T.Dword();
        It.Style = T.Dword();
        It.X = T.Short(); It.Y = T.Short(); It.W = T.Short(); It.H = T.Short();
        It.Id = T.Dword();
        It.Class = ClassName(T.SzOrOrd());
        It.Text = T.SzOrOrd();
        T.P += T.Word();            // creation data
        Items.push_back(It);
    }
    ASSERT_EQ(Items.size(), sizeof Expected / sizeof Expected[0]);
    for (size_t I = 0; I < Items.size(); I++) {
        const TItem &It = Items[I];
        const TExpect &E = Expected[I];
        SCOPED_TRACE("control " + std::to_string(E.Id));
        EXPECT_EQ(It.Id, E.Id);
        EXPECT_EQ(It.Text, E.Text);
        EXPECT_EQ(It.X, E.X);
        EXPECT_EQ(It.Y, E.Y);
        EXPECT_EQ(It.W, E.W);
        EXPECT_EQ(It.H, E.H);
        EXPECT_TRUE(It.Style & WS_CHILD);
        EXPECT_EQ((It.Style & WS_VISIBLE) != 0, E.Kind != kHiddenEdit);
        bool TabStop = E.Kind == kEdit || E.Kind == kPush;
        EXPECT_EQ((It.Style & WS_TABSTOP) != 0, TabStop);
        DWORD Type = It.Style & BS_TYPEMASK;
        switch (E.Kind) {
        case kGroup:
            EXPECT_EQ(It.Class, "BUTTON");
            EXPECT_EQ(Type, (DWORD)BS_GROUPBOX);
            break;
        case kPush:
            EXPECT_EQ(It.Class, "BUTTON");
            EXPECT_EQ(Type, (DWORD)BS_PUSHBUTTON);    // never a default push button
            break;
        case kFlat:
            EXPECT_EQ(It.Class, "BUTTON");
            EXPECT_EQ(Type, (DWORD)BS_PUSHBUTTON);
            EXPECT_EQ(It.Style & (BS_FLAT | BS_MULTILINE | BS_CENTER | BS_VCENTER),
                      (DWORD)(BS_FLAT | BS_MULTILINE | BS_CENTER | BS_VCENTER));
            break;
        case kEdit:
            EXPECT_EQ(It.Class, "EDIT");
            EXPECT_EQ(It.Style & (WS_BORDER | ES_AUTOHSCROLL), (DWORD)(WS_BORDER | ES_AUTOHSCROLL));
            EXPECT_EQ(It.Style & ES_MULTILINE, 0u);
            break;
        case kHiddenEdit:
            EXPECT_EQ(It.Class, "EDIT");
            EXPECT_TRUE(It.Style & ES_MULTILINE);
            break;
        case kIcon:
            EXPECT_EQ(It.Class, "STATIC");
            EXPECT_EQ(It.Style & SS_TYPEMASK, (DWORD)SS_ICON);
            break;
        case kLabel:
            EXPECT_EQ(It.Class, "STATIC");
            EXPECT_EQ(It.Style & SS_TYPEMASK, (DWORD)SS_LEFT);
            break;
        case kList:
            EXPECT_EQ(It.Class, "LISTBOX");
            EXPECT_EQ(It.Style & (LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | WS_VSCROLL),
                      (DWORD)(LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | WS_VSCROLL));
            EXPECT_EQ(It.Style & (LBS_SORT | LBS_OWNERDRAWVARIABLE | LBS_MULTIPLESEL), 0u);
            EXPECT_TRUE(It.ExStyle & WS_EX_CLIENTEDGE);
            break;
        }
    }
    // The program's icons: MAINICON and the eight animation frames.
    EXPECT_TRUE(FindResourceA(M, "MAINICON", (LPCSTR)RT_GROUP_ICON) != 0);
    for (int I = 9900; I <= 9907; I++)
        EXPECT_TRUE(FindResourceA(M, MAKEINTRESOURCEA(I), (LPCSTR)RT_GROUP_ICON) != 0) << I;
    EXPECT_TRUE(FindResourceA(M, "HELPVIEW", (LPCSTR)RT_DIALOG) != 0);
    EXPECT_TRUE(FindResourceA(M, "ABOUT", (LPCSTR)RT_DIALOG) != 0);
    EXPECT_TRUE(FindResourceA(M, MAKEINTRESOURCEA(1), (LPCSTR)RT_VERSION) != 0);
    FreeLibrary(M);
}

TEST(BytewiseTemplate, VersionResourceNamesTheProgram)
{
    std::string Exe = BuiltProgramPath();
    DWORD Handle = 0;
    DWORD Size = GetFileVersionInfoSizeA(Exe.c_str(), &Handle);
    ASSERT_GT(Size, 0u);
    std::vector<char> Data(Size);
    ASSERT_TRUE(GetFileVersionInfoA(Exe.c_str(), 0, Size, Data.data()));
    char *Value = 0;
    UINT Len = 0;
    ASSERT_TRUE(VerQueryValueA(Data.data(), "\\StringFileInfo\\040904E4\\ProductName", (void **)&Value, &Len));
    EXPECT_STREQ(Value, "Bytewise");
    ASSERT_TRUE(VerQueryValueA(Data.data(), "\\StringFileInfo\\040904E4\\FileDescription", (void **)&Value, &Len));
    EXPECT_NE(std::string(Value).find("byte by byte"), std::string::npos);
    VS_FIXEDFILEINFO *Fixed = 0;
    ASSERT_TRUE(VerQueryValueA(Data.data(), "\\", (void **)&Fixed, &Len));
    EXPECT_EQ(Fixed->dwFileVersionMS, 0x00010000u);
}
