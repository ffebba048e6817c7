// The trivial dialog of bench_peer, taking one by one the start-up steps the program takes
// before its dialog shows, so that ./bench can tell where the program's extra start-up goes.
// It imports the same libraries as the program (the stand-ins, the sockets layer); the
// environment variable BENCH_PEER_STEPS says how many steps its WM_INITDIALOG takes:
//   0  none: only the libraries are loaded
//   1  the sockets layer started (WSAStartup 1.1)
//   2  and the telephony session opened: lineInitializeExW, then each line negotiated and opened
//   3  and the shell's dialog frame (SHInitDialog with the framework's flags, SHCreateMenuBar)
#include <winsock2.h>
#include <windows.h>
#include <aygshell.h>
#include <tapi.h>

#include <cwchar>

namespace {

int g_steps = 0;
HLINEAPP g_lineApp = 0;

void CALLBACK LineCallback(DWORD, DWORD, DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR)
{
}

void OpenLines()
{
    LINEINITIALIZEEXPARAMS params = {};
    params.dwTotalSize = sizeof(params);
    params.dwOptions = LINEINITIALIZEEXOPTION_USEHIDDENWINDOW;
    DWORD version = 0x00020000, devices = 0;
    if (lineInitializeExW(&g_lineApp, GetModuleHandleW(nullptr), LineCallback, L"ExTapi_Lib",
                          &devices, &version, &params) < 0)
        return;
    for (DWORD device = 0; device < devices; ++device) {
        DWORD agreed = 0;
        LINEEXTENSIONID extension = {};
        HLINE line = 0;
        if (lineNegotiateAPIVersion(g_lineApp, device, 0x00010000, 0x00020000, &agreed,
                                    &extension) == 0)
            lineOpenW(g_lineApp, device, &line, agreed, 0, 0,
                      LINECALLPRIVILEGE_OWNER | LINECALLPRIVILEGE_MONITOR,
                      LINEMEDIAMODE_INTERACTIVEVOICE, nullptr);
    }
}

void DressDialog(HWND dialog)
{
    SHINITDLGINFO init = {};
    init.dwMask = SHIDIM_FLAGS;
    init.hDlg = dialog;
    init.dwFlags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN | SHIDIF_EMPTYMENU;
    SHInitDialog(&init);
    SHMENUBARINFO bar = {};
    bar.cbSize = sizeof(bar);
    bar.hwndParent = dialog;
    bar.dwFlags = SHCMBF_EMPTYBAR;
    SHCreateMenuBar(&bar);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) {
        WSADATA data;
        if (g_steps >= 1)
            WSAStartup(MAKEWORD(1, 1), &data);
        if (g_steps >= 2)
            OpenLines();
        if (g_steps >= 3)
            DressDialog(dialog);
        return TRUE;
    }
    if (message == WM_CLOSE) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    wchar_t steps[8] = {};
    GetEnvironmentVariableW(L"BENCH_PEER_STEPS", steps, 8);
    g_steps = _wtoi(steps);
    const INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(1), nullptr, DialogProc, 0);
    if (g_lineApp)
        lineShutdown(g_lineApp);
    return static_cast<int>(result);
}
