// Tests the reject-or-accept decision for one caller number.
#include "engine/screening_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

#ifdef _WIN32
using Unit = wchar_t;
#define UNITS(s) L##s
#else
using Unit = char16_t;
#define UNITS(s) u##s
#endif
using Text = std::basic_string<Unit>;

bool Reject(ScreeningMode mode, const Text& caller, const Text& list)
{
    return DecideReject(mode, caller.data(), caller.size(), list.data(), list.size());
}

TEST(DecideReject, AcceptAllAndRejectAllIgnoreTheNumber)
{
    EXPECT_FALSE(Reject(MODE_ACCEPT_ALL, UNITS("357"), UNITS("357;")));
    EXPECT_TRUE(Reject(MODE_REJECT_ALL, UNITS("357"), UNITS("")));
    EXPECT_TRUE(Reject(MODE_REJECT_ALL, UNITS(""), UNITS("")));
}

TEST(DecideReject, BlockListedMatchesWholeNumbersOnly)
{
    const Text list = UNITS("246;357;");
    EXPECT_TRUE(Reject(MODE_BLOCK_BLACKLIST, UNITS("357"), list));
    EXPECT_TRUE(Reject(MODE_BLOCK_BLACKLIST, UNITS("246"), list));
    EXPECT_FALSE(Reject(MODE_BLOCK_BLACKLIST, UNITS("35"), list));
    EXPECT_FALSE(Reject(MODE_BLOCK_BLACKLIST, UNITS("3570"), list));
    EXPECT_FALSE(Reject(MODE_BLOCK_BLACKLIST, UNITS("+357"), list));
    EXPECT_FALSE(Reject(MODE_BLOCK_BLACKLIST, UNITS("357"), UNITS("")));
    // The last piece counts without its ';'.
    EXPECT_TRUE(Reject(MODE_BLOCK_BLACKLIST, UNITS("357"), UNITS("246;357")));
    // Letters compare case-sensitively.
    EXPECT_TRUE(Reject(MODE_BLOCK_BLACKLIST, UNITS("Ab1"), UNITS("Ab1;")));
    EXPECT_FALSE(Reject(MODE_BLOCK_BLACKLIST, UNITS("ab1"), UNITS("Ab1;")));
}

TEST(DecideReject, UnknownModesBehaveLikeBlockListed)
{
    for (ScreeningMode mode : {0, 4, 7, -1, INT32_MIN, INT32_MAX}) {
        EXPECT_TRUE(Reject(mode, UNITS("357"), UNITS("246;357;"))) << mode;
        EXPECT_FALSE(Reject(mode, UNITS("35"), UNITS("246;357;"))) << mode;
    }
}

TEST(DecideReject, OnlyTheCallerIsTrimmed)
{
    EXPECT_TRUE(Reject(MODE_BLOCK_BLACKLIST, UNITS(" 357\t"), UNITS("246;357;")));
    EXPECT_TRUE(Reject(MODE_BLOCK_BLACKLIST, UNITS("\r\n\v\f357 "), UNITS("357;")));
    // Inner blanks stay.
    EXPECT_FALSE(Reject(MODE_BLOCK_BLACKLIST, UNITS("3 57"), UNITS("357;")));
    // An entry stored with a blank never equals a trimmed caller.
    EXPECT_FALSE(Reject(MODE_BLOCK_BLACKLIST, UNITS("357"), UNITS(" 357;")));
    EXPECT_FALSE(Reject(MODE_BLOCK_BLACKLIST, UNITS(" 357"), UNITS(" 357;")));
}

TEST(DecideReject, EmptyEntryMatchesOnlyAnEmptyCaller)
{
    EXPECT_TRUE(Reject(MODE_BLOCK_BLACKLIST, UNITS(""), UNITS("246;;")));
    EXPECT_TRUE(Reject(MODE_BLOCK_BLACKLIST, UNITS(" \t "), UNITS("246;;")));
    EXPECT_TRUE(Reject(MODE_BLOCK_BLACKLIST, UNITS(""), UNITS(";246;")));
    EXPECT_FALSE(Reject(MODE_BLOCK_BLACKLIST, UNITS(""), UNITS("246;")));
    EXPECT_FALSE(Reject(MODE_BLOCK_BLACKLIST, UNITS("357"), UNITS("246;;")));
    // No list and no number: nothing to match.
    EXPECT_FALSE(DecideReject<Unit>(MODE_BLOCK_BLACKLIST, nullptr, 0, nullptr, 0));
}

TEST(DecideReject, UsesTheGivenSpaceClass)
{
    // U+3000 (ideographic space) is white space by default.
    const Text caller = Text(1, Unit(0x3000)) + UNITS("357");
    EXPECT_TRUE(Reject(MODE_BLOCK_BLACKLIST, caller, UNITS("357;")));
    // A caller-supplied class that knows only the blank.
    auto blankOnly = [](Unit c) { return c == Unit(' '); };
    const Text tabbed = UNITS("\t357 ");
    const Text list = UNITS("357;");
    EXPECT_FALSE(DecideReject(MODE_BLOCK_BLACKLIST, tabbed.data(), tabbed.size(), list.data(),
                              list.size(), blankOnly));
}

}  // namespace
