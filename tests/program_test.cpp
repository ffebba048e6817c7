// The real program in the emulated device, driven from outside as its user and the phone would:
// clicks on its controls and menu bar, calls placed through the telephony stand-in, outcomes
// read from its windows, the stand-in's log and the registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "aygshell_standin.h"
#include "platform/telephony/phone_client.h"
#include "resource.h"
#include "settings/settings_store.h"
#include "tests/support/desktop_driver.h"

namespace {

const DWORD kDeadlineMs = 20000;
const wchar_t kTitle[] = L"Quellar";
const wchar_t kListed[] = L"5551234";
const wchar_t kUnlisted[] = L"5550000";

std::wstring TempPath(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

PhoneResult Call(const wchar_t* number)
{
    PhoneCall call;
    call.callerNumber = number;
    return PlaceCall(call, kDeadlineMs).result;
}

// A visible top-level window of the class and process, or null.
HWND FindWindowOf(const wchar_t* className, DWORD processId)
{
    for (HWND window = FindWindowExW(nullptr, nullptr, className, nullptr); window;
         window = FindWindowExW(nullptr, window, className, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

// The message box (dialog class #32770) of the process with this caption, once it is up.
HWND WaitForMessageBox(const wchar_t* caption, DWORD processId)
{
    HWND box = nullptr;
    WaitUntil(
        [&] {
            return (box = WaitForTopLevelWindow(caption, processId, 0)) && IsWindowVisible(box);
        },
        kDeadlineMs);
    return box;
}

std::wstring MessageBoxText(HWND box)
{
    return WindowText(GetDlgItem(box, 0xFFFF));  // the box's text is the static with this id
}

size_t CountOf(const std::vector<TelephonyLogEntry>& log, const char* operation)
{
    return LogEntries(log, operation).size();
}

// Copies the program and the stand-ins it loads into a folder of its own.
std::wstring CopyProgramTo(const wchar_t* folderName, bool withRefusingSockets)
{
    const std::wstring folder = TempPath(folderName);
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* file : {L"Ostrel.exe", L"aygshell.dll", L"tapi32.dll"})
        CopyFileW(PathBesideThisProgram(file).c_str(), (folder + L"\\" + file).c_str(), FALSE);
    const std::wstring fake = folder + L"\\ws2_32.dll";
    if (withRefusingSockets)
        CopyFileW(PathBesideThisProgram(L"fake_ws2_32\\ws2_32.dll").c_str(), fake.c_str(), FALSE);
    else
        DeleteFileW(fake.c_str());
    return folder + L"\\Ostrel.exe";
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Kelvoro\\Tolvane");
        ASSERT_EQ(1, WriteNumberList(CString(L"5551234;")));
        m_logPath = TempPath(L"program_test_telephony.log");
        DeleteFileW(m_logPath.c_str());
        // An earlier test's program must be gone before this one starts its own.
        ASSERT_TRUE(WaitUntil([] { return !FindWindowW(nullptr, kTitle); }, kDeadlineMs));
    }

    EnvironmentChanges Environment(EnvironmentChanges more = {}) const
    {
        more.emplace_back(L"TAPI_STANDIN_LOG", m_logPath);
        return more;
    }

    // Starts the program and waits until its dialog is up and its lines are open.
    HWND StartProgram(ProgramUnderTest& program, EnvironmentChanges more = {})
    {
        EXPECT_TRUE(program.Start(PathBesideThisProgram(L"Ostrel.exe"), {}, Environment(more)));
        HWND dialog = WaitForTopLevelWindow(kTitle, program.ProcessId(), kDeadlineMs);
        EXPECT_NE(nullptr, dialog) << "no main dialog";
        EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(dialog) != FALSE; }, kDeadlineMs));
        // The dialog manager shows a modal dialog normally the first time its queue runs empty:
        // until then a minimise can be undone.
        EXPECT_TRUE(program.WaitForInputIdle(kDeadlineMs));
        EXPECT_TRUE(WaitForTelephonyApp(kDeadlineMs));
        return dialog;
    }

    // Opens "Operate" on the menu bar with a tap and taps its item'th item (from 1), as the
    // device's user does: the menu's three items share its height evenly.
    void ChooseOperateItem(HWND dialog, DWORD processId, int item)
    {
        SetForegroundWindow(dialog);
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog; }, kDeadlineMs));
        HWND bar = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] { return (bar = FindWindowOf(AYGSHELL_STANDIN_MENUBAR_CLASS, processId)); },
            kDeadlineMs));
        HWND operate = FindWindowExW(bar, nullptr, L"Button", L"Operate");
        ASSERT_NE(nullptr, operate);
        ASSERT_TRUE(Click(operate));
        HWND menu = WaitForPopupMenu(processId, kDeadlineMs);
        ASSERT_NE(nullptr, menu);
        RECT client = {};
        ASSERT_TRUE(GetClientRect(menu, &client));
        ASSERT_TRUE(Click(menu, POINT{client.right / 2, (2 * item - 1) * client.bottom / 6}));
    }

    std::vector<TelephonyLogEntry> Log() const { return ReadTelephonyLog(m_logPath); }

    std::wstring m_logPath;
};

const int kRunBackgroundItem = 2;
const int kDeactiveItem = 3;

TEST_F(ProgramTest, StartsInBlockListModeWithTheFocusOnSetBlacklistAndScreensTheStoredList)
{
    ProgramUnderTest program;
    HWND dialog = StartProgram(program);
    ASSERT_NE(nullptr, dialog);

    EXPECT_FALSE(IsButtonChecked(GetDlgItem(dialog, IDC_ACCEPT_ALL)));
    EXPECT_TRUE(IsButtonChecked(GetDlgItem(dialog, IDC_BLOCK_BLACKLIST)));
    EXPECT_FALSE(IsButtonChecked(GetDlgItem(dialog, IDC_REJECT_ALL)));
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof(gui);
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui));
    EXPECT_EQ(GetDlgItem(dialog, IDC_SET_BLACKLIST), gui.hwndFocus);

    EXPECT_EQ(PhoneResult::Dropped, Call(kListed));
    EXPECT_EQ(PhoneResult::Rang, Call(kUnlisted));
}

TEST_F(ProgramTest, EachRadioButtonSwitchesTheVerdictOfTheNextCall)
{
    ProgramUnderTest program;
    HWND dialog = StartProgram(program);
    ASSERT_NE(nullptr, dialog);

    struct Step {
        int button;
        PhoneResult listed;
        PhoneResult unlisted;
    };
    const Step steps[] = {{IDC_ACCEPT_ALL, PhoneResult::Rang, PhoneResult::Rang},
                          {IDC_REJECT_ALL, PhoneResult::Dropped, PhoneResult::Dropped},
                          {IDC_BLOCK_BLACKLIST, PhoneResult::Dropped, PhoneResult::Rang}};
    for (const Step& step : steps) {
        HWND button = GetDlgItem(dialog, step.button);
        ASSERT_TRUE(Click(button));
        ASSERT_TRUE(WaitUntil([&] { return IsButtonChecked(button); }, kDeadlineMs)) << step.button;
        EXPECT_EQ(step.listed, Call(kListed)) << step.button;
        EXPECT_EQ(step.unlisted, Call(kUnlisted)) << step.button;
    }
}

// "Run Backgroud" hides the program but not its screening; a second start of the same file
// brings it back and ends, and so does a copy of it from another folder.
TEST_F(ProgramTest, RunBackgroundKeepsScreeningAndAnotherStartBringsTheProgramBack)
{
    ProgramUnderTest program;
    HWND dialog = StartProgram(program);
    ASSERT_NE(nullptr, dialog);

    ChooseOperateItem(dialog, program.ProcessId(), kRunBackgroundItem);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(dialog) != FALSE; }, kDeadlineMs));
    EXPECT_EQ(PhoneResult::Dropped, Call(kListed));
    EXPECT_EQ(PhoneResult::Rang, Call(kUnlisted));

    const std::wstring copy = CopyProgramTo(L"ostrel_copy", false);
    const wchar_t* const starts[] = {L"same file", L"copy"};
    for (const wchar_t* start : starts) {
        const bool sameFile = start == starts[0];
        ShowWindow(dialog, SW_MINIMIZE);
        ASSERT_TRUE(WaitUntil([&] { return IsIconic(dialog) != FALSE; }, kDeadlineMs));

        ProgramUnderTest second;
        ASSERT_TRUE(second.Start(sameFile ? PathBesideThisProgram(L"Ostrel.exe") : copy, {},
                                 Environment()));
        DWORD exitCode = 0;
        ASSERT_TRUE(second.WaitForExit(kDeadlineMs, &exitCode)) << start;
        // The same file is caught by the framework's test on the executable; a copy by the title.
        EXPECT_EQ(sameFile ? static_cast<DWORD>(-1) : 0u, exitCode) << start;
        EXPECT_FALSE(IsIconic(dialog)) << start;
        EXPECT_EQ(program.ProcessId(), ForegroundProcessId()) << start;
        EXPECT_EQ(1u, CountOf(Log(), "initialize")) << start << ": only the first opened the lines";
    }
    EXPECT_EQ(PhoneResult::Dropped, Call(kListed));
}

TEST_F(ProgramTest, AForeignWindowTitledLikeTheProgramStopsTheStart)
{
    HWND foreign = nullptr;
    DWORD ownerThreadId = 0;
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread owner([&] {
        foreign = CreateWindowExW(0, L"Static", kTitle, WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                  nullptr, nullptr, nullptr, nullptr);
        ownerThreadId = GetCurrentThreadId();
        SetEvent(ready);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0)
            DispatchMessageW(&msg);
        DestroyWindow(foreign);
    });
    WaitForSingleObject(ready, kDeadlineMs);
    CloseHandle(ready);
    ASSERT_NE(nullptr, foreign);

    ProgramUnderTest program;
    ASSERT_TRUE(program.Start(PathBesideThisProgram(L"Ostrel.exe"), {}, Environment()));
    DWORD exitCode = 1;
    EXPECT_TRUE(program.WaitForExit(kDeadlineMs, &exitCode));
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(GetCurrentProcessId(), ForegroundProcessId())
        << "the window found was brought forward";
    EXPECT_EQ(0u, CountOf(Log(), "initialize"));

    PostThreadMessageW(ownerThreadId, WM_QUIT, 0, 0);
    owner.join();
}

TEST_F(ProgramTest, DeactiveClosesEveryLineAndTheNextStartIsBackInBlockListMode)
{
    {
        ProgramUnderTest program;
        HWND dialog = StartProgram(program, {{L"TAPI_STANDIN_LINES", L"3"}});
        ASSERT_NE(nullptr, dialog);
        ASSERT_TRUE(Click(GetDlgItem(dialog, IDC_REJECT_ALL)));
        ASSERT_TRUE(WaitUntil([&] { return IsButtonChecked(GetDlgItem(dialog, IDC_REJECT_ALL)); },
                              kDeadlineMs));

        ChooseOperateItem(dialog, program.ProcessId(), kDeactiveItem);
        DWORD exitCode = 1;
        ASSERT_TRUE(program.WaitForExit(kDeadlineMs, &exitCode));
        EXPECT_EQ(0u, exitCode);
    }
    const std::vector<TelephonyLogEntry> log = Log();
    EXPECT_EQ(3u, CountOf(log, "open"));
    EXPECT_EQ(3u, CountOf(log, "close"));
    ASSERT_EQ(1u, CountOf(log, "shutdown"));
    EXPECT_EQ("0", LogEntries(log, "shutdown")[0].Get("unclosed"));

    ProgramUnderTest again;
    HWND dialog = StartProgram(again);
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(IsButtonChecked(GetDlgItem(dialog, IDC_BLOCK_BLACKLIST)));
    EXPECT_EQ(PhoneResult::Rang, Call(kUnlisted));
}

TEST_F(ProgramTest, AMenuBarFailureIsShownOnceAndTheDialogStillWorks)
{
    ProgramUnderTest program;
    ASSERT_TRUE(program.Start(PathBesideThisProgram(L"Ostrel.exe"), {},
                              Environment({{AYGSHELL_STANDIN_FAIL_CREATEMENUBAR, L"1"}})));
    HWND box = WaitForMessageBox(L"Error", program.ProcessId());
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(L"SHCreateMenuBar Failed", MessageBoxText(box));
    // The lines were opened before the menu bar: calls are screened while the box is up.
    EXPECT_EQ(PhoneResult::Dropped, Call(kListed));

    PostMessageW(box, WM_COMMAND, IDOK, 0);
    HWND dialog = WaitForTopLevelWindow(kTitle, program.ProcessId(), kDeadlineMs);
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(dialog) && !IsWindow(box); }, kDeadlineMs));
    EXPECT_TRUE(IsButtonChecked(GetDlgItem(dialog, IDC_BLOCK_BLACKLIST)));

    HWND rejectAll = GetDlgItem(dialog, IDC_REJECT_ALL);
    ASSERT_TRUE(Click(rejectAll));
    ASSERT_TRUE(WaitUntil([&] { return IsButtonChecked(rejectAll); }, kDeadlineMs));
    EXPECT_EQ(PhoneResult::Dropped, Call(kUnlisted));
    EXPECT_EQ(nullptr, WaitForTopLevelWindow(L"Error", program.ProcessId(), 0)) << "shown twice";
}

// Wine takes a program's DLL load order from the registry, per executable name (the environment
// reaches only the new process's Windows side): while this lives, Ostrel.exe prefers a
// ws2_32.dll found beside it to Wine's own.
class NativeSocketsForTheProgram {
public:
    NativeSocketsForTheProgram()
    {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                            nullptr) == 0) {
            const wchar_t order[] = L"native,builtin";
            RegSetValueExW(key, L"ws2_32", 0, REG_SZ, reinterpret_cast<const BYTE*>(order),
                           sizeof(order));
            RegCloseKey(key);
        }
    }
    ~NativeSocketsForTheProgram() { RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"ws2_32"); }

private:
    static constexpr const wchar_t* kKey = L"Software\\Wine\\AppDefaults\\Ostrel.exe\\DllOverrides";
};

// The sockets layer refusing, or offering another version than 1.1: the program says so in
// its own words and ends, without a window and without touching the telephony service.
TEST_F(ProgramTest, SocketsThatCannotBeStartedEndTheProgramWithItsMessage)
{
    const std::wstring copy = CopyProgramTo(L"ostrel_no_sockets", true);
    const std::wstring socketsLog = TempPath(L"program_test_sockets.log");
    NativeSocketsForTheProgram nativeSockets;

    struct Case {
        const wchar_t* behaviour;
        const char* expectedCalls;
    };
    for (const Case& c :
         {Case{L"refuse", "startup 1.1\n"}, Case{L"version", "startup 1.1\ncleanup\n"}}) {
        DeleteFileW(socketsLog.c_str());
        DeleteFileW(m_logPath.c_str());
        ProgramUnderTest program;
        ASSERT_TRUE(program.Start(
            copy, {},
            Environment({{L"FAKE_WS2_32", c.behaviour}, {L"FAKE_WS2_32_LOG", socketsLog}})));
        HWND box = WaitForMessageBox(L"Ostrel", program.ProcessId());
        ASSERT_NE(nullptr, box) << c.behaviour;
        EXPECT_EQ(L"Windows 套接字初始化失败。", MessageBoxText(box)) << c.behaviour;
        EXPECT_EQ(nullptr, WaitForTopLevelWindow(kTitle, program.ProcessId(), 0)) << c.behaviour;
        PostMessageW(box, WM_COMMAND, IDOK, 0);

        DWORD exitCode = 1;
        ASSERT_TRUE(program.WaitForExit(kDeadlineMs, &exitCode)) << c.behaviour;
        EXPECT_EQ(0u, exitCode) << c.behaviour;
        EXPECT_EQ(0u, CountOf(Log(), "initialize")) << c.behaviour;

        std::string calls;
        if (FILE* file = _wfopen(socketsLog.c_str(), L"r")) {
            char line[64];
            while (fgets(line, sizeof line, file))
                calls += line;
            fclose(file);
        }
        EXPECT_EQ(c.expectedCalls, calls) << c.behaviour;
    }
}

}  // namespace
