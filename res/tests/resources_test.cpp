// Checks in the built program what the resource compiler can get wrong: the language tag, texts
// (outside ASCII too), class atoms stored as names, and styles it adds or drops on its own.
#include <windows.h>

#include "platform/little_endian.h"
#include "resource.h"
#include "tests/support/desktop_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const WORD kChinesePrc = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

// The built program, loaded for its resources only: what is checked is what ships.
HMODULE Program()
{
    static const HMODULE module = LoadLibraryExW(PathBesideThisProgram(L"Ostrel.exe").c_str(),
                                                 nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

// The bytes of one resource tagged Chinese (PRC), as every resource is; empty when there is none
// in that language.
std::vector<BYTE> Bytes(LPCWSTR type, WORD id)
{
    HRSRC found = FindResourceExW(Program(), type, MAKEINTRESOURCEW(id), kChinesePrc);
    const auto* p =
        found ? static_cast<const BYTE*>(LockResource(LoadResource(Program(), found))) : nullptr;
    return p ? std::vector<BYTE>(p, p + SizeofResource(Program(), found)) : std::vector<BYTE>();
}

// Little-endian words of a dialog template, read in order; 0 past the end.
struct Reader {
    const std::vector<BYTE>& bytes;
    size_t pos = 0;
    WORD Word()
    {
        pos += 2;
        return pos <= bytes.size() ? ReadLittleEndian16(&bytes[pos - 2]) : 0;
    }
    DWORD Dword() { return Word() | DWORD(Word()) << 16; }
    std::wstring Field()  // a string, or an ordinal as "#n"
    {
        std::wstring s;
        WORD w = Word();
        if (w == 0xFFFF)
            return L"#" + std::to_wstring(Word());
        for (; w; w = Word())
            s += wchar_t(w);
        return s;
    }
};

// "id class style text" of a control; the class is a predefined atom stored as an ordinal.
std::wstring Row(int id, int atom, DWORD style, const wchar_t* text)
{
    return std::to_wstring(id) + L" #" + std::to_wstring(atom) + L" " + std::to_wstring(style) +
        L" " + text;
}

const int kButton = 0x80, kEdit = 0x81, kListBox = 0x83;
const DWORD kPush = WS_CHILD | BS_PUSHBUTTON, kShown = WS_VISIBLE, kTab = WS_TABSTOP;
const DWORD kRadio = WS_CHILD | BS_AUTORADIOBUTTON, kBox = WS_CHILD | kShown | WS_BORDER | kTab;
const DWORD kMain = WS_VISIBLE | WS_CAPTION | DS_SETFONT | DS_FIXEDSYS, kMainEx = 0x80040000;
const DWORD kSecondary = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT;
const wchar_t kSimSun[] = L"\u5B8B\u4F53";

// "style extended-style caption face" of a dialog.
std::wstring Head(DWORD style, DWORD exStyle, const wchar_t* caption, const wchar_t* face)
{
    return std::to_wstring(style) + L" " + std::to_wstring(exStyle) + L" " + caption + L" " + face;
}

// The main dialog's controls; the white list's two are enabled, and shown, only in landscape.
std::vector<std::wstring> Main(DWORD style, DWORD whiteList)
{
    return {Head(style, kMainEx, L"Quellar", L"MS Shell Dlg"),
            Row(1000, kButton, kPush | kShown | kTab, L"Set Blacklist"),
            Row(1006, kButton, kRadio | kShown, L"Accept All Calls"),
            Row(1007, kButton, kRadio | kShown, L"Block Quellar Only"),
            Row(1008, kButton, kRadio | kShown, L"Reject All Calls"),
            Row(1009, kButton, kRadio | whiteList, L"Accept WhiteList Only"),
            Row(1001, kButton, kPush | whiteList | kTab, L"Set WhiteList")};
}

// Each dialog's exact styles, caption and face name, then its controls in order.
const std::pair<WORD, std::vector<std::wstring>> kDialogs[] = {
    {IDD_OSTREL_DIALOG, Main(kMain, WS_DISABLED)},
    {IDD_OSTREL_DIALOG_WIDE, Main(WS_POPUP | kMain, kShown)},
    {IDD_CALLSETTING,
     {Head(kSecondary, 0, L"Setting", kSimSun),
      Row(1001, kListBox, kBox | WS_VSCROLL | LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT, L""),
      Row(1000, kButton, kPush | kShown | kTab, L"Add"),
      Row(1004, kEdit, kBox | ES_AUTOHSCROLL, L"")}},
    {IDD_HELP,
     {Head(kSecondary, 0, L"Help", kSimSun),
      Row(1005, kEdit, kBox | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, L"")}},
};

TEST(Resources, DialogsKeepTheirStylesTextsAndClassAtoms)
{
    for (const auto& [id, want] : kDialogs) {
        const std::vector<BYTE> bytes = Bytes(RT_DIALOG, id);
        Reader r{bytes};
        const DWORD style = r.Dword(), exStyle = r.Dword();
        const WORD count = r.Word();
        r.pos += 8;            // position and size
        r.Field(), r.Field();  // menu, class
        const std::wstring caption = r.Field();
        r.Word();  // point size
        std::vector<std::wstring> got = {Head(style, exStyle, caption.c_str(), r.Field().c_str())};
        for (WORD i = 0; i < count; ++i) {
            r.pos = (r.pos + 3) & ~size_t(3);
            const DWORD controlStyle = r.Dword();
            r.pos += 12;  // extended style, position and size
            const std::wstring control = std::to_wstring(r.Word()) + L" ";  // id, then class
            const std::wstring atom = r.Field();
            got.push_back(control + atom + L" " + std::to_wstring(controlStyle) + L" " + r.Field());
            r.Word();  // creation data
        }
        EXPECT_EQ(want, got) << id;
    }
}

// The menu's items as "text id", a popup as "text(items)".
std::wstring MenuItems(HMENU menu)
{
    std::wstring items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[32] = L"";
        GetMenuStringW(menu, i, text, 32, MF_BYPOSITION);
        HMENU popup = GetSubMenu(menu, i);
        items += (i ? L"," : L"") + std::wstring(text) +
            (popup ? L"(" + MenuItems(popup) + L")"
                   : L" " + std::to_wstring(GetMenuItemID(menu, i)));
    }
    return items;
}

TEST(Resources, TextsReadAsWritten)
{
    const std::pair<WORD, const wchar_t*> kMenus[] = {
        {IDR_MAIN_MENU, L"Operate(Help 32772,Run Backgroud 32773,Deactive 32775)"},
        {IDR_SETTING_MENU, L"Save 32776,Delete 32777"}};
    for (const auto& [id, want] : kMenus) {
        const std::vector<BYTE> bytes = Bytes(RT_MENU, id);
        ASSERT_FALSE(bytes.empty()) << id;
        HMENU menu = LoadMenuIndirectW(bytes.data());
        EXPECT_EQ(want, MenuItems(menu));
        DestroyMenu(menu);
    }
    wchar_t text[64] = L"";
    ASSERT_FALSE(Bytes(RT_STRING, IDS_SOCKETS_INIT_FAILED / 16 + 1).empty());
    LoadStringW(Program(), IDS_SOCKETS_INIT_FAILED, text, 64);
    EXPECT_STREQ(L"Windows \u5957\u63A5\u5B57\u521D\u59CB\u5316\u5931\u8D25\u3002", text);

    std::vector<BYTE> version = Bytes(RT_VERSION, VS_VERSION_INFO);
    ASSERT_FALSE(version.empty());
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(version.data(), L"\\VarFileInfo\\Translation", &value, &length));
    EXPECT_EQ(MAKELONG(0x0804, 936), *static_cast<const DWORD*>(value));
    ASSERT_TRUE(VerQueryValueW(version.data(), L"\\StringFileInfo\\080403a8\\OriginalFilename",
                               &value, &length));
    EXPECT_STREQ(L"Ostrel.exe", static_cast<const wchar_t*>(value));
}

// The icon group holds its nine images (three sizes at three depths); the system makes both sizes
// the dialog uses from it.
TEST(Resources, TheShellFindsItsMarkerAndTheIconInBothSizes)
{
    EXPECT_EQ(6u + 9 * 14, Bytes(RT_GROUP_ICON, IDR_MAINFRAME).size());
    HRSRC marker = FindResourceW(Program(), L"HI_RES_AWARE", L"CEUX");
    ASSERT_EQ(2u, SizeofResource(Program(), marker));
    EXPECT_EQ(1, *static_cast<const WORD*>(LockResource(LoadResource(Program(), marker))));
    for (int size : {16, 32})
        EXPECT_TRUE(DestroyIcon(static_cast<HICON>(
            LoadImageW(Program(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, size, size, 0))))
            << size;
}

}  // namespace
