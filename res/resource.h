// Identifiers of the program's resources, shared by the resource script and the code.
#ifndef OSTREL_RESOURCE_H
#define OSTREL_RESOURCE_H

// Dialog templates
#define IDD_OSTREL_DIALOG           102     // main dialog, portrait
#define IDD_OSTREL_DIALOG_WIDE      103     // main dialog, landscape (re-layout only)
#define IDD_CALLSETTING             104     // list editor
#define IDD_HELP                    131

// Menus for the shell's menu bar
#define IDR_MAIN_MENU               129
#define IDR_SETTING_MENU            133

// Strings
#define IDS_SOCKETS_INIT_FAILED     103

// Icon group
#define IDR_MAINFRAME               128

// Controls of the main dialog
#define IDC_SET_BLACKLIST           1000
#define IDC_SET_WHITELIST           1001
#define IDC_ACCEPT_ALL              1006
#define IDC_BLOCK_BLACKLIST         1007
#define IDC_REJECT_ALL              1008
#define IDC_ACCEPT_WHITELIST        1009

// Controls of the list editor
#define IDC_ADD                     1000
#define IDC_NUMBER_LIST             1001
#define IDC_NUMBER_EDIT             1004

// Control of the help dialog
#define IDC_HELP_TEXT               1005

// Menu commands
#define ID_OPERATE_HELP             32772
#define ID_OPERATE_RUNBACKGROUND    32773
#define ID_OPERATE_DEACTIVE         32775
#define ID_SETTING_SAVE             32776
#define ID_SETTING_DELETE           32777

// The device's extended style for an OK button in the title bar; desktop headers lack it.
#ifndef WS_EX_CAPTIONOKBTN
#define WS_EX_CAPTIONOKBTN          0x80000000L
#endif

#endif
