// Reading a failure switch from the process environment.
#include "failure_switch.h"

#include <windows.h>

bool IsFailureSwitchOn(const wchar_t* name)
{
    wchar_t value[4] = L"";
    const DWORD length = GetEnvironmentVariableW(name, value, 4);
    return length == 1 && value[0] == L'1';
}
