#include "coredll_compat.h"

#undef SetForegroundWindow

BOOL WINAPI CeSetForegroundWindow(HWND hWnd)
{
    const ULONG_PTR value = reinterpret_cast<ULONG_PTR>(hWnd);
    const bool withOwnedWindow = (value & 0x01) != 0;
    HWND hWndTarget = reinterpret_cast<HWND>(value & ~static_cast<ULONG_PTR>(0x01));
    if (!IsWindow(hWndTarget))
        return FALSE;
    // A desktop window stays iconic when brought forward; the device has no icons.
    if (IsIconic(hWndTarget))
        ShowWindow(hWndTarget, SW_RESTORE);
    if (withOwnedWindow)
        hWndTarget = GetLastActivePopup(hWndTarget);
    return SetForegroundWindow(hWndTarget);
}
