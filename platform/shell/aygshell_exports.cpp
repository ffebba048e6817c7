// The shell library's exported functions: argument checks, then the frame, title strip and menu bar.
#include <aygshell.h>

#include "aygshell_standin.h"
#include "failure_switch.h"
#include "shell_module.h"
#include "shell_frame.h"
#include "title_strip.h"
#include "unique_handle.h"

#include <utility>

// Marked for export: the DLL then exports these four and nothing of its insides.
#define SHELL_EXPORT __declspec(dllexport)

extern "C" {

SHELL_EXPORT BOOL WINAPI SHInitExtraControls(void)
{
    return TRUE;
}

SHELL_EXPORT BOOL WINAPI SHInitDialog(PSHINITDLGINFO pshidi)
{
    if (!pshidi || !IsWindowOfThisThread(pshidi->hDlg)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD flags = (pshidi->dwMask & SHIDIM_FLAGS) ? pshidi->dwFlags : 0;
    return DressDialog(pshidi->hDlg, flags) ? TRUE : FALSE;
}

SHELL_EXPORT BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO* pmbi)
{
    if (!pmbi || pmbi->cbSize != sizeof(SHMENUBARINFO) || !IsWindowOfThisThread(pmbi->hwndParent)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (IsFailureSwitchOn(AYGSHELL_STANDIN_FAIL_CREATEMENUBAR)) {
        SetLastError(ERROR_GEN_FAILURE);
        return FALSE;
    }
    UniqueMenu menu;
    if (pmbi->dwFlags & SHCMBF_EMPTYBAR) {
        // a bar without buttons
    } else if (pmbi->dwFlags & SHCMBF_HMENU) {
        menu = UniqueMenu(LoadMenuW(pmbi->hInstRes, MAKEINTRESOURCEW(pmbi->nToolBarId)));
        if (!menu.IsValid())
            return FALSE;
    } else {
        SetLastError(
            ERROR_NOT_SUPPORTED);  // the device's toolbar resources: nothing here uses them
        return FALSE;
    }
    // The bar belongs to the top-level window; commands go to the window asked for.
    HWND bar =
        ReplaceMenuBar(GetAncestor(pmbi->hwndParent, GA_ROOT), pmbi->hwndParent, std::move(menu));
    if (!bar)
        return FALSE;
    pmbi->hwndMB = bar;
    return TRUE;
}

SHELL_EXPORT BOOL WINAPI SHDoneButton(HWND hwndRequester, DWORD dwState)
{
    HWND strip =
        IsWindow(hwndRequester) ? FindTitleStrip(GetAncestor(hwndRequester, GA_ROOT)) : nullptr;
    if (!strip || (dwState != SHDB_SHOW && dwState != SHDB_HIDE)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ShowDoneButton(strip, dwState == SHDB_SHOW);
    return TRUE;
}

}  // extern "C"
