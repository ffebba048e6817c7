// The hidden top-level window through which the stand-in service talks to one application.
#pragma once

#include <windows.h>

// Private message: deliver the end of a call that was dropped after its notifications (wParam: HCALL).
const UINT kFinishDropMessage = WM_APP + 0x54;

// Owns one hidden window of class kStandInWindowClass. The window lives on the thread that
// created it; its procedure runs the phone tool's requests and every notification there.
class HiddenWindow {
public:
    HiddenWindow() = default;
    ~HiddenWindow();
    HiddenWindow(const HiddenWindow&) = delete;
    HiddenWindow& operator=(const HiddenWindow&) = delete;
    HiddenWindow(HiddenWindow&& other) noexcept;
    HiddenWindow& operator=(HiddenWindow&& other) noexcept;

    // Creates the window on the calling thread, titled with the application's name.
    [[nodiscard]] bool Create(const wchar_t* title);
    HWND Get() const { return m_hwnd; }

private:
    void Destroy();

    HWND m_hwnd = nullptr;
};
