// Driving other programs in the emulated device as a user would: starting them, finding their
// windows, real taps and keys (SendInput, Wine's hardware input path), turning the screen and
// taking screenshots. Everything works across processes; nothing waits without a deadline.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "unique_handle.h"

// Windows of another process have no event to wait on: they are polled, this thread's messages
// dispatched in between. False when the condition did not hold within timeoutMs.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// A top-level window with this title, visible or not, of the process (0: any); null on timeout.
HWND WaitForTopLevelWindow(const wchar_t* title, DWORD processId, DWORD timeoutMs);

// The process's visible popup menu; null on timeout. Keys for a menu must wait until it is open.
HWND WaitForPopupMenu(DWORD processId, DWORD timeoutMs);

std::wstring WindowText(HWND window);  // WM_GETTEXT, any process; empty on failure
bool IsButtonChecked(HWND button);     // BM_GETCHECK == BST_CHECKED
HWND FocusOf(HWND window);             // the keyboard focus in the window's thread, or null
std::vector<std::wstring> ListBoxItems(HWND listBox);

// Real input, queued: each returns whether it was; wait for the effect after. A click stays
// single: one near the last is held back for the double-click time. Click aims at the window's
// centre or a client point, raising its top-level window when covered; false, without a click,
// when the window is hidden, disabled, minimised or stays covered.
bool ClickAt(POINT screenPoint);
bool Click(HWND window);
bool Click(HWND window, POINT clientPoint);

bool PressKey(WORD virtualKey);      // to the foreground window's focus
bool TypeText(const wchar_t* text);  // as characters, whatever the keyboard layout

// Variables laid over the inherited environment; an empty value removes the variable.
using EnvironmentChanges = std::vector<std::pair<std::wstring, std::wstring>>;

// One program started by a test; terminated (exit code 1) if still running when this ends.
class ProgramUnderTest {
public:
    ProgramUnderTest() = default;
    ~ProgramUnderTest();
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

    // False, with GetLastError set, when it could not start or the last one still runs.
    [[nodiscard]] bool Start(const std::wstring& executablePath,
                             const std::wstring& workingFolder = {},
                             const EnvironmentChanges& environment = {});
    DWORD ProcessId() const { return m_processId; }
    HANDLE Process() const { return m_process.Get(); }
    bool IsRunning() const;
    // Until the fresh program has shown its window and waits for input (start-up only).
    bool WaitForInputIdle(DWORD timeoutMs) const;
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);

private:
    UniqueKernelHandle m_process;
    DWORD m_processId = 0;
};

// The full path of a file in the folder of the running executable.
std::wstring PathBesideThisProgram(const wchar_t* fileName);

// Resizes the emulated screen (the Wine virtual desktop); true when it took.
bool SetScreenSize(DWORD width, DWORD height);

// The screen in landscape while this lives; in portrait again afterwards, whatever happened.
struct LandscapeScreen {
    const bool turned = SetScreenSize(320, 240);
    ~LandscapeScreen() { SetScreenSize(240, 320); }
};

// Writes the whole screen to a 24-bit BMP file; false when any step failed.
bool SaveScreenBmp(const wchar_t* path);
