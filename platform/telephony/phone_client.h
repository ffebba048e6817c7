// Places incoming calls on the telephony stand-in from outside the telephony application.
//
// The application is whatever process called lineInitializeExW on our tapi32.dll; its hidden
// window (class kStandInWindowClass) takes the requests. Both the phone tool and in-process
// tests use these functions. The application's thread must dispatch messages while a call is
// placed, or the call times out; a test that is itself the application uses PlaceCallWhilePumping.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

// One incoming call. The defaults make an ordinary call whose caller number becomes known.
struct PhoneCall {
    std::wstring callerNumber;         // at most 255 characters; empty: the call has no number
    DWORD line = 0;                    // device index the call arrives on
    DWORD message = 1;                 // the caller-number notification: LINE_CALLINFO ...
    DWORD param1 = 0x00008000;         // ... with LINECALLINFOSTATE_CALLERID
    bool callerIdNotification = true;  // false: only LINE_APPNEWCALL and the offering state
    DWORD padBytes = 0;                // zero bytes before the caller text in the record
    DWORD neededBytes = 0;             // the record claims at least this size (0: what it holds)
    bool callerSizeGiven = false;      // report callerSize as dwCallerIDSize instead of the truth
    DWORD callerSize = 0;
    bool callerOffsetGiven = false;  // report callerOffset as dwCallerIDOffset instead of the truth
    DWORD callerOffset = 0;
    bool terminator = true;    // false: the caller text has no terminating zero
    bool growForever = false;  // every lineGetCallInfo asks for more than it was given
};

enum class PhoneResult {
    Rang,     // the application did not drop the call; it rang and the caller then hung up
    Dropped,  // the application called lineDrop for it while its notifications ran
    Error,    // no telephony application, a timeout or a refused request; see error
};

struct PhoneOutcome {
    PhoneResult result = PhoneResult::Error;
    bool lineOpened = false;  // false with Rang: no line was open on that device, nobody was told
    std::wstring error;       // what went wrong, for Error
    DWORD ringing = 0;        // OfferCall: the call that rings until HangUpCall; 0 for none
};

// Delivers the call to the running telephony application and waits, at most timeoutMs in all,
// until its notifications have been handled; a call that was not dropped is then hung up.
[[nodiscard]] PhoneOutcome PlaceCall(const PhoneCall& call, DWORD timeoutMs);

// PlaceCall's first half: a call that was not dropped on an open line keeps ringing (its handle
// in `ringing`) until HangUpCall ends it, as a caller who waits. With `window` (FindTelephonyApp's),
// a caller placing many calls looks the application up once; a window that is gone fails the call
// as no application does.
[[nodiscard]] PhoneOutcome OfferCall(const PhoneCall& call, DWORD timeoutMs, HWND window = nullptr);
// The caller gives up: false when the application did not take the hang-up in time (a call it
// no longer has is hung up already).
bool HangUpCall(DWORD ringing, DWORD timeoutMs, HWND window = nullptr);

// PlaceCall for a test whose own thread is the telephony application: the call is placed from
// a helper thread while this thread dispatches its messages (and so runs the notifications).
[[nodiscard]] PhoneOutcome PlaceCallWhilePumping(const PhoneCall& call, DWORD timeoutMs);

// Dispatches this thread's messages until handle is signalled; false after timeoutMs.
bool PumpMessagesUntil(HANDLE handle, DWORD timeoutMs);

// The hidden window of a running telephony application, or null.
HWND FindTelephonyApp();

// Polls until a telephony application is up; false when timeoutMs passed without one.
[[nodiscard]] bool WaitForTelephonyApp(DWORD timeoutMs);

// One line of the stand-in's log (TAPI_STANDIN_LOG): the operation and its name=value fields,
// text values decoded from their \xHH escapes (UTF-8).
struct TelephonyLogEntry {
    std::string
        operation;  // initialize, negotiate, open, getcallinfo, drop, close, shutdown, call, hangup
    std::map<std::string, std::string> fields;

    // The field's value, or an empty text when the line has no such field.
    std::string Get(const std::string& name) const;
};

// Every line of the log file, in order; empty when the file does not exist.
std::vector<TelephonyLogEntry> ReadTelephonyLog(const std::wstring& path);

// Only the entries of one operation, e.g. all "close" lines.
std::vector<TelephonyLogEntry> LogEntries(const std::vector<TelephonyLogEntry>& log,
                                          const std::string& operation);
