// Notification to drop under Wine: a listed caller's call handed to the running program until
// its lineDrop has been recorded and the hand-off returns, against one bare round trip of the
// same message to a plain window of another process (bench_peer); once with the main dialog in
// front, once with the list editor open. ./bench runs it on one CPU, with the Wine server on the
// same one (docs/benchmarks.md says why).
// Prints one tab-separated row per figure for ./bench's table.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/telephony/phone_client.h"
#include "platform/telephony/standin_protocol.h"
#include "resource.h"
#include "benchmarks/bench_clock.h"
#include "benchmarks/worst_case_list.h"
#include "tests/support/desktop_driver.h"

namespace {

const int kPairs = 1000;

[[noreturn]] void Fail(const std::wstring& what)
{
    std::fprintf(stderr, "drop_bench: %ls\n", what.c_str());
    std::exit(1);
}

void Require(const Step& step)
{
    if (!step)
        Fail(step.missed);
}

double TimedDrop()
{
    PhoneCall call;
    call.callerNumber = kLastOfWorstCase;
    const double start = Now();
    const PhoneOutcome outcome = PlaceCall(call, kDeadlineMs);
    const double seconds = Now() - start;
    if (outcome.result != PhoneResult::Dropped)
        Fail(L"a listed caller was not dropped");
    return seconds;
}

// One bare round trip as the phone makes it: find the window, send it a call-sized WM_COPYDATA.
double TimedRoundTrip()
{
    static CallRequest payload = {};
    COPYDATASTRUCT data = {kPlaceCallRequest, sizeof(payload), &payload};
    DWORD_PTR reply = 0;
    const double start = Now();
    const LRESULT sent =
        SendMessageTimeoutW(FindWindowW(L"OstrelBenchPeer", nullptr), WM_COPYDATA, 0,
                            reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, kDeadlineMs, &reply);
    const double seconds = Now() - start;
    if (!sent || reply != 1)
        Fail(L"the peer did not answer");
    return seconds;
}

// A sample, then a pause: the process that answered finishes what follows its answer before
// the next sample starts, not inside it (on one CPU it would run in the next timed window).
double Settled(double seconds)
{
    Sleep(1);
    return seconds;
}

// The value at this fraction of the sorted values: 0.5 the median.
double At(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(fraction * (values.size() - 1) + 0.5)];
}

std::string Spread(const std::vector<double>& values, double scale, const char* format)
{
    char text[80];
    std::snprintf(text, sizeof text, format, At(values, 0.5) * scale, At(values, 0.1) * scale,
                  At(values, 0.9) * scale);
    return text;
}

// Drops and bare round trips in pairs, taken in turn first, so that both meet the machine in
// the same state; the ratio is the median of each pair's.
void MeasureDrops(const char* figure)
{
    std::vector<double> drops, roundTrips, ratios;
    for (int i = 0; i < kPairs; ++i) {
        if (i % 2)
            roundTrips.push_back(Settled(TimedRoundTrip()));
        drops.push_back(Settled(TimedDrop()));
        if (i % 2 == 0)
            roundTrips.push_back(Settled(TimedRoundTrip()));
        ratios.push_back(drops.back() / roundTrips.back());
    }
    const double ratio = At(ratios, 0.5);
    std::printf("row\t%s, %d pairs on one CPU (median; p10 to p90)\t%s\t%s\t%s\tat most 1.1x\t%s\n",
                figure, kPairs, Spread(drops, 1e6, "%.0f us (%.0f to %.0f)").c_str(),
                Spread(roundTrips, 1e6, "%.0f us (%.0f to %.0f)").c_str(),
                Spread(ratios, 1, "%.2f (%.2f to %.2f)").c_str(), ratio <= 1.1 ? "yes" : "no");
    std::fflush(stdout);
}

}  // namespace

int wmain()
{
    if (!StoreWorstCaseList())
        Fail(L"could not store the list");
    Require(WaitFor(L"an earlier copy to end", [] { return !FindWindowW(nullptr, L"Quellar"); }));
    ProgramUnderTest peer, program;
    if (!peer.Start(PathBesideThisProgram(L"bench_peer.exe"), {{L"BENCH_PEER_WINDOW", L"1"}}))
        Fail(L"could not start the peer");
    Require(WaitFor(L"the peer's window",
                    [] { return FindWindowW(L"OstrelBenchPeer", nullptr) != nullptr; }));
    // No operation log: a line written is a file opened, appended and closed, five times a call.
    if (!program.Start(PathBesideThisProgram(L"Ostrel.exe"), {{L"TAPI_STANDIN_LOG", L""}}))
        Fail(L"could not start the program");
    HWND main = nullptr, editor = nullptr;
    Require(Shown(L"Quellar", program.ProcessId(), main));
    if (!program.WaitForInputIdle(kDeadlineMs) || !WaitForTelephonyApp(kDeadlineMs))
        Fail(L"the program did not open its lines");
    MeasureDrops("notification to drop");

    PostMessageW(GetDlgItem(main, IDC_SET_BLACKLIST), BM_CLICK, 0, 0);
    Require(Shown(L"Setting", program.ProcessId(), editor));
    MeasureDrops("notification to drop, list editor open");
    return 0;
}
