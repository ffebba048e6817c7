// Turning the device's screen from a test, as the user turns the phone.
#pragma once

#include <windows.h>

// Resizes the emulated screen (inside the Wine virtual desktop); true when it took.
bool SetScreenSize(DWORD width, DWORD height);

// The screen in landscape while this lives; in portrait again afterwards, whatever happened.
struct LandscapeScreen {
    const bool turned = SetScreenSize(320, 240);
    ~LandscapeScreen() { SetScreenSize(240, 320); }
};
