// The strip along the top of the screen for one dialog: its title and its "ok" button.
#pragma once

#include <windows.h>

// Creates the hidden strip owned by dialog; its own window text stays empty.
[[nodiscard]] HWND CreateTitleStrip(HWND dialog);

// The strip that belongs to dialog, or null.
HWND FindTitleStrip(HWND dialog);

// Shows or hides the strip's "ok" button.
void ShowDoneButton(HWND strip, bool show);
