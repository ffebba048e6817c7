// Identifiers of the driver's target program, shared by its resource script, its code and the test.
#ifndef DRIVER_TARGET_IDS_H
#define DRIVER_TARGET_IDS_H

// Dialog template and the menu its "Menu" button opens
#define IDD_DRIVER_TARGET 100
#define IDR_TARGET_MENU 101

// Controls
#define IDC_GREETING 1000  // the environment variable's value, or "(none)"
#define IDC_COUNT 1001     // push button counting its clicks and double clicks
#define IDC_COUNTS 1002    // "clicks=N double=M"
#define IDC_FIRST 1003     // two automatic radio buttons, one group
#define IDC_SECOND 1004
#define IDC_MENU 1005  // opens IDR_TARGET_MENU beneath itself
#define IDC_TEXT 1006  // an edit field to type into

// Menu commands
#define ID_RENAME 2000  // the title becomes DRIVER_TARGET_RENAMED
#define ID_QUIT 2001    // the program ends with DRIVER_TARGET_QUIT_CODE

#define DRIVER_TARGET_TITLE L"Driver target"
#define DRIVER_TARGET_RENAMED L"Driver target renamed"
#define DRIVER_TARGET_GREETING_VAR L"DRIVER_TARGET_GREETING"
#define DRIVER_TARGET_QUIT_CODE 7
// The dialog's background, so that a screenshot can be checked pixel by pixel.
#define DRIVER_TARGET_BACKGROUND RGB(0x30, 0x90, 0x60)

#endif
