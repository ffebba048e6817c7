// The real program through many calls while its user works it: random callers on and off the
// list, the three modes chosen by taps, lists changed and saved in the editor, the screen
// turned and back, help opened and closed. Every verdict is checked against a model of the
// screening rules kept here, and the program's handles and private bytes must stay flat once
// it has warmed up. OSTREL_SOAK_CALLS sets the number of calls (a short run by default);
// OSTREL_SOAK_REPORT names a file that receives the figures as rows for ./bench's table.
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "aygshell_standin.h"
#include "platform/telephony/phone_client.h"
#include "resource.h"
#include "settings/settings_store.h"
#include "tests/support/desktop_driver.h"

namespace {

const DWORD kDeadlineMs = 20000;
const int kCallsPerRound = 100;  // each round: calls, 4 mode taps, the editor, a turn, help
using Entries = std::vector<std::wstring>;

int SoakCalls()
{
    wchar_t value[16] = {};
    if (GetEnvironmentVariableW(L"OSTREL_SOAK_CALLS", value, ARRAYSIZE(value)) == 0)
        return 300;
    return std::max(_wtoi(value), 2 * kCallsPerRound);
}

// The screening rules as the user reads them: "Accept All Calls" lets every call ring, "Reject
// All Calls" drops every one, "Block Quellar Only" drops a caller whose number, without the
// blanks and tabs around it, is an entry of the saved list.
struct PolicyModel {
    int mode = IDC_BLOCK_BLACKLIST;
    Entries saved;

    bool Drops(const std::wstring& caller) const
    {
        if (mode != IDC_BLOCK_BLACKLIST)
            return mode == IDC_REJECT_ALL;
        const size_t first = caller.find_first_not_of(L" \t");
        const std::wstring number = first == std::wstring::npos
            ? L""
            : caller.substr(first, caller.find_last_not_of(L" \t") - first + 1);
        return std::find(saved.begin(), saved.end(), number) != saved.end();
    }
};

Entries Split(const std::wstring& text)
{
    Entries entries;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find(L';', start), text.size());
        entries.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return entries;
}

Entries Sorted(Entries entries)
{
    std::sort(entries.begin(), entries.end());
    return entries;
}

Entries ListBoxEntries(HWND editor)
{
    return ListBoxItems(GetDlgItem(editor, IDC_NUMBER_LIST));
}

bool IsLandscape(HWND window)
{
    RECT client = {};
    return GetClientRect(window, &client) && client.right > client.bottom;
}

// Handles of the process: GetProcessHandleCount, or where that reports none (Wine 8 fills in
// nothing), the entries of the system's handle table that the process owns.
DWORD HandleCount(HANDLE process)
{
    DWORD count = 0;
    if (GetProcessHandleCount(process, &count) && count > 0)
        return count;
    struct Entry {  // SYSTEM_HANDLE_TABLE_ENTRY_INFO
        USHORT processId, creatorBackTrace;
        UCHAR type, attributes;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    struct Table {
        ULONG count;
        Entry entries[1];
    };
    std::vector<ULONG_PTR> buffer(1 << 17);
    const ULONG kSystemHandleInformation = 16;
    if (NtQuerySystemInformation(
            static_cast<SYSTEM_INFORMATION_CLASS>(kSystemHandleInformation), buffer.data(),
            static_cast<ULONG>(buffer.size() * sizeof(ULONG_PTR)), nullptr) != 0)
        return 0;
    const Table* table = reinterpret_cast<const Table*>(buffer.data());
    const USHORT processId = static_cast<USHORT>(GetProcessId(process));
    for (ULONG i = 0; i < table->count; ++i)
        count += table->entries[i].processId == processId;
    return count;
}

// Private bytes: PrivateUsage, or where that reports none (Wine 8), the committed private
// memory of the process's address space.
SIZE_T PrivateBytes(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof(counters)) &&
        counters.PrivateUsage > 0)
        return counters.PrivateUsage;
    SIZE_T bytes = 0;
    MEMORY_BASIC_INFORMATION region = {};
    for (const char* address = nullptr;
         VirtualQueryEx(process, address, &region, sizeof(region)) == sizeof(region);
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            bytes += region.RegionSize;
    }
    return bytes;
}

struct Usage {
    DWORD handles = 0;
    SIZE_T privateBytes = 0;
};

Usage UsageOf(HANDLE process)
{
    return {HandleCount(process), PrivateBytes(process)};
}

class SoakTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_model.saved = {L"5550100", L"5550101", L"5550102", L"5550103"};
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Kelvoro\\Tolvane");
        ASSERT_EQ(1, WriteNumberList(CString(L"5550100;5550101;5550102;5550103;")));
        ASSERT_TRUE(WaitUntil([] { return !FindWindowW(nullptr, L"Quellar"); }, kDeadlineMs));
        // No operation log: ten thousand calls would fill it for nothing.
        ASSERT_TRUE(m_program.Start(PathBesideThisProgram(L"Ostrel.exe"), {},
                                    {{L"TAPI_STANDIN_LOG", L""}}));
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

    void Tap(const wchar_t* stripClass, const wchar_t* text)
    {
        ASSERT_TRUE(WaitUntil(
            [&] {
                return Click(FindWindowExW(FindWindowExW(nullptr, nullptr, stripClass, nullptr),
                                           nullptr, L"Button", text));
            },
            kDeadlineMs))
            << text;
    }

    void CloseWithOk(HWND dialog)
    {
        Tap(AYGSHELL_STANDIN_TITLE_CLASS, L"ok");
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, kDeadlineMs));
    }

    // One of twenty numbers, 5550100 to 5550119, so that listed callers come often.
    std::wstring PoolNumber()
    {
        const unsigned n = m_random() % 20;
        return L"55501" + std::wstring(1, L'0' + static_cast<wchar_t>(n / 10)) +
            std::wstring(1, L'0' + static_cast<wchar_t>(n % 10));
    }

    // Now and then with blanks around it, or a near miss that no entry equals.
    std::wstring RandomCaller()
    {
        const std::wstring number = PoolNumber();
        switch (m_random() % 10) {
        case 0:
            return L" " + number + L"\t";
        case 1:
            return L"+" + number;
        case 2:
            return number.substr(1);
        default:
            return number;
        }
    }

    void Call()
    {
        PhoneCall call;
        call.callerNumber = RandomCaller();
        const PhoneResult expected =
            m_model.Drops(call.callerNumber) ? PhoneResult::Dropped : PhoneResult::Rang;
        const PhoneResult got = PlaceCall(call, kDeadlineMs).result;
        ++m_calls;
        if (got != expected) {
            ++m_wrongVerdicts;
            ADD_FAILURE() << "call " << m_calls << " from \""
                          << std::string(call.callerNumber.begin(), call.callerNumber.end())
                          << "\" in mode " << m_model.mode << ": " << static_cast<int>(got);
        }
    }

    void TapMode(int button)
    {
        HWND radio = GetDlgItem(m_main, button);
        ASSERT_TRUE(Click(radio));
        ASSERT_TRUE(WaitUntil([&] { return IsButtonChecked(radio); }, kDeadlineMs)) << button;
        m_model.mode = button;
    }

    // Adds a number or deletes one, with calls meanwhile; saves every other time, else drops
    // the change by closing with "ok".
    void EditList(bool save)
    {
        ASSERT_TRUE(Click(GetDlgItem(m_main, IDC_SET_BLACKLIST)));
        HWND editor = Visible(L"Setting");
        ASSERT_NE(nullptr, editor);
        Entries entries = ListBoxEntries(editor);
        ASSERT_EQ(Sorted(m_model.saved), Sorted(entries));
        if (entries.size() < 8) {
            const std::wstring number = PoolNumber();
            HWND edit = GetDlgItem(editor, IDC_NUMBER_EDIT);
            ASSERT_TRUE(Click(edit) &&
                        WaitUntil([&] { return FocusOf(edit) == edit; }, kDeadlineMs));
            ASSERT_TRUE(TypeText(number.c_str()));
            ASSERT_TRUE(WaitUntil([&] { return WindowText(edit) == number; }, kDeadlineMs));
            ASSERT_TRUE(Click(GetDlgItem(editor, IDC_ADD)));
            entries.push_back(number);
        } else {
            const size_t index = m_random() % entries.size();
            SendMessageW(GetDlgItem(editor, IDC_NUMBER_LIST), LB_SETCURSEL, index, 0);
            Tap(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Delete");
            entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(index));
        }
        ASSERT_TRUE(WaitUntil([&] { return Sorted(ListBoxEntries(editor)) == Sorted(entries); },
                              kDeadlineMs));
        Call();  // the change is not saved yet

        if (save) {
            Tap(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Save");
            HWND box = Visible(L"Ostrel");
            ASSERT_NE(nullptr, box);
            EXPECT_EQ(L"Save finished!", WindowText(GetDlgItem(box, 0xFFFF)));
            m_model.saved = entries;
            Call();  // while the message is shown
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, kDeadlineMs));
            CString stored;
            ASSERT_TRUE(ReadNumberList(stored));
            EXPECT_EQ(Sorted(entries), Sorted(Split(std::wstring(stored))));
        }
        CloseWithOk(editor);
    }

    void Turn()
    {
        LandscapeScreen landscape;
        ASSERT_TRUE(landscape.turned);
        ASSERT_TRUE(WaitUntil([&] { return IsLandscape(m_main); }, kDeadlineMs));
        Call();
        Call();
    }

    void OpenAndCloseHelp()
    {
        SetForegroundWindow(m_main);
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == m_main; }, kDeadlineMs));
        Tap(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Operate");
        ASSERT_TRUE(WaitForPopupMenu(m_program.ProcessId(), kDeadlineMs) && PressKey(VK_DOWN) &&
                    PressKey(VK_RETURN));
        HWND help = Visible(L"Help");
        ASSERT_NE(nullptr, help);
        Call();
        CloseWithOk(help);
    }

    ProgramUnderTest m_program;
    HWND m_main = nullptr;
    PolicyModel m_model;
    std::mt19937 m_random{20240607};
    int m_calls = 0;
    int m_wrongVerdicts = 0;
};

TEST_F(SoakTest, EveryVerdictFollowsTheRulesAndNothingGrows)
{
    const int totalCalls = SoakCalls();
    const int modes[] = {IDC_ACCEPT_ALL, IDC_BLOCK_BLACKLIST, IDC_REJECT_ALL};
    std::vector<Usage> usage;  // at the end of each round, in the same state
    for (int round = 0; m_calls < totalCalls; ++round) {
        const int roundEnd = std::min(m_calls + kCallsPerRound, totalCalls);
        // Four taps, so every mode is tapped in turn and the last one is "Block Quellar Only".
        for (int tap = 0; tap < 4 && m_calls < roundEnd; ++tap) {
            ASSERT_NO_FATAL_FAILURE(TapMode(tap < 3 ? modes[m_random() % 3] : IDC_BLOCK_BLACKLIST));
            for (int i = 0; i < 15; ++i)
                Call();
        }
        ASSERT_NO_FATAL_FAILURE(EditList(round % 2 == 0));
        ASSERT_NO_FATAL_FAILURE(Turn());
        ASSERT_TRUE(WaitUntil([&] { return !IsLandscape(m_main); }, kDeadlineMs));
        ASSERT_NO_FATAL_FAILURE(OpenAndCloseHelp());
        while (m_calls < roundEnd)
            Call();
        usage.push_back(UsageOf(m_program.Process()));
    }
    ASSERT_EQ(totalCalls, m_calls);
    EXPECT_EQ(0, m_wrongVerdicts);

    // The first round warms up; from the second on, nothing may grow.
    ASSERT_GE(usage.size(), 2u);
    const Usage warm = usage[1];
    Usage most = warm;
    for (const Usage& u : usage) {
        most.handles = std::max(most.handles, u.handles);
        most.privateBytes = std::max(most.privateBytes, u.privateBytes);
    }
    const Usage last = usage.back();
    EXPECT_NE(0u, warm.handles) << "no handle count";
    EXPECT_NE(0u, warm.privateBytes) << "no private bytes";
    EXPECT_LE(most.handles, warm.handles + 4) << "handles grew";
    EXPECT_LE(most.privateBytes, warm.privateBytes + 1024 * 1024) << "private bytes grew";

    std::printf("soak: %d calls, %d wrong verdicts; handles %lu after warm-up, %lu at most, %lu at "
                "the end; "
                "private bytes %zu KiB after warm-up, %zu KiB at most, %zu KiB at the end\n",
                m_calls, m_wrongVerdicts, warm.handles, most.handles, last.handles,
                warm.privateBytes / 1024, most.privateBytes / 1024, last.privateBytes / 1024);
    wchar_t reportPath[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"OSTREL_SOAK_REPORT", reportPath, MAX_PATH) > 0) {
        if (FILE* report = _wfopen(reportPath, L"w")) {
            std::fprintf(report, "row\tsoak: wrong verdicts in %d calls\t%d\t-\t-\t0\t%s\n",
                         m_calls, m_wrongVerdicts, m_wrongVerdicts == 0 ? "yes" : "no");
            std::fprintf(
                report,
                "row\tsoak: handles (after warm-up, most, end)\t%lu, %lu, %lu\t-\t-\tflat\t%s\n",
                warm.handles, most.handles, last.handles,
                most.handles <= warm.handles + 4 ? "yes" : "no");
            std::fprintf(report,
                         "row\tsoak: private KiB (after warm-up, most, end)\t%zu, %zu, "
                         "%zu\t-\t-\tflat\t%s\n",
                         warm.privateBytes / 1024, most.privateBytes / 1024,
                         last.privateBytes / 1024,
                         most.privateBytes <= warm.privateBytes + 1024 * 1024 ? "yes" : "no");
            std::fclose(report);
        }
    }
}

}  // namespace
