// A dialog dressed by SHInitDialog as the framework does it: the screen it fills, its title strip
// and "ok" button, turns of the screen, minimising, a second full-screen dialog over it, cleanup.
#include "shell_test_support.h"

#include <aygshell.h>
#include <aygshell_standin.h>

#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Box = std::array<LONG, 4>;

HWND TitleOf(HWND dialog)
{
    return OwnedShellWindow(dialog, AYGSHELL_STANDIN_TITLE_CLASS);
}
HWND BarOf(HWND dialog)
{
    return OwnedShellWindow(dialog, AYGSHELL_STANDIN_MENUBAR_CLASS);
}
HWND OkOf(HWND dialog)
{
    return FindWindowExW(TitleOf(dialog), nullptr, L"Button", L"ok");
}

bool CountsCommand(const DialogLog& log, WORD id)
{
    return std::count(log.commands.begin(), log.commands.end(), id) != 0;
}

TEST(FullScreenDialog, FillsTheScreenBetweenItsStripsAndFollowsTheScreenBothWays)
{
    TestDialog dialog(IDD_OSTREL_DIALOG);
    ASSERT_TRUE(TitleOf(dialog.hwnd) && BarOf(dialog.hwnd))
        << "the title strip and the empty menu bar";
    EXPECT_EQ((Box{0, 26, 240, 294}), WindowBox(dialog.hwnd));
    EXPECT_EQ(240, dialog.log.lastSize.cx) << "no caption or border left";
    EXPECT_EQ(268, dialog.log.lastSize.cy);
    EXPECT_EQ((Box{0, 0, 240, 26}), WindowBox(TitleOf(dialog.hwnd)));
    EXPECT_EQ((Box{0, 294, 240, 320}), WindowBox(BarOf(dialog.hwnd)));
    EXPECT_EQ(nullptr, FindWindowExW(BarOf(dialog.hwnd), nullptr, L"Button", nullptr)) << "empty";
    {
        const int sizesBefore = dialog.log.sizes;
        TurnedScreen landscape(320, 240);
        ASSERT_EQ(320, GetSystemMetrics(SM_CXSCREEN)) << "Wine refused to turn the screen";
        EXPECT_EQ((Box{0, 26, 320, 214}), WindowBox(dialog.hwnd));
        EXPECT_EQ((Box{0, 0, 320, 26}), WindowBox(TitleOf(dialog.hwnd)));
        EXPECT_EQ((Box{0, 214, 320, 240}), WindowBox(BarOf(dialog.hwnd)));
        EXPECT_GT(dialog.log.sizes, sizesBefore);
        EXPECT_EQ(320, dialog.log.lastSize.cx);
    }
    EXPECT_EQ((Box{0, 26, 240, 294}), WindowBox(dialog.hwnd));
    EXPECT_EQ((Box{0, 294, 240, 320}), WindowBox(BarOf(dialog.hwnd)));
    EXPECT_EQ(240, dialog.log.lastSize.cx);
}

TEST(FullScreenDialog, OnlyTheDialogCarriesItsTitleAndItsOkTapSendsIdok)
{
    TestDialog dialog(IDD_OSTREL_DIALOG);
    EXPECT_EQ(dialog.hwnd, FindWindowW(nullptr, L"Quellar"));
    for (HWND hwnd = nullptr; (hwnd = FindWindowExW(nullptr, hwnd, nullptr, L"Quellar"));)
        EXPECT_EQ(dialog.hwnd, hwnd) << "another window is titled Quellar";

    ASSERT_TRUE(OkOf(dialog.hwnd));
    EXPECT_TRUE(IsWindowVisible(OkOf(dialog.hwnd)));
    SendMessageW(OkOf(dialog.hwnd), BM_CLICK, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return CountsCommand(dialog.log, IDOK); }));

    EXPECT_TRUE(SHDoneButton(dialog.hwnd, SHDB_HIDE));
    EXPECT_FALSE(IsWindowVisible(OkOf(dialog.hwnd)));
    EXPECT_TRUE(SHDoneButton(dialog.hwnd, SHDB_SHOW));
    EXPECT_TRUE(IsWindowVisible(OkOf(dialog.hwnd)));

    // While a message box or a modal dialog disables it, the dialog must not be ended from the strip.
    dialog.log.commands.clear();
    EnableWindow(dialog.hwnd, FALSE);
    SendMessageW(OkOf(dialog.hwnd), BM_CLICK, 0, 0);
    PumpUntil([] { return false; }, 200);
    EXPECT_TRUE(dialog.log.commands.empty());
    EXPECT_EQ(dialog.hwnd, GetActiveWindow()) << "the taps never took the activation";
}

TEST(FullScreenDialog, StripsLeaveWithTheMinimisedDialogAndComeBackFittingATurnedScreen)
{
    TestDialog dialog(IDD_OSTREL_DIALOG);
    ShowWindow(dialog.hwnd, SW_MINIMIZE);
    EXPECT_FALSE(IsWindowVisible(TitleOf(dialog.hwnd)));
    EXPECT_FALSE(IsWindowVisible(BarOf(dialog.hwnd)));
    TurnedScreen landscape(320, 240);
    ShowWindow(dialog.hwnd, SW_RESTORE);
    EXPECT_TRUE(IsWindowVisible(TitleOf(dialog.hwnd)));
    EXPECT_TRUE(IsWindowVisible(BarOf(dialog.hwnd)));
    EXPECT_EQ((Box{0, 26, 320, 214}), WindowBox(dialog.hwnd));
}

TEST(FullScreenDialog, ASecondDialogShowsItsOwnStripsUntilItEndsAndLeavesNothingBehind)
{
    TestDialog main(IDD_OSTREL_DIALOG);
    auto ownerAt = [](int x, int y) { return GetWindow(WindowFromPoint(POINT{x, y}), GW_OWNER); };
    HWND editor = nullptr, editorTitle = nullptr, editorBar = nullptr;
    HMENU editorMenu = nullptr;
    DialogLog editorLog;
    editorLog.onMessage = [&](HWND hwnd, UINT message, WPARAM, LPARAM) {
        if (message != WM_INITDIALOG)
            return;
        SHMENUBARINFO info = {};
        info.cbSize = sizeof(info);
        info.hwndParent = hwnd;
        info.dwFlags = SHCMBF_HMENU;
        info.nToolBarId = IDR_SETTING_MENU;
        info.hInstRes = GetModuleHandleW(nullptr);
        EXPECT_TRUE(SHCreateMenuBar(&info));
        editorMenu = reinterpret_cast<HMENU>(SendMessageW(info.hwndMB, SHCMBM_GETMENU, 0, 0));
    };
    // The owner hears WM_ENTERIDLE once the modal editor is on screen and its loop waits.
    main.log.onMessage = [&](HWND, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != WM_ENTERIDLE || wParam != MSGF_DIALOGBOX || editor)
            return;
        editor = reinterpret_cast<HWND>(lParam), editorTitle = TitleOf(editor),
        editorBar = BarOf(editor);
        EXPECT_EQ(editor, ownerAt(20, 10)) << "the editor's title strip is on top";
        EXPECT_EQ(editor, ownerAt(200, 310)) << "the editor's menu bar is on top";
        EndDialog(editor, IDOK);
    };
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CALLSETTING), main.hwnd,
                    TestDialogProc, reinterpret_cast<LPARAM>(&editorLog));
    ASSERT_TRUE(editor);
    EXPECT_TRUE(editorMenu);
    EXPECT_EQ(main.hwnd, ownerAt(20, 10)) << "the first dialog's strips are back";
    EXPECT_EQ(main.hwnd, ownerAt(200, 310));
    EXPECT_FALSE(IsWindow(editorTitle) || IsWindow(editorBar))
        << "the editor's strips went with it";
    EXPECT_FALSE(IsMenu(editorMenu)) << "its menu was destroyed with its bar";
}

TEST(FullScreenDialog, BadArgumentsFail)
{
    SHINITDLGINFO info = {SHIDIM_FLAGS, nullptr, kFrameworkFlags};
    EXPECT_FALSE(SHInitDialog(nullptr));
    EXPECT_FALSE(SHInitDialog(&info));
    info.hDlg = reinterpret_cast<HWND>(0x12345678);
    EXPECT_FALSE(SHInitDialog(&info));
    EXPECT_FALSE(SHDoneButton(nullptr, SHDB_HIDE));
    EXPECT_FALSE(SHDoneButton(GetDesktopWindow(), SHDB_HIDE)) << "a window the shell never dressed";
    EXPECT_TRUE(SHInitExtraControls());
}

}  // namespace
