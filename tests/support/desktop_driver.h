// Driving other programs' windows as a user would, for end-to-end tests in the emulated device:
// waiting for windows, real clicks and keys (SendInput, Wine's hardware input path), reading
// window state. Everything works across processes; nothing here sleeps without a deadline.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/program_under_test.h"
#include "tests/support/screen_capture.h"
#include "tests/support/screen_turn.h"

// --- Waiting ------------------------------------------------------------------------------

// Polls condition until it holds, dispatching this thread's messages between polls.
// False when timeoutMs passed without it holding.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// A top-level window with exactly this title, visible or not, of the process (0: any process);
// null when none appeared within timeoutMs.
HWND WaitForTopLevelWindow(const wchar_t* title, DWORD processId, DWORD timeoutMs);

// A top-level window of the window class, visible or not, of the process (0: any process),
// e.g. a menu bar that has no title; null when none appeared within timeoutMs.
HWND WaitForTopLevelWindowOfClass(const wchar_t* className, DWORD processId, DWORD timeoutMs);

// The visible popup menu (TrackPopupMenu or a menu bar's menu) of the process; null on timeout.
// Wait for it before pressing keys meant for the menu: until it is open they go elsewhere.
HWND WaitForPopupMenu(DWORD processId, DWORD timeoutMs);

// --- Reading window state -----------------------------------------------------------------

// The text of any window, controls of other processes included (WM_GETTEXT); empty on failure.
std::wstring WindowText(HWND window);

// BM_GETCHECK == BST_CHECKED for a check box or radio button.
bool IsButtonChecked(HWND button);

// The process owning the foreground window; 0 when there is none.
DWORD ForegroundProcessId();

// The window with the keyboard focus in the thread of this window (of any process), or null.
HWND FocusOf(HWND window);

// Every entry of a list box (of any process), in display order, each read whole.
std::vector<std::wstring> ListBoxItems(HWND listBox);

// --- Input --------------------------------------------------------------------------------
// Each call queues real input and returns whether it was queued; the caller then waits for the
// effect with WaitUntil. Keys go to the foreground window's focus, as a user's would.

// Moves the mouse pointer onto the pixel (screen coordinates).
bool MoveMouseTo(POINT screenPoint);

// Moves onto the pixel, then presses and releases the left button there. A click that would
// land within the double-click time and distance of the previous one is held back until that
// time has passed, so two clicks never turn into a double click.
bool ClickAt(POINT screenPoint);

// Clicks the centre of the window, or the point of its client area. The window's top-level
// window is brought forward first when something covers the point. False, without clicking,
// when the window is hidden, disabled, on a minimised window, or stays covered.
bool Click(HWND window);
bool Click(HWND window, POINT clientPoint);

// Clicks the button with this text in the first top-level window of the class (the front one),
// waiting until it can be clicked; false when it could not within timeoutMs.
bool ClickButtonIn(const wchar_t* topLevelClass, const wchar_t* text, DWORD timeoutMs);

// Presses and releases one key (a virtual-key code: VK_DOWN, VK_RETURN, 'A', ...).
bool PressKey(WORD virtualKey);

// Types the text as characters, independent of the keyboard layout.
bool TypeText(const wchar_t* text);
