// The real program as its user and the phone meet it: the main dialog, the screening modes, the
// calls the phone can send, a second start, and what the telephony service is asked for.
#include "tests/support/device.h"

namespace {

using ProgramTest = Device;

// A visible top-level window of this test: to the program, another program's.
struct OwnWindow {
    explicit OwnWindow(const wchar_t* title)
        : window(CreateWindowExW(0, L"Static", title, WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                 nullptr, nullptr, nullptr))
    {
    }
    ~OwnWindow() { DestroyWindow(window); }
    const HWND window;
};

TEST_F(ProgramTest, StartsInBlockListModeEachModeDecidesTheNextCallAndDeactiveEndsIt)
{
    Start();
    EXPECT_TRUE(IsButtonChecked(GetDlgItem(m_main, IDC_BLOCK_BLACKLIST)));
    EXPECT_EQ(GetDlgItem(m_main, IDC_SET_BLACKLIST), FocusOf(m_main));
    HWND ok = StripButton(AYGSHELL_STANDIN_TITLE_CLASS, L"ok");
    ASSERT_NE(nullptr, ok);
    EXPECT_FALSE(IsWindowVisible(ok)) << "the main dialog's title-bar ok is hidden";

    struct {
        int button;  // 0: as started
        PhoneResult listed, unlisted;
    } const steps[] = {{0, kDropped, kRang},
                       {IDC_ACCEPT_ALL, kRang, kRang},
                       {IDC_BLOCK_BLACKLIST, kDropped, kRang},
                       {IDC_REJECT_ALL, kDropped, kDropped}};
    for (const auto& step : steps) {
        if (step.button)
            Choose(step.button);
        EXPECT_EQ(step.listed, Verdict(kListed)) << step.button;
        EXPECT_EQ(step.unlisted, Verdict(kUnlisted)) << step.button;
    }
    Deactivate();

    // What the service was asked for, as the phone's service expects it, where the stand-in
    // would take another value too (it refuses other options and extension versions).
    const auto field = [&](const char* operation, const char* name) {
        const std::vector<TelephonyLogEntry> entries = Log(operation);
        return entries.empty() ? "<not logged>" : entries[0].Get(name);
    };
    EXPECT_EQ("ExTapi_Lib", field("initialize", "name"));
    EXPECT_EQ("0x00020000", field("initialize", "version"));
    EXPECT_EQ("0x00010000", field("negotiate", "low"));
    EXPECT_EQ("0x00020000", field("negotiate", "high"));
    EXPECT_EQ("6", field("open", "privileges")) << "owner and monitor";
    EXPECT_EQ("4", field("open", "media")) << "interactive voice";
    EXPECT_EQ("1328", field("getcallinfo", "total")) << "the first buffer";
    EXPECT_EQ("null", field("drop", "uui"));
    EXPECT_EQ("0", field("drop", "uuisize"));
    EXPECT_EQ(std::vector<std::string>{"SetRegistryKey Local AppWizard-Generated Applications"},
              Lines(m_frameworkLog));

    Start();  // the mode chosen before is not kept
    EXPECT_TRUE(IsButtonChecked(GetDlgItem(m_main, IDC_BLOCK_BLACKLIST)));
    EXPECT_EQ(kRang, Verdict(kUnlisted));
}

// What the phone can send, each call through the real program in the mode of its row. How a
// record's bytes are read is the caller-number record's own unit test and fuzzer.
TEST_F(ProgramTest, ScreensExactlyTheBareCallerNumberNotificationOfAListedCaller)
{
    const std::wstring longNumber = L"0049301234567890123456789012345678";  // 34 characters
    const std::wstring longer = longNumber + L"9";
    ASSERT_EQ(1,
              WriteNumberList(CString(
                  (L"246;357;" + longNumber + L";" + longNumber.substr(0, 29) + L";").c_str())));
    struct Row {
        int mode;
        const wchar_t* number;
        void (*change)(PhoneCall&);
        PhoneResult expected;
        const char* what;
    };
    const auto none = [](PhoneCall&) {};
    const Row rows[] = {
        {IDC_BLOCK_BLACKLIST, L"357", none, kDropped, "listed"},
        {IDC_BLOCK_BLACKLIST, L"", none, kRang, "no number"},
        {IDC_BLOCK_BLACKLIST, longNumber.c_str(), none, kDropped, "read whole"},
        {IDC_BLOCK_BLACKLIST, longer.c_str(), none, kRang, "not cut to an entry"},
        {IDC_BLOCK_BLACKLIST, L"246", [](PhoneCall& c) { c.padBytes = 2000; }, kDropped,
         "a record larger than the first buffer"},
        {IDC_ACCEPT_ALL, L"357", none, kRang, "accept all"},
        {IDC_REJECT_ALL, L"", none, kDropped, "reject all, no number"},
        {IDC_REJECT_ALL, L"999", [](PhoneCall& c) { c.param1 |= 0x00000004; }, kRang,
         "the number reported with other fields"},
        {IDC_REJECT_ALL, L"999", [](PhoneCall& c) { c.message = 2; }, kRang, "another message"},
        {IDC_REJECT_ALL, L"999", [](PhoneCall& c) { c.callerIdNotification = false; }, kRang,
         "never identified"},
        {IDC_REJECT_ALL, L"999", none, kDropped, "reject all"},
    };
    Start();
    size_t drops = 0;
    int mode = IDC_BLOCK_BLACKLIST;
    for (const Row& row : rows) {
        if (row.mode != mode)
            Choose(mode = row.mode);
        PhoneCall call;
        call.callerNumber = row.number;
        row.change(call);
        const PhoneOutcome outcome = PlaceCall(call, kDeadlineMs);
        EXPECT_EQ(row.expected, outcome.result) << row.what;
        drops += row.expected == kDropped;
    }
    EXPECT_EQ(drops, Log("drop").size()) << "one drop per dropped call";
}

// "Run Backgroud" hides the program but not its screening. A second start of the same file
// brings it back and ends, and so does a copy of it from another folder: past another window in
// front, the main dialog when minimised, the list editor when that is open.
TEST_F(ProgramTest, RunBackgroundKeepsScreeningAndAnotherStartBringsTheProgramBack)
{
    Start();
    Operate(kRunBackgroundItem);
    WAIT_FOR("the dialog minimised", IsIconic(m_main));
    EXPECT_EQ(kDropped, Verdict(kListed));
    EXPECT_EQ(kRang, Verdict(kUnlisted));

    // The program's thread activates a window after it has been shown or brought forward: a tap
    // or another window put in front before that may go astray.
    const auto active = [&] {
        GUITHREADINFO gui = {};
        gui.cbSize = sizeof(gui);
        GetGUIThreadInfo(GetWindowThreadProcessId(m_main, nullptr), &gui);
        return gui.hwndActive;
    };
    const OwnWindow inFront(L"in front");
    for (const std::wstring& exe : {m_builtProgram, CopyProgram(L"ostrel_copy")}) {
        for (const bool editor : {false, true}) {
            HWND expected = editor ? OpenEditor() : m_main;
            if (editor)
                WAIT_FOR("the editor active", active() == expected);
            else
                ShowWindow(m_main, SW_MINIMIZE);
            SetForegroundWindow(inFront.window);
            WAIT_FOR("another window in front", GetForegroundWindow() == inFront.window);
            ProgramUnderTest second;
            ASSERT_TRUE(second.Start(exe, {{L"TAPI_STANDIN_LOG", m_telephonyLog}}));
            DWORD exitCode = 0;
            ASSERT_TRUE(second.WaitForExit(kDeadlineMs, &exitCode));
            // The same file is caught by the framework's test, a copy by the title.
            EXPECT_EQ(exe == m_builtProgram ? static_cast<DWORD>(-1) : 0u, exitCode);
            EXPECT_FALSE(IsIconic(m_main));
            HWND front = GetForegroundWindow();
            EXPECT_EQ(expected, front) << (exe == m_builtProgram ? "same file: " : "a copy: ")
                                       << (editor ? "the editor" : "the dialog");
            WAIT_FOR("the window active", front != expected || active() == front);
            if (editor)
                CloseWithOk(expected);
        }
    }
    EXPECT_EQ(1u, Log("initialize").size()) << "only the first opened the lines";
}

TEST_F(ProgramTest, AForeignWindowTitledLikeTheProgramStopsTheStart)
{
    const OwnWindow foreign(kTitle);
    Launch();
    EXPECT_EQ(0u, WaitForExit());
    EXPECT_EQ(foreign.window, GetForegroundWindow()) << "the window found was brought forward";
    EXPECT_TRUE(Log("initialize").empty());
}

}  // namespace
