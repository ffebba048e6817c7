// The policy's process-wide state, and its space class, which is the platform's own.
#include "engine/screening_policy.h"

#include <gtest/gtest.h>

#include "settings/settings_store.h"

namespace {

TEST(ScreeningPolicy, DecidesWithTheModeAndTheListInForceAtEachCall)
{
    g_nScreeningMode = MODE_BLOCK_BLACKLIST;
    g_strNumberList = L"246;357;";
    EXPECT_TRUE(ShouldRejectCall(CString(L"357")));
    g_strNumberList = L"246;";
    EXPECT_FALSE(ShouldRejectCall(CString(L"357")));
    g_nScreeningMode = MODE_REJECT_ALL;
    EXPECT_TRUE(ShouldRejectCall(CString(L"357")));
    g_nScreeningMode = MODE_BLOCK_BLACKLIST;
}

// Trimmed from the caller are exactly the units of the space class written out for the builds
// without the platform (blank, tab to carriage return, the Unicode spaces and separators).
TEST(ScreeningPolicy, TrimsExactlyThePlatformsSpaceClass)
{
    g_strNumberList = L"357;";
    for (unsigned u = 1; u <= 0xFFFF; ++u) {
        const wchar_t around[] = {wchar_t(u), L'3', L'5', L'7', wchar_t(u), 0};
        ASSERT_EQ(IsSpaceUnit()(u), ShouldRejectCall(CString(around))) << std::hex << u;
    }
    g_strNumberList.Empty();
}

}  // namespace
