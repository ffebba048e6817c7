// Tests the cutting of the number list text into entries.
#include "settings/number_list.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// The Windows build works on wchar_t, the native build on char16_t.
#ifdef _WIN32
using Unit = wchar_t;
#define UNITS(s) L##s
#else
using Unit = char16_t;
#define UNITS(s) u##s
#endif
using Text = std::basic_string<Unit>;
using Entries = std::vector<Text>;

// The entries of text[0, length), and whether the walk was stopped after maxEntries.
Entries Split(const Text& text, size_t length, size_t maxEntries, bool* stopped = nullptr)
{
    Entries entries;
    const bool wasStopped = SplitNumberList(text.data(), length, [&](const Unit* e, size_t n) {
        entries.emplace_back(e, n);
        return entries.size() < maxEntries;
    });
    if (stopped)
        *stopped = wasStopped;
    return entries;
}

Entries Split(const Text& text)
{
    return Split(text, text.size(), SIZE_MAX);
}

TEST(SplitNumberList, CutsAtEachSemicolon)
{
    EXPECT_EQ(Split(UNITS("123;456;")), (Entries{UNITS("123"), UNITS("456")}));
    EXPECT_EQ(Split(UNITS(" 1+a ;")), (Entries{UNITS(" 1+a ")}));  // verbatim
    EXPECT_EQ(Split(UNITS("12;34;")), (Entries{UNITS("12"), UNITS("34")}));
    // The last piece is an entry without its ';'.
    EXPECT_EQ(Split(UNITS("123;456")), (Entries{UNITS("123"), UNITS("456")}));
    // Empty entries come only from a leading ';' or two in a row, never from the final one.
    EXPECT_TRUE(Split(UNITS("")).empty());
    EXPECT_EQ(Split(UNITS(";")), (Entries{UNITS("")}));
    EXPECT_EQ(Split(UNITS("123;;456;")), (Entries{UNITS("123"), UNITS(""), UNITS("456")}));
    EXPECT_EQ(Split(UNITS(";123;")), (Entries{UNITS(""), UNITS("123")}));
}

TEST(SplitNumberList, StopsWhenAskedAndReadsOnlyTheGivenLength)
{
    bool stopped = false;
    EXPECT_EQ(Split(UNITS("1;2;3;"), 6, 2, &stopped), (Entries{UNITS("1"), UNITS("2")}));
    EXPECT_TRUE(stopped);
    EXPECT_EQ(Split(UNITS("1;2;3;"), 3, SIZE_MAX, &stopped), (Entries{UNITS("1"), UNITS("2")}));
    EXPECT_FALSE(stopped);
}

}  // namespace
