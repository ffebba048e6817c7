// Identifiers of the framework test's dialog and strings.
#pragma once

#define IDD_FWTEST 100
#define IDD_NO_SUCH 199  // no template has it
#define IDS_PROMPT 200

#define IDC_PUSH 1001
#define IDC_OTHER 1002
#define IDC_EDIT 1003
#define IDC_LIST 1004
#define IDC_NO_SUCH 1099  // no control has it
#define ID_TEST_COMMAND 32771
