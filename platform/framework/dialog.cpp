// CDialog: a template of the application's module run modally by the system's dialog manager,
// its messages passed through the dialog's message maps.
#include "afximpl.h"

#include <aygshell.h>

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
END_MESSAGE_MAP()

namespace {

// What the shell makes of every framework dialog: an OK button in the title bar, the whole
// screen, the input panel down, an empty menu bar until the dialog makes its own.
const DWORD kDialogShellFlags =
    SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN | SHIDIF_EMPTYMENU;

// Messages whose answer the dialog manager takes from the dialog procedure's own return value,
// not from DWLP_MSGRESULT.
bool IsAnsweredByReturnValue(UINT message)
{
    switch (message) {
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
    case WM_QUERYDRAGICON:
    case WM_VKEYTOITEM:
        return true;
    default:
        return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
    }
}

}  // namespace

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate),
      m_pParentWnd(pParentWnd)
{
}

CDialog::~CDialog()
{
}

INT_PTR CDialog::DoModal()
{
    if (m_hWnd)
        return -1;
    // With no parent given, the main window owns the dialog, unless it is this dialog or gone.
    HWND hWndOwner = NULL;
    if (m_pParentWnd) {
        hWndOwner = m_pParentWnd->m_hWnd;
    } else if (CWnd* pMainWnd = AfxGetMainWnd()) {
        if (pMainWnd != this && ::IsWindow(pMainWnd->m_hWnd))
            hWndOwner = pMainWnd->m_hWnd;
    }
    return DialogBoxParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate), hWndOwner,
                           &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::EndDialog(int nResult)
{
    ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);

    SHINITDLGINFO shidi;
    shidi.dwMask = SHIDIM_FLAGS;
    shidi.hDlg = m_hWnd;
    shidi.dwFlags = kDialogShellFlags;
    SHInitDialog(&shidi);
    return TRUE;
}

void CDialog::OnOK()
{
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        CDialog* pDlg = reinterpret_cast<CDialog*>(lParam);
        pDlg->m_hWnd = hDlg;
        AfxSetPermanent(hDlg, pDlg, NULL);
    }
    AfxPermanentEntry* pEntry = AfxLookupPermanent(hDlg);
    CDialog* pDlg = pEntry ? static_cast<CDialog*>(pEntry->pWnd) : NULL;
    if (message == WM_NCDESTROY) {
        if (pDlg)
            pDlg->m_hWnd = NULL;
        AfxRemovePermanent(hDlg);
        return FALSE;
    }
    if (!pDlg)
        return FALSE;

    CAfxHandlerScope scope;
    if (message == WM_INITDIALOG)
        return pDlg->OnInitDialog();

    LRESULT lResult = 0;
    if (pDlg->OnWndMsg(message, wParam, lParam, &lResult)) {
        if (IsAnsweredByReturnValue(message))
            return static_cast<INT_PTR>(lResult);
        SetWindowLongPtrW(hDlg, DWLP_MSGRESULT, lResult);
        return TRUE;
    }
    // OK and cancel that no map binds: the dialog's own steps.
    if (message == WM_COMMAND && (HIWORD(wParam) == BN_CLICKED || lParam == 0)) {
        if (LOWORD(wParam) == IDOK) {
            pDlg->OnOK();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            pDlg->OnCancel();
            return TRUE;
        }
    }
    return FALSE;
}
