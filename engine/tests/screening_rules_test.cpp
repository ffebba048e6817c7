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
}

TEST(DecideReject, ListedNumbersMatchWholeAndExactly)
{
    for (ScreeningMode mode : {MODE_BLOCK_BLACKLIST, 0, 4, 7, -1}) {
        EXPECT_TRUE(Reject(mode, UNITS("357"), UNITS("246;357;"))) << mode;
        EXPECT_FALSE(Reject(mode, UNITS("35"), UNITS("246;357;"))) << mode;
    }
    const Text list = UNITS("246;357;");
    EXPECT_FALSE(Reject(MODE_BLOCK_BLACKLIST, UNITS("3570"), list));
    EXPECT_FALSE(Reject(MODE_BLOCK_BLACKLIST, UNITS("+357"), list));
    EXPECT_FALSE(Reject(MODE_BLOCK_BLACKLIST, UNITS("357"), UNITS("")));
    EXPECT_TRUE(Reject(MODE_BLOCK_BLACKLIST, UNITS("357"), UNITS("246;357")));
    EXPECT_FALSE(Reject(MODE_BLOCK_BLACKLIST, UNITS("ab1"), UNITS("Ab1;")));
}

TEST(DecideReject, OnlyTheCallerIsTrimmed)
{
    EXPECT_TRUE(Reject(MODE_BLOCK_BLACKLIST, UNITS(" 357\t"), UNITS("246;357;")));
    EXPECT_TRUE(Reject(MODE_BLOCK_BLACKLIST, Text(1, Unit(0x3000)) + UNITS("357\r\n"), UNITS("357;")));
    EXPECT_FALSE(Reject(MODE_BLOCK_BLACKLIST, UNITS("3 57"), UNITS("357;")));
    EXPECT_FALSE(Reject(MODE_BLOCK_BLACKLIST, UNITS(" 357"), UNITS(" 357;")));

    // The caller's own space class is used.
    auto blankOnly = [](Unit c) { return c == Unit(' '); };
    const Text caller = UNITS("\t357 ");
    const Text list = UNITS("357;");
    EXPECT_FALSE(DecideReject(MODE_BLOCK_BLACKLIST, caller.data(), caller.size(), list.data(),
                              list.size(), blankOnly));
}

TEST(DecideReject, EmptyEntryMatchesOnlyAnEmptyCaller)
{
    EXPECT_TRUE(Reject(MODE_BLOCK_BLACKLIST, UNITS(""), UNITS("246;;")));
    EXPECT_TRUE(Reject(MODE_BLOCK_BLACKLIST, UNITS(" \t "), UNITS(";246;")));
    EXPECT_FALSE(Reject(MODE_BLOCK_BLACKLIST, UNITS(""), UNITS("246;")));
    EXPECT_FALSE(Reject(MODE_BLOCK_BLACKLIST, UNITS("357"), UNITS("246;;")));
    EXPECT_FALSE(DecideReject<Unit>(MODE_BLOCK_BLACKLIST, nullptr, 0, nullptr, 0));
}

}  // namespace
