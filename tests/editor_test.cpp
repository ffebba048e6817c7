// The list editor and the help dialog of the real program, driven as its user and the phone
// would; the stored list is read back from the registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "aygshell_standin.h"
#include "platform/telephony/phone_client.h"
#include "resource.h"
#include "settings/settings_store.h"
#include "tests/support/desktop_driver.h"

namespace {

const DWORD kDeadlineMs = 20000;
using Entries = std::vector<std::wstring>;

PhoneResult Call(const wchar_t* number)
{
    PhoneCall call;
    call.callerNumber = number;
    return PlaceCall(call, kDeadlineMs).result;
}

std::wstring Stored()
{
    CString text;
    if (!ReadNumberList(text))
        return L"<not read>";
    return std::wstring(text);
}

Entries ListEntries(HWND editor)
{
    return ListBoxItems(GetDlgItem(editor, IDC_NUMBER_LIST));
}

// Gaps of the list box to the left, right and bottom edge, of the edit box to the left one and
// of "Add" to the right one.
std::vector<LONG> Gaps(HWND editor)
{
    const int ids[] = {IDC_NUMBER_LIST, IDC_NUMBER_EDIT, IDC_ADD};
    RECT client = {}, rects[3] = {};
    GetClientRect(editor, &client);
    for (int i = 0; i < 3; ++i) {
        GetWindowRect(GetDlgItem(editor, ids[i]), &rects[i]);
        MapWindowPoints(nullptr, editor, reinterpret_cast<POINT*>(&rects[i]), 2);
    }
    const RECT& list = rects[0];
    return {list.left, client.right - list.right, client.bottom - list.bottom, rects[1].left,
            client.right - rects[2].right};
}

void Screenshot(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"OSTREL_SCREENSHOT_DIR", folder, MAX_PATH) > 0) {
        EXPECT_TRUE(SaveScreenPng((std::wstring(folder) + L"\\" + name).c_str()));
    }
}

// Taps the button with this text on the front strip of the class (the front dialog's) once it
// can be tapped: a click that cannot land is not made.
void Tap(const wchar_t* stripClass, const wchar_t* text)
{
    ASSERT_TRUE(ClickButtonIn(stripClass, text, kDeadlineMs)) << text;
}

class EditorTest : public ::testing::Test {
protected:
    void Start(const wchar_t* storedList)
    {
        ASSERT_EQ(1, WriteNumberList(CString(storedList)));
        ASSERT_TRUE(WaitUntil([] { return !FindWindowW(nullptr, L"Quellar"); }, kDeadlineMs));
        ASSERT_TRUE(m_program.Start(PathBesideThisProgram(L"Ostrel.exe")));
        ASSERT_NE(nullptr, m_main = Visible(L"Quellar"));
        ASSERT_TRUE(m_program.WaitForInputIdle(kDeadlineMs));
        ASSERT_TRUE(WaitForTelephonyApp(kDeadlineMs));
    }

    HWND Visible(const wchar_t* title)
    {
        HWND window = nullptr;
        WaitUntil(
            [&] {
                return (window = WaitForTopLevelWindow(title, m_program.ProcessId(), 0)) &&
                    IsWindowVisible(window);
            },
            kDeadlineMs);
        return window;
    }

    HWND OpenEditor()
    {
        EXPECT_TRUE(Click(GetDlgItem(m_main, IDC_SET_BLACKLIST)));
        return Visible(L"Setting");
    }

    void AddNumber(HWND editor, const wchar_t* number)
    {
        const size_t before = ListEntries(editor).size();
        HWND edit = GetDlgItem(editor, IDC_NUMBER_EDIT);
        // Keys go where the focus is when they arrive: type only once the tap has put it here.
        ASSERT_TRUE(Click(edit));
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(edit) == edit; }, kDeadlineMs));
        ASSERT_TRUE(TypeText(number));
        ASSERT_TRUE(WaitUntil([&] { return WindowText(edit) == number; }, kDeadlineMs));
        ASSERT_TRUE(Click(GetDlgItem(editor, IDC_ADD)));
        ASSERT_TRUE(
            WaitUntil([&] { return ListEntries(editor).size() == before + 1; }, kDeadlineMs));
        EXPECT_EQ(L"", WindowText(edit));
    }

    // Chooses "Save" and returns the message it shows, answered after a call from this number.
    std::wstring SaveAndCall(const wchar_t* number, PhoneResult expected)
    {
        Tap(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Save");
        HWND box = Visible(L"Ostrel");
        EXPECT_EQ(expected, Call(number)) << "while the message is shown";
        const std::wstring text = WindowText(GetDlgItem(box, 0xFFFF));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, kDeadlineMs));
        return text;
    }

    static void CloseWithOk(HWND dialog)
    {
        Tap(AYGSHELL_STANDIN_TITLE_CLASS, L"ok");
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, kDeadlineMs));
    }

    ProgramUnderTest m_program;
    HWND m_main = nullptr;
};

// Sorted as text, empty entries included, one margin from the edges. A list too long to be
// loaded again is refused: the stored and the screened list stay, the editor keeps the work.
TEST_F(EditorTest, ShowsTheStoredListSortedAndRefusesAListTooLongToLoad)
{
    Start(L"555;123;20;;100;");
    HWND editor = OpenEditor();
    ASSERT_NE(nullptr, editor);
    EXPECT_EQ((Entries{L"", L"100", L"123", L"20", L"555"}), ListEntries(editor));
    Screenshot(L"editor.png");
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(std::vector<LONG>(5, (7 * GetDeviceCaps(screen, LOGPIXELSX) + 48) / 96),
              Gaps(editor));
    ReleaseDC(nullptr, screen);

    AddNumber(editor, L"5550000");
    const std::wstring tooLong(1023 - 24, L'9');  // with the rest and its ';': 1024 characters
    SendMessageW(GetDlgItem(editor, IDC_NUMBER_EDIT), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(tooLong.c_str()));
    ASSERT_TRUE(Click(GetDlgItem(editor, IDC_ADD)));
    ASSERT_TRUE(WaitUntil([&] { return ListEntries(editor).size() == 7; }, kDeadlineMs));
    EXPECT_EQ(L"Save faulted, please retry!", SaveAndCall(L"5550000", PhoneResult::Rang));
    EXPECT_EQ(PhoneResult::Dropped, Call(L"555"));
    EXPECT_EQ(L"555;123;20;;100;", Stored());
    EXPECT_EQ(7u, ListEntries(editor).size());
}

// Add and Delete touch the list box only; Save changes the stored and the screened list at once.
TEST_F(EditorTest, OnlySaveChangesTheStoredAndTheScreenedList)
{
    Start(L"");
    HWND editor = OpenEditor();
    ASSERT_NE(nullptr, editor);
    EXPECT_EQ(Entries{}, ListEntries(editor));
    for (const wchar_t* number : {L"5551234", L"5551234", L" "})
        AddNumber(editor, number);
    Tap(AYGSHELL_STANDIN_MENUBAR_CLASS,
        L"Delete");  // nothing selected; the next taps come after it
    AddNumber(editor, L"+1 (20)");
    EXPECT_EQ((Entries{L" ", L"+1 (20)", L"5551234", L"5551234"}), ListEntries(editor));
    EXPECT_EQ(PhoneResult::Rang, Call(L"5551234"));

    SendMessageW(GetDlgItem(editor, IDC_NUMBER_LIST), LB_SETCURSEL, 1, 0);
    Tap(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Delete");
    ASSERT_TRUE(WaitUntil([&] { return ListEntries(editor).size() == 3; }, kDeadlineMs));
    EXPECT_EQ(L"Save finished!", SaveAndCall(L"5551234", PhoneResult::Dropped));
    EXPECT_EQ(L" ;5551234;5551234;", Stored());

    AddNumber(editor, L"777");
    HWND edit = GetDlgItem(editor, IDC_NUMBER_EDIT);
    ASSERT_TRUE(Click(edit) && WaitUntil([&] { return FocusOf(edit) == edit; }, kDeadlineMs));
    ASSERT_TRUE(TypeText(L"888"));  // typed, not added
    CloseWithOk(editor);
    EXPECT_EQ(PhoneResult::Rang, Call(L"777"));
    ASSERT_NE(nullptr, editor = OpenEditor());
    EXPECT_EQ((Entries{L" ", L"5551234", L"5551234"}), ListEntries(editor));
}

TEST_F(EditorTest, HelpShowsItsTextOnceOnEveryOpeningAndCannotBeChanged)
{
    const wchar_t helpText[] = L"Set Blacklist:\r\nYou can add or delete the phone number to your "
                               L"blacklist, and you should click save "
                               L"to let the software know what you change the blacklist.\r\nRun at "
                               L"Backgroud:\r\nThis software will run "
                               L"at backgroud, and it will service for you.\r\nHelp:\r\nShow the "
                               L"help info for you.\r\nDeactive:\r\n"
                               L"Deactive it, it will could not service for you.";
    Start(L"5551234;");
    for (int opening = 1; opening <= 2; ++opening) {
        // "Operate" with a tap, then its first item, "Help", with the keys.
        SetForegroundWindow(m_main);
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == m_main; }, kDeadlineMs));
        Tap(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Operate");
        ASSERT_TRUE(WaitForPopupMenu(m_program.ProcessId(), kDeadlineMs) && PressKey(VK_DOWN) &&
                    PressKey(VK_RETURN));
        HWND help = Visible(L"Help");
        ASSERT_NE(nullptr, help) << opening;
        HWND text = GetDlgItem(help, IDC_HELP_TEXT);
        EXPECT_EQ(helpText, WindowText(text)) << opening;
        if (opening == 1) {
            // Typing at the start changes nothing; the caret still moves on, so the keys arrived.
            ASSERT_TRUE(Click(text, POINT{2, 2}) &&
                        WaitUntil([&] { return FocusOf(text) == text; }, kDeadlineMs));
            ASSERT_TRUE(TypeText(L"x") && PressKey(VK_RIGHT));
            EXPECT_TRUE(WaitUntil([&] { return LOWORD(SendMessageW(text, EM_GETSEL, 0, 0)) >= 1; },
                                  kDeadlineMs));
            EXPECT_EQ(helpText, WindowText(text));
            EXPECT_EQ(PhoneResult::Dropped, Call(L"5551234"));
            Screenshot(L"help.png");
        }
        CloseWithOk(help);
    }
}

// The margin follows the screen's density: twice the pixels at 192 dots per inch. The density
// is the device's setting, read by each program as it starts.
TEST_F(EditorTest, KeepsTwiceTheMarginOnA192DpiScreen)
{
    struct ScreenDpi {
        explicit ScreenDpi(DWORD dpi) { Set(dpi); }
        ~ScreenDpi() { Set(96); }
        static void Set(DWORD dpi)
        {
            RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD,
                            &dpi, sizeof(dpi));
        }
    } highDensity(192);
    Start(L"5551234;");
    // At this density "Set Blacklist" reaches past the small screen's edge: pressed, not tapped.
    PostMessageW(GetDlgItem(m_main, IDC_SET_BLACKLIST), BM_CLICK, 0, 0);
    HWND editor = Visible(L"Setting");
    ASSERT_NE(nullptr, editor);
    EXPECT_EQ(std::vector<LONG>(5, 14), Gaps(editor));
    CloseWithOk(editor);
}

}  // namespace
