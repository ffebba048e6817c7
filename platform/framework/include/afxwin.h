// The framework's windows: command targets with message maps, windows, dialogs with data
// exchange, the thin control classes, and the application object with its entry.
#pragma once

#include <tchar.h>

#include "afx.h"
#include "afxmsg_.h"

class CDataExchange;

// Anything that can have a message map.
class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    CCmdTarget() = default;

    DECLARE_MESSAGE_MAP()
};

// A window handle with the framework's view of it. Windows that have an object of their own
// (a dialog running, a bound control) map to it; any other window gets a temporary object
// from FromHandle that the framework frees when the current message's handling ends (or,
// outside any handling, when the thread ends): never keep such a pointer.
class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd()
        : m_hWnd(NULL)
    {
    }
    virtual ~CWnd();

    HWND m_hWnd;

    static CWnd* FromHandle(HWND hWnd);

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    CWnd* GetDlgItem(int nID) const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL ShowWindow(int nCmdShow);
    void UpdateWindow();
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    // Caption NULL: the application's name.
    int MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption = NULL, UINT nType = MB_OK);
    void SetWindowText(LPCTSTR lpszString);
    void GetWindowText(CString& rString) const;
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    void GetClientRect(LPRECT lpRect) const;
    void GetWindowRect(LPRECT lpRect) const;
    void ScreenToClient(LPPOINT lpPoint) const;
    void ScreenToClient(LPRECT lpRect) const;
    CWnd* SetFocus();  // the window that had the focus, or NULL
    BOOL DestroyWindow();

protected:
    // Moves values between the controls and the members; the base moves nothing.
    virtual void DoDataExchange(CDataExchange* pDX);

    // Nothing of its own: there only so that ON_WM_SIZE can name a class's OnSize.
    afx_msg void OnSize(UINT nType, int cx, int cy);

    // Runs the handler that the maps bind to the message; FALSE when none does.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    friend void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

    // Makes this the window's object: its messages pass through this object's maps first,
    // and at the window's end the object lets go of the handle.
    BOOL SubclassWindow(HWND hWnd);
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// The direction and the dialog of one data exchange.
class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate),
          m_pDlgWnd(pDlgWnd)
    {
    }

    BOOL m_bSaveAndValidate;  // TRUE: from the controls to the members
    CWnd* m_pDlgWnd;
};

// Binds control nIDC of the dialog to rControl, once: a member that has a window is left as
// it is. A missing control leaves the member unbound.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

// A dialog from a template of the application's module, run modally by the dialog manager.
class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = NULL);
    virtual ~CDialog();

    // The value given to EndDialog, or -1 when the dialog could not be created (or is
    // already running).
    virtual INT_PTR DoModal();

    // Runs DoDataExchange in the given direction.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    void EndDialog(int nResult);

protected:
    // Data exchange towards the controls, then the shell's dialog initialisation (OK button
    // in the title bar, full screen, input panel down, empty menu bar). TRUE: the dialog
    // manager puts the focus on the first control.
    virtual BOOL OnInitDialog();
    // IDOK: data exchange from the controls, then the end with IDOK.
    virtual void OnOK();
    // IDCANCEL (also what the dialog manager makes of WM_CLOSE): the end with IDCANCEL.
    virtual void OnCancel();

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
};

// Thin wrappers: a control's messages under their names. They add no members, so a window
// pointer may be viewed as one of them.
class CButton : public CWnd {};

class CEdit : public CWnd {
public:
    // Selects [nStartChar, nEndChar) and, unless bNoScroll, scrolls the caret into view.
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE)
    {
        SendMessage(EM_SETSEL, nStartChar, nEndChar);
        if (!bNoScroll)
            SendMessage(EM_SCROLLCARET);
    }
    void ReplaceSel(LPCTSTR lpszNewText, BOOL bCanUndo = FALSE)
    {
        SendMessage(EM_REPLACESEL, bCanUndo, reinterpret_cast<LPARAM>(lpszNewText));
    }
    void Clear() { SendMessage(WM_CLEAR); }  // deletes the selection
};

class CListBox : public CWnd {
public:
    int AddString(LPCTSTR lpszItem)
    {
        return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lpszItem)));
    }
    int DeleteString(UINT nIndex) { return static_cast<int>(SendMessage(LB_DELETESTRING, nIndex)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(LB_GETCURSEL)); }
    int SetCurSel(int nSelect) { return static_cast<int>(SendMessage(LB_SETCURSEL, nSelect)); }
    int GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
    // The whole text of entry nIndex; empty for an index out of range.
    void GetText(int nIndex, CString& rString) const;
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
};

// The application: one object per process, constructed before the entry runs.
class CWinApp : public CCmdTarget {
public:
    // No name: the executable's file name without folder and extension.
    explicit CWinApp(LPCTSTR lpszAppName = NULL);
    virtual ~CWinApp();

    // The start-up step; TRUE runs the message loop, FALSE ends the application.
    virtual BOOL InitInstance();
    // The exit step; its result is the process's exit code.
    virtual int ExitInstance();
    // The message loop until WM_QUIT, then the exit step.
    virtual int Run();

    HICON LoadIcon(UINT nIDResource) const;

    LPCTSTR m_pszAppName;
    HINSTANCE m_hInstance;
    CWnd* m_pMainWnd;
    LPCTSTR m_pszRegistryKey;  // NULL until SetRegistryKey
    LPCTSTR m_pszProfileName;

protected:
    // Records the key under which the framework's settings would go, and the profile name
    // (the application's name). Writes nothing.
    void SetRegistryKey(LPCTSTR lpszRegistryKey);

    DECLARE_MESSAGE_MAP()

private:
    friend BOOL AfxWinInit(HINSTANCE, HINSTANCE, LPTSTR, int);

    CString m_strAppName;
    CString m_strRegistryKey;
    CString m_strProfileName;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
// Where templates, strings and icons come from: the application's module.
HINSTANCE AfxGetResourceHandle();
CWnd* AfxGetMainWnd();
LPCTSTR AfxGetAppName();

// Gives the application its instance and, when it was constructed without one, its name.
BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPTSTR lpCmdLine, int nCmdShow);
// The framework's entry: start-up, the single-instance test, InitInstance, Run or the exit
// step, the framework's end.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPTSTR lpCmdLine, int nCmdShow);
// The framework's end: releases the services it started (the sockets layer). Runs once.
void AfxWinTerm();

// A modal message box captioned with the application's name, owned by the main window when
// there is one, in front, with the exclamation icon unless nType names another icon.
int AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
// The same with string nIDPrompt of the string table.
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = static_cast<UINT>(-1));
