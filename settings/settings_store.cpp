// The settings store: reads and writes HKLM\Software\Kelvoro\Tolvane, value "Blacklist".
#include "settings/settings_store.h"

#include <windows.h>

#include <cwchar>

#include "settings/registry_text.h"
#include "unique_handle.h"

CString g_strNumberList;

namespace {

const wchar_t kKeyPath[] = L"Software\\Kelvoro\\Tolvane";
const wchar_t kValueName[] = L"Blacklist";

// The device ignores the access mask (it is passed as 0 there); desktop Windows honours it.
const REGSAM kKeyAccess = KEY_QUERY_VALUE | KEY_SET_VALUE;

// The settings key, opened (and created when absent) for one store operation; invalid when
// it cannot be opened.
UniqueRegistryKey OpenSettingsKey()
{
    HKEY hKey = nullptr;
    DWORD dwDisposition = 0;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKeyPath, 0, nullptr, 0, kKeyAccess, nullptr, &hKey,
                        &dwDisposition) != ERROR_SUCCESS)
        return UniqueRegistryKey();
    return UniqueRegistryKey(hKey);
}

}  // namespace

BOOL ReadNumberList(CString& strNumberList)
{
    return ReadStoredNumberList(strNumberList) == LIST_READ;
}

NumberListRead ReadStoredNumberList(CString& strNumberList)
{
    const UniqueRegistryKey key = OpenSettingsKey();
    if (!key.IsValid())
        return LIST_UNAVAILABLE;

    BYTE data[kNumberListReadCapacityBytes];
    DWORD dwType = 0;
    DWORD dwSize = sizeof(data);
    const LONG lResult = RegQueryValueExW(key.Get(), kValueName, nullptr, &dwType, data, &dwSize);
    if (lResult == ERROR_FILE_NOT_FOUND || lResult == ERROR_MORE_DATA)
        return LIST_NONE;
    if (lResult != ERROR_SUCCESS)
        return LIST_UNAVAILABLE;

    // The text ends at its first NUL or at the end of what the registry returned, whatever
    // the value's type: nothing past the returned bytes is read.
    wchar_t text[kNumberListReadCapacityBytes / sizeof(wchar_t)];
    const size_t nLength =
        DecodeRegistryText(data, dwSize < sizeof(data) ? dwSize : sizeof(data), text);
    strNumberList = CString(text, static_cast<int>(nLength));
    return LIST_READ;
}

// By value, as its callers expect: the store works on its own copy, which shares the text's body.
int WriteNumberList(CString strNumberList)  // NOLINT(performance-unnecessary-value-param)
{
    const size_t nLength = wcslen(strNumberList);
    if (nLength > kNumberListMaxChars)
        return 0;

    const UniqueRegistryKey key = OpenSettingsKey();
    if (!key.IsValid())
        return 0;

    const LPCWSTR pszText = strNumberList;
    const DWORD cbData = static_cast<DWORD>((nLength + 1) * sizeof(wchar_t));
    if (RegSetValueExW(key.Get(), kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszText),
                       cbData) != ERROR_SUCCESS)
        return 0;

    // The device's registry reaches storage only when flushed; without it a reported save can
    // be lost at the next soft reset. The flush's own result does not change what was stored.
    RegFlushKey(key.Get());
    return 1;
}
