// The hidden top-level window through which the stand-in service talks to one application.
#pragma once

#include <windows.h>

#include "unique_handle.h"

// Private message: deliver the end of a call that was dropped after its notifications (wParam: HCALL).
const UINT kFinishDropMessage = WM_APP + 0x54;

// Destroys one hidden window of class kStandInWindowClass. The window lives on the thread that
// created it, which alone may destroy it: from any other thread that thread is asked to.
struct HiddenWindowTraits {
    static HWND Null() { return nullptr; }
    static bool IsValid(HWND hwnd) { return hwnd != nullptr; }
    static void Close(HWND hwnd);
};
using HiddenWindow = UniqueHandle<HWND, HiddenWindowTraits>;

// Creates the window on the calling thread, titled with the application's name; its procedure
// runs the phone tool's requests and every notification there. Invalid when it cannot be made.
[[nodiscard]] HiddenWindow CreateHiddenWindow(const wchar_t* title);
