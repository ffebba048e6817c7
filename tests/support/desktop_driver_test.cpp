// The desktop driver against a real program in the emulated device: started with its own
// environment, clicked, typed into, its popup menu driven by keys, the screen photographed.
#include "tests/support/desktop_driver.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/driver_target_ids.h"

using Microsoft::WRL::ComPtr;

namespace {

const DWORD kDeadlineMs = 20000;

std::wstring TempPath(const wchar_t* fileName)
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + fileName;
}

// A started target program and its dialog.
struct Target {
    ProgramUnderTest program;
    HWND window = nullptr;

    HWND Control(int id) const { return GetDlgItem(window, id); }
};

std::unique_ptr<Target> StartTarget(const EnvironmentChanges& environment = {})
{
    auto target = std::make_unique<Target>();
    EXPECT_TRUE(
        target->program.Start(PathBesideThisProgram(L"driver_target.exe"), {}, environment));
    target->window =
        WaitForTopLevelWindow(DRIVER_TARGET_TITLE, target->program.ProcessId(), kDeadlineMs);
    EXPECT_NE(nullptr, target->window) << "the target's window did not appear";
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(target->window) != FALSE; }, kDeadlineMs));
    // Settled: shown, activated and painted, so that nothing it still does races the test.
    EXPECT_TRUE(target->program.WaitForInputIdle(kDeadlineMs));
    return target;
}

// The pixels of a PNG file as 32-bit BGRA, read back through WIC.
struct Picture {
    UINT width = 0;
    UINT height = 0;
    std::vector<BYTE> bgra;

    COLORREF At(int x, int y) const
    {
        const BYTE* pixel = &bgra[(static_cast<size_t>(y) * width + x) * 4];
        return RGB(pixel[2], pixel[1], pixel[0]);
    }
};

bool ReadPng(const std::wstring& path, Picture* picture)
{
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICBitmapSource> pixels;
    GUID container = {};
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&factory))) ||
        FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetContainerFormat(&container)) || container != GUID_ContainerFormatPng ||
        FAILED(decoder->GetFrame(0, &frame)) ||
        FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.Get(), &pixels)) ||
        FAILED(pixels->GetSize(&picture->width, &picture->height)))
        return false;
    picture->bgra.resize(static_cast<size_t>(picture->width) * picture->height * 4);
    return SUCCEEDED(pixels->CopyPixels(nullptr, picture->width * 4,
                                        static_cast<UINT>(picture->bgra.size()),
                                        picture->bgra.data()));
}

class DesktopDriverTest : public ::testing::Test {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
    void TearDown() override { CoUninitialize(); }
};

TEST_F(DesktopDriverTest, ProgramsInheritTheEnvironmentWithTheChangesLaidOver)
{
    ASSERT_TRUE(SetEnvironmentVariableW(DRIVER_TARGET_GREETING_VAR, L"inherited"));
    {
        auto target = StartTarget();
        EXPECT_EQ(L"inherited", WindowText(target->Control(IDC_GREETING)));
    }
    {
        // Names match in any case: one variable, the new value, whatever the order of the block.
        auto target = StartTarget({{L"driver_target_greeting", L"hello, device"}});
        EXPECT_EQ(L"hello, device", WindowText(target->Control(IDC_GREETING)));
    }
    {
        auto target = StartTarget({{DRIVER_TARGET_GREETING_VAR, L""}});
        EXPECT_EQ(L"(none)", WindowText(target->Control(IDC_GREETING)))
            << "an empty value removes the variable";
    }
    SetEnvironmentVariableW(DRIVER_TARGET_GREETING_VAR, nullptr);

    ProgramUnderTest missing;
    EXPECT_FALSE(missing.Start(PathBesideThisProgram(L"no_such_program.exe")));
    EXPECT_FALSE(missing.IsRunning());
    EXPECT_FALSE(missing.WaitForExit(0));
}

// Moves the mouse onto the point and reads the cursor back at once: Wine later lets the X
// pointer, which stays outside the device screen, overwrite the position. A move that such an
// overwrite raced with is tried again; a wrong mapping fails every time.
bool CursorLandsOn(POINT point)
{
    return WaitUntil(
        [&] {
            POINT cursor = {};
            return MoveMouseTo(point) && GetCursorPos(&cursor) && cursor.x == point.x &&
                cursor.y == point.y;
        },
        2000);
}

TEST_F(DesktopDriverTest, TheMouseLandsOnEveryRowAndColumnOfTheDeviceScreen)
{
    ASSERT_EQ(240, GetSystemMetrics(SM_CXSCREEN));
    ASSERT_EQ(320, GetSystemMetrics(SM_CYSCREEN));
    // x and y are mapped independently: one full row and one full column cover every mapping.
    for (int x = 0; x < 240; ++x)
        ASSERT_TRUE(CursorLandsOn({x, 161})) << "x " << x;
    for (int y = 0; y < 320; ++y)
        ASSERT_TRUE(CursorLandsOn({119, y})) << "y " << y;
    EXPECT_FALSE(ClickAt({240, 10})) << "off the screen";
    EXPECT_FALSE(ClickAt({10, -1}));
}

TEST_F(DesktopDriverTest, ClicksCheckRadioButtonsAndStaySingleClicks)
{
    auto target = StartTarget();
    ASSERT_TRUE(Click(target->Control(IDC_SECOND)));
    EXPECT_TRUE(
        WaitUntil([&] { return IsButtonChecked(target->Control(IDC_SECOND)); }, kDeadlineMs));
    ASSERT_TRUE(Click(target->Control(IDC_FIRST)));
    EXPECT_TRUE(
        WaitUntil([&] { return IsButtonChecked(target->Control(IDC_FIRST)); }, kDeadlineMs));
    EXPECT_FALSE(IsButtonChecked(target->Control(IDC_SECOND)));
    EXPECT_EQ(target->program.ProcessId(), ForegroundProcessId()) << "a click activates the window";

    // The button reports double clicks: two quick clicks on it would be one click and one double.
    ASSERT_TRUE(Click(target->Control(IDC_COUNT)));
    ASSERT_TRUE(Click(target->Control(IDC_COUNT)));
    HWND counts = target->Control(IDC_COUNTS);
    EXPECT_TRUE(WaitUntil([&] { return WindowText(counts) == L"clicks=2 double=0"; }, kDeadlineMs))
        << "got " << testing::PrintToString(WindowText(counts));
}

TEST_F(DesktopDriverTest, KeysChooseFromThePopupMenuAndTypeIntoTheFocusedField)
{
    auto target = StartTarget();
    const DWORD processId = target->program.ProcessId();
    EXPECT_EQ(target->window,
              WaitForTopLevelWindowOfClass(L"#32770", processId, kDeadlineMs));  // the dialog class

    ASSERT_TRUE(Click(target->Control(IDC_TEXT)));
    ASSERT_TRUE(WaitUntil([&] { return ForegroundProcessId() == processId; }, kDeadlineMs));
    ASSERT_TRUE(TypeText(L"+49 (30) 1234;x"));
    EXPECT_TRUE(WaitUntil(
        [&] { return WindowText(target->Control(IDC_TEXT)) == L"+49 (30) 1234;x"; }, kDeadlineMs))
        << "got " << testing::PrintToString(WindowText(target->Control(IDC_TEXT)));
    ASSERT_TRUE(PressKey(VK_BACK));
    EXPECT_TRUE(WaitUntil(
        [&] { return WindowText(target->Control(IDC_TEXT)) == L"+49 (30) 1234;"; }, kDeadlineMs));

    // Down selects the first item of a freshly opened menu, Up the last.
    ASSERT_TRUE(Click(target->Control(IDC_MENU)));
    ASSERT_NE(nullptr, WaitForPopupMenu(processId, kDeadlineMs));
    ASSERT_TRUE(PressKey(VK_DOWN));
    ASSERT_TRUE(PressKey(VK_RETURN));
    EXPECT_TRUE(WaitUntil([&] { return WindowText(target->window) == DRIVER_TARGET_RENAMED; },
                          kDeadlineMs));
    EXPECT_TRUE(WaitUntil([&] { return WaitForPopupMenu(processId, 0) == nullptr; }, kDeadlineMs));

    ASSERT_TRUE(Click(target->Control(IDC_MENU)));
    ASSERT_NE(nullptr, WaitForPopupMenu(processId, kDeadlineMs));
    ASSERT_TRUE(PressKey(VK_UP));
    ASSERT_TRUE(PressKey(VK_RETURN));
    DWORD exitCode = 0;
    ASSERT_TRUE(target->program.WaitForExit(kDeadlineMs, &exitCode));
    EXPECT_EQ(static_cast<DWORD>(DRIVER_TARGET_QUIT_CODE), exitCode);
    EXPECT_FALSE(target->program.IsRunning());
}

TEST_F(DesktopDriverTest, ClicksReachCoveredWindowsButNotMinimisedOnes)
{
    auto below = StartTarget();
    auto above = StartTarget();  // same place, started later: it covers the first one
    HWND radio = below->Control(IDC_SECOND);
    RECT rect = {};
    GetWindowRect(radio, &rect);
    ASSERT_TRUE(WaitUntil(
        [&] {
            return WindowFromPoint({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}) ==
                above->Control(IDC_SECOND);
        },
        kDeadlineMs));
    ASSERT_TRUE(WaitUntil([&] { return ForegroundProcessId() == above->program.ProcessId(); },
                          kDeadlineMs));

    ASSERT_TRUE(Click(radio));
    EXPECT_TRUE(WaitUntil([&] { return IsButtonChecked(radio); }, kDeadlineMs));
    EXPECT_FALSE(IsButtonChecked(above->Control(IDC_SECOND)))
        << "the click went through to the wrong window";
    EXPECT_EQ(below->program.ProcessId(), ForegroundProcessId());

    PostMessageW(below->window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(below->window) != FALSE; }, kDeadlineMs));
    EXPECT_FALSE(Click(below->Control(IDC_FIRST)));
    EXPECT_FALSE(IsButtonChecked(below->Control(IDC_FIRST)));
}

TEST_F(DesktopDriverTest, ScreenshotsShowTheWholeDeviceScreen)
{
    auto target = StartTarget();
    // A point of the dialog's own background, and one of the desktop just below the dialog.
    RECT client = {};
    GetClientRect(target->window, &client);
    POINT inside = {client.right - 3, client.bottom - 3};
    ClientToScreen(target->window, &inside);
    RECT frame = {};
    GetWindowRect(target->window, &frame);
    const POINT outside = {inside.x, frame.bottom + 2};
    ASSERT_LT(outside.y, 320) << "the dialog leaves no desktop below it";

    ASSERT_LT(inside.x, 240) << "the dialog is wider than the screen";

    const std::wstring path = TempPath(L"desktop_driver_test.png");
    Picture picture;
    // The dialog paints on its own time: photograph until its colour shows.
    EXPECT_TRUE(WaitUntil(
        [&] {
            return SaveScreenPng(path.c_str()) && ReadPng(path, &picture) && picture.width == 240 &&
                picture.height == 320 && picture.At(inside.x, inside.y) == DRIVER_TARGET_BACKGROUND;
        },
        kDeadlineMs))
        << "size " << picture.width << " x " << picture.height;
    ASSERT_EQ(240u, picture.width);
    ASSERT_EQ(320u, picture.height);
    EXPECT_NE(DRIVER_TARGET_BACKGROUND, picture.At(outside.x, outside.y))
        << "the picture is shifted";

    const std::wstring nowhere = TempPath(L"no_such_folder\\shot.png");
    EXPECT_FALSE(SaveScreenPng(nowhere.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(nowhere.c_str()));
}

}  // namespace
