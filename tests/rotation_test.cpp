// The real program while the emulated screen turns: its controls take the landscape template's
// places and go back, keep their state, and calls are screened all the while.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/telephony/phone_client.h"
#include "resource.h"
#include "settings/settings_store.h"
#include "tests/support/desktop_driver.h"
#include "ui/dialog_template_walk.h"

namespace {

const DWORD kDeadlineMs = 20000;

using Layout = std::map<int, std::wstring>;

std::wstring Show(RECT r)
{
    return std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," +
        std::to_wstring(r.right) + L"," + std::to_wstring(r.bottom);
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// Each record's rectangle converted with the font of a hidden dialog made here from the same
// template, which is the program's dialog's font too.
struct PixelRects : DialogTemplateVisitor {
    HWND dialog = nullptr;
    Layout layout;
    bool OnHeader(const DialogTemplateHeader&) override { return true; }
    void OnItem(const DialogItemRecord& item) override
    {
        RECT rect = {item.fixed.x, item.fixed.y, item.fixed.x + item.fixed.cx,
                     item.fixed.y + item.fixed.cy};
        MapDialogRect(dialog, &rect);
        layout[item.fixed.id] = Show(rect);
    }
};

// Where the program's template puts each control, in pixels.
Layout TemplateLayout(int templateId)
{
    HMODULE program = LoadLibraryExW(PathBesideThisProgram(L"Ostrel.exe").c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(templateId), RT_DIALOG);
    const DWORD size = SizeofResource(program, found);
    std::vector<DWORD> copy((size + 3) / 4);
    memcpy(copy.data(), LockResource(LoadResource(program, found)), size);
    copy[0] &= ~DWORD(WS_VISIBLE);
    PixelRects rects;
    rects.dialog = CreateDialogIndirectParamW(program, reinterpret_cast<DLGTEMPLATE*>(copy.data()),
                                              nullptr, PlainDialogProc, 0);
    WalkDialogTemplate(reinterpret_cast<const std::uint8_t*>(copy.data()), size, rects);
    DestroyWindow(rects.dialog);
    FreeLibrary(program);
    return rects.layout;
}

Layout CurrentLayout(HWND dialog, const Layout& like)
{
    Layout now;
    for (const auto& entry : like) {
        RECT rect = {};
        GetWindowRect(GetDlgItem(dialog, entry.first), &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        now[entry.first] = Show(rect);
    }
    return now;
}

void Screenshot(HWND dialog, const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"OSTREL_SCREENSHOT_DIR", folder, MAX_PATH) == 0)
        return;
    SetForegroundWindow(dialog);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog; }, kDeadlineMs));
    EXPECT_TRUE(SaveScreenPng((std::wstring(folder) + L"/" + name).c_str()));
}

TEST(RotationTest, TheControlsFollowTheScreenAndKeepTheirState)
{
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Kelvoro\\Tolvane");
    ASSERT_EQ(1, WriteNumberList(CString(L"5551234;")));
    const Layout portrait = TemplateLayout(IDD_OSTREL_DIALOG);
    const Layout landscape = TemplateLayout(IDD_OSTREL_DIALOG_WIDE);
    ASSERT_EQ(6u, landscape.size());

    ProgramUnderTest program;
    ASSERT_TRUE(program.Start(PathBesideThisProgram(L"Ostrel.exe")));
    HWND dialog = WaitForTopLevelWindow(L"Quellar", program.ProcessId(), kDeadlineMs);
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(WaitForTelephonyApp(kDeadlineMs));
    ASSERT_TRUE(program.WaitForInputIdle(kDeadlineMs));
    EXPECT_EQ(portrait, CurrentLayout(dialog, portrait));
    Screenshot(dialog, L"portrait.png");

    // State the turn must leave alone, and a text it must put back.
    HWND rejectAll = GetDlgItem(dialog, IDC_REJECT_ALL);
    ASSERT_TRUE(Click(rejectAll));
    ASSERT_TRUE(WaitUntil([&] { return IsButtonChecked(rejectAll); }, kDeadlineMs));
    HWND setBlacklist = GetDlgItem(dialog, IDC_SET_BLACKLIST);
    SendMessageW(setBlacklist, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"changed"));
    {
        LandscapeScreen screen;
        ASSERT_TRUE(screen.turned);
        WaitUntil([&] { return CurrentLayout(dialog, landscape) == landscape; }, kDeadlineMs);
        EXPECT_EQ(landscape, CurrentLayout(dialog, landscape));
        for (int id : {IDC_ACCEPT_WHITELIST, IDC_SET_WHITELIST}) {
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, id))) << id;
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, id))) << id;
        }
        EXPECT_TRUE(IsButtonChecked(rejectAll));
        EXPECT_EQ(L"Set Blacklist", WindowText(setBlacklist));
        PhoneCall call;
        call.callerNumber = L"5550000";
        EXPECT_EQ(PhoneResult::Dropped, PlaceCall(call, kDeadlineMs).result)
            << "screened in the mode chosen before";
        Screenshot(dialog, L"landscape.png");
    }
    WaitUntil([&] { return CurrentLayout(dialog, portrait) == portrait; }, kDeadlineMs);
    EXPECT_EQ(portrait, CurrentLayout(dialog, portrait));
}

}  // namespace
