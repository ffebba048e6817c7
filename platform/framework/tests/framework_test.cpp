// Tests the framework's dialogs on the real dialog manager: data exchange and the ways a modal
// run ends, message maps, bound controls, run-time classes, the control wrappers and the
// message box.
#include <afxwin.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

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

std::wstring Text(LPCWSTR psz)
{
    return psz ? psz : L"<null>";
}

const INT_PTR kTimedOut = 99;

// The test dialog. whenUp runs once the dialog is on screen and must end it; a dialog still up
// after five seconds ends with kTimedOut.
class CTestDlg : public CDialog {
    DECLARE_DYNAMIC(CTestDlg)
public:
    CTestDlg()
        : CDialog(IDD_FWTEST)
    {
    }

    std::function<void(CTestDlg&)> whenUp;
    CString m_strName;
    int nExchangesTo = 0, nExchangesFrom = 0, nPushes = 0, nCommands = 0;
    UINT nSizeType = 0;
    SIZE lastSize = {};
    CButton m_btnPush;
    CListBox m_list;
    CEdit m_edit;
    CButton m_btnMissing;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, IDC_PUSH, m_btnPush);
        DDX_Control(pDX, IDC_LIST, m_list);
        DDX_Control(pDX, IDC_EDIT, m_edit);
        DDX_Control(pDX, IDC_NO_SUCH, m_btnMissing);
        if (pDX->m_bSaveAndValidate) {
            ++nExchangesFrom;
            m_edit.GetWindowText(m_strName);
        } else {
            ++nExchangesTo;
            m_edit.SetWindowText(m_strName);
        }
    }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        ::SetTimer(m_hWnd, 1, 5000, NULL);
        PostMessage(WM_APP);
        return TRUE;
    }
    afx_msg LRESULT OnUp(WPARAM, LPARAM)
    {
        whenUp(*this);
        return 0;
    }
    afx_msg LRESULT OnTimer(WPARAM wParam, LPARAM)
    {
        if (wParam == 1)
            EndDialog(kTimedOut);
        return 0;
    }
    afx_msg LRESULT OnAddOne(WPARAM wParam, LPARAM) { return wParam + 1; }
    afx_msg LRESULT OnCtlColor(WPARAM, LPARAM)
    {
        return reinterpret_cast<LRESULT>(GetStockObject(GRAY_BRUSH));
    }
    afx_msg void OnPush() { ++nPushes; }
    afx_msg void OnTestCommand() { ++nCommands; }
    afx_msg void OnSize(UINT nType, int cx, int cy) { nSizeType = nType, lastSize = {cx, cy}; }

    DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNAMIC(CTestDlg, CDialog)

BEGIN_MESSAGE_MAP(CTestDlg, CDialog)
    ON_MESSAGE(WM_APP, &CTestDlg::OnUp)
    ON_MESSAGE(WM_TIMER, &CTestDlg::OnTimer)
    ON_MESSAGE(WM_APP + 1, &CTestDlg::OnAddOne)
    ON_MESSAGE(WM_CTLCOLOREDIT, &CTestDlg::OnCtlColor)
    ON_BN_CLICKED(IDC_PUSH, &CTestDlg::OnPush)
    ON_COMMAND(ID_TEST_COMMAND, &CTestDlg::OnTestCommand)
    ON_WM_SIZE()
END_MESSAGE_MAP()

// Binds IDC_OTHER and WM_APP + 1 itself; leaves the push button to its base.
class CDerivedDlg : public CTestDlg {
    DECLARE_DYNAMIC(CDerivedDlg)
public:
    int nOthers = 0;

protected:
    afx_msg void OnOther() { ++nOthers; }
    afx_msg LRESULT OnAddTwo(WPARAM wParam, LPARAM) { return wParam + 2; }

    DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNAMIC(CDerivedDlg, CTestDlg)

BEGIN_MESSAGE_MAP(CDerivedDlg, CTestDlg)
    ON_BN_CLICKED(IDC_OTHER, &CDerivedDlg::OnOther)
    ON_MESSAGE(WM_APP + 1, &CDerivedDlg::OnAddTwo)
END_MESSAGE_MAP()

HWND Item(const CWnd& dlg, int nID)
{
    return ::GetDlgItem(dlg.m_hWnd, nID);
}

TEST(Dialog, ExchangesTowardsTheControlsFillsTheScreenAndEndsWithOkOrClose)
{
    CTestDlg dlg;
    dlg.m_strName = L"alpha";
    dlg.whenUp = [](CTestDlg& d) {
        EXPECT_EQ(1, d.nExchangesTo);
        EXPECT_EQ(0, d.nExchangesFrom);
        EXPECT_EQ(L"alpha", Text(d.m_strName));
        CString strShown;
        d.m_edit.GetWindowText(strShown);
        EXPECT_EQ(L"alpha", Text(strShown));
        EXPECT_TRUE(IsWindowVisible(d.m_hWnd));
        RECT rect;
        d.GetWindowRect(&rect);
        EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), rect.right - rect.left)
            << "the shell made it full screen";
        EXPECT_EQ(-1, d.DoModal()) << "already running";
        d.m_edit.SetWindowText(L"beta");
        d.PostMessage(WM_COMMAND, IDOK);
    };
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(1, dlg.nExchangesFrom);
    EXPECT_EQ(L"beta", Text(dlg.m_strName));
    EXPECT_EQ(nullptr, dlg.m_hWnd);

    CTestDlg closed;
    closed.whenUp = [](CTestDlg& d) {
        d.m_edit.SetWindowText(L"gamma");
        d.PostMessage(WM_CLOSE);
    };
    EXPECT_EQ(IDCANCEL, closed.DoModal());
    EXPECT_EQ(0, closed.nExchangesFrom);
    EXPECT_TRUE(closed.m_strName.IsEmpty());

    CDialog missing(IDD_NO_SUCH);
    EXPECT_EQ(-1, missing.DoModal());
    EXPECT_EQ(nullptr, missing.m_hWnd);
}

TEST(Dialog, MapsRunTheirHandlersAndADerivedMapFallsBackToItsBase)
{
    CDerivedDlg dlg;
    dlg.whenUp = [](CTestDlg& base) {
        CDerivedDlg& d = static_cast<CDerivedDlg&>(base);
        RECT client;
        d.GetClientRect(&client);
        EXPECT_EQ(client.right, d.lastSize.cx) << "the shell's resize";
        EXPECT_EQ(client.bottom, d.lastSize.cy);
        d.SendMessage(WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(123, 45));
        EXPECT_EQ(UINT(SIZE_MAXIMIZED), d.nSizeType);
        EXPECT_EQ(123, d.lastSize.cx);
        EXPECT_EQ(45, d.lastSize.cy);

        d.m_btnPush.SendMessage(BM_CLICK);
        EXPECT_EQ(1, d.nPushes) << "the base's row";
        d.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_PUSH, BN_DOUBLECLICKED),
                      LPARAM(Item(d, IDC_PUSH)));
        EXPECT_EQ(1, d.nPushes) << "another notification";
        ::SendMessageW(Item(d, IDC_OTHER), BM_CLICK, 0, 0);
        EXPECT_EQ(1, d.nOthers);
        d.SendMessage(WM_COMMAND, ID_TEST_COMMAND, 0);
        EXPECT_EQ(1, d.nCommands);
        EXPECT_EQ(42, d.SendMessage(WM_APP + 1, 40)) << "the derived row, not the base's";
        EXPECT_EQ(GetStockObject(GRAY_BRUSH),
                  HGDIOBJ(d.SendMessage(WM_CTLCOLOREDIT, 0, LPARAM(Item(d, IDC_EDIT)))));
        d.PostMessage(WM_CLOSE);
    };
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
}

TEST(Dialog, BoundControlsAreBoundOnceLetGoAtTheEndAndBindAgainOnTheNextRun)
{
    CTestDlg dlg;
    dlg.whenUp = [](CTestDlg& d) {
        const HWND hPush = Item(d, IDC_PUSH);
        ASSERT_TRUE(hPush);
        EXPECT_EQ(hPush, d.m_btnPush.m_hWnd);
        EXPECT_EQ(nullptr, d.m_btnMissing.m_hWnd);
        const LONG_PTR pfnBound = GetWindowLongPtrW(hPush, GWLP_WNDPROC);
        d.UpdateData(FALSE);
        EXPECT_EQ(hPush, d.m_btnPush.m_hWnd);
        EXPECT_EQ(pfnBound, GetWindowLongPtrW(hPush, GWLP_WNDPROC)) << "not subclassed twice";

        d.m_btnPush.SetWindowText(L"Pushed");
        CString strText;
        d.m_btnPush.GetWindowText(strText);
        EXPECT_EQ(L"Pushed", Text(strText));
        d.m_btnPush.SendMessage(BM_CLICK);
        EXPECT_EQ(1, d.nPushes);

        EXPECT_EQ(&d.m_btnPush, d.GetDlgItem(IDC_PUSH));
        CWnd* pOther = d.GetDlgItem(IDC_OTHER);
        ASSERT_TRUE(pOther);
        EXPECT_EQ(Item(d, IDC_OTHER), pOther->m_hWnd);
        EXPECT_EQ(pOther, d.GetDlgItem(IDC_OTHER)) << "the same temporary within one handling";
        EXPECT_EQ(nullptr, d.GetDlgItem(IDC_NO_SUCH));

        // A bound object that ends before its window gives the window its procedure back.
        const LONG_PTR pfnOther = GetWindowLongPtrW(Item(d, IDC_OTHER), GWLP_WNDPROC);
        {
            CButton btnShortLived;
            CDataExchange dx(&d, FALSE);
            DDX_Control(&dx, IDC_OTHER, btnShortLived);
            EXPECT_EQ(Item(d, IDC_OTHER), btnShortLived.m_hWnd);
            EXPECT_EQ(&btnShortLived, d.GetDlgItem(IDC_OTHER));
        }
        EXPECT_EQ(pfnOther, GetWindowLongPtrW(Item(d, IDC_OTHER), GWLP_WNDPROC));
        CWnd* pAfter = d.GetDlgItem(IDC_OTHER);
        EXPECT_TRUE(pAfter && pAfter->m_hWnd == Item(d, IDC_OTHER));
        ::SendMessageW(Item(d, IDC_OTHER), BM_CLICK, 0, 0);
        d.PostMessage(WM_COMMAND, IDOK);
    };
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(nullptr, dlg.m_btnPush.m_hWnd);
    EXPECT_EQ(nullptr, dlg.m_list.m_hWnd);

    dlg.nPushes = 0;
    dlg.whenUp = [](CTestDlg& d) {
        EXPECT_EQ(Item(d, IDC_PUSH), d.m_btnPush.m_hWnd);
        d.m_btnPush.SendMessage(BM_CLICK);
        EXPECT_EQ(1, d.nPushes);
        d.PostMessage(WM_CLOSE);
    };
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
}

TEST(RuntimeClass, NamesTheClassAndKnowsItsBases)
{
    CDerivedDlg dlg;
    EXPECT_STREQ("CDerivedDlg", dlg.GetRuntimeClass()->m_lpszClassName);
    EXPECT_TRUE(dlg.IsKindOf(RUNTIME_CLASS(CDialog)));
    CTestDlg base;
    EXPECT_FALSE(base.IsKindOf(RUNTIME_CLASS(CDerivedDlg)));
}

// What a message box of the test's thread showed.
struct SeenBox {
    std::wstring caption, text;
    HICON hIcon = NULL;
    HWND hWndOwner = NULL;
};

BOOL CALLBACK FindMessageBox(HWND hWnd, LPARAM lParam)
{
    wchar_t szClass[16] = {};
    GetClassNameW(hWnd, szClass, 16);
    if (wcscmp(szClass, L"#32770") || !IsWindowVisible(hWnd) || GetDlgItem(hWnd, IDC_PUSH))
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hWnd;
    return FALSE;
}

// From a helper thread: waits up to five seconds for a message box of thread nThreadId (a
// #32770 window that is not the test dialog), notes what it shows and answers it with OK.
std::thread AnswerMessageBox(DWORD nThreadId, SeenBox& seen)
{
    return std::thread([nThreadId, &seen] {
        for (DWORD nStart = GetTickCount(); GetTickCount() - nStart < 5000; Sleep(20)) {
            HWND hBox = NULL;
            EnumThreadWindows(nThreadId, &FindMessageBox, LPARAM(&hBox));
            if (!hBox)
                continue;
            wchar_t szText[256] = {};
            GetWindowTextW(hBox, szText, 256);
            seen.caption = szText;
            seen.hWndOwner = GetWindow(hBox, GW_OWNER);
            for (HWND hChild = GetWindow(hBox, GW_CHILD); hChild;
                 hChild = GetWindow(hChild, GW_HWNDNEXT)) {
                GetClassNameW(hChild, szText, 256);
                if (_wcsicmp(szText, L"Static"))
                    continue;
                if ((GetWindowLongW(hChild, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
                    seen.hIcon = HICON(SendMessageW(hChild, STM_GETICON, 0, 0));
                } else if (GetWindowTextW(hChild, szText, 256) > 0) {
                    seen.text = szText;
                }
            }
            PostMessageW(hBox, WM_COMMAND, IDOK, 0);
            return;
        }
    });
}

TEST(AppMessageBox, CaptionedWithTheAppNameOwnedByTheMainWindowWithTheExclamationIconByDefault)
{
    EXPECT_EQ(L"framework_test", Text(AfxGetAppName()));

    SeenBox seen;
    std::thread answer = AnswerMessageBox(GetCurrentThreadId(), seen);
    EXPECT_EQ(IDOK, AfxMessageBox(L"Line is busy"));
    answer.join();
    EXPECT_EQ(L"framework_test", seen.caption);
    EXPECT_EQ(L"Line is busy", seen.text);
    EXPECT_EQ(LoadIconW(NULL, IDI_EXCLAMATION), seen.hIcon);
    EXPECT_EQ(nullptr, seen.hWndOwner);

    CTestDlg dlg;
    theApp.m_pMainWnd = &dlg;
    SeenBox seenOwned;
    HWND hDlg = NULL;
    dlg.whenUp = [&seenOwned, &hDlg](CTestDlg& d) {
        hDlg = d.m_hWnd;
        std::thread answerOwned = AnswerMessageBox(GetCurrentThreadId(), seenOwned);
        EXPECT_EQ(IDOK, AfxMessageBox(IDS_PROMPT, MB_ICONINFORMATION));
        answerOwned.join();
        d.PostMessage(WM_CLOSE);
    };
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    theApp.m_pMainWnd = NULL;
    EXPECT_EQ(L"Loaded prompt", seenOwned.text);
    EXPECT_EQ(LoadIconW(NULL, IDI_INFORMATION), seenOwned.hIcon) << "the icon asked for";
    EXPECT_EQ(hDlg, seenOwned.hWndOwner);
}

}  // namespace
