// What the program's own tests cannot see of the framework: what its message box shows, and that
// a bound control is let go with its window. The rest is driven through the program's dialogs.
#include <afxwin.h>

#include <gtest/gtest.h>

#include <string>

#include "framework_test_ids.h"

namespace {

class CTestApp : public CWinApp {};

CTestApp theApp;  // no name: the framework takes the executable's

// The application's start as the entry would make it, without the entry's own steps.
class AppEnvironment : public ::testing::Environment {
    void SetUp() override { ASSERT_TRUE(AfxWinInit(GetModuleHandleW(NULL), NULL, NULL, SW_SHOW)); }
};
::testing::Environment* const g_pEnvironment =
    ::testing::AddGlobalTestEnvironment(new AppEnvironment);

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
            if (_wcsicmp(szText, L"Static") != 0)
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
    HHOOK hHook = SetWindowsHookExW(WH_CBT, AnswerOnActivation, NULL, GetCurrentThreadId());
    EXPECT_EQ(IDOK, AfxMessageBox(IDS_PROMPT));
    UnhookWindowsHookEx(hHook);
    EXPECT_EQ(L"framework_test", g_seen.caption);
    EXPECT_EQ(L"Loaded prompt", g_seen.text);
    EXPECT_EQ(LoadIconW(NULL, IDI_EXCLAMATION), g_seen.hIcon);
    EXPECT_EQ(nullptr, g_seen.hWndOwner) << "no main window yet";
}

// Binds its button and closes at once.
class CBoundDlg : public CDialog {
public:
    CBoundDlg()
        : CDialog(IDD_BOUND)
    {
    }
    CButton m_btnBound;
    HWND m_hWndBound = NULL;

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_BOUND, m_btnBound); }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_hWndBound = m_btnBound.m_hWnd;
        PostMessage(WM_CLOSE);
        return TRUE;
    }
};

// Every opening of the editor binds new controls: the ended ones must not stay behind.
TEST(Dialog, ABoundControlIsLetGoWithItsWindow)
{
    CBoundDlg dlg;
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_NE(nullptr, dlg.m_hWndBound);
    EXPECT_EQ(nullptr, dlg.m_btnBound.m_hWnd);
}

}  // namespace
