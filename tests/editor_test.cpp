// The list editor and the help dialog of the real program; the stored list read back from the
// registry, the screened list from the verdicts of calls.
#include "tests/support/device.h"

namespace {

using EditorTest = Device;

// Sorted as text, empty entries included, 7 pixels from the edges. Add and Delete touch the
// list box only; Save changes the stored and the screened list at once and flushes the key; a
// list too long to load again is refused and changes nothing; "ok" drops what was not saved.
TEST_F(EditorTest, OnlyASaveThatCanBeLoadedAgainChangesTheStoredAndTheScreenedList)
{
    ASSERT_EQ(1, WriteNumberList(CString(L"555;123;20;;100;")));
    Start({}, CopyWithFaultsDll());
    HWND editor = OpenEditor();
    EXPECT_EQ((Entries{L"", L"100", L"123", L"20", L"555"}), ListOf(editor));
    EXPECT_EQ(std::vector<LONG>(5, 7), Gaps(editor));
    Screenshot(L"editor.bmp");

    SendMessageW(GetDlgItem(editor, IDC_NUMBER_LIST), LB_SETCURSEL, 0, 0);
    Tap(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Delete");
    WAIT_FOR("the entry deleted", ListOf(editor).size() == 4);
    Tap(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Delete");  // nothing selected: nothing happens
    for (const wchar_t* number : {L"5551234", L"5551234", L" ", L"+1 (20)"})
        AddNumber(editor, number);
    EXPECT_EQ((Entries{L" ", L"+1 (20)", L"100", L"123", L"20", L"555", L"5551234", L"5551234"}),
              ListOf(editor));
    EXPECT_EQ(kRang, Verdict(L"+1 (20)")) << "added, not saved";
    EXPECT_EQ(kDropped, Verdict(L"555"));

    Tap(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Save");
    Visible(L"Ostrel");
    EXPECT_EQ(kDropped, Verdict(L"+1 (20)")) << "screened while the message shows";
    EXPECT_EQ(L"Save finished!", Answer(L"Ostrel"));
    EXPECT_EQ(L" ;+1 (20);100;123;20;555;5551234;5551234;", Stored());
    EXPECT_EQ((std::vector<std::string>{"RegSetValueExW passed", "RegFlushKey passed"}),
              Lines(m_faultsLog, "Reg"));

    // With the rest and its ';' 1024 characters: more than a start could load again.
    AddNumber(editor, L"777");
    const std::wstring tooLong(1023 - 45, L'9');
    SendMessageW(GetDlgItem(editor, IDC_NUMBER_EDIT), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(tooLong.c_str()));
    ASSERT_TRUE(Click(GetDlgItem(editor, IDC_ADD)));
    WAIT_FOR("the long entry", ListOf(editor).size() == 10);
    Tap(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Save");
    EXPECT_EQ(L"Save faulted, please retry!", Answer(L"Ostrel"));
    EXPECT_EQ(L" ;+1 (20);100;123;20;555;5551234;5551234;", Stored());
    EXPECT_EQ(10u, ListOf(editor).size()) << "the editor keeps the work";
    EXPECT_EQ(kRang, Verdict(L"777"));

    CloseWithOk(editor);
    EXPECT_EQ(kRang, Verdict(L"777"));
    editor = OpenEditor();
    EXPECT_EQ(8u, ListOf(editor).size()) << "the stored list again";
    EXPECT_EQ(2u, Lines(m_faultsLog, "Reg").size()) << "nothing more stored";
}

TEST_F(EditorTest, HelpShowsItsTextOnEveryOpeningAndCannotBeChanged)
{
    const wchar_t helpText[] =
        L"Set Blacklist:\r\nYou can add or delete the phone number to your blacklist, and you "
        L"should click save to let the software know what you change the blacklist.\r\nRun at "
        L"Backgroud:\r\nThis software will run at backgroud, and it will service for you.\r\n"
        L"Help:\r\nShow the help info for you.\r\nDeactive:\r\nDeactive it, it will could not "
        L"service for you.";
    Start();
    for (int opening = 1; opening <= 2; ++opening) {
        Operate(kHelpItem);
        HWND help = Visible(L"Help");
        HWND text = GetDlgItem(help, IDC_HELP_TEXT);
        EXPECT_EQ(helpText, WindowText(text)) << opening;
        if (opening == 1) {
            // Typing changes nothing; the caret still moves on, so the keys arrived.
            ASSERT_TRUE(Click(text, POINT{2, 2}));
            WAIT_FOR("the focus in the help text", FocusOf(text) == text);
            ASSERT_TRUE(TypeText(L"x") && PressKey(VK_RIGHT));
            WAIT_FOR("the caret moved", LOWORD(SendMessageW(text, EM_GETSEL, 0, 0)) >= 1);
            EXPECT_EQ(helpText, WindowText(text));
            EXPECT_EQ(kDropped, Verdict(kListed));
            Screenshot(L"help.bmp");
        }
        CloseWithOk(help);
    }
}

// The margin follows the screen's density, read by each program as it starts, also when the
// screen turns with the editor open.
TEST_F(EditorTest, KeepsTwiceTheMarginOnA192DpiScreenAlsoWhenTurned)
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
    Start();
    // At this density "Set Blacklist" reaches past the small screen's edge: pressed, not tapped.
    PostMessageW(GetDlgItem(m_main, IDC_SET_BLACKLIST), BM_CLICK, 0, 0);
    HWND editor = Visible(L"Setting");
    EXPECT_EQ(std::vector<LONG>(5, 14), Gaps(editor));
    LandscapeScreen screen;
    ASSERT_TRUE(screen.turned);
    const auto widthAndGaps = [&] {
        RECT client = {};
        GetClientRect(editor, &client);
        std::vector<LONG> got = Gaps(editor);
        return got.insert(got.begin(), client.right), got;
    };
    const std::vector<LONG> turned = {320, 14, 14, 14, 14, 14};
    WaitUntil([&] { return widthAndGaps() == turned; }, kDeadlineMs);
    EXPECT_EQ(turned, widthAndGaps());
}

}  // namespace
