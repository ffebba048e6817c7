// Where the program keeps its list, as the README promises it, and the value as it is stored.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

const wchar_t kKeyPath[] = L"Software\\Kelvoro\\Tolvane";  // under HKEY_LOCAL_MACHINE

// The stored value's type and bytes; type 0 and no bytes when there is none.
inline std::pair<DWORD, std::vector<BYTE>> StoredValue()
{
    DWORD type = 0, size = 65536;
    std::vector<BYTE> bytes(size);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kKeyPath, L"Blacklist", RRF_RT_ANY | RRF_NOEXPAND, &type,
                     bytes.data(), &size) != ERROR_SUCCESS)
        return {0, {}};
    bytes.resize(size);
    return {type, bytes};
}
