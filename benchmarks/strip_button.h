// Taps a button of one of the shell's strips (the title strip's "ok", a menu bar's item) by its
// text, waiting until the strip shows it.
#pragma once

#include <windows.h>

#include "tests/support/desktop_driver.h"

inline bool ClickStripButton(const wchar_t* stripClass, const wchar_t* text, DWORD timeoutMs)
{
    return WaitUntil(
        [&] {
            return Click(FindWindowExW(FindWindowExW(nullptr, nullptr, stripClass, nullptr),
                                       nullptr, L"Button", text));
        },
        timeoutMs);
}
