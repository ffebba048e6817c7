// Fuzzes cutting the list text and deciding a call, against a plain model of the rules.
// Input: one byte, the mode (signed); then UTF-16LE units: the caller, a 0 unit, the list.
// Neither text can hold a 0 unit in the program: both come from 0-terminated strings.
#include "engine/screening_rules.h"
#include "fuzzers/fuzz_check.h"
#include "little_endian.h"
#include "settings/number_list.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using Text = std::u16string;

std::vector<Text> CutModel(const Text& list)
{
    std::vector<Text> entries;
    for (std::size_t start = 0; start < list.size();) {
        const std::size_t semicolon = std::min(list.find(u';', start), list.size());
        entries.push_back(list.substr(start, semicolon - start));
        start = semicolon + 1;
    }
    return entries;
}

// The space class is the platform's, which the Windows build's policy test compares with
// IsSpaceUnit unit by unit; here it is only handed through.
template <class IsSpace>
bool RejectModel(ScreeningMode mode, Text caller, const Text& list, IsSpace isSpace)
{
    if (mode == MODE_ACCEPT_ALL || mode == MODE_REJECT_ALL)
        return mode == MODE_REJECT_ALL;
    while (!caller.empty() && isSpace(caller.back()))
        caller.pop_back();
    while (!caller.empty() && isSpace(caller.front()))
        caller.erase(0, 1);
    const std::vector<Text> entries = CutModel(list);
    return std::find(entries.begin(), entries.end(), caller) != entries.end();
}

// Cuts the list with SplitNumberList, stopping after `stopAfter` entries; every entry must
// point into the list.
std::vector<Text> Cut(const Text& list, std::size_t stopAfter, bool& stopped)
{
    std::vector<Text> entries;
    stopped = SplitNumberList(list.data(), list.size(), [&](const char16_t* e, std::size_t n) {
        FUZZ_CHECK(e >= list.data() && n <= list.size() && e <= list.data() + list.size() - n);
        entries.emplace_back(e, n);
        return entries.size() < stopAfter;
    });
    return entries;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const ScreeningMode mode = static_cast<std::int8_t>(data[0]);
    Text caller, list;
    Text* into = &caller;
    for (std::size_t i = 1; i + 1 < size; i += 2) {
        const char16_t unit = static_cast<char16_t>(ReadLittleEndian16(data + i));
        if (unit == 0 && into == &caller)
            into = &list;
        else
            into->push_back(unit);
    }

    // Cutting: the model's entries; stopped early, exactly the entries up to the stop.
    bool stopped = true;
    const std::vector<Text> entries = Cut(list, SIZE_MAX, stopped);
    FUZZ_CHECK(!stopped && entries == CutModel(list));
    if (!entries.empty()) {
        const std::size_t stopAfter = 1 + entries.size() / 2;
        const std::vector<Text> first = Cut(list, stopAfter, stopped);
        FUZZ_CHECK(stopped && first.size() == stopAfter &&
                   std::equal(first.begin(), first.end(), entries.begin()));
    }

    // The editor saves the entries it was given each followed by ';': that text cuts back
    // into the same entries.
    Text saved;
    for (const Text& entry : entries)
        saved += entry + u';';
    FUZZ_CHECK(Cut(saved, SIZE_MAX, stopped) == entries);

    // Deciding: the model's verdict, in the native unit type too (wchar_t is the Windows
    // build's unit) and with another space class handed in.
    const bool reject = RejectModel(mode, caller, list, IsSpaceUnit());
    FUZZ_CHECK(DecideReject(mode, caller.data(), caller.size(), list.data(), list.size()) ==
               reject);
    const std::wstring wideCaller(caller.begin(), caller.end()), wideList(list.begin(), list.end());
    FUZZ_CHECK(DecideReject(mode, wideCaller.data(), wideCaller.size(), wideList.data(),
                            wideList.size()) == reject);
    auto digitsAreSpace = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    FUZZ_CHECK(DecideReject(mode, caller.data(), caller.size(), list.data(), list.size(),
                            digitsAreSpace) == RejectModel(mode, caller, list, digitsAreSpace));
    return 0;
}
