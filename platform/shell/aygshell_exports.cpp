// The shell library's exported functions.
#include <aygshell.h>

extern "C" {

BOOL WINAPI SHInitExtraControls(void)
{
    return TRUE;
}

BOOL WINAPI SHInitDialog(PSHINITDLGINFO pshidi)
{
    return pshidi != NULL;
}

BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO* pmbi)
{
    return pmbi != NULL;
}

BOOL WINAPI SHDoneButton(HWND hwndRequester, DWORD dwState)
{
    (void)hwndRequester;
    (void)dwState;
    return TRUE;
}

}  // extern "C"
