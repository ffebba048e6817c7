// Sends a placed call and its hang-up to the telephony application's hidden window.
#include "platform/telephony/phone_client.h"

#include "platform/telephony/standin_protocol.h"

#include "unique_handle.h"

#include <algorithm>
#include <thread>

namespace {

CallRequest MakeRequest(const PhoneCall& call)
{
    CallRequest request = {};
    request.device = call.line;
    request.message = call.message;
    request.param1 = call.param1;
    request.flags = (call.callerIdNotification ? 0 : kNoCallerIdNotification) |
        (call.terminator ? 0 : kNoTerminator) | (call.callerSizeGiven ? kCallerSizeGiven : 0) |
        (call.callerOffsetGiven ? kCallerOffsetGiven : 0) | (call.growForever ? kGrowForever : 0);
    request.padBytes = call.padBytes;
    request.neededBytes = call.neededBytes;
    request.callerSize = call.callerSize;
    request.callerOffset = call.callerOffset;
    request.callerChars = static_cast<std::uint32_t>(call.callerNumber.size());
    std::copy(call.callerNumber.begin(), call.callerNumber.end(), request.caller);
    return request;
}

DWORD Remaining(ULONGLONG deadline)
{
    ULONGLONG now = GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
}

// Sends one request and returns the window procedure's answer; false on timeout or a gone window.
bool SendRequest(HWND window, ULONG_PTR kind, const void* payload, DWORD size, DWORD timeoutMs,
                 ULONG_PTR& reply)
{
    COPYDATASTRUCT data = {kind, size, const_cast<void*>(payload)};
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL,
                             std::max<DWORD>(timeoutMs, 1), &result))
        return false;
    reply = result;
    return true;
}

PhoneOutcome Failure(const std::wstring& error)
{
    PhoneOutcome outcome;
    outcome.error = error;
    return outcome;
}

}  // namespace

PhoneOutcome OfferCall(const PhoneCall& call, DWORD timeoutMs, HWND window)
{
    if (call.callerNumber.size() > kMaxCallerChars)
        return Failure(L"the caller number is longer than 255 characters");
    if (call.padBytes > kMaxRecordBytes || call.neededBytes > kMaxRecordBytes)
        return Failure(L"padding and needed size are limited to 16 MiB");
    window = window ? window : FindTelephonyApp();
    if (!window)
        return Failure(
            L"no telephony application is running (no window of class OstrelTelephonyStandIn)");

    CallRequest request = MakeRequest(call);
    ULONG_PTR reply = 0;
    if (!SendRequest(window, kPlaceCallRequest, &request, sizeof(request), timeoutMs, reply))
        return Failure(L"the telephony application did not handle the call in time");

    PhoneOutcome outcome;
    switch (ReplyKind(reply)) {
    case CallReply::Dropped:
        outcome.result = PhoneResult::Dropped;
        outcome.lineOpened = true;
        return outcome;
    case CallReply::NoOpenLine:
        outcome.result = PhoneResult::Rang;
        return outcome;
    case CallReply::Rang:
        outcome.result = PhoneResult::Rang;
        outcome.lineOpened = true;
        outcome.ringing = ReplyCall(reply);
        return outcome;
    default:
        return Failure(L"the telephony service refused the call");
    }
}

bool HangUpCall(DWORD ringing, DWORD timeoutMs, HWND window)
{
    window = window ? window : FindTelephonyApp();
    HangUpRequest hangUp = {ringing};
    ULONG_PTR reply = 0;
    return window && SendRequest(window, kHangUpRequest, &hangUp, sizeof(hangUp), timeoutMs, reply);
}

PhoneOutcome PlaceCall(const PhoneCall& call, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    PhoneOutcome outcome = OfferCall(call, timeoutMs);
    // It rang; now the caller gives up. The outcome is what the application did while the call
    // was offered; a later drop is not counted.
    if (outcome.ringing && !HangUpCall(outcome.ringing, Remaining(deadline)))
        return Failure(L"the telephony application did not handle the hang-up in time");
    outcome.ringing = 0;
    return outcome;
}

PhoneOutcome PlaceCallWhilePumping(const PhoneCall& call, DWORD timeoutMs)
{
    UniqueKernelHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done.IsValid())
        return Failure(L"no event for the helper thread");
    PhoneOutcome outcome;
    std::thread caller([&] {
        outcome = PlaceCall(call, timeoutMs);
        SetEvent(done.Get());
    });
    // PlaceCall ends by itself within timeoutMs; the pump's own limit is only a safety net.
    PumpMessagesUntil(done.Get(), timeoutMs + 5000);
    caller.join();
    return outcome;
}

bool PumpMessagesUntil(HANDLE handle, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        DWORD left = Remaining(deadline);
        if (left == 0)
            return false;
        DWORD wait = MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_ALLINPUT);
        if (wait == WAIT_OBJECT_0)
            return true;
        if (wait != WAIT_OBJECT_0 + 1)
            return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

HWND FindTelephonyApp()
{
    return FindWindowW(kStandInWindowClass, nullptr);
}

bool WaitForTelephonyApp(DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (FindTelephonyApp())
            return true;
        DWORD left = Remaining(deadline);
        if (left == 0)
            return false;
        Sleep(std::min<DWORD>(left, 25));
    }
}
