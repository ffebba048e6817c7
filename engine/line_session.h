// The telephony line session: every line device opened, caller numbers screened, rejected calls dropped.
#pragma once

#include <windows.h>
#include <tapi.h>

#include <memory>

#include "unique_handle.h"

// The telephony application, from lineInitializeEx to lineShutdown.
struct LineAppTraits {
    static HLINEAPP Null() { return 0; }
    static bool IsValid(HLINEAPP hLineApp) { return hLineApp != 0; }
    static void Close(HLINEAPP hLineApp) { lineShutdown(hLineApp); }
};
using UniqueLineApp = UniqueHandle<HLINEAPP, LineAppTraits>;

// One opened line device, from lineOpen to lineClose.
struct LineTraits {
    static HLINE Null() { return 0; }
    static bool IsValid(HLINE hLine) { return hLine != 0; }
    static void Close(HLINE hLine) { lineClose(hLine); }
};
using UniqueLine = UniqueHandle<HLINE, LineTraits>;

// The session's state; the main dialog owns one. Screening runs from InitLineSession to
// CloseLineSession, all on the thread that opened it.
class CLineSession {
public:
    CLineSession() = default;
    ~CLineSession() { CloseLineSession(); }
    CLineSession(const CLineSession&) = delete;
    CLineSession& operator=(const CLineSession&) = delete;

    // Initialises the telephony application and opens every line device that negotiates a
    // version. A failure leaves the session closed, silently.
    void InitLineSession();

    // Closes every opened line and shuts the application down if it was initialised.
    // Calling it again does nothing.
    void CloseLineSession();

private:
    // Declared before the lines, so that it is shut down after them.
    UniqueLineApp m_lineApp;
    DWORD m_dwNumDevs = 0;
    std::unique_ptr<UniqueLine[]> m_lines;  // one slot per device; empty where none was opened
};

// The notification callback handed to lineInitializeEx: screens each newly known caller number.
void CALLBACK LineCallback(DWORD hDevice, DWORD dwMsg, DWORD_PTR dwCallbackInstance,
                           DWORD_PTR dwParam1, DWORD_PTR dwParam2, DWORD_PTR dwParam3);
