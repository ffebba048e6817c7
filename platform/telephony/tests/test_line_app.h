// The test process as a telephony application on our tapi32.dll, with helpers to place calls.
#pragma once

#include "platform/telephony/phone_client.h"

#include <windows.h>
#include <tapi.h>

#include <functional>
#include <string>
#include <vector>

// One notification as the callback received it.
struct Notification {
    DWORD device;
    DWORD message;
    DWORD_PTR instance;
    DWORD_PTR param1;
    DWORD_PTR param2;
    DWORD_PTR param3;
};

// What one lineGetCallInfo saw and answered.
struct CallInfoRequest {
    LONG result;
    DWORD total;
    DWORD needed;
    bool guardIntact;  // nothing was written past dwTotalSize
};

// What the callback read for one caller-number notification.
struct CallerRead {
    HCALL call = 0;
    std::vector<CallInfoRequest> requests;
    DWORD callerSize = 0;
    DWORD callerOffset = 0;
    std::wstring caller;   // read within dwCallerIDSize, up to a terminating zero
    LONG dropResult = 0;   // lineDrop's result, 0 when the call was not dropped
};

// Initialises the telephony application on the constructing thread, as the program does:
// friendly name "ExTapi_Lib", version 2.0, hidden-window notifications. On a caller-number
// notification the callback reads the record (growing the buffer, at most kMaxRequests times)
// and drops the call if shouldDrop says so. Closes and shuts down in the destructor.
class TestLineApp {
public:
    static const int kMaxRequests = 8;

    TestLineApp() = default;
    ~TestLineApp();
    TestLineApp(const TestLineApp&) = delete;
    TestLineApp& operator=(const TestLineApp&) = delete;

    LONG Initialize();
    // Negotiates and opens every device; returns how many lines opened.
    DWORD OpenAll();
    void CloseAll();
    LONG Shutdown();

    DWORD Devices() const { return m_devices; }
    HLINE Line(DWORD device) const { return device < m_lines.size() ? m_lines[device] : 0; }

    // Who gets dropped; by default nobody.
    static std::function<bool(const std::wstring& caller)> shouldDrop;
    static std::vector<Notification> notifications;
    static std::vector<CallerRead> reads;

private:
    HLINEAPP m_app = 0;
    DWORD m_devices = 0;
    bool m_initialized = false;
    std::vector<HLINE> m_lines;
};

// Runs `phone.exe args` (beside the test) while this thread dispatches messages.
struct PhoneRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
    std::string err;
};
PhoneRun RunPhone(const std::wstring& args);

// The test's own environment variable, set for one scope and removed after it.
class ScopedEnvironment {
public:
    ScopedEnvironment(const wchar_t* name, const std::wstring& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::wstring m_name;
};

// A fresh log file for TAPI_STANDIN_LOG, deleted afterwards.
class ScopedLog {
public:
    ScopedLog();
    ~ScopedLog();
    std::vector<TelephonyLogEntry> Read() const { return ReadTelephonyLog(m_path); }
    std::vector<TelephonyLogEntry> Read(const std::string& operation) const { return LogEntries(Read(), operation); }

private:
    std::wstring m_path;
    ScopedEnvironment m_variable;
};

std::wstring TestBinaryFolder();
