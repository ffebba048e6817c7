// The menu bar along the bottom of the screen: one button per top-level item of a menu.
#pragma once

#include <windows.h>

// Creates the hidden bar owned by owner (a top-level window). Plain items post WM_COMMAND to
// commandTarget; popups open above their button with commandTarget as the menu's owner. The bar
// owns menu from this call on, also when creation fails; a null menu gives an empty bar.
HWND CreateMenuBar(HWND owner, HWND commandTarget, HMENU menu);

// The bar that belongs to owner, or null.
HWND FindMenuBar(HWND owner);
