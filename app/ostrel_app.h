// The application object: start-up, the single-instance rule and the main dialog's modal run.
#pragma once

#include <afxwin.h>

class COstrelApp : public CWinApp {
public:
    COstrelApp();

    // Runs the whole program; always FALSE, so the framework runs no message loop of its own.
    virtual BOOL InitInstance();

    DECLARE_MESSAGE_MAP()
};

extern COstrelApp theApp;
