// Real mouse and keyboard input through SendInput, aimed at exact pixels of the device screen.
#include "tests/support/desktop_driver.h"

#include <cstdlib>

namespace {

bool Send(std::vector<INPUT> inputs)
{
    const UINT count = static_cast<UINT>(inputs.size());
    return SendInput(count, inputs.data(), sizeof(INPUT)) == count;
}

// Each event carries the point: Wine moves its cursor to the X pointer, outside the device
// screen, whenever a window appears under it. The coordinate is the middle of the pixel's range
// of 0..65535, which Windows and Wine both map back onto the pixel.
INPUT MouseEvent(DWORD flags, POINT point)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx =
        static_cast<LONG>((2LL * point.x + 1) * 65536 / (2LL * GetSystemMetrics(SM_CXSCREEN)));
    input.mi.dy =
        static_cast<LONG>((2LL * point.y + 1) * 65536 / (2LL * GetSystemMetrics(SM_CYSCREEN)));
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
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

POINT g_lastClick = {-100, -100};
DWORD g_lastClickTick = 0;

bool Hits(HWND window, POINT screenPoint)
{
    HWND hit = WindowFromPoint(screenPoint);
    return hit == window || IsChild(window, hit);
}

}  // namespace

bool ClickAt(POINT point)
{
    if (point.x < 0 || point.y < 0 || point.x >= GetSystemMetrics(SM_CXSCREEN) ||
        point.y >= GetSystemMetrics(SM_CYSCREEN))
        return false;
    // Near the last click and within the double-click time it would pair into a double click.
    // The margin: the input's time stamps are taken a little later.
    if (std::abs(point.x - g_lastClick.x) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
        std::abs(point.y - g_lastClick.y) <= GetSystemMetrics(SM_CYDOUBLECLK)) {
        const DWORD quiet = GetDoubleClickTime() + 50;
        WaitUntil([&] { return GetTickCount() - g_lastClickTick > quiet; }, quiet + 50);
    }
    if (!Send({MouseEvent(0, point), MouseEvent(MOUSEEVENTF_LEFTDOWN, point),
               MouseEvent(MOUSEEVENTF_LEFTUP, point)}))
        return false;
    g_lastClick = point;
    g_lastClickTick = GetTickCount();
    return true;
}

bool Click(HWND window)
{
    RECT client = {};
    return GetClientRect(window, &client) && client.right > 0 && client.bottom > 0 &&
        Click(window, POINT{client.right / 2, client.bottom / 2});
}

bool Click(HWND window, POINT clientPoint)
{
    HWND root = GetAncestor(window, GA_ROOT);
    POINT point = clientPoint;
    if (!IsWindowVisible(window) || !IsWindowEnabled(window) || IsIconic(root) ||
        !ClientToScreen(window, &point))
        return false;
    if (!Hits(window, point)) {
        // Activation alone leaves the window where it is in Wine: raise it as well.
        SetWindowPos(root, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(root);
        if (!WaitUntil([&] { return Hits(window, point); }, 2000))
            return false;
    }
    return ClickAt(point);
}

bool PressKey(WORD virtualKey)
{
    const WORD scanCode = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    // The arrow keys sit outside the numeric pad's block: their scan codes are extended.
    const DWORD extended =
        virtualKey >= VK_LEFT && virtualKey <= VK_DOWN ? KEYEVENTF_EXTENDEDKEY : 0;
    return Send({KeyEvent(virtualKey, scanCode, extended),
                 KeyEvent(virtualKey, scanCode, extended | KEYEVENTF_KEYUP)});
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
