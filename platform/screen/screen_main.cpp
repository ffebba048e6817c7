// screen: turns the emulated device's screen, as the user turns the phone.
//   screen portrait    240 x 320 (480 x 640 on a 192 dpi screen)
//   screen landscape   320 x 240 (640 x 480)
//   screen rotate      the other one of the two
//   screen size        prints the current size
// Every program in the device sees the new size, as after a real turn.
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "unique_handle.h"

namespace {

// The sides at 96 dots per inch; a high-resolution device has more pixels on the same glass.
const int kShortSide = 240;
const int kLongSide = 320;

int ScreenDpi()
{
    const UniqueScreenDc screen(GetDC(nullptr));
    const int dpi = screen.IsValid() ? GetDeviceCaps(screen.Get(), LOGPIXELSX) : 96;
    return dpi > 0 ? dpi : 96;
}

bool Turn(int sideX, int sideY)
{
    const DWORD width = MulDiv(sideX, ScreenDpi(), 96);
    const DWORD height = MulDiv(sideY, ScreenDpi(), 96);
    DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    const LONG result = ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr);
    if (result != DISP_CHANGE_SUCCESSFUL) {
        std::fprintf(stderr, "screen: the screen did not turn to %lu x %lu (%ld)\n", width, height,
                     result);
        return false;
    }
    return true;
}

int Usage()
{
    std::fprintf(stderr, "usage: screen portrait|landscape|rotate|size\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2)
        return Usage();
    const wchar_t* command = argv[1];
    const bool portraitNow = GetSystemMetrics(SM_CXSCREEN) < GetSystemMetrics(SM_CYSCREEN);
    bool turned = true;
    if (std::wcscmp(command, L"portrait") == 0)
        turned = Turn(kShortSide, kLongSide);
    else if (std::wcscmp(command, L"landscape") == 0)
        turned = Turn(kLongSide, kShortSide);
    else if (std::wcscmp(command, L"rotate") == 0)
        turned = portraitNow ? Turn(kLongSide, kShortSide) : Turn(kShortSide, kLongSide);
    else if (std::wcscmp(command, L"size") != 0)
        return Usage();
    if (!turned)
        return 1;
    std::printf("%d x %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return 0;
}
