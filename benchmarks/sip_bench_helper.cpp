// The Windows side of benchmarks/sip_bench.py, which cannot touch windows itself:
//   sip_bench_helper round-trips N MS   the median of N bare cross-process round trips, one
//                                    every MS milliseconds as the calls come, in microseconds:
//                                    find a window, send it a call-sized WM_COPYDATA, which
//                                    bench_peer answers at once
//   sip_bench_helper editor open     opens the running program's list editor, waits until shown
//   sip_bench_helper editor close    closes it with its "ok", waits until it is gone
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "benchmarks/bench_clock.h"
#include "platform/telephony/standin_protocol.h"
#include "resource.h"
#include "tests/support/desktop_driver.h"

namespace {

int Fail(const char* what)
{
    std::fprintf(stderr, "sip_bench_helper: %s\n", what);
    return 1;
}

int RoundTrips(int count, int everyMs)
{
    ProgramUnderTest peer;
    if (!peer.Start(PathBesideThisProgram(L"bench_peer.exe"), {{L"BENCH_PEER_WINDOW", L"1"}}) ||
        !WaitUntil([] { return FindWindowW(L"OstrelBenchPeer", nullptr) != nullptr; }, kDeadlineMs))
        return Fail("the peer window did not appear");
    static CallRequest payload = {};
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        const double start = Now();
        COPYDATASTRUCT data = {kPlaceCallRequest, sizeof(payload), &payload};
        DWORD_PTR reply = 0;
        if (!SendMessageTimeoutW(FindWindowW(L"OstrelBenchPeer", nullptr), WM_COPYDATA, 0,
                                 reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, kDeadlineMs, &reply))
            return Fail("the peer did not answer");
        times.push_back((Now() - start) * 1e6);
        Sleep(static_cast<DWORD>(everyMs));  // the pace of the calls, not a wait for anything
    }
    std::sort(times.begin(), times.end());
    std::printf("%.0f\n", times[times.size() / 2]);
    return 0;
}

int Editor(bool open)
{
    HWND editor = FindWindowW(nullptr, L"Setting");
    const Step step =
        open ? OpenEditor(FindWindowW(nullptr, L"Quellar"), editor) : CloseWithOk(editor);
    return step ? 0 : Fail(open ? "the editor did not open" : "the editor did not close");
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring command = argc > 1 ? argv[1] : L"", what = argc > 2 ? argv[2] : L"";
    if (command == L"round-trips" && argc == 4 && _wtoi(what.c_str()) > 0)
        return RoundTrips(_wtoi(what.c_str()), _wtoi(argv[3]));
    if (command == L"editor" && (what == L"open" || what == L"close"))
        return Editor(what == L"open");
    return Fail("usage: sip_bench_helper round-trips N MS | editor open | editor close");
}
