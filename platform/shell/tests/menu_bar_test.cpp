// SHCreateMenuBar from the program's menus: buttons, popups, commands, the failure switch, bad requests.
#include "shell_test_support.h"

#include <aygshell.h>
#include <aygshell_standin.h>

#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

HWND BarOf(HWND dialog)
{
    return OwnedShellWindow(dialog, AYGSHELL_STANDIN_MENUBAR_CLASS);
}

SHMENUBARINFO MenuBarRequest(HWND parent, UINT menuId)
{
    SHMENUBARINFO info = {};
    info.cbSize = sizeof(info);
    info.hwndParent = parent;
    info.dwFlags = SHCMBF_HMENU;
    info.nToolBarId = menuId;
    info.hInstRes = GetModuleHandleW(nullptr);
    return info;
}

bool HasCommand(const DialogLog& log, WORD id)
{
    return std::count(log.commands.begin(), log.commands.end(), id) != 0;
}

TEST(MenuBar, APopupOpensAboveItsButtonAndItsChosenCommandReachesTheParent)
{
    TestDialog dialog(IDD_OSTREL_DIALOG);
    HWND emptyBar = BarOf(dialog.hwnd);
    SHMENUBARINFO info = MenuBarRequest(dialog.hwnd, IDR_MAIN_MENU);
    ASSERT_TRUE(SHCreateMenuBar(&info));
    EXPECT_EQ(BarOf(dialog.hwnd), info.hwndMB);
    EXPECT_FALSE(IsWindow(emptyBar)) << "the new bar replaces the empty one";
    EXPECT_EQ(0, GetWindowTextLengthW(info.hwndMB)) << "the bar is not titled like the dialog";
    HWND operate = FindWindowExW(info.hwndMB, nullptr, L"Button", L"Operate");
    ASSERT_TRUE(operate);

    std::vector<std::wstring> items;
    RECT menuRect = {};
    dialog.log.onMessage = [&](HWND, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITMENUPOPUP) {
            for (int i = 0; i < GetMenuItemCount(reinterpret_cast<HMENU>(wParam)); ++i) {
                wchar_t text[32] = L"";
                GetMenuStringW(reinterpret_cast<HMENU>(wParam), i, text, 32, MF_BYPOSITION);
                items.push_back(text);
            }
        } else if (message == WM_ENTERIDLE && wParam == MSGF_MENU && !menuRect.bottom) {
            GetWindowRect(reinterpret_cast<HWND>(lParam), &menuRect);
            PressKeys({VK_DOWN, VK_DOWN, VK_RETURN});  // the second item: "Run Backgroud"
        }
    };
    SetForegroundWindow(dialog.hwnd);
    ASSERT_TRUE(Tap(operate));  // the menu runs its loop inside the pumping below
    EXPECT_TRUE(PumpUntil([&] { return HasCommand(dialog.log, ID_OPERATE_RUNBACKGROUND); }));
    EXPECT_EQ((std::vector<std::wstring>{L"Help", L"Run Backgroud", L"Deactive"}), items);
    RECT button;
    GetWindowRect(operate, &button);
    EXPECT_GT(menuRect.bottom, 0) << "the menu never opened";
    EXPECT_LE(menuRect.bottom, button.top) << "the menu opens above its button";
}

TEST(MenuBar, PlainItemsAreButtonsInMenuOrderThatSendTheirCommandsAndKeepTheDialogActive)
{
    TestDialog dialog(IDD_CALLSETTING);
    SHMENUBARINFO info = MenuBarRequest(dialog.hwnd, IDR_SETTING_MENU);
    ASSERT_TRUE(SHCreateMenuBar(&info));
    HWND save = FindWindowExW(info.hwndMB, nullptr, L"Button", nullptr);
    HWND remove = FindWindowExW(info.hwndMB, save, L"Button", nullptr);
    wchar_t saveText[16] = L"", removeText[16] = L"";
    GetWindowTextW(save, saveText, 16);
    GetWindowTextW(remove, removeText, 16);
    EXPECT_EQ(std::wstring(L"Save"), saveText);
    EXPECT_EQ(std::wstring(L"Delete"), removeText);
    EXPECT_LT(WindowBox(save)[2], WindowBox(remove)[0] + 1) << "Save left of Delete";

    SendMessageW(remove, BM_CLICK, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return HasCommand(dialog.log, ID_SETTING_DELETE); }));

    SetForegroundWindow(dialog.hwnd);
    ASSERT_TRUE(Tap(save));
    EXPECT_TRUE(PumpUntil([&] { return HasCommand(dialog.log, ID_SETTING_SAVE); }));
    EXPECT_EQ(dialog.hwnd, GetActiveWindow()) << "a tap on the bar leaves the dialog active";
}

TEST(MenuBar, RefusedRequestsCreateNothingAndLeaveTheHandleAlone)
{
    TestDialog dialog(IDD_CALLSETTING);
    HWND emptyBar = BarOf(dialog.hwnd);
    HWND sentinel = reinterpret_cast<HWND>(0x5A5A);
    auto refused = [&](SHMENUBARINFO info) {
        info.hwndMB = sentinel;
        const BOOL created = SHCreateMenuBar(&info);
        return !created && info.hwndMB == sentinel;
    };
    SetEnvironmentVariableW(AYGSHELL_STANDIN_FAIL_CREATEMENUBAR, L"1");
    EXPECT_TRUE(refused(MenuBarRequest(dialog.hwnd, IDR_SETTING_MENU))) << "the failure switch";
    SetEnvironmentVariableW(AYGSHELL_STANDIN_FAIL_CREATEMENUBAR, nullptr);

    SHMENUBARINFO wrongSize = MenuBarRequest(dialog.hwnd, IDR_SETTING_MENU);
    wrongSize.cbSize -= 4;
    EXPECT_TRUE(refused(wrongSize));
    EXPECT_TRUE(refused(MenuBarRequest(nullptr, IDR_SETTING_MENU)));
    EXPECT_TRUE(refused(MenuBarRequest(reinterpret_cast<HWND>(0x12345678), IDR_SETTING_MENU)));
    EXPECT_TRUE(refused(MenuBarRequest(dialog.hwnd, 999))) << "no such menu";
    EXPECT_FALSE(SHCreateMenuBar(nullptr));
    EXPECT_EQ(emptyBar, BarOf(dialog.hwnd)) << "the empty bar is still the dialog's bar";
    EXPECT_TRUE(IsWindowVisible(emptyBar));
}

}  // namespace
