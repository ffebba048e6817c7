// faults.dll: between a copy of the program and USER32/ADVAPI32 (the test renames the copy's
// imports to this file; faults.def forwards every other import to the real one), for calls Wine
// cannot be made to refuse from outside: BeginDeferWindowPos, GetDC(NULL), RegSetValueExW on a
// writable key, DialogBoxParamW on a sound template; RegFlushKey only for its record.
// FAULTS_FAIL=<function>: that one fails. Each call is appended to the file FAULTS_LOG names as
// "<function> failed" or "<function> passed".
#include <windows.h>

#include <stdio.h>

namespace {

bool Fails(const char* function)
{
    char value[32];
    const DWORD length = GetEnvironmentVariableA("FAULTS_FAIL", value, 32);
    const bool fails = length > 0 && length < 32 && lstrcmpA(value, function) == 0;

    wchar_t path[MAX_PATH];
    const DWORD pathLength = GetEnvironmentVariableW(L"FAULTS_LOG", path, MAX_PATH);
    if (pathLength > 0 && pathLength < MAX_PATH) {
        if (FILE* file = _wfopen(path, L"ab")) {
            fprintf(file, "%s %s\n", function, fails ? "failed" : "passed");
            fclose(file);
        }
    }
    return fails;
}

}  // namespace

extern "C" HDWP WINAPI FaultBeginDeferWindowPos(int count)
{
    if (Fails("BeginDeferWindowPos")) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return BeginDeferWindowPos(count);
}

// Only the screen's device context is refused; the program asks for no other.
extern "C" HDC WINAPI FaultGetDC(HWND window)
{
    if (!window && Fails("GetDC"))
        return nullptr;
    return GetDC(window);
}

extern "C" LSTATUS WINAPI FaultRegSetValueExW(HKEY key, LPCWSTR name, DWORD reserved, DWORD type,
                                              const BYTE* data, DWORD size)
{
    if (Fails("RegSetValueExW"))
        return ERROR_ACCESS_DENIED;
    return RegSetValueExW(key, name, reserved, type, data, size);
}

extern "C" LSTATUS WINAPI FaultRegFlushKey(HKEY key)
{
    if (Fails("RegFlushKey"))
        return ERROR_ACCESS_DENIED;
    return RegFlushKey(key);
}

extern "C" INT_PTR WINAPI FaultDialogBoxParamW(HINSTANCE instance, LPCWSTR name, HWND owner,
                                               DLGPROC procedure, LPARAM parameter)
{
    if (Fails("DialogBoxParamW")) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return -1;
    }
    return DialogBoxParamW(instance, name, owner, procedure, parameter);
}
