// What the phone tool sends to the telephony stand-in's hidden window, and what it answers.
#pragma once

#include <windows.h>

#include <cstdint>

// Class of the hidden top-level window that lineInitializeExW creates on the calling thread.
// Its title is the application's friendly name. The phone tool finds it with FindWindowW.
const wchar_t kStandInWindowClass[] = L"OstrelTelephonyStandIn";

// An auto-reset event the stand-in sets after each line it appends to its log, so that a
// test waits for an operation instead of polling the file.
const wchar_t kTelephonyLoggedEvent[] = L"OstrelTelephonyLogged";

// COPYDATASTRUCT::dwData of the two requests, each sent with WM_COPYDATA.
const ULONG_PTR kPlaceCallRequest = 0x4F50;  // payload: CallRequest
const ULONG_PTR kHangUpRequest = 0x4F48;     // payload: HangUpRequest

// Sent (not as WM_COPYDATA) to the hidden window of an application started with
// TAPI_STANDIN_COUNT_HEAP=1: answers the HeapCounts field that wParam names, 0 allocations,
// 1 frees, 2 live bytes, of the application's executable since it initialised; -1 when it
// is not counted.
const UINT kHeapCountsMessage = WM_APP + 0x4F43;

// CallRequest::flags
const std::uint32_t kNoCallerIdNotification = 0x01;  // only the new-call and offering notifications
const std::uint32_t kNoTerminator = 0x02;            // caller text without its terminating zero
const std::uint32_t kCallerSizeGiven = 0x04;         // report callerSize as dwCallerIDSize
const std::uint32_t kCallerOffsetGiven = 0x08;       // report callerOffset as dwCallerIDOffset
const std::uint32_t kGrowForever = 0x10;  // every lineGetCallInfo asks for more than it got

const std::uint32_t kMaxCallerChars = 255;
const std::uint32_t kMaxRecordBytes = 16 * 1024 * 1024;  // bound of padBytes and neededBytes

// One incoming call on a line device; fixed layout so both builds read it alike.
struct CallRequest {
    std::uint32_t device;        // line device index the call arrives on
    std::uint32_t message;       // message of the caller-number notification (LINE_CALLINFO)
    std::uint32_t param1;        // its parameter 1 (LINECALLINFOSTATE_CALLERID)
    std::uint32_t flags;         // k... flags above
    std::uint32_t padBytes;      // zero bytes between the fixed record and the caller text
    std::uint32_t neededBytes;   // the record claims at least this many bytes (0: what it holds)
    std::uint32_t callerSize;    // with kCallerSizeGiven
    std::uint32_t callerOffset;  // with kCallerOffsetGiven
    std::uint32_t callerChars;   // characters of caller, no terminator
    wchar_t caller[kMaxCallerChars + 1];
};

struct HangUpRequest {
    std::uint32_t call;  // HCALL from the place-call reply
};

// The window procedure's answer to a request.
enum class CallReply : std::uint32_t {
    BadRequest = 0,  // unknown request or wrong payload size
    Rang = 1,        // the call was offered and not dropped; it rings until hung up
    Dropped = 2,     // the application called lineDrop for the call while it was offered
    NoOpenLine = 3,  // no line is open on that device: nobody was told, the call rings unscreened
    NoSuchCall = 4,  // hang-up of a call the service no longer has
};

// A place-call reply carries the call handle above the four reply bits.
inline LRESULT MakeCallReply(CallReply reply, std::uint32_t call)
{
    return static_cast<LRESULT>((static_cast<ULONG_PTR>(call) << 4) |
                                static_cast<ULONG_PTR>(reply));
}

inline CallReply ReplyKind(ULONG_PTR result)
{
    return static_cast<CallReply>(result & 0xF);
}

inline std::uint32_t ReplyCall(ULONG_PTR result)
{
    return static_cast<std::uint32_t>(result >> 4);
}
