// Dialogs from the program's own templates, dressed as the framework dresses them, and the screen.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <initializer_list>
#include <vector>

const DWORD kFrameworkFlags = 0x2D;  // ok button, full screen, input panel down, empty menu bar

// What a test dialog heard. onMessage sees every message after the dialog has (WM_INITDIALOG:
// after SHInitDialog).
struct DialogLog {
    int sizes = 0;
    SIZE lastSize = {};
    std::vector<WORD> commands;
    std::function<void(HWND, UINT, WPARAM, LPARAM)> onMessage;
};

// A modeless dialog from template templateId, initialised with SHInitDialog(flags); destroyed at the end.
struct TestDialog {
    TestDialog(int templateId, HWND owner = nullptr);
    ~TestDialog() { DestroyWindow(hwnd); }
    DialogLog log;
    HWND hwnd = nullptr;
};
INT_PTR CALLBACK TestDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Runs this thread's messages until done() or the time is up; answers done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 2000);

// The screen turned to cx x cy for the scope, back to the device's 240 x 320 after it.
struct TurnedScreen {
    TurnedScreen(int cx, int cy) { Turn(cx, cy); }
    ~TurnedScreen() { Turn(240, 320); }
    static LONG Turn(int cx, int cy);
};

// Real input: a tap in the middle of hwnd, and key strokes (down and up each).
bool Tap(HWND hwnd);
bool PressKeys(std::initializer_list<WORD> keys);

// The strip of class className owned by dialog, or null.
HWND OwnedShellWindow(HWND dialog, const wchar_t* className);
std::array<LONG, 4> WindowBox(HWND hwnd);  // left, top, right, bottom on the screen
