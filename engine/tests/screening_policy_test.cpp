// The policy's process-wide state: the mode, the shared list and the platform's space class.
#include "engine/screening_policy.h"

#include <gtest/gtest.h>

#include "settings/settings_store.h"

namespace {

class ScreeningPolicyTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        g_nScreeningMode = MODE_BLOCK_BLACKLIST;
        g_strNumberList.Empty();
    }
};

TEST_F(ScreeningPolicyTest, StartsInBlockModeWithAnEmptyList)
{
    EXPECT_EQ(MODE_BLOCK_BLACKLIST, g_nScreeningMode);
    EXPECT_TRUE(g_strNumberList.IsEmpty());
    EXPECT_FALSE(ShouldRejectCall(CString(L"357")));
}

TEST_F(ScreeningPolicyTest, DecidesOnTheListInForceAtEachCall)
{
    g_strNumberList = L"246;357;";
    EXPECT_TRUE(ShouldRejectCall(CString(L"\t357\r\n\v\f ")));
    g_strNumberList = L"246;";
    EXPECT_FALSE(ShouldRejectCall(CString(L"357")));
    g_nScreeningMode = MODE_REJECT_ALL;
    EXPECT_TRUE(ShouldRejectCall(CString(L"357")));
    g_nScreeningMode = MODE_ACCEPT_ALL;
    EXPECT_FALSE(ShouldRejectCall(CString(L"246")));
}

TEST_F(ScreeningPolicyTest, ADecisionLeavesTheSharedListAsItWas)
{
    g_strNumberList = L"246;357;";
    const CString strBefore = g_strNumberList;
    EXPECT_TRUE(ShouldRejectCall(CString(L"357")));
    EXPECT_EQ(static_cast<LPCWSTR>(strBefore), static_cast<LPCWSTR>(g_strNumberList))
        << "the list still shares its body: nothing was written to it";
}

}  // namespace
