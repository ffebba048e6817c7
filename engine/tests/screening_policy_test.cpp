// The policy's space class, the platform's own. That each call takes the mode and the list in
// force then, program_test's modes and editor_test's save prove.
#include "engine/screening_policy.h"

#include <gtest/gtest.h>

#include "settings/settings_store.h"

namespace {

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
