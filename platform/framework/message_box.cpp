// The application's message box: its name as the caption, its main window as the owner.
#include "afximpl.h"

int AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT)
{
    if ((nType & MB_ICONMASK) == 0)
        nType |= MB_ICONEXCLAMATION;
    nType |= MB_SETFOREGROUND;
    HWND hWndOwner = NULL;
    if (CWnd* pMainWnd = AfxGetMainWnd()) {
        if (::IsWindow(pMainWnd->m_hWnd))
            hWndOwner = pMainWnd->m_hWnd;
    }
    return ::MessageBoxW(hWndOwner, lpszText, AfxGetAppName(), nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    CString strPrompt;
    strPrompt.LoadString(nIDPrompt);  // a missing string shows an empty box, as on the device
    return AfxMessageBox(strPrompt, nType, nIDHelp);
}
