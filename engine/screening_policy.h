// The screening policy: the mode in force and the verdict for one caller number.
#pragma once

#include <afx.h>

#include "engine/screening_rules.h"

// The mode in force; 2 ("Block Quellar Only") at every start, never stored.
extern ScreeningMode g_nScreeningMode;

// True when the call from this caller number is to be dropped, under the current mode and
// the blacklist in g_strNumberList. Allocates nothing: the list is a shared copy.
[[nodiscard]] bool ShouldRejectCall(const CString& strCallerNumber);
