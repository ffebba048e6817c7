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
const wchar_t kTitle[] = L"Quellar";

bool SetScreenSize(DWORD width, DWORD height)
{
    DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    return ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr) == DISP_CHANGE_SUCCESSFUL;
}

// The screen in landscape while this lives; in portrait again afterwards, whatever happened.
class LandscapeScreen {
public:
    LandscapeScreen() : m_turned(SetScreenSize(320, 240)) {}
    ~LandscapeScreen() { SetScreenSize(240, 320); }
    LandscapeScreen(const LandscapeScreen&) = delete;
    LandscapeScreen& operator=(const LandscapeScreen&) = delete;
    bool Turned() const { return m_turned; }

private:
    bool m_turned;
};

using Layout = std::map<int, RECT>;

RECT ClientRectOf(HWND control)
{
    RECT rect = {};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Each record's rectangle converted with the font of a hidden dialog made here from the same
// template: the program's dialog has that font too.
struct PixelRects : DialogTemplateVisitor {
    HWND dialog = nullptr;
    Layout layout;
    bool OnHeader(const DialogTemplateHeader&) override { return true; }
    void OnItem(const DialogItemRecord& item) override
    {
        const DialogItemFixed& f = item.fixed;
        RECT rect = {f.x, f.y, f.x + f.cx, f.y + f.cy};
        MapDialogRect(dialog, &rect);
        layout[f.id] = rect;
    }
};

// Where the program's template puts each control, in pixels.
Layout TemplateLayout(int templateId)
{
    const std::wstring path = PathBesideThisProgram(L"Ostrel.exe");
    HMODULE program = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(templateId), RT_DIALOG);
    const BYTE* bytes = found ? static_cast<const BYTE*>(LockResource(LoadResource(program, found))) : nullptr;
    PixelRects rects;
    if (bytes) {
        std::vector<DWORD> copy((SizeofResource(program, found) + 3) / 4);
        memcpy(copy.data(), bytes, SizeofResource(program, found));
        copy[0] &= ~DWORD(WS_VISIBLE);
        rects.dialog = CreateDialogIndirectParamW(program, reinterpret_cast<DLGTEMPLATE*>(copy.data()), nullptr,
                                                  PlainDialogProc, 0);
        WalkDialogTemplate(bytes, SizeofResource(program, found), rects);
        DestroyWindow(rects.dialog);
    }
    FreeLibrary(program);
    return rects.layout;
}

bool HasLayout(HWND dialog, const Layout& want)
{
    for (const auto& [id, rect] : want) {
        const RECT got = ClientRectOf(GetDlgItem(dialog, id));
        if (!EqualRect(&rect, &got))
            return false;
    }
    return !want.empty();
}

std::wstring Show(const Layout& layout, HWND dialog)
{
    std::wstring text;
    for (const auto& [id, want] : layout) {
        const RECT got = ClientRectOf(GetDlgItem(dialog, id));
        text += std::to_wstring(id) + L": want " + std::to_wstring(want.left) + L"," + std::to_wstring(want.top) +
                L"," + std::to_wstring(want.right) + L"," + std::to_wstring(want.bottom) + L" got " +
                std::to_wstring(got.left) + L"," + std::to_wstring(got.top) + L"," + std::to_wstring(got.right) +
                L"," + std::to_wstring(got.bottom) + L"\n";
    }
    return text;
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

PhoneResult Call(const wchar_t* number)
{
    PhoneCall call;
    call.callerNumber = number;
    return PlaceCall(call, kDeadlineMs).result;
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
    HWND dialog = WaitForTopLevelWindow(kTitle, program.ProcessId(), kDeadlineMs);
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(dialog) != FALSE; }, kDeadlineMs));
    ASSERT_TRUE(WaitForTelephonyApp(kDeadlineMs));
    ASSERT_TRUE(program.WaitForInputIdle(kDeadlineMs));
    EXPECT_TRUE(HasLayout(dialog, portrait)) << Show(portrait, dialog);
    Screenshot(dialog, L"portrait.png");

    // State the turn must not touch, and a text it must put back.
    HWND rejectAll = GetDlgItem(dialog, IDC_REJECT_ALL);
    ASSERT_TRUE(Click(rejectAll));
    ASSERT_TRUE(WaitUntil([&] { return IsButtonChecked(rejectAll); }, kDeadlineMs));
    SendMessageW(GetDlgItem(dialog, IDC_SET_BLACKLIST), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"changed"));

    {
        LandscapeScreen turned;
        ASSERT_TRUE(turned.Turned());
        EXPECT_TRUE(WaitUntil([&] { return HasLayout(dialog, landscape); }, kDeadlineMs)) << Show(landscape, dialog);

        for (int id : {IDC_ACCEPT_WHITELIST, IDC_SET_WHITELIST}) {
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, id))) << id;
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, id))) << id;
        }
        EXPECT_TRUE(IsButtonChecked(rejectAll));
        EXPECT_FALSE(IsButtonChecked(GetDlgItem(dialog, IDC_BLOCK_BLACKLIST)));
        EXPECT_EQ(L"Set Blacklist", WindowText(GetDlgItem(dialog, IDC_SET_BLACKLIST)));
        EXPECT_EQ(PhoneResult::Dropped, Call(L"5550000")) << "screened with the mode chosen before the turn";
        Screenshot(dialog, L"landscape.png");
    }
    EXPECT_TRUE(WaitUntil([&] { return HasLayout(dialog, portrait); }, kDeadlineMs)) << Show(portrait, dialog);
}

}  // namespace
