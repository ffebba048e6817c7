// The telephony line session: every line device opened, caller numbers screened, rejected calls dropped.
#pragma once

#include <windows.h>
#include <tapi.h>

#include <memory>

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
    HLINEAPP m_hLineApp = 0;
    bool m_bInitialized = false;
    DWORD m_dwNumDevs = 0;
    std::unique_ptr<HLINE[]> m_phLines;  // one slot per device; 0 where no line was opened
};

// The notification callback handed to lineInitializeEx: screens each newly known caller number.
void CALLBACK LineCallback(DWORD hDevice, DWORD dwMsg, DWORD_PTR dwCallbackInstance,
                           DWORD_PTR dwParam1, DWORD_PTR dwParam2, DWORD_PTR dwParam3);
