// The program the desktop driver's test drives: a modeless dialog that shows what was done to it.
// It echoes one environment variable, counts clicks and double clicks of a button, and opens a
// popup menu whose commands rename the window or end the program with a known exit code.
#include <windows.h>

#include <string>

#include "driver_target_ids.h"

namespace {

struct TargetState {
    int clicks = 0;
    int doubleClicks = 0;
    int exitCode = 0;
    HBRUSH background = nullptr;
};
TargetState g_state;

// Shows the greeting variable's value, so that the test sees the environment it was given.
void ShowGreeting(HWND dialog)
{
    wchar_t value[256] = {};
    const DWORD length =
        GetEnvironmentVariableW(DRIVER_TARGET_GREETING_VAR, value, ARRAYSIZE(value));
    SetDlgItemTextW(dialog, IDC_GREETING,
                    length > 0 && length < ARRAYSIZE(value) ? value : L"(none)");
}

void ShowCounts(HWND dialog)
{
    const std::wstring text = L"clicks=" + std::to_wstring(g_state.clicks) + L" double=" +
        std::to_wstring(g_state.doubleClicks);
    SetDlgItemTextW(dialog, IDC_COUNTS, text.c_str());
}

// Opens the popup menu beneath the "Menu" button; its command arrives as WM_COMMAND.
void OpenMenu(HWND dialog)
{
    HMENU menuBar = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TARGET_MENU));
    if (!menuBar)
        return;
    RECT button = {};
    GetWindowRect(GetDlgItem(dialog, IDC_MENU), &button);
    // The menu takes keys only while its owner is the foreground window.
    SetForegroundWindow(dialog);
    TrackPopupMenu(GetSubMenu(menuBar, 0), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON,
                   button.left, button.bottom, 0, dialog, nullptr);
    PostMessageW(dialog, WM_NULL, 0, 0);
    DestroyMenu(menuBar);
}

// Handles the controls' notifications and the menu's commands.
void OnCommand(HWND dialog, WORD id, WORD code)
{
    switch (id) {
    case IDC_COUNT:
        if (code == BN_CLICKED)
            ++g_state.clicks;
        else if (code == BN_DOUBLECLICKED)
            ++g_state.doubleClicks;
        ShowCounts(dialog);
        break;
    case IDC_MENU:
        if (code == BN_CLICKED)
            OpenMenu(dialog);
        break;
    case ID_RENAME:
        SetWindowTextW(dialog, DRIVER_TARGET_RENAMED);
        break;
    case ID_QUIT:
        g_state.exitCode = DRIVER_TARGET_QUIT_CODE;
        DestroyWindow(dialog);
        break;
    case IDCANCEL:
        DestroyWindow(dialog);
        break;
    }
}

INT_PTR CALLBACK TargetDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        ShowGreeting(dialog);
        return TRUE;
    case WM_CTLCOLORDLG:
        return reinterpret_cast<INT_PTR>(g_state.background);
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(dialog);
        return TRUE;
    case WM_DESTROY:
        PostQuitMessage(g_state.exitCode);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    g_state.background = CreateSolidBrush(DRIVER_TARGET_BACKGROUND);
    HWND dialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_DRIVER_TARGET), nullptr,
                                     TargetDialogProc, 0);
    if (!dialog)
        return 2;
    ShowWindow(dialog, SW_SHOW);

    MSG msg;
    int result;
    while ((result = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
        if (!IsDialogMessageW(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    DeleteObject(g_state.background);
    return result < 0 ? 3 : static_cast<int>(msg.wParam);
}
