// The decision on worst-case lists against a plain scan of the same text, with every heap
// allocation made during the timed loop counted.
//
// The decision is the engine's DecideReject, which ShouldRejectCall runs on the program's
// list after taking a shared copy of it. It is measured with two character types: wchar_t, so
// the baseline is the C library's own wmemchr/wmemcmp (4-byte units on Linux, twice the bytes
// of the device's text), and char16_t, the 2-byte units of the device and of the engine's
// native tests, whose baseline is the standard library's find/compare for that type.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <new>
#include <string>

#include "benchmarks/allocation_counter.h"
#include "engine/screening_rules.h"

namespace {

// The list: 511 one-character entries (1022 characters) or 85 entries of 11 digits (1020),
// every entry as long as the caller (the 11-digit ones also sharing its first nine digits), so
// that no comparison ends early on the length. The caller matches the last entry, or none.
template <class CharT>
struct WorstCase {
    std::basic_string<CharT> list, caller;
};

template <class CharT>
std::basic_string<CharT> Widen(const std::string& text)
{
    return std::basic_string<CharT>(text.begin(), text.end());
}

template <class CharT>
WorstCase<CharT> MakeWorstCase(bool elevenDigits, bool lastMatches)
{
    std::string list;
    const int entries = elevenDigits ? 85 : 511;
    for (int i = 0; i < entries; ++i) {
        if (elevenDigits) {
            list += "138001380" + std::to_string(10 + i);  // ...10 to ...94
        } else {
            list += i + 1 < entries ? "1" : "2";
        }
        list += ';';
    }
    std::string caller =
        elevenDigits ? (lastMatches ? "13800138094" : "13800138099") : (lastMatches ? "2" : "3");
    return {Widen<CharT>(list), Widen<CharT>(caller)};
}

// The plain scan: find each ';', compare the entry of the caller's length.
struct WideLibraryScan {
    static bool Reject(const wchar_t* list, std::size_t listLength, const wchar_t* caller,
                       std::size_t callerLength)
    {
        const wchar_t* end = list + listLength;
        for (const wchar_t* entry = list; entry < end;) {
            const wchar_t* semicolon =
                std::wmemchr(entry, L';', static_cast<std::size_t>(end - entry));
            const wchar_t* entryEnd = semicolon ? semicolon : end;
            if (static_cast<std::size_t>(entryEnd - entry) == callerLength &&
                std::wmemcmp(entry, caller, callerLength) == 0)
                return true;
            entry = entryEnd + 1;
        }
        return false;
    }
};

struct Utf16LibraryScan {
    using Traits = std::char_traits<char16_t>;
    static bool Reject(const char16_t* list, std::size_t listLength, const char16_t* caller,
                       std::size_t callerLength)
    {
        const char16_t* end = list + listLength;
        for (const char16_t* entry = list; entry < end;) {
            const char16_t* semicolon =
                Traits::find(entry, static_cast<std::size_t>(end - entry), u';');
            const char16_t* entryEnd = semicolon ? semicolon : end;
            if (static_cast<std::size_t>(entryEnd - entry) == callerLength &&
                Traits::compare(entry, caller, callerLength) == 0)
                return true;
            entry = entryEnd + 1;
        }
        return false;
    }
};

template <class CharT, class Decide>
void Run(benchmark::State& state, bool elevenDigits, bool lastMatches, Decide decide)
{
    const WorstCase<CharT> c = MakeWorstCase<CharT>(elevenDigits, lastMatches);
    if (decide(c) != lastMatches) {
        state.SkipWithError("wrong verdict");
        return;
    }
    const long allocationsBefore = AllocationCount();
    for (auto _ : state) {
        benchmark::DoNotOptimize(c.list.data());
        benchmark::DoNotOptimize(c.caller.data());
        benchmark::DoNotOptimize(decide(c));
    }
    state.counters["allocations"] =
        benchmark::Counter(static_cast<double>(AllocationCount() - allocationsBefore) /
                           static_cast<double>(state.iterations()));
}

template <class CharT>
void Decision(benchmark::State& state, bool elevenDigits, bool lastMatches)
{
    Run<CharT>(state, elevenDigits, lastMatches, [](const WorstCase<CharT>& c) {
        return DecideReject(MODE_BLOCK_BLACKLIST, c.caller.data(), c.caller.size(), c.list.data(),
                            c.list.size());
    });
}

template <class CharT, class Scan>
void Baseline(benchmark::State& state, bool elevenDigits, bool lastMatches)
{
    Run<CharT>(state, elevenDigits, lastMatches, [](const WorstCase<CharT>& c) {
        return Scan::Reject(c.list.data(), c.list.size(), c.caller.data(), c.caller.size());
    });
}

}  // namespace

int main(int argc, char** argv)
{
    if (!AllocationCounterWorks()) {
        std::fprintf(stderr, "the allocation counter misses allocations\n");
        return 1;
    }
    // Names: decision|baseline / wchar_t|char16_t / one_char|eleven_digits / last|none.
    for (bool eleven : {false, true}) {
        for (bool last : {true, false}) {
            const std::string name =
                std::string(eleven ? "eleven_digits" : "one_char") + (last ? "/last" : "/none");
            benchmark::RegisterBenchmark(("decision/wchar_t/" + name).c_str(), Decision<wchar_t>,
                                         eleven, last);
            benchmark::RegisterBenchmark(("baseline/wchar_t/" + name).c_str(),
                                         Baseline<wchar_t, WideLibraryScan>, eleven, last);
            benchmark::RegisterBenchmark(("decision/char16_t/" + name).c_str(), Decision<char16_t>,
                                         eleven, last);
            benchmark::RegisterBenchmark(("baseline/char16_t/" + name).c_str(),
                                         Baseline<char16_t, Utf16LibraryScan>, eleven, last);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
