// The main dialog: the screening modes, the way to the list editor, and the "Operate" menu.
// It owns the telephony line session, so calls are screened for exactly as long as it exists.
#pragma once

#include <afxwin.h>
#include <aygshell.h>

#include "engine/line_session.h"
#include "engine/screening_rules.h"
#include "resource.h"

class COstrelDlg : public CDialog {
public:
    explicit COstrelDlg(CWnd* pParent = NULL);
    virtual ~COstrelDlg();

    enum { IDD = IDD_OSTREL_DIALOG };

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual BOOL OnInitDialog();

    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnRunBackground();
    afx_msg void OnDeactive();
    afx_msg void OnAcceptAll();
    afx_msg void OnBlockBlacklist();
    afx_msg void OnRejectAll();
    afx_msg void OnSetBlacklist();
    afx_msg void OnHelp();
    DECLARE_MESSAGE_MAP()

private:
    void SelectMode(int nRadioId, ScreeningMode nMode);

    HICON m_hIcon;
    CLineSession m_lineSession;
    SHMENUBARINFO m_mbi;
    CButton m_btnSetBlacklist;
    // Whether the stored list was read; an editor must not start from a list that was not.
    bool m_bListLoaded;
};
