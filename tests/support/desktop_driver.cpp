// Waiting for other programs' windows and reading their state.
#include "tests/support/desktop_driver.h"

#include <algorithm>

namespace {

const DWORD kPollMs = 15;
// Long enough for a busy program under Wine, short enough that a hung one fails a test quickly.
const UINT kMessageTimeoutMs = 5000;

// Dispatches this thread's messages for at most waitMs, returning early when input arrives.
void PumpMessagesFor(DWORD waitMs)
{
    MsgWaitForMultipleObjectsEx(0, nullptr, waitMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool BelongsTo(HWND window, DWORD processId)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return processId == 0 || owner == processId;
}

// The first top-level window of the class and title (either may be null: any) of the process.
HWND FindTopLevelWindow(const wchar_t* className, const wchar_t* title, DWORD processId,
                        bool visibleOnly)
{
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, className, title)) != nullptr) {
        if (BelongsTo(window, processId) && (!visibleOnly || IsWindowVisible(window)))
            return window;
    }
    return nullptr;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return false;
        PumpMessagesFor(std::min<DWORD>(kPollMs, timeoutMs - elapsed));
    }
}

HWND WaitForTopLevelWindow(const wchar_t* title, DWORD processId, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil(
        [&] { return (found = FindTopLevelWindow(nullptr, title, processId, false)) != nullptr; },
        timeoutMs);
    return found;
}

HWND WaitForTopLevelWindowOfClass(const wchar_t* className, DWORD processId, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            return (found = FindTopLevelWindow(className, nullptr, processId, false)) != nullptr;
        },
        timeoutMs);
    return found;
}

HWND WaitForPopupMenu(DWORD processId, DWORD timeoutMs)
{
    const wchar_t* const kMenuClass = L"#32768";  // the system class of every popup menu window
    HWND found = nullptr;
    WaitUntil(
        [&] {
            return (found = FindTopLevelWindow(kMenuClass, nullptr, processId, true)) != nullptr;
        },
        timeoutMs);
    return found;
}

std::wstring WindowText(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                             &length))
        return std::wstring();
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                             SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied))
        return std::wstring();
    text.resize(std::min<size_t>(copied, length));
    return text;
}

bool IsButtonChecked(HWND button)
{
    DWORD_PTR state = 0;
    return SendMessageTimeoutW(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                               &state) &&
        state == BST_CHECKED;
}

DWORD ForegroundProcessId()
{
    HWND foreground = GetForegroundWindow();
    DWORD processId = 0;
    if (foreground)
        GetWindowThreadProcessId(foreground, &processId);
    return processId;
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof(gui);
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui) ? gui.hwndFocus
                                                                             : nullptr;
}

std::vector<std::wstring> ListBoxItems(HWND listBox)
{
    std::vector<std::wstring> items;
    const LRESULT count = SendMessageW(listBox, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(listBox, LB_GETTEXTLEN, i, 0);
        std::wstring text(length > 0 ? length + 1 : 1, L'\0');
        const LRESULT copied = length > 0
            ? SendMessageW(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]))
            : 0;
        text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
        items.push_back(text);
    }
    return items;
}

bool ClickButtonIn(const wchar_t* topLevelClass, const wchar_t* text, DWORD timeoutMs)
{
    return WaitUntil(
        [&] {
            return Click(FindWindowExW(FindWindowExW(nullptr, nullptr, topLevelClass, nullptr),
                                       nullptr, L"Button", text));
        },
        timeoutMs);
}
