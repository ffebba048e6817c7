// What the program's own tests cannot see of the shell stand-in: the screen shared between a
// dressed dialog and its strips in both orientations, the "ok" of a disabled dialog and its
// hiding, a minimised dialog, and what a bar leaves behind.
#include <aygshell.h>
#include <aygshell_standin.h>

#include "resource.h"
#include "tests/support/desktop_driver.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Box = std::array<LONG, 4>;  // left, top, right, bottom on the screen
int g_oks = 0, g_saves = 0;

INT_PTR CALLBACK DressedProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        SHINITDLGINFO info = {SHIDIM_FLAGS, hwnd, 0x2D};  // as the framework: ok, full screen
        SHInitDialog(&info);
    }
    g_oks += message == WM_COMMAND && LOWORD(wParam) == IDOK;
    g_saves += message == WM_COMMAND && LOWORD(wParam) == ID_SETTING_SAVE;
    return message == WM_INITDIALOG || message == WM_COMMAND;
}

// The program's main dialog, modeless and dressed as the framework dresses it.
struct Dressed {
    HWND hwnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_OSTREL_DIALOG),
                                   nullptr, DressedProc, 0);
    ~Dressed() { DestroyWindow(hwnd); }
    HWND Strip(const wchar_t* className) const
    {
        for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, className, nullptr));)
            if (GetWindow(w, GW_OWNER) == hwnd)
                return w;
        return nullptr;
    }
};

Box BoxOf(HWND hwnd)
{
    RECT r = {};
    GetWindowRect(hwnd, &r);
    return {r.left, r.top, r.right, r.bottom};
}

// Waits until the count is at least atLeast (the strips post their commands); the count then.
int Counted(const int& count, int atLeast)
{
    WaitUntil([&] { return count >= atLeast; }, kDeadlineMs);
    return count;
}

TEST(ShellStandIn, TheDialogFillsTheScreenBetweenItsStripsAsTheScreenTurns)
{
    using Boxes = std::array<Box, 3>;  // the title strip, the dialog, the menu bar
    const struct {
        DWORD cx, cy;
        Boxes boxes;
    } kScreens[] = {{240, 320, {{{0, 0, 240, 26}, {0, 26, 240, 294}, {0, 294, 240, 320}}}},
                    {320, 240, {{{0, 0, 320, 26}, {0, 26, 320, 214}, {0, 214, 320, 240}}}},
                    {240, 320, {{{0, 0, 240, 26}, {0, 26, 240, 294}, {0, 294, 240, 320}}}}};
    Dressed dialog;
    ShowWindow(dialog.hwnd, SW_SHOW);
    const auto boxes = [&] {
        return Boxes{BoxOf(dialog.Strip(AYGSHELL_STANDIN_TITLE_CLASS)), BoxOf(dialog.hwnd),
                     BoxOf(dialog.Strip(AYGSHELL_STANDIN_MENUBAR_CLASS))};
    };
    for (const auto& screen : kScreens) {
        ASSERT_TRUE(LandscapeScreen::Set(screen.cx, screen.cy));
        WaitUntil([&] { return boxes() == screen.boxes; }, kDeadlineMs);
        EXPECT_EQ(screen.boxes, boxes()) << screen.cx;
    }
}

TEST(ShellStandIn, OkEndsOnlyAnEnabledDialogAndTheStripsFollowAMinimise)
{
    Dressed dialog;
    ShowWindow(dialog.hwnd, SW_SHOW);
    HWND title = dialog.Strip(AYGSHELL_STANDIN_TITLE_CLASS);
    HWND ok = FindWindowExW(title, nullptr, L"Button", L"ok");
    g_oks = 0;
    EnableWindow(dialog.hwnd, FALSE);  // as under a message box or a modal dialog
    SendMessageW(ok, BM_CLICK, 0, 0);
    EnableWindow(dialog.hwnd, TRUE);
    SendMessageW(ok, BM_CLICK, 0, 0);
    EXPECT_EQ(1, Counted(g_oks, 1)) << "only the enabled dialog's ok arrives, after the other's";
    EXPECT_TRUE(SHDoneButton(dialog.hwnd, SHDB_HIDE));
    EXPECT_FALSE(IsWindowVisible(ok));

    // The screen turns while the dialog is minimised: placed anew when it comes back.
    ShowWindow(dialog.hwnd, SW_MINIMIZE);
    EXPECT_FALSE(IsWindowVisible(title));
    const LandscapeScreen screen;
    ShowWindow(dialog.hwnd, SW_RESTORE);
    EXPECT_TRUE(IsWindowVisible(title));
    EXPECT_EQ((Box{0, 26, 320, 214}), BoxOf(dialog.hwnd));
}

// A tap on the bar sends its command and leaves the dialog active; the bar goes with its dialog.
TEST(ShellStandIn, ABarKeepsTheDialogActiveAndGoesWithItsMenu)
{
    HMENU menu = nullptr;
    HWND bar = nullptr;
    {
        Dressed dialog;
        SHMENUBARINFO info = {};
        info.cbSize = sizeof(info);
        info.hwndParent = dialog.hwnd, info.dwFlags = SHCMBF_HMENU;
        info.nToolBarId = IDR_SETTING_MENU, info.hInstRes = GetModuleHandleW(nullptr);
        ASSERT_TRUE(SHCreateMenuBar(&info));
        bar = info.hwndMB;
        menu = reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETMENU, 0, 0));
        ASSERT_TRUE(IsMenu(menu));
        ShowWindow(dialog.hwnd, SW_SHOW);
        SetForegroundWindow(dialog.hwnd);
        g_saves = 0;
        EXPECT_TRUE(Click(FindWindowExW(bar, nullptr, L"Button", L"Save")));
        EXPECT_EQ(1, Counted(g_saves, 1));
        EXPECT_EQ(dialog.hwnd, GetActiveWindow());
    }
    EXPECT_FALSE(IsWindow(bar));
    EXPECT_FALSE(IsMenu(menu));
}

}  // namespace
