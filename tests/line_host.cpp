// A stand-in for the main dialog in the session tests: loads the list, opens the line session
// and dispatches messages until it is told to close.
//   WM_APP_SET_MODE (wParam = mode)  sets the screening mode
//   WM_APP_RELOAD_LIST               reloads the blacklist from the registry
//   WM_CLOSE                         closes the session and ends the process
#include <windows.h>

#include "engine/line_session.h"
#include "engine/screening_policy.h"
#include "settings/settings_store.h"
#include "tests/line_host_protocol.h"

namespace {

CLineSession* g_pSession = nullptr;

LRESULT CALLBACK HostWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_APP_SET_MODE:
        g_nScreeningMode = static_cast<ScreeningMode>(wParam);
        return 1;
    case WM_APP_RELOAD_LIST:
        return ReadNumberList(g_strNumberList);
    case WM_CLOSE:
        g_pSession->CloseLineSession();
        DestroyWindow(hWnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = HostWndProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = kLineHostClass;
    if (!RegisterClassW(&wc))
        return 2;

    CLineSession session;
    g_pSession = &session;
    // A list that cannot be read screens as the empty list, as in the program.
    static_cast<void>(ReadNumberList(g_strNumberList));
    session.InitLineSession();

    // Created last: its appearance tells the tests that the session is open.
    HWND hWnd = CreateWindowW(kLineHostClass, L"Line host", WS_OVERLAPPED, 0, 0, 100, 50, nullptr,
                              nullptr, hInstance, nullptr);
    if (!hWnd)
        return 2;

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
