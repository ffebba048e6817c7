// The real program through many calls while its user works it: random callers on and off the
// list, the three modes tapped in turn, a number added or deleted in the editor each round and
// saved every other round, the screen turned and back, help opened and closed. Every verdict is
// checked against the screening rules as the user reads them. At the end of every round of 100
// calls, in the same state, it reads the program's handles, private memory and heap counts (the
// telephony stand-in counts the heap calls of the program's executable). The first five rounds
// warm up: by their end the list has had its longest length and every window has been shown.
// Prints one tab-separated row per figure for ./bench's table.
//   soak_bench.exe [CALLS]     CALLS at least 700, 10000 by default
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <random>
#include <string>
#include <vector>

#include "aygshell_standin.h"
#include "platform/telephony/phone_client.h"
#include "platform/telephony/standin_protocol.h"
#include "resource.h"
#include "settings/settings_store.h"
#include "tests/support/desktop_driver.h"
#include "tests/support/stored_list.h"

namespace {

const int kCallsPerRound = 100;
const int kWarmUpRounds = 5;
using Entries = std::vector<std::wstring>;

HANDLE g_program = nullptr;  // ended on a failure, so that no copy outlives the bench
int g_calls = 0;             // the calls so far, for the failure's note

[[noreturn]] void Fail(const std::wstring& what)
{
    std::fprintf(stderr, "soak_bench: after %d calls: %ls\n", g_calls, what.c_str());
    if (g_program)
        TerminateProcess(g_program, 1);
    std::exit(1);
}

void Require(bool condition, const char* what)
{
    if (!condition)
        Fail(std::wstring(what, what + std::strlen(what)));
}

void Require(const Step& step)
{
    if (!step)
        Fail(step.missed);
}

// Handles of the process: GetProcessHandleCount, or where that reports none (Wine 8), the
// entries of the system's handle table that the process owns.
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
    std::vector<ULONG_PTR> buffer(1 << 17);
    const ULONG kSystemHandleInformation = 16;
    if (NtQuerySystemInformation(
            static_cast<SYSTEM_INFORMATION_CLASS>(kSystemHandleInformation), buffer.data(),
            static_cast<ULONG>(buffer.size() * sizeof(ULONG_PTR)), nullptr) != 0)
        return 0;
    const ULONG entries = *reinterpret_cast<const ULONG*>(buffer.data());
    const Entry* entry = reinterpret_cast<const Entry*>(buffer.data() + 1);
    const USHORT processId = static_cast<USHORT>(GetProcessId(process));
    for (ULONG i = 0; i < entries; ++i)
        count += entry[i].processId == processId;
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

// One field of the stand-in's heap counts of the program (kHeapCountsMessage).
long long HeapCount(WPARAM field)
{
    DWORD_PTR answer = 0;
    Require(SendMessageTimeoutW(FindTelephonyApp(), kHeapCountsMessage, field, 0, SMTO_NORMAL,
                                kDeadlineMs, &answer) != 0,
            "the stand-in did not answer the heap count");
    Require(static_cast<LRESULT>(answer) != -1, "the program's heap is not counted");
    return static_cast<LRESULT>(answer);
}

struct Reading {
    int calls;
    DWORD handles;
    SIZE_T privateBytes;
    long long liveBytes;
};

class Soak {
public:
    explicit Soak(int totalCalls)
        : m_totalCalls(totalCalls)
    {
        m_saved = {L"5550100", L"5550101", L"5550102", L"5550103"};
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKeyPath);
        Require(WriteNumberList(CString(L"5550100;5550101;5550102;5550103;")) == 1,
                "could not store the list");
        Require(WaitUntil([] { return !FindWindowW(nullptr, L"Quellar"); }, kDeadlineMs),
                "an earlier copy did not end");
        // No operation log: ten thousand calls would fill it for nothing.
        Require(m_program.Start(PathBesideThisProgram(L"Ostrel.exe"),
                                {{L"TAPI_STANDIN_LOG", L""}, {L"TAPI_STANDIN_COUNT_HEAP", L"1"}}),
                "could not start the program");
        g_program = m_program.Process();
        Require(Shown(L"Quellar", m_program.ProcessId(), m_main));
        Require(m_program.WaitForInputIdle(kDeadlineMs) && WaitForTelephonyApp(kDeadlineMs),
                "the program did not open its lines");
    }

    void Run()
    {
        const int modes[] = {IDC_ACCEPT_ALL, IDC_BLOCK_BLACKLIST, IDC_REJECT_ALL};
        for (int round = 0; m_calls < m_totalCalls; ++round) {
            const int roundEnd = std::min(m_calls + kCallsPerRound, m_totalCalls);
            // Four taps, every mode in turn; the last one is "Block Quellar Only", whose calls
            // alone are counted for the heap calls a screened call makes.
            for (int tap = 0; tap < 4; ++tap)
                TapMode(tap < 3 ? modes[m_random() % 3] : IDC_BLOCK_BLACKLIST);
            const long long allocations = HeapCount(0), frees = HeapCount(1);
            for (int i = 0; i < 15; ++i)
                Call();
            m_screenedCalls += 15;
            m_screenedAllocations += HeapCount(0) - allocations;
            m_screenedFrees += HeapCount(1) - frees;

            EditList(round % 2 == 0);
            Turn();
            OpenAndCloseHelp();
            while (m_calls < roundEnd)
                Call();
            m_readings.push_back({m_calls, HandleCount(m_program.Process()),
                                  PrivateBytes(m_program.Process()), HeapCount(2)});
        }
    }

    void Report() const
    {
        Require(m_readings.size() > kWarmUpRounds, "too few rounds");
        const Reading& warm = m_readings[kWarmUpRounds - 1];
        const Reading& end = m_readings.back();
        const double calls = end.calls - warm.calls;
        const double heapPerCall = (end.liveBytes - warm.liveBytes) / calls;
        const double privatePerCall =
            (static_cast<double>(end.privateBytes) - static_cast<double>(warm.privateBytes)) /
            calls;
        std::printf("row\tsoak: wrong verdicts in %d calls\t%d\t-\t-\t0\t%s\n", m_calls,
                    m_wrongVerdicts, m_wrongVerdicts == 0 ? "yes" : "no");
        // Reported, not judged: a block may be freed just after the calls counted; the bytes
        // held below tell whether anything stays.
        std::printf("row\tsoak: heap allocations and frees per screened call\t%.2f, %.2f\t-\t-\t"
                    "reported\t-\n",
                    m_screenedAllocations / double(m_screenedCalls),
                    m_screenedFrees / double(m_screenedCalls));
        std::printf("row\tsoak: heap bytes held, after warm-up and at the end; bytes per call\t"
                    "%lld, %lld; %.3f\t-\t-\t~0 bytes per call (below 1)\t%s\n",
                    warm.liveBytes, end.liveBytes, heapPerCall, heapPerCall < 1 ? "yes" : "no");
        std::printf("row\tsoak: private KiB, after warm-up and at the end; bytes per call\t"
                    "%zu, %zu; %.1f\t-\t-\t~0 bytes per call (below 4 KiB per 1000 calls)\t%s\n",
                    warm.privateBytes / 1024, end.privateBytes / 1024, privatePerCall,
                    privatePerCall < 4.096 ? "yes" : "no");
        std::printf("row\tsoak: handles, after warm-up and at the end\t%lu, %lu\t-\t-\tflat\t%s\n",
                    warm.handles, end.handles, end.handles <= warm.handles ? "yes" : "no");
        std::fflush(stdout);
    }

private:
    // One of twenty numbers, 5550100 to 5550119, so that listed callers come often.
    std::wstring PoolNumber()
    {
        wchar_t number[8];
        std::swprintf(number, 8, L"55501%02u", m_random() % 20);
        return number;
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

    // "Accept All Calls" lets every call ring, "Reject All Calls" drops every one, "Block
    // Quellar Only" drops a caller whose number, without the blanks and tabs around it, is an
    // entry of the saved list.
    bool Drops(const std::wstring& caller) const
    {
        if (m_mode != IDC_BLOCK_BLACKLIST)
            return m_mode == IDC_REJECT_ALL;
        const size_t first = caller.find_first_not_of(L" \t");
        const std::wstring number = first == std::wstring::npos
            ? L""
            : caller.substr(first, caller.find_last_not_of(L" \t") - first + 1);
        return std::find(m_saved.begin(), m_saved.end(), number) != m_saved.end();
    }

    void Call()
    {
        PhoneCall call;
        call.callerNumber = RandomCaller();
        const PhoneResult expected =
            Drops(call.callerNumber) ? PhoneResult::Dropped : PhoneResult::Rang;
        const PhoneOutcome got = PlaceCall(call, kDeadlineMs);
        Require(got.error.empty(), "a call was not answered");
        g_calls = ++m_calls;
        if (got.result != expected) {
            ++m_wrongVerdicts;
            std::fprintf(stderr, "soak_bench: call %d from \"%ls\" in mode %d: wrong verdict\n",
                         m_calls, call.callerNumber.c_str(), m_mode);
        }
    }

    void TapMode(int button)
    {
        Require(Choose(GetDlgItem(m_main, button)));
        m_mode = button;
    }

    static Entries Sorted(Entries entries)
    {
        std::sort(entries.begin(), entries.end());
        return entries;
    }

    // Adds a number, or deletes one once there are eight, with a call meanwhile; saves, or
    // drops the change by closing with "ok".
    void EditList(bool save)
    {
        HWND editor = nullptr;
        Require(OpenEditor(m_main, editor));
        HWND list = GetDlgItem(editor, IDC_NUMBER_LIST);
        Entries entries = ListBoxItems(list);
        Require(Sorted(entries) == Sorted(m_saved), "the editor shows another list");
        if (entries.size() < 8) {
            const std::wstring number = PoolNumber();
            Require(AddNumber(editor, number.c_str()));
            entries.push_back(number);
        } else {
            const size_t index = m_random() % entries.size();
            SendMessageW(list, LB_SETCURSEL, index, 0);
            Require(TapStrip(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Delete"));
            entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(index));
        }
        Require(
            WaitUntil([&] { return Sorted(ListBoxItems(list)) == Sorted(entries); }, kDeadlineMs),
            "the editor did not take the change");
        Call();  // the change is not saved yet

        if (save) {
            Require(TapStrip(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Save"));
            HWND box = nullptr;
            Require(Shown(L"Ostrel", m_program.ProcessId(), box));
            Require(WindowText(GetDlgItem(box, 0xFFFF)) == L"Save finished!", "no save");
            m_saved = entries;
            Call();  // while the message is shown
            Require(Dismiss(box));
        }
        Require(CloseWithOk(editor));
    }

    static bool IsLandscape(HWND window)
    {
        RECT client = {};
        return GetClientRect(window, &client) && client.right > client.bottom;
    }

    void Turn()
    {
        {
            LandscapeScreen landscape;
            Require(landscape.turned && WaitUntil([&] { return IsLandscape(m_main); }, kDeadlineMs),
                    "the screen did not turn");
            Call();
            Call();
        }
        Require(WaitUntil([&] { return !IsLandscape(m_main); }, kDeadlineMs),
                "the screen did not turn back");
    }

    void OpenAndCloseHelp()
    {
        Require(Operate(m_main, kHelpItem));
        HWND help = nullptr;
        Require(Shown(L"Help", m_program.ProcessId(), help));
        Call();
        Require(CloseWithOk(help));
    }

    const int m_totalCalls;
    ProgramUnderTest m_program;
    HWND m_main = nullptr;
    int m_mode = IDC_BLOCK_BLACKLIST;
    Entries m_saved;
    std::mt19937 m_random{20240607};
    int m_calls = 0;
    int m_wrongVerdicts = 0;
    int m_screenedCalls = 0;
    long long m_screenedAllocations = 0;
    long long m_screenedFrees = 0;
    std::vector<Reading> m_readings;
};

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const int calls =
        argc > 1 ? std::max(_wtoi(argv[1]), (kWarmUpRounds + 2) * kCallsPerRound) : 10000;
    Soak soak(calls);
    soak.Run();
    soak.Report();
    return 0;
}
