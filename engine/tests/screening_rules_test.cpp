// Tests the reject-or-accept decision for one caller number.
#include "engine/screening_rules.h"
#include "tests/unit_text.h"

#include <gtest/gtest.h>

namespace {

bool Reject(ScreeningMode mode, const Text& caller, const Text& list)
{
    return DecideReject(mode, caller.data(), caller.size(), list.data(), list.size());
}

TEST(DecideReject, AcceptAllAndRejectAllIgnoreTheListAndEveryOtherModeUsesIt)
{
    EXPECT_FALSE(Reject(MODE_ACCEPT_ALL, UNITS("357"), UNITS("357;")));
    EXPECT_TRUE(Reject(MODE_REJECT_ALL, UNITS("357"), UNITS("")));
    for (ScreeningMode mode : {MODE_BLOCK_BLACKLIST, 0, 4, 7, -1}) {
        EXPECT_TRUE(Reject(mode, UNITS("357"), UNITS("246;357;"))) << mode;
        EXPECT_FALSE(Reject(mode, UNITS("35"), UNITS("246;357;"))) << mode;
    }
}

// Entries match whole, exactly and case for case; only the caller is trimmed.
TEST(DecideReject, ListedNumbersMatchWholeAndExactly)
{
    const struct {
        Text caller, list;
        bool reject;
    } cases[] = {
        {UNITS("3570"), UNITS("246;357;"), false},
        {UNITS("357"), UNITS(""), false},
        {UNITS("357"), UNITS("246;357"), true},
        {UNITS("ab1"), UNITS("Ab1;"), false},
        {UNITS(" 357\t"), UNITS("246;357;"), true},
        {Text(1, Unit(0x3000)) + UNITS("357\r\n"), UNITS("357;"), true},
        {UNITS("3 57"), UNITS("357;"), false},
        {UNITS(" 357"), UNITS(" 357;"), false},
        // An empty entry matches only an empty caller.
        {UNITS(""), UNITS("246;;"), true},
        {UNITS(" \t "), UNITS(";246;"), true},
        {UNITS(""), UNITS("246;"), false},
        {UNITS("357"), UNITS("246;;"), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Reject(MODE_BLOCK_BLACKLIST, c.caller, c.list), c.reject) << &c - cases;
    EXPECT_FALSE(DecideReject<Unit>(MODE_BLOCK_BLACKLIST, nullptr, 0, nullptr, 0));
}

}  // namespace
