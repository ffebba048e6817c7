// The stand-in service's hidden window: its class, its procedure and its owner.
#include "platform/telephony/hidden_window.h"

#include "platform/telephony/heap_counter.h"
#include "platform/telephony/line_service.h"
#include "platform/telephony/standin_protocol.h"

#include <mutex>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

HINSTANCE ThisModule()
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

// WM_COPYDATA from the phone tool: a call to place or a call to hang up.
LRESULT OnCopyData(HWND hwnd, const COPYDATASTRUCT* data)
{
    if (!data || !data->lpData)
        return MakeCallReply(CallReply::BadRequest, 0);
    if (data->dwData == kPlaceCallRequest && data->cbData == sizeof(CallRequest)) {
        CallRequest request;
        CopyMemory(&request, data->lpData, sizeof(request));
        HCALL call = 0;
        CallReply reply = LineService::Instance().PlaceCall(hwnd, request, call);
        return MakeCallReply(reply, call);
    }
    if (data->dwData == kHangUpRequest && data->cbData == sizeof(HangUpRequest)) {
        HangUpRequest request;
        CopyMemory(&request, data->lpData, sizeof(request));
        return MakeCallReply(LineService::Instance().HangUp(hwnd, request.call), request.call);
    }
    return MakeCallReply(CallReply::BadRequest, 0);
}

LRESULT CALLBACK HiddenWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COPYDATA:
        return OnCopyData(hwnd, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case kFinishDropMessage:
        LineService::Instance().FinishDrop(static_cast<HCALL>(wParam));
        return 0;
    case kHeapCountsMessage: {
        HeapCounts counts;
        if (!CurrentHeapCounts(counts))
            return -1;
        const std::int64_t fields[] = {counts.allocations, counts.frees, counts.liveBytes};
        return wParam < 3 ? static_cast<LRESULT>(fields[wParam]) : -1;
    }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool RegisterWindowClass()
{
    static std::once_flag once;
    static bool registered = false;
    std::call_once(once, [] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = HiddenWindowProc;
        windowClass.hInstance = ThisModule();
        windowClass.lpszClassName = kStandInWindowClass;
        registered =
            RegisterClassW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    });
    return registered;
}

}  // namespace

HiddenWindow CreateHiddenWindow(const wchar_t* title)
{
    if (!RegisterWindowClass())
        return HiddenWindow();
    // Top-level (not message-only) so that FindWindowW in another process finds it.
    return HiddenWindow(CreateWindowExW(WS_EX_TOOLWINDOW, kStandInWindowClass, title ? title : L"",
                                        WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, ThisModule(),
                                        nullptr));
}

void HiddenWindowTraits::Close(HWND hwnd)
{
    if (GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId())
        DestroyWindow(hwnd);
    else
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
}
