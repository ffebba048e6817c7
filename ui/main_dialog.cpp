#include "ui/main_dialog.h"

#include "engine/screening_policy.h"
#include "settings/settings_store.h"
#include "ui/call_setting.h"
#include "ui/help_dialog.h"
#include "ui/template_layout.h"

BEGIN_MESSAGE_MAP(COstrelDlg, CDialog)
    ON_WM_SIZE()
    ON_COMMAND(ID_OPERATE_RUNBACKGROUND, &COstrelDlg::OnRunBackground)
    ON_COMMAND(ID_OPERATE_DEACTIVE, &COstrelDlg::OnDeactive)
    ON_BN_CLICKED(IDC_ACCEPT_ALL, &COstrelDlg::OnAcceptAll)
    ON_BN_CLICKED(IDC_BLOCK_BLACKLIST, &COstrelDlg::OnBlockBlacklist)
    ON_BN_CLICKED(IDC_REJECT_ALL, &COstrelDlg::OnRejectAll)
    ON_BN_CLICKED(IDC_SET_BLACKLIST, &COstrelDlg::OnSetBlacklist)
    ON_COMMAND(ID_OPERATE_HELP, &COstrelDlg::OnHelp)
END_MESSAGE_MAP()

COstrelDlg::COstrelDlg(CWnd* pParent)
    : CDialog(COstrelDlg::IDD, pParent),
      m_hIcon(AfxGetApp()->LoadIcon(IDR_MAINFRAME))
{
    memset(&m_mbi, 0, sizeof(m_mbi));
    m_bListLoaded = false;
}

COstrelDlg::~COstrelDlg()
{
    m_lineSession.CloseLineSession();
}

// The same in both directions: the list is (re)loaded from the store, the button bound.
void COstrelDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    m_bListLoaded = ReadNumberList(g_strNumberList) != FALSE;
    DDX_Control(pDX, IDC_SET_BLACKLIST, m_btnSetBlacklist);
}

BOOL COstrelDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    // No OK button of its own: "Deactive" is the way to end the program.
    SHDoneButton(m_hWnd, SHDB_HIDE);

    m_lineSession.InitLineSession();

    memset(&m_mbi, 0, sizeof(m_mbi));
    m_mbi.cbSize = sizeof(m_mbi);
    m_mbi.hwndParent = m_hWnd;
    m_mbi.dwFlags = SHCMBF_HMENU;
    m_mbi.nToolBarId = IDR_MAIN_MENU;
    m_mbi.hInstRes = AfxGetInstanceHandle();
    m_mbi.nBmpId = 0;
    m_mbi.cBmpImages = 0;
    if (!SHCreateMenuBar(&m_mbi))
        MessageBox(_T("SHCreateMenuBar Failed"), _T("Error"), MB_OK);

    // The mode starts at 2 already; only the mark is set here.
    GetDlgItem(IDC_BLOCK_BLACKLIST)->SendMessage(BM_SETCHECK, 1, 0);

    // The focus goes to the first tab stop, "Set Blacklist".
    return TRUE;
}

// Every size change, a minimise included: the controls take the places of the template that
// fits the screen as it is now, whatever size the message carries. A square screen is landscape.
void COstrelDlg::OnSize(UINT, int, int)
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    // What cannot be applied stays where it was; nothing is shown for it.
    static_cast<void>(
        ApplyTemplateLayout(AfxGetInstanceHandle(), m_hWnd,
                            height > width ? IDD_OSTREL_DIALOG : IDD_OSTREL_DIALOG_WIDE));
}

// "Run Backgroud": out of sight, still screening.
void COstrelDlg::OnRunBackground()
{
    ShowWindow(SW_MINIMIZE);
}

// "Deactive": the close request ends the modal run with the cancel result.
void COstrelDlg::OnDeactive()
{
    PostMessage(WM_CLOSE, 0, 0);
}

// "Set Blacklist": the list editor on the current list. A save there has already replaced
// g_strNumberList, so nothing is reloaded here.
void COstrelDlg::OnSetBlacklist()
{
    // A list that could not be read at start is read again first: an editor opened on an empty
    // list in its place would save over stored numbers the user never saw.
    if (!m_bListLoaded)
        m_bListLoaded = ReadNumberList(g_strNumberList) != FALSE;
    CCallSetting dlg(&g_strNumberList, NULL, m_bListLoaded);
    dlg.DoModal();
}

// "Help": the help text, until the user closes it.
void COstrelDlg::OnHelp()
{
    CHelpDialog dlg;
    dlg.DoModal();
}

void COstrelDlg::OnAcceptAll()
{
    SelectMode(IDC_ACCEPT_ALL, MODE_ACCEPT_ALL);
}

void COstrelDlg::OnBlockBlacklist()
{
    SelectMode(IDC_BLOCK_BLACKLIST, MODE_BLOCK_BLACKLIST);
}

void COstrelDlg::OnRejectAll()
{
    SelectMode(IDC_REJECT_ALL, MODE_REJECT_ALL);
}

// Marks the button again and sets the mode the next call is screened with; nothing is stored.
void COstrelDlg::SelectMode(int nRadioId, ScreeningMode nMode)
{
    GetDlgItem(nRadioId)->SendMessage(BM_SETCHECK, 1, 0);
    g_nScreeningMode = nMode;
}
