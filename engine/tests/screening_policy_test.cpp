// The policy's process-wide state and its space class, which is the platform's own.
#include "engine/screening_policy.h"

#include <gtest/gtest.h>

#include <cwctype>

#include "settings/settings_store.h"

namespace {

TEST(ScreeningPolicy, StartsInBlockModeAndDecidesOnTheListInForceAtEachCall)
{
    EXPECT_EQ(MODE_BLOCK_BLACKLIST, g_nScreeningMode);
    EXPECT_FALSE(ShouldRejectCall(CString(L"357")));
    g_strNumberList = L"246;357;";
    EXPECT_TRUE(ShouldRejectCall(CString(L"357")));
    g_strNumberList = L"246;";
    EXPECT_FALSE(ShouldRejectCall(CString(L"357")));
    g_nScreeningMode = MODE_REJECT_ALL;
    EXPECT_TRUE(ShouldRejectCall(CString(L"357")));
    g_nScreeningMode = MODE_BLOCK_BLACKLIST;
}

// Every unit the platform classifies as space, and no other, is trimmed from the caller; the
// class the byte-level builds use without the platform is the same.
TEST(ScreeningPolicy, TrimsExactlyThePlatformsSpaceClass)
{
    g_strNumberList = L"357;";
    for (unsigned u = 1; u <= 0xFFFF; ++u) {
        const wchar_t unit = wchar_t(u);
        const bool space = iswspace(unit) != 0;
        ASSERT_EQ(space, IsSpaceUnit()(unit)) << std::hex << u;
        const wchar_t around[] = {unit, L'3', L'5', L'7', unit, 0};
        ASSERT_EQ(space, ShouldRejectCall(CString(around))) << std::hex << u;
    }
    g_strNumberList.Empty();
}

}  // namespace
