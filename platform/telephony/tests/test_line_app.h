// The test process as a telephony application on our tapi32.dll, recording what it is told.
#pragma once

#include "platform/telephony/phone_client.h"

#include <windows.h>
#include <tapi.h>

#include <functional>
#include <string>
#include <vector>

// One notification as the callback received it; nested: delivered while another one still ran.
struct Notification {
    DWORD device, message;
    DWORD_PTR param1, param2;
    bool nested;
};

// What the callback read for one caller-number notification.
struct CallerRead {
    HCALL call = 0;
    std::vector<DWORD> totals{};  // dwTotalSize of each lineGetCallInfoW, in order
    LONG result = 0;              // the last request's result
    bool guardIntact = true;      // no request wrote past dwTotalSize
    std::wstring caller{};
    LONG dropResult = 0;  // lineDrop's result; 0: not dropped
};

// The telephony application on this thread, set up as the program does it; the callback reads the
// caller number's record and drops the call if shouldDrop says so. Closes and shuts down at the end.
class TestLineApp {
public:
    ~TestLineApp();
    LONG Initialize();
    DWORD OpenAll();  // negotiates and opens every device; returns how many opened
    HLINE Line(DWORD device) const { return m_lines.at(device); }

    static std::function<bool(const std::wstring& caller)> shouldDrop;  // by default nobody
    static std::vector<Notification> notifications;
    static std::vector<CallerRead> reads;

private:
    HLINEAPP m_app = 0;
    DWORD m_devices = 0;
    std::vector<HLINE> m_lines;
};

std::wstring TestBinaryFolder();
