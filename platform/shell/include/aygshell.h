// The Pocket PC shell library: extra controls, full-screen dialogs, the menu bar and the
// title-bar OK button. Records keep the device's layout (SHMENUBARINFO is 36 bytes there).
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// SHInitDialog
#define SHIDIM_FLAGS 0x0001

#define SHIDIF_DONEBUTTON 0x0001  // an OK button in the title bar
#define SHIDIF_SIZEDLG 0x0002
#define SHIDIF_SIZEDLGFULLSCREEN 0x0004  // fill the screen, and follow its size
#define SHIDIF_SIPDOWN 0x0008            // input panel lowered
#define SHIDIF_FULLSCREENNOMENUBAR 0x0010
#define SHIDIF_EMPTYMENU 0x0020  // an empty menu bar

typedef struct tagSHINITDLGINFO {
    DWORD dwMask;
    HWND hDlg;
    DWORD dwFlags;
} SHINITDLGINFO, *PSHINITDLGINFO;

BOOL WINAPI SHInitDialog(PSHINITDLGINFO pshidi);

// SHCreateMenuBar
#define SHCMBF_EMPTYBAR 0x0001
#define SHCMBF_HIDDEN 0x0002
#define SHCMBF_HIDESIPBUTTON 0x0004
#define SHCMBF_COLORBK 0x0008
#define SHCMBF_HMENU 0x0010  // nToolBarId names a menu resource

typedef struct tagSHMENUBARINFO {
    DWORD cbSize;
    HWND hwndParent;
    DWORD dwFlags;
    UINT nToolBarId;
    HINSTANCE hInstRes;
    int nBmpId;
    int cBmpImages;
    HWND hwndMB;  // out: the menu bar window
    COLORREF clrBk;
} SHMENUBARINFO, *PSHMENUBARINFO;

#if defined(__cplusplus) && !defined(_WIN64)
static_assert(sizeof(SHMENUBARINFO) == 36, "the device's SHMENUBARINFO is 36 bytes");
#endif

BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO* pmbi);

// Sent to the menu bar window: answers the menu it was built from (owned by the bar).
#define SHCMBM_GETMENU (WM_USER + 402)

// SHDoneButton
#define SHDB_SHOW 0x0001
#define SHDB_HIDE 0x0002

BOOL WINAPI SHDoneButton(HWND hwndRequester, DWORD dwState);

BOOL WINAPI SHInitExtraControls(void);

#ifdef __cplusplus
}
#endif
