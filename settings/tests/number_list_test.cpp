// Tests the cutting of the number list text into entries.
#include "settings/number_list.h"
#include "tests/unit_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Entries = std::vector<Text>;

// The entries of list[0, length), and whether the walk was stopped after maxEntries.
Entries Split(const Text& list, bool* stopped, size_t maxEntries = SIZE_MAX,
              size_t length = SIZE_MAX)
{
    Entries entries;
    auto take = [&](const Unit* e, size_t n) {
        entries.emplace_back(e, n);
        return entries.size() < maxEntries;
    };
    *stopped = SplitNumberList(list.data(), length < list.size() ? length : list.size(), take);
    return entries;
}

TEST(SplitNumberList, CutsAtEachSemicolonUntilStoppedOrAtTheGivenLength)
{
    bool stopped = true;
    // Verbatim; the last entry needs no ';'; empty entries come only from a leading ';' or
    // two in a row, never from the final one.
    EXPECT_EQ(Split(UNITS(" 1+a ;456"), &stopped), (Entries{UNITS(" 1+a "), UNITS("456")}));
    EXPECT_TRUE(Split(UNITS(""), &stopped).empty());
    EXPECT_EQ(Split(UNITS(";"), &stopped), (Entries{UNITS("")}));
    EXPECT_EQ(Split(UNITS(";12;;34;"), &stopped),
              (Entries{UNITS(""), UNITS("12"), UNITS(""), UNITS("34")}));
    EXPECT_FALSE(stopped);

    EXPECT_EQ(Split(UNITS("1;2;3;"), &stopped, 2), (Entries{UNITS("1"), UNITS("2")}));
    EXPECT_TRUE(stopped);
    EXPECT_EQ(Split(UNITS("1;2;3;"), &stopped, SIZE_MAX, 3), (Entries{UNITS("1"), UNITS("2")}));
    EXPECT_FALSE(stopped);
}

}  // namespace
