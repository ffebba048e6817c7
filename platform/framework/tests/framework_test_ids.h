// Identifiers of the framework test's resources.
#pragma once

#define IDS_PROMPT 200
#define IDD_BOUND 100
#define IDC_BOUND 1001
