// The shell stand-in's module, class registration and the lookup of the windows it owns.
#include "shell_module.h"

#include <mutex>

extern "C" IMAGE_DOS_HEADER __ImageBase;

HINSTANCE ShellModule()
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

bool RegisterShellClass(const wchar_t* className, WNDPROC procedure, int backgroundColor)
{
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);
    WNDCLASSW existing;
    if (GetClassInfoW(ShellModule(), className, &existing))
        return true;
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ShellModule();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(backgroundColor);  // a system brush: never freed
    windowClass.lpszClassName = className;
    return RegisterClassW(&windowClass) != 0;
}

namespace {

struct OwnedWindowSearch {
    HWND owner;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchOwnedWindow(HWND hwnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<OwnedWindowSearch*>(lParam);
    wchar_t className[64];
    if (GetWindow(hwnd, GW_OWNER) == search->owner && GetClassNameW(hwnd, className, 64) &&
        lstrcmpW(className, search->className) == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND FindOwnedWindow(HWND owner, const wchar_t* className)
{
    // Our windows live on their owner's thread, so that thread's list is enough.
    OwnedWindowSearch search{owner, className, nullptr};
    EnumThreadWindows(GetWindowThreadProcessId(owner, nullptr), MatchOwnedWindow,
                      reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool IsWindowOfThisThread(HWND hwnd)
{
    return hwnd && IsWindow(hwnd) &&
        GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId();
}
