// The screening policy: reads the mode once and the list through a shared copy.
#include "engine/screening_policy.h"

#include <cwctype>

#include "settings/settings_store.h"

ScreeningMode g_nScreeningMode = MODE_BLOCK_BLACKLIST;

bool ShouldRejectCall(const CString& strCallerNumber)
{
    const ScreeningMode nMode = g_nScreeningMode;
    // A copy by reference count: a list replaced meanwhile does not change this decision.
    const CString strNumberList = g_strNumberList;
    return DecideReject(nMode, static_cast<LPCWSTR>(strCallerNumber), strCallerNumber.GetLength(),
                        static_cast<LPCWSTR>(strNumberList), strNumberList.GetLength(),
                        [](wchar_t ch) { return iswspace(ch) != 0; });
}
