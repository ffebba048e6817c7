// The settings store against the real registry of the test prefix: what a save stores, and what
// a read makes of the bytes another program or an older save left.
#include "settings/settings_store.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/stored_list.h"

namespace {

using Bytes = std::vector<BYTE>;

Bytes Units(const std::wstring& text)
{
    const auto* p = reinterpret_cast<const BYTE*>(text.data());
    return Bytes(p, p + 2 * text.size());
}

void Store(DWORD type, const Bytes& data)
{
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKeyPath, L"Blacklist", type, data.data(),
                              DWORD(data.size())));
}

// What a read leaves in a list that held "<kept>", after "<failed> " when it says it failed.
std::wstring Read()
{
    CString list(L"<kept>");
    const bool read = ReadNumberList(list);
    return (read ? L"" : L"<failed> ") + std::wstring(list, list.GetLength());
}

void DeleteKey()
{
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKeyPath);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kKeyPath);
}

TEST(SettingsStore, AReadTakesTheTextUpToItsFirstNulOrTheEndOfTheReturnedBytes)
{
    DeleteKey();
    EXPECT_EQ(L"<failed> <kept>", Read()) << "first start: no key";
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKeyPath, 0, KEY_READ, &key))
        << "the read created the key";
    RegCloseKey(key);

    const struct {
        DWORD type;
        Bytes data;
        std::wstring read;
    } cases[] = {
        {REG_BINARY, Units(std::wstring(1024, L'5')), std::wstring(1024, L'5')},  // no NUL, full
        {REG_BINARY, Units(L"246;357;"), L"246;357;"},
        {REG_SZ, {'1', 0, '2', 0, ';', 0, '9'}, L"12;"},  // the half unit is dropped
        {REG_SZ, {'1', 0, 0, 0, '2', 0}, L"1"},
        {REG_SZ, Units(std::wstring(1024, L'1') + L'\0'), L"<failed> <kept>"},  // over 2048 bytes
    };
    for (const auto& c : cases) {
        Store(c.type, c.data);
        EXPECT_EQ(c.read, Read()) << c.data.size();
    }
}

TEST(SettingsStore, ASaveStoresTheTextWithItsNulUnlessItCouldNotBeReadBack)
{
    const std::wstring longest(1023, L'7');
    const struct {
        std::wstring list;
        int result;
        std::wstring stored;  // then in the registry, its NUL included
    } cases[] = {
        {L"", 1, L""},
        {L"12;34;555 ; +49 (30);", 1, L"12;34;555 ; +49 (30);"},
        {longest, 1, longest},
        {std::wstring(1024, L'8'), 0, longest},  // could never be loaded again
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.result, WriteNumberList(CString(c.list.c_str()))) << c.list.size();
        EXPECT_EQ(std::make_pair(DWORD(REG_SZ), Units(c.stored + L'\0')), StoredValue())
            << c.list.size();
        EXPECT_EQ(c.stored, Read());
    }
    DeleteKey();  // the program's tests find the prefix as a first start leaves it
}

}  // namespace
