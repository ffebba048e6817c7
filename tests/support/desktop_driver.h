// Driving other programs in the emulated device as a user would: starting them, finding their
// windows, real taps and keys (SendInput, Wine's hardware input path), turning the screen; and
// on top of that, the user's steps with the program, for the tests and the benchmarks alike.
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
// The process's (0: any process's) top-level window with this title, or null.
HWND TopLevelWindow(const wchar_t* title, DWORD processId);  // visible or not
HWND VisibleWindow(const wchar_t* title, DWORD processId);

std::wstring WindowText(HWND window);  // WM_GETTEXT, any process; empty on failure
bool IsButtonChecked(HWND button);
HWND FocusOf(HWND window);  // the keyboard focus in the window's thread, or null
std::vector<std::wstring> ListBoxItems(HWND listBox);
RECT PlaceIn(HWND dialog, HWND control);  // in the dialog's client coordinates
std::wstring RectText(const RECT& r);     // "left,top,right,bottom"
// The button of this text on the front shell strip of that class (a title strip, a menu bar).
HWND StripButton(const wchar_t* stripClass, const wchar_t* text);

// A real tap at the window's centre or a client point, raising its top-level window when
// covered; false, without a tap, when the window is hidden, disabled, minimised or stays covered.
bool Click(HWND window);
bool Click(HWND window, POINT clientPoint);
bool PressKey(WORD virtualKey);      // to the foreground window's focus
bool TypeText(const wchar_t* text);  // as characters, whatever the keyboard layout

// Variables laid over the inherited environment; an empty value removes the variable.
using EnvironmentChanges = std::vector<std::pair<std::wstring, std::wstring>>;

// One program started by a test; terminated if still running when this ends.
class ProgramUnderTest {
public:
    ProgramUnderTest() = default;
    ~ProgramUnderTest();
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

    // False, with GetLastError set, when it could not start or the last one still runs.
    [[nodiscard]] bool Start(const std::wstring& executablePath,
                             const EnvironmentChanges& environment = {});
    DWORD ProcessId() const { return m_processId; }
    HANDLE Process() const { return m_process.Get(); }
    bool IsRunning() const;
    bool WaitForInputIdle(DWORD timeoutMs) const;  // start-up only
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);

private:
    UniqueKernelHandle m_process;
    DWORD m_processId = 0;
};

std::wstring PathBesideThisProgram(const wchar_t* fileName);  // beside the running executable

// The emulated screen (the Wine virtual desktop) in landscape while this lives, in portrait again
// afterwards.
struct LandscapeScreen {
    static bool Set(DWORD width, DWORD height);  // true when it took
    const bool turned = Set(320, 240);
    ~LandscapeScreen() { Set(240, 320); }
};

// Each of the user's steps waits, up to kDeadlineMs, until it has happened; when it has not, it
// says what it waited for. The tests' fixture makes that a test failure, a benchmark ends on it.
const DWORD kDeadlineMs = 20000;
enum OperateItem { kHelpItem = 1, kRunBackgroundItem, kDeactiveItem };  // from the top

struct [[nodiscard]] Step {
    std::wstring missed;  // empty when the step happened, else what it waited for in vain
    explicit operator bool() const { return missed.empty(); }
};

Step WaitFor(const std::wstring& what, const std::function<bool()>& condition);
Step Shown(const wchar_t* title, DWORD processId, HWND& window);  // the process's window, visible
Step TapStrip(const wchar_t* stripClass, const wchar_t* text);    // the front strip's button
Step CloseWithOk(HWND dialog);                                    // the title strip's "ok"
Step Dismiss(HWND messageBox);                                    // answered with OK
Step Choose(HWND radioButton);                                    // tapped, until checked
Step Operate(HWND main, OperateItem item);  // "Operate" on the main dialog's menu bar, the item
Step OpenEditor(HWND main, HWND& editor);   // "Set Blacklist", until "Setting" shows
// Typed into the editor's number field and added, until the list has it and the field is empty.
Step AddNumber(HWND editor, const wchar_t* number);
