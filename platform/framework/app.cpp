// CWinApp: the one application object of the process, and the framework's entry and end.
#include "afximpl.h"

#include "unique_handle.h"

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

namespace {

CWinApp* g_pApp = NULL;

}  // namespace

void (*afxSocketTerm)() = NULL;

CWinApp::CWinApp(LPCTSTR lpszAppName)
    : m_pszAppName(NULL),
      m_hInstance(NULL),
      m_pMainWnd(NULL),
      m_pszRegistryKey(NULL),
      m_pszProfileName(NULL)
{
    if (lpszAppName) {
        m_strAppName = lpszAppName;
        m_pszAppName = m_strAppName;
    }
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = NULL;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return 0;
}

int CWinApp::Run()
{
    MSG msg;
    while (GetMessageW(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return ExitInstance();
}

HICON CWinApp::LoadIcon(UINT nIDResource) const
{
    return ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDResource));
}

void CWinApp::SetRegistryKey(LPCTSTR lpszRegistryKey)
{
#if defined(OSTREL_EMULATOR)
    // The key is only kept, never written. In the emulated device only, the end-to-end tests
    // read it from this record; the device build reads no environment and writes no file.
    WCHAR szLog[MAX_PATH];
    const DWORD cchLog = GetEnvironmentVariableW(L"AFX_STANDIN_LOG", szLog, MAX_PATH);
    if (cchLog > 0 && cchLog < MAX_PATH) {
        // Written with the system's own calls: the C library's formatted output would add
        // tens of kilobytes to every program built on the framework.
        const UniqueKernelHandle file(CreateFileW(szLog, FILE_APPEND_DATA,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
        static const char kPrefix[] = "SetRegistryKey ";
        char szText[MAX_PATH * 3];
        const int cbText = WideCharToMultiByte(CP_UTF8, 0, lpszRegistryKey, -1, szText,
                                               sizeof(szText), NULL, NULL);
        if (file.IsValid() && cbText > 0) {
            szText[cbText - 1] = '\n';  // in place of the terminator
            DWORD cbWritten = 0;
            WriteFile(file.Get(), kPrefix, sizeof(kPrefix) - 1, &cbWritten, NULL);
            WriteFile(file.Get(), szText, cbText, &cbWritten, NULL);
        }
    }
#endif
    m_strRegistryKey = lpszRegistryKey;
    m_pszRegistryKey = m_strRegistryKey;
    m_strProfileName = m_pszAppName;
    m_pszProfileName = m_strProfileName;
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

HINSTANCE AfxGetInstanceHandle()
{
    return g_pApp && g_pApp->m_hInstance ? g_pApp->m_hInstance : GetModuleHandleW(NULL);
}

HINSTANCE AfxGetResourceHandle()
{
    return AfxGetInstanceHandle();
}

CWnd* AfxGetMainWnd()
{
    return g_pApp ? g_pApp->m_pMainWnd : NULL;
}

LPCTSTR AfxGetAppName()
{
    return g_pApp && g_pApp->m_pszAppName ? g_pApp->m_pszAppName : L"";
}

CString AfxGetModuleFileName()
{
    CString strPath;
    for (DWORD nSize = MAX_PATH;; nSize *= 2) {
        LPWSTR pBuffer = strPath.GetBuffer(static_cast<int>(nSize));
        const DWORD nCopied = GetModuleFileNameW(NULL, pBuffer, nSize);
        if (nCopied < nSize) {
            strPath.ReleaseBuffer(static_cast<int>(nCopied));
            return strPath;
        }
        strPath.ReleaseBuffer(0);
    }
}

BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE, LPTSTR, int)
{
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return FALSE;
    pApp->m_hInstance = hInstance;
    if (!pApp->m_pszAppName) {
        // The executable's file name without its folder and extension.
        const CString strPath = AfxGetModuleFileName();
        LPCWSTR pszName = strPath;
        for (LPCWSTR p = strPath; *p; ++p) {
            if (*p == L'\\' || *p == L'/' || *p == L':')
                pszName = p + 1;
        }
        CString strName(pszName);
        int nDot = -1;
        for (int i = strName.Find(L'.'); i >= 0; i = strName.Find(L'.', i + 1))
            nDot = i;
        pApp->m_strAppName = nDot >= 0 ? strName.Left(nDot) : strName;
        pApp->m_pszAppName = pApp->m_strAppName;
    }
    return TRUE;
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPTSTR lpCmdLine, int nCmdShow)
{
    CWinApp* pApp = AfxGetApp();
    if (!pApp || !AfxWinInit(hInstance, hPrevInstance, lpCmdLine, nCmdShow))
        return -1;

    int nReturnCode;
    if (AfxActivateRunningCopy()) {
        nReturnCode = -1;
    } else if (!pApp->InitInstance()) {
        nReturnCode = pApp->ExitInstance();
    } else {
        nReturnCode = pApp->Run();
    }
    AfxWinTerm();
    return nReturnCode;
}

void AfxWinTerm()
{
    if (void (*pfnTerm)() = afxSocketTerm) {
        afxSocketTerm = NULL;
        pfnTerm();
    }
}
