// The real program's start-up under Wine: process start to the main dialog shown, against the
// trivial dialog of bench_peer, and bench_peer_steps taking the program's start-up steps one by
// one against it. Prints one tab-separated row per figure for ./bench's table.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/telephony/phone_client.h"
#include "benchmarks/bench_clock.h"
#include "benchmarks/worst_case_list.h"
#include "tests/support/desktop_driver.h"

namespace {

const wchar_t kProgramTitle[] = L"Quellar";
const wchar_t kPeerTitle[] = L"Bench peer";
const int kStarts = 30;

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "wine_bench: %s\n", what);
    std::exit(1);
}

// Starts the program and returns the seconds from just before its start until the window
// with this title is shown. The program keeps running.
double TimedStart(ProgramUnderTest& program, const wchar_t* executable, const wchar_t* title,
                  const wchar_t* peerSteps = L"0")
{
    if (!WaitUntil([&] { return !FindWindowW(nullptr, title); }, kDeadlineMs))
        Fail("an earlier copy did not end");
    const double start = Now();
    if (!program.Start(PathBesideThisProgram(executable),
                       {{L"TAPI_STANDIN_LOG", L""}, {L"BENCH_PEER_STEPS", peerSteps}}))
        Fail("could not start a program");
    while (!VisibleWindow(title, program.ProcessId())) {
        if (Now() - start > kDeadlineMs / 1000.0)
            Fail("no window shown");
        Sleep(1);
    }
    return Now() - start;
}

}  // namespace

int wmain()
{
    if (!StoreWorstCaseList())
        Fail("could not store the list");

    // The ratio of each start to the peer's start just before it: the two meet the machine in
    // the same state, which a ratio of the two medians would not ask for.
    std::vector<double> programStarts, peerStarts, ratios;
    for (int i = 0; i < kStarts; ++i) {
        ProgramUnderTest peer, program;
        peerStarts.push_back(TimedStart(peer, L"bench_peer.exe", kPeerTitle));
        programStarts.push_back(TimedStart(program, L"Ostrel.exe", kProgramTitle));
        ratios.push_back(programStarts.back() / peerStarts.back());
        // Fully up before the destructors end both, so that no start is cut short.
        program.WaitForInputIdle(kDeadlineMs);
        // A start cut short still measured its dialog: the wait's result changes nothing.
        static_cast<void>(WaitForTelephonyApp(kDeadlineMs));
    }
    const double ratio = Median(ratios);
    std::printf(
        "row\tstart-up to the main dialog shown, %d starts (ratio: median of each start's to "
        "the peer's just before)\t%.0f ms\t%.0f ms\t%.2f\tat most 1.25x\t%s\n",
        kStarts, Median(programStarts) * 1e3, Median(peerStarts) * 1e3, ratio,
        ratio <= 1.25 ? "yes" : "no");
    std::fflush(stdout);

    // Where the program's extra start-up goes: the peer taking its steps one by one.
    const wchar_t* const steps[] = {L"0", L"1", L"2", L"3"};
    const char* const stepNames[] = {
        "start-up of the peer with the program's libraries loaded",
        "start-up of the peer, and the sockets layer started",
        "start-up of the peer, and the telephony lines opened",
        "start-up of the peer, and the shell's dialog frame and menu bar",
    };
    for (int step = 0; step < 4; ++step) {
        std::vector<double> stepStarts, baseStarts, stepRatios;
        for (int i = 0; i < kStarts / 2; ++i) {
            {  // one window titled so at a time: each ends before the other starts
                ProgramUnderTest base;
                baseStarts.push_back(TimedStart(base, L"bench_peer.exe", kPeerTitle));
            }
            {
                ProgramUnderTest stepped;
                stepStarts.push_back(
                    TimedStart(stepped, L"bench_peer_steps.exe", kPeerTitle, steps[step]));
            }
            stepRatios.push_back(stepStarts.back() / baseStarts.back());
        }
        std::printf("row\t%s\t%.0f ms\t%.0f ms\t%.2f\tshows where the time goes\t-\n",
                    stepNames[step], Median(stepStarts) * 1e3, Median(baseStarts) * 1e3,
                    Median(stepRatios));
        std::fflush(stdout);
    }
    return 0;
}
