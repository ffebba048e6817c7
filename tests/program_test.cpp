// The real program as its user and the phone meet it: the main dialog, the screening modes, the
// calls the phone can send, a second start, and what the telephony service is asked for.
#include <atomic>
#include <thread>

#include "tests/support/device.h"

namespace {

using ProgramTest = Device;

TEST_F(ProgramTest, StartsInBlockListModeEachModeDecidesTheNextCallAndDeactiveEndsIt)
{
    Start();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(IsButtonChecked(GetDlgItem(m_main, IDC_BLOCK_BLACKLIST)));
    EXPECT_EQ(GetDlgItem(m_main, IDC_SET_BLACKLIST), FocusOf(m_main));
    HWND strip = FindWindowW(AYGSHELL_STANDIN_TITLE_CLASS, nullptr);
    ASSERT_NE(nullptr, strip);
    EXPECT_FALSE(IsWindowVisible(FindWindowExW(strip, nullptr, L"Button", L"ok")))
        << "the main dialog has no title-bar ok";

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

    // What the service was asked for, as the phone's service expects it.
    const auto field = [&](const char* operation, const char* name) {
        const std::vector<TelephonyLogEntry> entries = Log(operation);
        return entries.empty() ? "<not logged>" : entries[0].Get(name);
    };
    EXPECT_EQ("ExTapi_Lib", field("initialize", "name"));
    EXPECT_EQ("0x00020000", field("initialize", "version"));
    EXPECT_EQ("1", field("initialize", "options")) << "notifications through a hidden window";
    EXPECT_EQ("0x00010000", field("negotiate", "low"));
    EXPECT_EQ("0x00020000", field("negotiate", "high"));
    EXPECT_EQ("6", field("open", "privileges")) << "owner and monitor";
    EXPECT_EQ("4", field("open", "media")) << "interactive voice";
    EXPECT_EQ("0", field("open", "ext"));
    EXPECT_EQ("null", field("drop", "uui"));
    EXPECT_EQ("0", field("drop", "uuisize"));
    EXPECT_EQ(4u, Log("drop").size());
    EXPECT_EQ("0", field("shutdown", "unclosed"));
    EXPECT_EQ(std::vector<std::string>{"SetRegistryKey Local AppWizard-Generated Applications"},
              Lines(m_frameworkLog));

    Start();  // the mode chosen before is not kept
    ASSERT_FALSE(HasFatalFailure());
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
    ASSERT_FALSE(HasFatalFailure());
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

// "Run Backgroud" hides the program but not its screening; a second start of the same file
// brings it back and ends, and so does a copy of it from another folder.
TEST_F(ProgramTest, RunBackgroundKeepsScreeningAndAnotherStartBringsTheProgramBack)
{
    Start();
    ASSERT_FALSE(HasFatalFailure());
    Operate(kRunBackgroundItem);
    WAIT_FOR("the dialog minimised", IsIconic(m_main));
    EXPECT_EQ(kDropped, Verdict(kListed));
    EXPECT_EQ(kRang, Verdict(kUnlisted));

    for (const std::wstring& exe : {m_builtProgram, CopyProgram(L"ostrel_copy")}) {
        const bool sameFile = exe == m_builtProgram;
        ShowWindow(m_main, SW_MINIMIZE);
        WAIT_FOR("the dialog minimised", IsIconic(m_main));
        ProgramUnderTest second;
        ASSERT_TRUE(second.Start(exe, {}, {{L"TAPI_STANDIN_LOG", m_telephonyLog}}));
        DWORD exitCode = 0;
        ASSERT_TRUE(second.WaitForExit(kDeadlineMs, &exitCode));
        // The same file is caught by the framework's test on the executable; a copy by the title.
        EXPECT_EQ(sameFile ? static_cast<DWORD>(-1) : 0u, exitCode);
        EXPECT_FALSE(IsIconic(m_main));
        EXPECT_EQ(m_main, GetForegroundWindow());
        EXPECT_EQ(1u, Log("initialize").size()) << "only the first opened the lines";
    }
    EXPECT_EQ(kDropped, Verdict(kListed));
}

TEST_F(ProgramTest, AForeignWindowTitledLikeTheProgramStopsTheStart)
{
    HWND foreign = nullptr;
    std::atomic<DWORD> ownerThread{0};
    std::thread owner([&] {
        foreign = CreateWindowExW(0, L"Static", kTitle, WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                  nullptr, nullptr, nullptr, nullptr);
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue, before it is announced
        ownerThread = GetCurrentThreadId();
        while (GetMessageW(&msg, nullptr, 0, 0) > 0)
            DispatchMessageW(&msg);
        DestroyWindow(foreign);
    });
    EXPECT_TRUE(WaitUntil([&] { return ownerThread != 0; }, kDeadlineMs));
    Launch();
    EXPECT_EQ(0u, WaitForExit());
    EXPECT_EQ(foreign, GetForegroundWindow()) << "the window found was brought forward";
    EXPECT_TRUE(Log("initialize").empty());
    PostThreadMessageW(ownerThread, WM_QUIT, 0, 0);
    owner.join();
}

}  // namespace
