// What every piece of the shell stand-in shares: its module, its window classes, finding its windows.
#pragma once

#include <windows.h>

HINSTANCE ShellModule();

// Registers a window class of this module once per process; true when it is (or already was) there.
[[nodiscard]] bool RegisterShellClass(const wchar_t* className, WNDPROC procedure,
                                      int backgroundColor);

// The window of our class className owned by owner, or null.
HWND FindOwnedWindow(HWND owner, const wchar_t* className);

// True for a window of the calling thread: only those can be dressed and followed by the shell.
bool IsWindowOfThisThread(HWND hwnd);
