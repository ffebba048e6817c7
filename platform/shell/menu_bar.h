// The menu bar along the bottom of the screen: one button per top-level item of a menu.
#pragma once

#include <windows.h>

#include "unique_handle.h"

// Creates the hidden bar owned by owner (a top-level window). Plain items post WM_COMMAND to
// commandTarget; popups open above their button with commandTarget as the menu's owner. The bar
// takes menu; when creation fails it is destroyed. No menu gives an empty bar.
[[nodiscard]] HWND CreateMenuBar(HWND owner, HWND commandTarget, UniqueMenu menu);

// The bar that belongs to owner, or null.
HWND FindMenuBar(HWND owner);
