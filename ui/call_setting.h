// The list editor: the blacklist in a sorted list box, a box to type a number into, "Add", and a
// menu bar with "Save" and "Delete". Only "Save" reaches the registry and the screening.
#pragma once

#include <afxwin.h>
#include <aygshell.h>

#include "resource.h"

class CCallSetting : public CDialog {
    DECLARE_DYNAMIC(CCallSetting)
public:
    // pNumberList: the shared list text (g_strNumberList), not owned; replaced by a successful save.
    // bListFromStore: FALSE when that text is not what the store holds (it could not be read), so
    // "Save" reads the store first rather than replace numbers the user was never shown.
    explicit CCallSetting(CString* pNumberList, CWnd* pParent = NULL, BOOL bListFromStore = TRUE);
    virtual ~CCallSetting();

    enum { IDD = IDD_CALLSETTING };

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual BOOL OnInitDialog();

    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnAdd();
    afx_msg void OnSave();
    afx_msg void OnDelete();
    DECLARE_MESSAGE_MAP()

private:
    void AddEntries(const CString& strNumberList);
    bool TakeInStoredList();

    CEdit m_editNumber;
    CListBox m_listNumbers;
    CString* m_pNumberList;
    BOOL m_bListFromStore;
    SHMENUBARINFO m_mbi;
    HWND m_hWndMenuBar;  // owned by the shell's bar, which goes with the dialog
};
