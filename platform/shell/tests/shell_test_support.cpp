// Test dialogs, pumping with a deadline, turning the screen.
#include "shell_test_support.h"

#include <aygshell.h>

INT_PTR CALLBACK TestDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* log = reinterpret_cast<DialogLog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!log && message != WM_INITDIALOG)
        return FALSE;  // the window's creation messages come before WM_INITDIALOG
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        log = reinterpret_cast<DialogLog*>(lParam);
        SHINITDLGINFO info = {SHIDIM_FLAGS, hwnd, kFrameworkFlags};
        SHInitDialog(&info);
        break;
    }
    case WM_SIZE:
        log->sizes++;
        log->lastSize = {LOWORD(lParam), HIWORD(lParam)};
        break;
    case WM_COMMAND:
        log->commands.push_back(LOWORD(wParam));
        break;
    }
    if (log->onMessage)
        log->onMessage(hwnd, message, wParam, lParam);
    return message == WM_INITDIALOG || message == WM_SIZE || message == WM_COMMAND;
}

TestDialog::TestDialog(int templateId, HWND owner)
{
    hwnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner,
                              TestDialogProc, reinterpret_cast<LPARAM>(&log));
    ShowWindow(hwnd, SW_SHOW);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        const DWORD spent = GetTickCount() - start;
        if (spent >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - spent, QS_ALLINPUT);
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);)
            DispatchMessageW(&msg);
    }
    return true;
}

LONG TurnedScreen::Turn(int cx, int cy)
{
    DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmPelsWidth = cx;
    mode.dmPelsHeight = cy;
    return ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr);
}

bool Tap(HWND hwnd)
{
    // Every event carries the point: Wine may move its cursor to where the X pointer is (outside
    // the device screen) between two events.
    RECT box = {};
    GetWindowRect(hwnd, &box);
    INPUT taps[3] = {};
    const DWORD buttons[3] = {0, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    for (int i = 0; i < 3; ++i) {
        taps[i].type = INPUT_MOUSE;
        taps[i].mi.dx =
            ((box.left + box.right) / 2 * 65536 + 32768) / GetSystemMetrics(SM_CXSCREEN);
        taps[i].mi.dy =
            ((box.top + box.bottom) / 2 * 65536 + 32768) / GetSystemMetrics(SM_CYSCREEN);
        taps[i].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons[i];
    }
    return SendInput(3, taps, sizeof(INPUT)) == 3;
}

bool PressKeys(std::initializer_list<WORD> keys)
{
    std::vector<INPUT> strokes;
    for (WORD key : keys) {
        INPUT stroke = {};
        stroke.type = INPUT_KEYBOARD;
        stroke.ki.wVk = key;
        strokes.push_back(stroke);
        stroke.ki.dwFlags = KEYEVENTF_KEYUP;
        strokes.push_back(stroke);
    }
    return SendInput(static_cast<UINT>(strokes.size()), strokes.data(), sizeof(INPUT)) ==
        strokes.size();
}

HWND OwnedShellWindow(HWND dialog, const wchar_t* className)
{
    for (HWND hwnd = nullptr; (hwnd = FindWindowExW(nullptr, hwnd, className, nullptr));)
        if (GetWindow(hwnd, GW_OWNER) == dialog)
            return hwnd;
    return nullptr;
}

std::array<LONG, 4> WindowBox(HWND hwnd)
{
    RECT rect = {};
    GetWindowRect(hwnd, &rect);
    return {rect.left, rect.top, rect.right, rect.bottom};
}
