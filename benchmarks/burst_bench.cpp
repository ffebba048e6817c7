// A spam wave on the real program: calls on four line devices from 200 senders at once, far
// faster than one thread screens them, so that their notifications queue up on the program's
// one user-interface thread; half of the callers are listed. The second of three such waves
// meets the list editor's modal loop. Before the waves, calls one at a time give the one-call
// figures.
// Prints one tab-separated row per figure for ./bench's table.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/telephony/phone_client.h"
#include "resource.h"
#include "settings/settings_store.h"
#include "benchmarks/bench_clock.h"
#include "tests/support/desktop_driver.h"
#include "unique_handle.h"

namespace {

const DWORD kCallDeadlineMs = 60000;  // a call not answered by then is lost
const DWORD kLines = 4;
const int kSenders = 200;
const int kCalls = 3 * kSenders;
const int kOneAtATime = 100;

HANDLE g_program = nullptr;  // ended on a failure, so that no copy outlives the bench

[[noreturn]] void Fail(const std::wstring& what)
{
    std::fprintf(stderr, "burst_bench: %ls\n", what.c_str());
    if (g_program)
        TerminateProcess(g_program, 1);
    std::exit(1);
}

void Require(const Step& step)
{
    if (!step)
        Fail(step.missed);
}

// Callers 5550100 to 5550119 in turn; the list holds the first ten.
std::wstring Caller(int call)
{
    return L"55501" + std::to_wstring(10 + call % 20);
}

bool Listed(int call)
{
    return call % 20 < 10;
}

struct Answer {
    bool answered = false;
    bool right = false;
    double seconds = 0;  // placed until answered
};

Answer Place(int call)
{
    PhoneCall phoneCall;
    phoneCall.callerNumber = Caller(call);
    phoneCall.line = static_cast<DWORD>(call) % kLines;
    const double start = Now();
    const PhoneOutcome outcome = PlaceCall(phoneCall, kCallDeadlineMs);
    Answer answer;
    answer.seconds = Now() - start;
    answer.answered = outcome.result != PhoneResult::Error;
    answer.right = outcome.lineOpened &&
        outcome.result == (Listed(call) ? PhoneResult::Dropped : PhoneResult::Rang);
    return answer;
}

struct Summary {
    int wrong = 0;
    int lost = 0;
    double worstDrop = 0;  // seconds
    double medianDrop = 0;
};

Summary Summarise(const std::vector<Answer>& answers)
{
    Summary summary;
    std::vector<double> drops;
    for (size_t call = 0; call < answers.size(); ++call) {
        const Answer& answer = answers[call];
        summary.lost += !answer.answered;
        summary.wrong += answer.answered && !answer.right;
        if (answer.answered && Listed(static_cast<int>(call)))
            drops.push_back(answer.seconds);
    }
    std::sort(drops.begin(), drops.end());
    if (!drops.empty()) {
        summary.worstDrop = drops.back();
        summary.medianDrop = drops[drops.size() / 2];
    }
    return summary;
}

}  // namespace

int wmain()
{
    std::wstring list;
    for (int call = 0; call < 10; ++call)
        list += Caller(call) + L";";
    if (WriteNumberList(CString(list.c_str())) != 1)
        Fail(L"could not store the list");
    Require(WaitFor(L"an earlier copy to end", [] { return !FindWindowW(nullptr, L"Quellar"); }));
    ProgramUnderTest program;
    if (!program.Start(
            PathBesideThisProgram(L"Ostrel.exe"),
            {{L"TAPI_STANDIN_LOG", L""}, {L"TAPI_STANDIN_LINES", std::to_wstring(kLines)}}))
        Fail(L"could not start the program");
    g_program = program.Process();
    HWND main = nullptr;
    Require(Shown(L"Quellar", program.ProcessId(), main));
    if (!program.WaitForInputIdle(kDeadlineMs) || !WaitForTelephonyApp(kDeadlineMs))
        Fail(L"the program did not open its lines");

    // One at a time: each call placed once the one before it is answered.
    std::vector<Answer> single;
    const double singleStart = Now();
    for (int call = 0; call < kOneAtATime; ++call)
        single.push_back(Place(call));
    const double singleRate = kOneAtATime / (Now() - singleStart);
    const Summary one = Summarise(single);

    // The wave, in three parts of one call per sender, all sent at once: with the main dialog
    // in front, with the list editor open, after it is closed again. A tap waits behind the
    // calls already sent (the platform hands sent messages over before input), so the editor
    // opens between the parts.
    std::vector<Answer> answers(kCalls);
    double waveSeconds = 0;
    HWND editor = nullptr;
    for (int part = 0; part < 3; ++part) {
        if (part == 1) {
            PostMessageW(GetDlgItem(main, IDC_SET_BLACKLIST), BM_CLICK, 0, 0);
            Require(Shown(L"Setting", program.ProcessId(), editor));
        }
        if (part == 2)
            Require(CloseWithOk(editor));
        const UniqueKernelHandle start(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        std::vector<std::thread> senders;
        for (int sender = 0; sender < kSenders; ++sender) {
            const int call = part * kSenders + sender;
            senders.emplace_back([&, call] {
                WaitForSingleObject(start.Get(), INFINITE);
                answers[static_cast<size_t>(call)] = Place(call);
            });
        }
        Sleep(100);  // every sender waiting
        const double partStart = Now();
        SetEvent(start.Get());
        for (std::thread& sender : senders)
            sender.join();
        waveSeconds += Now() - partStart;
    }
    const double waveRate = kCalls / waveSeconds;
    const Summary wave = Summarise(answers);

    std::printf("row\tburst: %d calls on %lu lines, %d at once three times, half listed, the "
                "editor open for the second; wrong verdicts, calls lost\t%d, %d\t-\t-\t0, "
                "0\t%s\n",
                kCalls, kLines, kSenders, wave.wrong, wave.lost,
                wave.wrong == 0 && wave.lost == 0 ? "yes" : "no");
    std::printf("row\tburst: calls screened per second (baseline: one at a time)\t%.0f /s\t%.0f "
                "/s\t%.2f\treported\t-\n",
                waveRate, singleRate, waveRate / singleRate);
    std::printf("row\tburst: worst and median notification to drop (baseline: one at a time)\t%.0f "
                "ms, %.0f ms\t%.2f ms, %.2f ms\t-\treported\t-\n",
                wave.worstDrop * 1e3, wave.medianDrop * 1e3, one.worstDrop * 1e3,
                one.medianDrop * 1e3);
    std::fflush(stdout);
    return one.wrong == 0 && one.lost == 0 ? 0 : 1;
}
