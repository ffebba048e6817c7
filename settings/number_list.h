// Cuts the number list text ("111;222;333;") into its entries without allocating.
#pragma once

#include <cstddef>
#include <string>

// Calls onEntry(entry, entryLength) for each entry of text[0, length) in text order.
// Every entry ends at the next ';'. The empty text has no entry, the ';' after the last
// entry adds no empty one, and a leading ';' or two ';' in a row give an empty entry.
// A last piece without its ';' is an entry too. onEntry returns false to stop the walk.
// Returns true when onEntry stopped it early.
template <class CharT, class OnEntry>
bool SplitNumberList(const CharT* text, std::size_t length, OnEntry&& onEntry)
{
    std::size_t start = 0;
    while (start < length) {
        // The library's search: for wide text the C library's wmemchr, which scans in blocks.
        const CharT* semicolon =
            std::char_traits<CharT>::find(text + start, length - start, CharT(';'));
        const std::size_t end = semicolon ? static_cast<std::size_t>(semicolon - text) : length;
        if (!onEntry(text + start, end - start))
            return true;
        start = end + 1;  // past the ';', or past the end when there was none
    }
    return false;
}
