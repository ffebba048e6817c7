// Tap buttons: "Button" controls whose mouse handling is ours. The stock button sets the focus on
// a press, which would pull the activation away from the dialog onto the bar.
#include "tap_button.h"

#include "shell_module.h"

namespace {

const wchar_t kPreviousProcProperty[] = L"OstrelTapButtonProc";
const wchar_t kPressedProperty[] = L"OstrelTapButtonPressed";

WNDPROC PreviousProc(HWND hwnd)
{
    return reinterpret_cast<WNDPROC>(GetPropW(hwnd, kPreviousProcProperty));
}

bool IsPressed(HWND hwnd)
{
    return GetPropW(hwnd, kPressedProperty) != nullptr;
}

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
void OnPress(HWND hwnd)
{
    SetPropW(hwnd, kPressedProperty, reinterpret_cast<HANDLE>(1));
    SetCapture(hwnd);
    SendMessageW(hwnd, BM_SETSTATE, TRUE, 0);
}

// Release: a click when the pointer is still over the button.
void OnRelease(HWND hwnd, LPARAM lParam)
{
    if (!IsPressed(hwnd))
        return;
    RemovePropW(hwnd, kPressedProperty);
    SendMessageW(hwnd, BM_SETSTATE, FALSE, 0);
    ReleaseCapture();
    if (IsInside(hwnd, lParam))
        NotifyClicked(hwnd);
}

LRESULT CALLBACK TapButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC previous = PreviousProc(hwnd);
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnPress(hwnd);
        return 0;
    case WM_MOUSEMOVE:
        if (IsPressed(hwnd))
            SendMessageW(hwnd, BM_SETSTATE, IsInside(hwnd, lParam), 0);
        return 0;
    case WM_LBUTTONUP:
        OnRelease(hwnd, lParam);
        return 0;
    case WM_CAPTURECHANGED:
        if (IsPressed(hwnd)) {
            RemovePropW(hwnd, kPressedProperty);
            SendMessageW(hwnd, BM_SETSTATE, FALSE, 0);
        }
        return 0;
    case BM_CLICK:
        NotifyClicked(hwnd);
        return 0;
    case WM_NCDESTROY:
        RemovePropW(hwnd, kPressedProperty);
        RemovePropW(hwnd, kPreviousProcProperty);
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
    LONG_PTR previous = GetWindowLongPtrW(button, GWLP_WNDPROC);
    if (!SetPropW(button, kPreviousProcProperty, reinterpret_cast<HANDLE>(previous))) {
        DestroyWindow(button);
        return nullptr;
    }
    SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TapButtonProc));
    return button;
}
