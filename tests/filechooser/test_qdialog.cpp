// Window centring and combo-box list height on real windows (1024 x 768 test desktop).
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "QDialog.h"

namespace {

HWND MakePopup(int AWidth, int AHeight)
{
    return CreateWindowExA(0, "STATIC", "centre me", WS_POPUP | WS_BORDER, 5, 7, AWidth, AHeight,
                           0, 0, GetModuleHandleA(0), 0);
}

struct TCentreCase {
    int Width, Height;
    int X, Y;
};

}  // namespace

TEST(CenterWindow, PlacesAThirdDownAndKeepsTheSize)
{
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024) << "the test desktop is 1024 x 768";
    ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    static const TCentreCase Cases[] = {
        {600, 300, 212, 156},
        {1024, 768, 0, 0},
        {101, 100, 461, 222},     // 923 / 2 and 668 / 3 truncate down
        {1027, 800, -1, -10},     // -3 / 2 and -32 / 3 truncate toward zero
    };
    for (const TCentreCase &C : Cases) {
        HWND Wnd = MakePopup(C.Width, C.Height);
        ASSERT_TRUE(Wnd);
        RECT R;
        GetWindowRect(Wnd, &R);
        ASSERT_EQ(R.right - R.left, C.Width) << "the system kept the asked size";
        CenterWindow(Wnd);
        GetWindowRect(Wnd, &R);
        EXPECT_EQ(R.left, C.X) << C.Width << " x " << C.Height;
        EXPECT_EQ(R.top, C.Y) << C.Width << " x " << C.Height;
        EXPECT_EQ(R.right - R.left, C.Width);
        EXPECT_EQ(R.bottom - R.top, C.Height);
        EXPECT_FALSE(IsWindowVisible(Wnd)) << "centring shows nothing";
        DestroyWindow(Wnd);
    }
}

class ComboBoxListTest : public ::testing::Test {
protected:
    HWND Parent = 0, Combo = 0;
    void SetUp() override
    {
        Parent = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 300,
                                 0, 0, GetModuleHandleA(0), 0);
        Combo = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, 10, 10,
                                200, 150, Parent, 0, GetModuleHandleA(0), 0);
    }
    void TearDown() override { DestroyWindow(Parent); }
    void AddItems(int ACount)
    {
        for (int I = 0; I < ACount; I++) SendMessageA(Combo, CB_ADDSTRING, 0, (LPARAM) "item");
    }
    // Height of the list as it drops down, measured on the list window itself.
    int DroppedHeight()
    {
        COMBOBOXINFO Info;
        Info.cbSize = sizeof Info;
        if (!GetComboBoxInfo(Combo, &Info)) return -1;
        SendMessageA(Combo, CB_SHOWDROPDOWN, TRUE, 0);
        RECT R;
        GetWindowRect(Info.hwndList, &R);
        SendMessageA(Combo, CB_SHOWDROPDOWN, FALSE, 0);
        return R.bottom - R.top;
    }
    int ClosedHeight()
    {
        RECT R;
        GetWindowRect(Combo, &R);
        return R.bottom - R.top;
    }
    int ClosedWidth()
    {
        RECT R;
        GetWindowRect(Combo, &R);
        return R.right - R.left;
    }
    int ItemHeight() { return (int)SendMessageA(Combo, CB_GETITEMHEIGHT, 0, 0); }
};

TEST_F(ComboBoxListTest, ItemCountLimitedByTheAskedNumber)
{
    struct {
        int Items, List, Rows;
    } Cases[] = {{0, 8, 1}, {3, 8, 3}, {10, 5, 5}, {0, 0, 1}, {4, 4, 4}};   // none: room for one
    for (auto &C : Cases) {
        SCOPED_TRACE(std::to_string(C.Items) + " items, list " + std::to_string(C.List));
        SendMessageA(Combo, CB_RESETCONTENT, 0, 0);
        AddItems(C.Items);
        int Closed = ClosedHeight();
        ComboBoxList(Combo, C.List);
        EXPECT_EQ(DroppedHeight(), 2 + C.Rows * ItemHeight());
        EXPECT_EQ(ClosedHeight(), Closed) << "the closed box keeps its height";
        EXPECT_EQ(ClosedWidth(), 200);
        EXPECT_TRUE(IsWindowVisible(Combo)) << "shown again after the hidden resize";
    }
}
