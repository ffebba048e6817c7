// The settings store against the real registry of the test prefix.
#include "settings/settings_store.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const wchar_t kKeyPath[] = L"Software\\Kelvoro\\Tolvane";

void DeleteSettingsKey()
{
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKeyPath);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kKeyPath);
}

bool SettingsKeyExists()
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKeyPath, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    return true;
}

// Stores raw bytes as the value, as another program could.
void StoreRawValue(DWORD dwType, const std::vector<BYTE>& data)
{
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &hKey, nullptr));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExW(hKey, L"Blacklist", 0, dwType, data.data(),
                             static_cast<DWORD>(data.size())));
    RegCloseKey(hKey);
}

void StoreRawText(DWORD dwType, const std::wstring& text, bool withNul)
{
    std::vector<BYTE> data(
        reinterpret_cast<const BYTE*>(text.c_str()),
        reinterpret_cast<const BYTE*>(text.c_str() + text.size() + (withNul ? 1 : 0)));
    StoreRawValue(dwType, data);
}

struct StoredValue {
    DWORD dwType = 0;
    std::vector<BYTE> data;
};

StoredValue LoadRawValue()
{
    StoredValue value;
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKeyPath, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return value;
    DWORD cb = 0;
    if (RegQueryValueExW(hKey, L"Blacklist", nullptr, &value.dwType, nullptr, &cb) ==
        ERROR_SUCCESS) {
        value.data.resize(cb);
        RegQueryValueExW(hKey, L"Blacklist", nullptr, &value.dwType, value.data.data(), &cb);
    }
    RegCloseKey(hKey);
    return value;
}

std::wstring Read()
{
    CString strList(L"<untouched>");
    if (!ReadNumberList(strList))
        return L"<failed>";
    return std::wstring(strList, strList.GetLength());
}

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteSettingsKey(); }
    void TearDown() override { DeleteSettingsKey(); }
};

TEST_F(SettingsStoreTest, FirstStartCreatesTheKeyAndLoadsNothing)
{
    CString strList(L"kept;");
    EXPECT_FALSE(ReadNumberList(strList));
    EXPECT_STREQ(L"kept;", strList);
    EXPECT_TRUE(SettingsKeyExists());
}

TEST_F(SettingsStoreTest, EmptyListIsStoredAsALoneNul)
{
    ASSERT_EQ(1, WriteNumberList(CString()));
    const StoredValue stored = LoadRawValue();
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), stored.dwType);
    EXPECT_EQ((std::vector<BYTE>{0, 0}), stored.data);
    EXPECT_EQ(L"", Read());
}

TEST_F(SettingsStoreTest, EntriesSurviveVerbatim)
{
    ASSERT_EQ(1, WriteNumberList(CString(L"12;34;555 ; +49 (30);")));
    const StoredValue stored = LoadRawValue();
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), stored.dwType);
    EXPECT_EQ((wcslen(L"12;34;555 ; +49 (30);") + 1) * 2, stored.data.size());
    EXPECT_EQ(L"12;34;555 ; +49 (30);", Read());
}

TEST_F(SettingsStoreTest, TheLongestLoadableListRoundTripsAndALongerOneIsRefused)
{
    const std::wstring longest(1023, L'7');
    ASSERT_EQ(1, WriteNumberList(CString(longest.c_str())));
    EXPECT_EQ(2048u, LoadRawValue().data.size());
    EXPECT_EQ(longest, Read());

    // One character more could never be loaded again: refused, the stored list stays.
    const std::wstring tooLong(1024, L'8');
    EXPECT_EQ(0, WriteNumberList(CString(tooLong.c_str())));
    EXPECT_EQ(longest, Read());
}

TEST_F(SettingsStoreTest, AValueOverTheReadCapacityIsNotLoaded)
{
    StoreRawText(REG_SZ, std::wstring(1024, L'1'), true);  // 2050 bytes
    EXPECT_EQ(L"<failed>", Read());
}

TEST_F(SettingsStoreTest, TextEndsAtTheEndOfTheReturnedBytes)
{
    // No NUL at all, filling the read capacity exactly (binary: the registry adds no NUL).
    StoreRawText(REG_BINARY, std::wstring(1024, L'5'), false);
    EXPECT_EQ(std::wstring(1024, L'5'), Read());

    // Another type, no NUL.
    StoreRawText(REG_BINARY, L"246;357;", false);
    EXPECT_EQ(L"246;357;", Read());

    // An odd length: the last, half character is dropped.
    std::vector<BYTE> odd = {'1', 0, '2', 0, ';', 0, '9'};
    StoreRawValue(REG_SZ, odd);
    EXPECT_EQ(L"12;", Read());

    // A NUL in the middle ends the text.
    StoreRawValue(REG_SZ, {'1', 0, 0, 0, '2', 0});
    EXPECT_EQ(L"1", Read());
}

TEST_F(SettingsStoreTest, AMissingValueLeavesTheListAsItWas)
{
    ASSERT_EQ(1, WriteNumberList(CString(L"1;")));
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKeyPath, 0, KEY_SET_VALUE, &hKey));
    RegDeleteValueW(hKey, L"Blacklist");
    RegCloseKey(hKey);
    EXPECT_EQ(L"<failed>", Read());
}

}  // namespace
