// Real mouse and keyboard input through SendInput, aimed at exact pixels of the device screen.
#include "tests/support/desktop_driver.h"

#include <cstdlib>
#include <vector>

namespace {

// How long Click waits for a covered point to come free once its window was brought forward.
const DWORD kBringForwardMs = 2000;

// The normalised absolute coordinate (0..65535 over the primary screen) of the pixel's middle.
// Windows and Wine both map back with (value * extent) >> 16 or a rounding of it; the middle
// of the pixel's range lands on the pixel under either.
LONG Normalised(int pixel, int extent)
{
    return static_cast<LONG>(((2LL * pixel + 1) * 65536) / (2LL * extent));
}

bool OnScreen(POINT point)
{
    return point.x >= 0 && point.y >= 0 && point.x < GetSystemMetrics(SM_CXSCREEN) &&
        point.y < GetSystemMetrics(SM_CYSCREEN);
}

INPUT MouseEvent(DWORD flags, POINT point)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = Normalised(point.x, GetSystemMetrics(SM_CXSCREEN));
    input.mi.dy = Normalised(point.y, GetSystemMetrics(SM_CYSCREEN));
    input.mi.dwFlags = flags;
    return input;
}

INPUT KeyEvent(WORD virtualKey, WORD scanCode, DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = scanCode;
    input.ki.dwFlags = flags;
    return input;
}

bool Send(std::vector<INPUT>& inputs)
{
    const UINT count = static_cast<UINT>(inputs.size());
    return SendInput(count, inputs.data(), sizeof(INPUT)) == count;
}

// The arrow keys sit outside the numeric pad's block: their scan codes are extended.
bool IsExtendedKey(WORD virtualKey)
{
    return virtualKey >= VK_LEFT && virtualKey <= VK_DOWN;
}

// The previous click, to keep the next one from pairing with it into a double click.
struct PreviousClick {
    bool made = false;
    POINT point = {};
    DWORD tick = 0;
};
PreviousClick g_previousClick;

void WaitOutDoubleClick(POINT point)
{
    if (!g_previousClick.made)
        return;
    const bool nearby =
        std::abs(point.x - g_previousClick.point.x) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
        std::abs(point.y - g_previousClick.point.y) <= GetSystemMetrics(SM_CYDOUBLECLK);
    if (!nearby)
        return;
    // A margin over the double-click time: the input's time stamps are taken a little later.
    const DWORD quiet = GetDoubleClickTime() + 50;
    WaitUntil([&] { return GetTickCount() - g_previousClick.tick > quiet; }, quiet + 50);
}

// The point lies on the window or on one of its children, so a click there reaches the window.
bool Hits(HWND window, POINT screenPoint)
{
    HWND hit = WindowFromPoint(screenPoint);
    return hit == window || IsChild(window, hit);
}

}  // namespace

bool ClickAt(POINT screenPoint)
{
    if (!OnScreen(screenPoint))
        return false;
    WaitOutDoubleClick(screenPoint);
    // Each event carries the point again. Wine moves its cursor to where the X pointer is
    // whenever a window appears under it, and that X pointer stays outside the device screen;
    // a button event on its own would then land wherever such a move left the cursor.
    const DWORD at = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    std::vector<INPUT> inputs = {MouseEvent(at, screenPoint),
                                 MouseEvent(at | MOUSEEVENTF_LEFTDOWN, screenPoint),
                                 MouseEvent(at | MOUSEEVENTF_LEFTUP, screenPoint)};
    if (!Send(inputs))
        return false;
    g_previousClick.made = true;
    g_previousClick.point = screenPoint;
    g_previousClick.tick = GetTickCount();
    return true;
}

bool Click(HWND window)
{
    RECT client = {};
    if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0)
        return false;
    return Click(window, POINT{client.right / 2, client.bottom / 2});
}

bool Click(HWND window, POINT clientPoint)
{
    if (!IsWindow(window) || !IsWindowVisible(window) || !IsWindowEnabled(window))
        return false;
    HWND root = GetAncestor(window, GA_ROOT);
    if (IsIconic(root))
        return false;
    POINT screenPoint = clientPoint;
    if (!ClientToScreen(window, &screenPoint))
        return false;
    if (!Hits(window, screenPoint)) {
        // Activation alone leaves the window where it is in Wine: raise it as well.
        SetWindowPos(root, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(root);
        if (!WaitUntil([&] { return Hits(window, screenPoint); }, kBringForwardMs))
            return false;
    }
    return ClickAt(screenPoint);
}

bool PressKey(WORD virtualKey)
{
    const WORD scanCode = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    const DWORD extended = IsExtendedKey(virtualKey) ? KEYEVENTF_EXTENDEDKEY : 0;
    std::vector<INPUT> inputs = {KeyEvent(virtualKey, scanCode, extended),
                                 KeyEvent(virtualKey, scanCode, extended | KEYEVENTF_KEYUP)};
    return Send(inputs);
}

bool TypeText(const wchar_t* text)
{
    std::vector<INPUT> inputs;
    for (const wchar_t* character = text; *character; ++character) {
        inputs.push_back(KeyEvent(0, *character, KEYEVENTF_UNICODE));
        inputs.push_back(KeyEvent(0, *character, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
    }
    return inputs.empty() || Send(inputs);
}
