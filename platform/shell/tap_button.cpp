// Tap buttons: "Button" controls whose mouse handling is ours. The stock button sets the focus on
// a press, which would pull the activation away from the dialog onto the bar.
#include "tap_button.h"

#include "shell_module.h"
#include "window_state.h"

#include <memory>
#include <utility>

namespace {

struct TapState {
    static constexpr wchar_t kProperty[] = L"OstrelTapButton";
    WNDPROC previous = nullptr;  // the stock button's procedure
    bool pressed = false;        // pressed here, the mouse captured, not yet released
};

bool IsInside(HWND hwnd, LPARAM lParam)
{
    RECT client;
    GetClientRect(hwnd, &client);
    POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    return PtInRect(&client, point) != FALSE;
}

void NotifyClicked(HWND hwnd)
{
    SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                 reinterpret_cast<LPARAM>(hwnd));
}

// Press: capture the mouse and draw pushed, without SetFocus.
void OnPress(HWND hwnd, TapState& state)
{
    state.pressed = true;
    SetCapture(hwnd);
    SendMessageW(hwnd, BM_SETSTATE, TRUE, 0);
}

// Release: a click when the pointer is still over the button.
void OnRelease(HWND hwnd, TapState& state, LPARAM lParam)
{
    if (!state.pressed)
        return;
    state.pressed = false;
    SendMessageW(hwnd, BM_SETSTATE, FALSE, 0);
    ReleaseCapture();
    if (IsInside(hwnd, lParam))
        NotifyClicked(hwnd);
}

LRESULT CALLBACK TapButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    TapState& state = *StateOf<TapState>(hwnd);
    const WNDPROC previous = state.previous;
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnPress(hwnd, state);
        return 0;
    case WM_MOUSEMOVE:
        if (state.pressed)
            SendMessageW(hwnd, BM_SETSTATE, IsInside(hwnd, lParam), 0);
        return 0;
    case WM_LBUTTONUP:
        OnRelease(hwnd, state, lParam);
        return 0;
    case WM_CAPTURECHANGED:
        if (state.pressed) {
            state.pressed = false;
            SendMessageW(hwnd, BM_SETSTATE, FALSE, 0);
        }
        return 0;
    case BM_CLICK:
        NotifyClicked(hwnd);
        return 0;
    case WM_NCDESTROY:
        DestroyState<TapState>(hwnd);
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        break;
    }
    return CallWindowProcW(previous, hwnd, message, wParam, lParam);
}

}  // namespace

HWND CreateTapButton(HWND parent, int id, const wchar_t* text, DWORD extraStyle, const RECT& rect)
{
    HWND button =
        CreateWindowExW(0, L"Button", text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | extraStyle,
                        rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ShellModule(), nullptr);
    if (!button)
        return nullptr;
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
    auto state = std::make_unique<TapState>();
    state->previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(button, GWLP_WNDPROC));
    if (!AttachState(button, std::move(state))) {
        DestroyWindow(button);
        return nullptr;
    }
    SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TapButtonProc));
    return button;
}
