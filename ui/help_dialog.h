// The help dialog: a fixed text about the main dialog's functions in a read-only text box.
#pragma once

#include <afxwin.h>

#include "resource.h"

class CHelpDialog : public CDialog {
    DECLARE_DYNAMIC(CHelpDialog)
public:
    explicit CHelpDialog(CWnd* pParent = NULL);
    virtual ~CHelpDialog();

    enum { IDD = IDD_HELP };

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    DECLARE_MESSAGE_MAP()

private:
    CEdit m_editHelp;
};
