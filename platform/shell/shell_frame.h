// A top-level window the shell dresses: a title strip above it, a menu bar below it, and, for a
// full-screen dialog, the screen between them. The strips follow the window (shown, hidden,
// minimised, destroyed) and everything follows every change of the screen size.
#pragma once

#include <windows.h>

#include "unique_handle.h"

// SHInitDialog's work for flags (SHIDIF_*): the title strip, the "ok" button, the full-screen
// size without caption or border, an empty menu bar. dialog must belong to the calling thread.
[[nodiscard]] bool DressDialog(HWND dialog, DWORD flags);

// Replaces owner's menu bar with a new one built from menu (destroyed when that fails).
// Commands go to commandTarget. owner must be a top-level window of the calling thread.
[[nodiscard]] HWND ReplaceMenuBar(HWND owner, HWND commandTarget, UniqueMenu menu);
