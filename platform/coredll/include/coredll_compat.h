// What the device's core library does that the desktop's user32 does not, under the same names.
#pragma once

#include <windows.h>

// On the device, a window handle with its lowest bit set asks SetForegroundWindow to bring
// the window forward together with its most recently active owned window. A window sent to
// the back ("minimised") comes back to view.
BOOL WINAPI CeSetForegroundWindow(HWND hWnd);
#define SetForegroundWindow CeSetForegroundWindow
