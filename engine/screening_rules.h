// Decides whether a call is rejected, from the screening mode, the caller number and the list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/number_list.h"

using ScreeningMode = std::int32_t;
constexpr ScreeningMode MODE_ACCEPT_ALL = 1;
constexpr ScreeningMode MODE_BLOCK_BLACKLIST = 2;  // also what every unknown value means
constexpr ScreeningMode MODE_REJECT_ALL = 3;

// The space class for builds without the platform's iswspace: blank, tab, LF, VT, FF, CR,
// the Unicode space separators and the line and paragraph separators, as iswspace has them.
struct IsSpaceUnit {
    template <class CharT>
    bool operator()(CharT c) const
    {
        const auto u = static_cast<std::uint32_t>(c);
        return u == 0x20 || (u >= 0x09 && u <= 0x0D) || u == 0xA0 || u == 0x1680 ||
            (u >= 0x2000 && u <= 0x200A) || u == 0x2028 || u == 0x2029 || u == 0x202F ||
            u == 0x205F || u == 0x3000;
    }
};

// Narrows text[0, length) to drop white space at both ends: the end first, then the start.
template <class CharT, class IsSpace>
void TrimSpace(const CharT*& text, std::size_t& length, IsSpace&& isSpace)
{
    while (length > 0 && isSpace(text[length - 1]))
        --length;
    while (length > 0 && isSpace(text[0])) {
        ++text;
        --length;
    }
}

// Two texts are the same number only when they hold the same units: no other normalisation.
template <class CharT>
bool SameNumber(const CharT* a, std::size_t aLength, const CharT* b, std::size_t bLength)
{
    return aLength == bLength && std::char_traits<CharT>::compare(a, b, aLength) == 0;
}

// True when the call is to be rejected. Mode 1 accepts and mode 3 rejects every call; any
// other mode rejects a caller whose number, trimmed of white space, equals a list entry as
// stored (entries are never trimmed). Allocates nothing.
template <class CharT, class IsSpace>
bool DecideReject(ScreeningMode mode, const CharT* caller, std::size_t callerLength,
                  const CharT* list, std::size_t listLength, IsSpace&& isSpace)
{
    if (mode == MODE_ACCEPT_ALL)
        return false;
    if (mode == MODE_REJECT_ALL)
        return true;

    TrimSpace(caller, callerLength, isSpace);
    return SplitNumberList(list, listLength, [&](const CharT* entry, std::size_t entryLength) {
        return !SameNumber(entry, entryLength, caller, callerLength);
    });
}

template <class CharT>
bool DecideReject(ScreeningMode mode, const CharT* caller, std::size_t callerLength,
                  const CharT* list, std::size_t listLength)
{
    return DecideReject(mode, caller, callerLength, list, listLength, IsSpaceUnit());
}
