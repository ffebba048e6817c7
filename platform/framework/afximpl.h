// What the framework's sources share among themselves and show no one else.
#pragma once

#include <afxwin.h>

// The window's permanent object, and the window procedure it replaced when it subclassed the
// window (NULL for a dialog, whose procedure is the framework's own).
struct AfxPermanentEntry {
    CWnd* pWnd;  // NULL once the object is gone while its procedure stays in the window's chain
    WNDPROC pfnSuper;
};

// The calling thread's table of permanent objects.
AfxPermanentEntry* AfxLookupPermanent(HWND hWnd);
void AfxSetPermanent(HWND hWnd, CWnd* pWnd, WNDPROC pfnSuper);
void AfxRemovePermanent(HWND hWnd);

// Spans the handling of one message: the temporary objects made during it are freed when it
// ends. Handlings nest; an outer one's temporaries outlive the inner ones.
class CAfxHandlerScope {
public:
    CAfxHandlerScope();
    ~CAfxHandlerScope();
    CAfxHandlerScope(const CAfxHandlerScope&) = delete;
    CAfxHandlerScope& operator=(const CAfxHandlerScope&) = delete;
};

// The full path of the executable file.
CString AfxGetModuleFileName();

// Registered by a service the framework started; AfxWinTerm calls it once.
extern void (*afxSocketTerm)();

// The device's test against a second copy of the same executable. TRUE when a running copy
// was found and brought to the front, so this one must end.
[[nodiscard]] BOOL AfxActivateRunningCopy();
