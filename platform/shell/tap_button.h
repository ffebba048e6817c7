// A push button for the shell's bars that never takes the focus, so a tap leaves the dialog active.
#pragma once

#include <windows.h>

// A child "Button" of parent; a tap or BM_CLICK sends WM_COMMAND (id, BN_CLICKED) to parent.
[[nodiscard]] HWND CreateTapButton(HWND parent, int id, const wchar_t* text, DWORD extraStyle,
                                   const RECT& rect);
