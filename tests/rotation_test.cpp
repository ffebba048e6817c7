// The real program while the emulated screen turns: its controls take the landscape template's
// places and go back, keep their state, and calls are screened all the while.
#include "tests/support/device.h"

namespace {

using RotationTest = Device;

// Where each control must be, in pixels of the dialog's client area, worked out by hand from
// res/Ostrel.rc's dialog units (x, y, cx, cy). The dialog font, "MS Shell Dlg" 9 pt, has base
// units of 7 x 14 pixels under Wine at 96 dpi: left = x * 7 / 4, top = y * 14 / 8,
// right = (x + cx) * 7 / 4, bottom = (y + cy) * 14 / 8, each rounded to the nearest pixel.
struct Place {
    int id;
    RECT portrait, landscape;
};
const Place kPlaces[] = {
    {IDC_SET_BLACKLIST, {60, 105, 179, 130}, {74, 82, 193, 107}},      // 34,60,68,14 / 42,47
    {IDC_ACCEPT_ALL, {37, 49, 203, 67}, {51, 26, 217, 44}},            // 21,28,95,10 / 29,15
    {IDC_BLOCK_BLACKLIST, {37, 81, 226, 98}, {51, 58, 240, 75}},       // 21,46,108,10 / 29,33
    {IDC_REJECT_ALL, {35, 151, 212, 168}, {51, 170, 228, 187}},        // 20,86,101,10 / 29,97
    {IDC_ACCEPT_WHITELIST, {42, 226, 219, 243}, {51, 114, 228, 131}},  // 24,129,101,10 / 29,65
    {IDC_SET_WHITELIST, {65, 250, 184, 275}, {74, 138, 193, 163}},     // 37,143,68,14 / 42,79
};

// Every control's place now, and where it must be.
std::pair<std::wstring, std::wstring> Places(HWND dialog, bool landscape)
{
    std::wstring now, expected;
    for (const Place& place : kPlaces) {
        now += RectText(PlaceIn(dialog, GetDlgItem(dialog, place.id))) + L" ";
        expected += RectText(landscape ? place.landscape : place.portrait) + L" ";
    }
    return {now, expected};
}

TEST_F(RotationTest, TheControlsFollowTheScreenAndKeepTheirState)
{
    const auto placed = [&](bool landscape) {
        WaitUntil(
            [&] { return Places(m_main, landscape).first == Places(m_main, landscape).second; },
            kDeadlineMs);
        EXPECT_EQ(Places(m_main, landscape).second, Places(m_main, landscape).first);
    };
    Start();
    placed(false);
    SetForegroundWindow(m_main);
    WAIT_FOR("the main dialog in front", GetForegroundWindow() == m_main);
    Screenshot(L"portrait.bmp");

    // State the turn must leave alone, and a text it must put back.
    Choose(IDC_REJECT_ALL);
    HWND setBlacklist = GetDlgItem(m_main, IDC_SET_BLACKLIST);
    SendMessageW(setBlacklist, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"changed"));
    {
        LandscapeScreen screen;
        ASSERT_TRUE(screen.turned);
        placed(true);
        for (int id : {IDC_ACCEPT_WHITELIST, IDC_SET_WHITELIST}) {
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(m_main, id))) << id;
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(m_main, id))) << id;
        }
        EXPECT_TRUE(IsButtonChecked(GetDlgItem(m_main, IDC_REJECT_ALL)));
        EXPECT_EQ(L"Set Blacklist", WindowText(setBlacklist));
        EXPECT_EQ(kDropped, Verdict(kUnlisted)) << "in the mode chosen before";
        Screenshot(L"landscape.bmp");
    }
    placed(false);
}

}  // namespace
