// What the framework's message box shows, which the program's own tests cannot read: the rest of
// the framework is driven by them through the program's dialogs.
#include <afxwin.h>

#include <gtest/gtest.h>

#include <string>

#include "framework_test_ids.h"

namespace {

class CTestApp : public CWinApp {};

CTestApp theApp;  // no name: the framework takes the executable's

// What the message box showed when it came up; it is then answered with OK.
struct SeenBox {
    std::wstring caption, text;
    HICON hIcon = NULL;
    HWND hWndOwner = NULL;
} g_seen;

LRESULT CALLBACK AnswerOnActivation(int nCode, WPARAM wParam, LPARAM lParam)
{
    HWND hBox = HWND(wParam);
    wchar_t szText[64] = {};
    if (nCode == HCBT_ACTIVATE && GetClassNameW(hBox, szText, 64) && !wcscmp(szText, L"#32770")) {
        GetWindowTextW(hBox, szText, 64);
        g_seen.caption = szText;
        g_seen.hWndOwner = GetWindow(hBox, GW_OWNER);
        for (HWND hChild = GetWindow(hBox, GW_CHILD); hChild;
             hChild = GetWindow(hChild, GW_HWNDNEXT)) {
            GetClassNameW(hChild, szText, 64);
            if (_wcsicmp(szText, L"Static"))
                continue;
            if ((GetWindowLongW(hChild, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                g_seen.hIcon = HICON(SendMessageW(hChild, STM_GETICON, 0, 0));
            else if (GetWindowTextW(hChild, szText, 64))
                g_seen.text = szText;
        }
        PostMessageW(hBox, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(NULL, nCode, wParam, lParam);
}

TEST(AppMessageBox, ShowsTheStringUnderTheAppNameWithTheExclamationIcon)
{
    ASSERT_TRUE(AfxWinInit(GetModuleHandleW(NULL), NULL, NULL, SW_SHOW));
    HHOOK hHook = SetWindowsHookExW(WH_CBT, AnswerOnActivation, NULL, GetCurrentThreadId());
    EXPECT_EQ(IDOK, AfxMessageBox(IDS_PROMPT));
    UnhookWindowsHookEx(hHook);
    EXPECT_EQ(L"framework_test", g_seen.caption);
    EXPECT_EQ(L"Loaded prompt", g_seen.text);
    EXPECT_EQ(LoadIconW(NULL, IDI_EXCLAMATION), g_seen.hIcon);
    EXPECT_EQ(nullptr, g_seen.hWndOwner) << "no main window yet";
}

}  // namespace
