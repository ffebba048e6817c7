// The device's rule of one running copy per executable: a second start of the same file
// brings the first copy's window forward and ends.
#include "afximpl.h"

#include "unique_handle.h"

namespace {

const int kLooks = 40;
const DWORD kPauseBetweenLooksMs = 250;

// The full path of the executable that process nProcessId runs; empty when unknown.
CString ProcessImagePath(DWORD nProcessId)
{
    const UniqueKernelHandle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, nProcessId));
    CString strPath;
    if (!process.IsValid())
        return strPath;
    DWORD nSize = 32768;
    LPWSTR pBuffer = strPath.GetBuffer(static_cast<int>(nSize));
    if (!QueryFullProcessImageNameW(process.Get(), 0, pBuffer, &nSize))
        nSize = 0;
    strPath.ReleaseBuffer(static_cast<int>(nSize));
    return strPath;
}

struct WindowSearch {
    LPCWSTR pszPath;      // the executable whose window is wanted
    DWORD nOwnProcessId;  // never this process's own windows
    HWND hWndFound;
};

BOOL CALLBACK ConsiderWindow(HWND hWnd, LPARAM lParam)
{
    WindowSearch* pSearch = reinterpret_cast<WindowSearch*>(lParam);
    if (!IsWindowVisible(hWnd) || GetWindow(hWnd, GW_OWNER))
        return TRUE;
    DWORD nProcessId = 0;
    GetWindowThreadProcessId(hWnd, &nProcessId);
    if (nProcessId == 0 || nProcessId == pSearch->nOwnProcessId)
        return TRUE;
    if (lstrcmpiW(ProcessImagePath(nProcessId), pSearch->pszPath) != 0)
        return TRUE;
    pSearch->hWndFound = hWnd;
    return FALSE;
}

// The named mutex, held for the life of the process so that later starts see this one.
UniqueKernelHandle g_instanceMutex;

}  // namespace

BOOL AfxActivateRunningCopy()
{
    const CString strPath = AfxGetModuleFileName();
    // A kernel object's name may not contain '\'.
    CString strMutexName;
    for (LPCWSTR p = strPath; *p; ++p)
        strMutexName += *p == L'\\' ? L'/' : *p;

    g_instanceMutex = UniqueKernelHandle(CreateMutexW(NULL, FALSE, strMutexName));
    if (!g_instanceMutex.IsValid() || GetLastError() != ERROR_ALREADY_EXISTS)
        return FALSE;

    // The first copy may still be on its way to showing its window.
    WindowSearch search = {strPath, GetCurrentProcessId(), NULL};
    for (int nLook = 0; nLook < kLooks; ++nLook) {
        if (nLook > 0) {
            const HANDLE hThread = GetCurrentThread();
            const int nPriority = GetThreadPriority(hThread);
            SetThreadPriority(hThread, THREAD_PRIORITY_IDLE);
            Sleep(kPauseBetweenLooksMs);
            SetThreadPriority(hThread, nPriority);
        }
        EnumWindows(&ConsiderWindow, reinterpret_cast<LPARAM>(&search));
        if (search.hWndFound) {
            // The lowest bit: with the window's most recent owned window.
            SetForegroundWindow(
                reinterpret_cast<HWND>(reinterpret_cast<ULONG_PTR>(search.hWndFound) | 0x01));
            return TRUE;
        }
    }
    return FALSE;
}
