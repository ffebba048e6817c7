// The stand-in telephony service: applications, their open lines and calls, and notifications.
#pragma once

#include "platform/telephony/hidden_window.h"
#include "platform/telephony/standin_config.h"
#include "platform/telephony/standin_protocol.h"

#include <windows.h>
#include <tapi.h>

#include <map>
#include <mutex>

// One per process. The line operations may be called from any thread; notifications run only
// in the hidden window procedure of the application's thread, and never under the lock.
class LineService {
public:
    static LineService& Instance();

    // The line operations behind the DLL's exports; each records itself in the log.
    [[nodiscard]] LONG Initialize(HLINEAPP* app, LINECALLBACK callback, const wchar_t* name,
                                  DWORD* devices, DWORD* apiVersion,
                                  LINEINITIALIZEEXPARAMS* params);
    [[nodiscard]] LONG NegotiateApiVersion(HLINEAPP app, DWORD device, DWORD low, DWORD high,
                                           DWORD* version, LINEEXTENSIONID* extension);
    [[nodiscard]] LONG Open(HLINEAPP app, DWORD device, HLINE* line, DWORD version,
                            DWORD extVersion, DWORD_PTR instance, DWORD privileges,
                            DWORD mediaModes);
    [[nodiscard]] LONG GetCallInfo(HCALL call, LINECALLINFO* info);
    [[nodiscard]] LONG Drop(HCALL call, const char* userInfo, DWORD userInfoSize);
    [[nodiscard]] LONG Close(HLINE line);
    [[nodiscard]] LONG Shutdown(HLINEAPP app);

    // The phone tool's requests, run by the hidden window procedure of the application's thread.
    [[nodiscard]] CallReply PlaceCall(HWND window, const CallRequest& request, HCALL& call);
    [[nodiscard]] CallReply HangUp(HWND window, HCALL call);
    // Ends a call that the application dropped after its notifications had been delivered.
    void FinishDrop(HCALL call);

private:
    struct App {
        LINECALLBACK callback = nullptr;
        StandInConfig config;
        HiddenWindow window;
    };
    struct Line {
        HLINEAPP app = 0;
        DWORD device = 0;
        DWORD_PTR instance = 0;
    };
    struct Call {
        HLINEAPP app = 0;
        HLINE line = 0;
        DWORD device = 0;
        DWORD_PTR instance = 0;
        CallRequest request = {};
        bool offering = true;   // its notifications are still being delivered
        bool dropped = false;   // lineDrop succeeded
        DWORD dropRequest = 0;  // the request id lineDrop returned
    };

    LineService() = default;
    // Calls the application's callback, if the application is still there.
    void Notify(HLINEAPP app, DWORD device, DWORD message, DWORD_PTR instance, DWORD_PTR param1,
                DWORD_PTR param2, DWORD_PTR param3);
    // The last notifications of a call: the drop's reply (if dropped), disconnected, idle.
    void EndCall(HCALL call);
    HLINEAPP AppOfWindow(HWND window) const;

    std::mutex m_mutex;
    std::map<HLINEAPP, App> m_apps;
    std::map<HLINE, Line> m_lines;
    std::map<HCALL, Call> m_calls;
    DWORD m_nextApp = 0x00010001;
    DWORD m_nextLine = 0x00020001;
    DWORD m_nextCall = 0x00100001;
    DWORD m_nextRequest = 1;
};
