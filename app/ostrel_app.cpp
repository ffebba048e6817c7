#include "app/ostrel_app.h"

#include <afxsock.h>
#include <aygshell.h>

#include "resource.h"
#include "ui/main_dialog.h"

BEGIN_MESSAGE_MAP(COstrelApp, CWinApp)
END_MESSAGE_MAP()

// No application name: the framework takes it from the executable's file name.
COstrelApp::COstrelApp()
    : CWinApp(NULL)
{
}

COstrelApp theApp;

BOOL COstrelApp::InitInstance()
{
    SHInitExtraControls();

    if (!AfxSocketInit()) {
        AfxMessageBox(IDS_SOCKETS_INIT_FAILED);
        return FALSE;
    }

    SetRegistryKey(_T("Local AppWizard-Generated Applications"));

    // Another copy (from any path), or any window titled like ours: bring it forward, end.
    HWND hWndRunning = FindWindow(NULL, _T("Quellar"));
    if (hWndRunning) {
        // The lowest bit asks for the window's most recent owned window to come along.
        SetForegroundWindow(
            reinterpret_cast<HWND>(reinterpret_cast<ULONG_PTR>(hWndRunning) | 0x01));
        return FALSE;
    }

    {
        COstrelDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = NULL;
    }  // the dialog's destructor closes the telephony line session

    return FALSE;
}
