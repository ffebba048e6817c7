// CWnd: a window handle with the framework's view of it, and the binding of a control to a
// member that data exchange performs.
#include "afximpl.h"

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::~CWnd()
{
    if (!m_hWnd)
        return;
    // The window outlives its object: it goes back to the procedure it had, or, when others
    // subclassed it after us, keeps ours in its chain without an object to call.
    AfxPermanentEntry* pEntry = AfxLookupPermanent(m_hWnd);
    if (pEntry && pEntry->pWnd == this) {
        const WNDPROC pfnCurrent =
            reinterpret_cast<WNDPROC>(GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC));
        if (pEntry->pfnSuper && pfnCurrent == &CWnd::SubclassProc) {
            SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pEntry->pfnSuper));
            AfxRemovePermanent(m_hWnd);
        } else {
            pEntry->pWnd = NULL;
        }
    }
    m_hWnd = NULL;
}

void CWnd::DoDataExchange(CDataExchange*)
{
}

void CWnd::OnSize(UINT, int, int)
{
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (m_hWnd || !::IsWindow(hWnd) || AfxLookupPermanent(hWnd))
        return FALSE;
    const LONG_PTR pfnSuper =
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc));
    if (!pfnSuper)
        return FALSE;
    AfxSetPermanent(hWnd, this, reinterpret_cast<WNDPROC>(pfnSuper));
    m_hWnd = hWnd;
    return TRUE;
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    AfxPermanentEntry* pEntry = AfxLookupPermanent(hWnd);
    if (!pEntry)
        return DefWindowProcW(hWnd, message, wParam, lParam);
    const WNDPROC pfnSuper = pEntry->pfnSuper;
    CWnd* pWnd = pEntry->pWnd;

    if (message == WM_NCDESTROY) {
        // The window's end: the object forgets the handle, the table forgets the window.
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pfnSuper));
        if (pWnd)
            pWnd->m_hWnd = NULL;
        AfxRemovePermanent(hWnd);
        return CallWindowProcW(pfnSuper, hWnd, message, wParam, lParam);
    }
    if (pWnd) {
        CAfxHandlerScope scope;
        LRESULT lResult = 0;
        if (pWnd->OnWndMsg(message, wParam, lParam, &lResult))
            return lResult;
    }
    return CallWindowProcW(pfnSuper, hWnd, message, wParam, lParam);
}

CWnd* CWnd::GetDlgItem(int nID) const
{
    return FromHandle(::GetDlgItem(m_hWnd, nID));
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::ShowWindow(int nCmdShow)
{
    return ::ShowWindow(m_hWnd, nCmdShow);
}

void CWnd::UpdateWindow()
{
    ::UpdateWindow(m_hWnd);
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

int CWnd::MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption, UINT nType)
{
    return ::MessageBoxW(m_hWnd, lpszText, lpszCaption ? lpszCaption : AfxGetAppName(), nType);
}

void CWnd::SetWindowText(LPCTSTR lpszString)
{
    ::SetWindowTextW(m_hWnd, lpszString);
}

void CWnd::GetWindowText(CString& rString) const
{
    const int nLength = ::GetWindowTextLengthW(m_hWnd);
    LPWSTR pBuffer = rString.GetBuffer(nLength);
    const int nCopied = ::GetWindowTextW(m_hWnd, pBuffer, nLength + 1);
    rString.ReleaseBuffer(nCopied > 0 ? nCopied : 0);
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint)
{
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

void CWnd::MoveWindow(LPCRECT lpRect, BOOL bRepaint)
{
    MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left,
               lpRect->bottom - lpRect->top, bRepaint);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    return ::SetWindowPos(m_hWnd, pWndInsertAfter ? pWndInsertAfter->m_hWnd : NULL, x, y, cx, cy,
                          nFlags);
}

void CWnd::GetClientRect(LPRECT lpRect) const
{
    ::GetClientRect(m_hWnd, lpRect);
}

void CWnd::GetWindowRect(LPRECT lpRect) const
{
    ::GetWindowRect(m_hWnd, lpRect);
}

void CWnd::ScreenToClient(LPPOINT lpPoint) const
{
    ::ScreenToClient(m_hWnd, lpPoint);
}

void CWnd::ScreenToClient(LPRECT lpRect) const
{
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(&lpRect->left));
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(&lpRect->right));
}

CWnd* CWnd::SetFocus()
{
    return FromHandle(::SetFocus(m_hWnd));
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd)
        return;
    const HWND hWndControl = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
    if (hWndControl)
        rControl.SubclassWindow(hWndControl);
}

void CListBox::GetText(int nIndex, CString& rString) const
{
    const int nLength = static_cast<int>(SendMessage(LB_GETTEXTLEN, nIndex));
    if (nLength == LB_ERR) {
        rString.Empty();
        return;
    }
    LPWSTR pBuffer = rString.GetBuffer(nLength);
    const int nCopied =
        static_cast<int>(SendMessage(LB_GETTEXT, nIndex, reinterpret_cast<LPARAM>(pBuffer)));
    rString.ReleaseBuffer(nCopied > 0 ? nCopied : 0);
}
