// Checks in the built program what the resource compiler can get wrong: the language tag, texts
// outside ASCII, class atoms stored as names, and styles it adds or drops on its own.
#include <windows.h>

#include "resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const WORD kChinesePrc = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

// The built program, loaded for its resources only: what is checked is what ships.
HMODULE Program()
{
    static const HMODULE module = [] {
        wchar_t path[MAX_PATH] = {};
        std::wstring program(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
        program = program.substr(0, program.find_last_of(L"\\/") + 1) + L"Ostrel.exe";
        return LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }();
    return module;
}

// The bytes of one resource tagged Chinese (PRC); empty when there is none in that language.
std::vector<BYTE> Bytes(LPCWSTR type, WORD id)
{
    HRSRC found = FindResourceExW(Program(), type, MAKEINTRESOURCEW(id), kChinesePrc);
    const auto* p =
        found ? static_cast<const BYTE*>(LockResource(LoadResource(Program(), found))) : nullptr;
    return p ? std::vector<BYTE>(p, p + SizeofResource(Program(), found)) : std::vector<BYTE>();
}

TEST(Resources, EveryResourceIsTaggedChinesePrc)
{
    const std::pair<LPCWSTR, WORD> kResources[] = {{RT_DIALOG, IDD_OSTREL_DIALOG},
                                                   {RT_DIALOG, IDD_OSTREL_DIALOG_WIDE},
                                                   {RT_DIALOG, IDD_CALLSETTING},
                                                   {RT_DIALOG, IDD_HELP},
                                                   {RT_MENU, IDR_MAIN_MENU},
                                                   {RT_MENU, IDR_SETTING_MENU},
                                                   {RT_STRING, IDS_SOCKETS_INIT_FAILED / 16 + 1},
                                                   {RT_GROUP_ICON, IDR_MAINFRAME},
                                                   {RT_VERSION, VS_VERSION_INFO}};
    for (const auto& [type, id] : kResources)
        EXPECT_FALSE(Bytes(type, id).empty()) << "type " << size_t(type) << " id " << id;
}

// Little-endian words of a dialog template, read in order; 0 past the end.
struct Reader {
    const std::vector<BYTE>& bytes;
    size_t pos = 0;
    WORD Word()
    {
        const WORD w = pos + 2 <= bytes.size() ? WORD(bytes[pos] | bytes[pos + 1] << 8) : 0;
        pos += 2;
        return w;
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

const DWORD kPush = WS_CHILD | BS_PUSHBUTTON, kShown = WS_VISIBLE;
const DWORD kRadio = WS_CHILD | BS_AUTORADIOBUTTON, kBox = WS_CHILD | kShown | WS_BORDER;
const wchar_t kSimSun[] = L"\u5B8B\u4F53";

// Each dialog's exact styles and face name, then "id class style" of each control, in order.
// Classes are the predefined atoms as ordinals (#128 button, #129 edit, #131 list box).
const struct {
    WORD id;
    DWORD style, exStyle;
    const wchar_t* face;
    std::vector<std::wstring> controls;
} kDialogs[] = {
    {IDD_OSTREL_DIALOG,
     WS_VISIBLE | WS_CAPTION | DS_SETFONT | DS_FIXEDSYS,
     0x80040000,
     L"MS Shell Dlg",
     {L"1000 #128 " + std::to_wstring(kPush | kShown | WS_TABSTOP),
      L"1006 #128 " + std::to_wstring(kRadio | kShown),
      L"1007 #128 " + std::to_wstring(kRadio | kShown),
      L"1008 #128 " + std::to_wstring(kRadio | kShown),
      L"1009 #128 " + std::to_wstring(kRadio | WS_DISABLED),
      L"1001 #128 " + std::to_wstring(kPush | WS_DISABLED | WS_TABSTOP)}},
    {IDD_OSTREL_DIALOG_WIDE,
     WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_SETFONT | DS_FIXEDSYS,
     0x80040000,
     L"MS Shell Dlg",
     {L"1000 #128 " + std::to_wstring(kPush | kShown | WS_TABSTOP),
      L"1006 #128 " + std::to_wstring(kRadio | kShown),
      L"1007 #128 " + std::to_wstring(kRadio | kShown),
      L"1008 #128 " + std::to_wstring(kRadio | kShown),
      L"1009 #128 " + std::to_wstring(kRadio | kShown),
      L"1001 #128 " + std::to_wstring(kPush | kShown | WS_TABSTOP)}},
    {IDD_CALLSETTING,
     WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT,
     0,
     kSimSun,
     {L"1001 #131 " +
          std::to_wstring(kBox | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_SORT |
                          LBS_NOINTEGRALHEIGHT),
      L"1000 #128 " + std::to_wstring(kPush | kShown | WS_TABSTOP),
      L"1004 #129 " + std::to_wstring(kBox | WS_TABSTOP | ES_AUTOHSCROLL)}},
    {IDD_HELP,
     WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT,
     0,
     kSimSun,
     {L"1005 #129 " +
      std::to_wstring(kBox | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY)}},
};

TEST(Resources, DialogsKeepTheirStylesFacesAndClassAtoms)
{
    for (const auto& want : kDialogs) {
        const std::vector<BYTE> bytes = Bytes(RT_DIALOG, want.id);
        Reader r{bytes};
        EXPECT_EQ(want.style, r.Dword()) << want.id;
        EXPECT_EQ(want.exStyle, r.Dword()) << want.id;
        const WORD count = r.Word();
        r.pos += 8;                                 // position and size
        r.Field(), r.Field(), r.Field(), r.Word();  // menu, class, title, point size
        EXPECT_EQ(want.face, r.Field()) << want.id;
        std::vector<std::wstring> controls;
        for (WORD i = 0; i < count; ++i) {
            r.pos = (r.pos + 3) & ~size_t(3);
            const DWORD style = r.Dword();
            r.pos += 12;  // extended style, position and size
            const std::wstring id = std::to_wstring(r.Word());
            controls.push_back(id + L" " + r.Field() + L" " + std::to_wstring(style));
            r.Field(), r.Word();  // text, creation data
        }
        EXPECT_EQ(want.controls, controls) << want.id;
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
        HMENU menu = LoadMenuW(Program(), MAKEINTRESOURCEW(id));
        EXPECT_EQ(want, MenuItems(menu));
        DestroyMenu(menu);
    }
    wchar_t text[64] = L"";
    LoadStringW(Program(), IDS_SOCKETS_INIT_FAILED, text, 64);
    EXPECT_STREQ(L"Windows \u5957\u63A5\u5B57\u521D\u59CB\u5316\u5931\u8D25\u3002", text);

    std::vector<BYTE> version = Bytes(RT_VERSION, VS_VERSION_INFO);
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(version.data(), L"\\VarFileInfo\\Translation", &value, &length));
    EXPECT_EQ(MAKELONG(0x0804, 936), *static_cast<const DWORD*>(value));
    ASSERT_TRUE(VerQueryValueW(version.data(), L"\\StringFileInfo\\080403a8\\OriginalFilename",
                               &value, &length));
    EXPECT_STREQ(L"Ostrel.exe", static_cast<const wchar_t*>(value));
}

TEST(Resources, TheShellFindsItsMarkerAndTheIconInBothSizes)
{
    HRSRC marker = FindResourceW(Program(), L"HI_RES_AWARE", L"CEUX");
    ASSERT_EQ(2u, SizeofResource(Program(), marker));
    EXPECT_EQ(1, *static_cast<const WORD*>(LockResource(LoadResource(Program(), marker))));
    for (int size : {16, 32})
        EXPECT_TRUE(DestroyIcon(static_cast<HICON>(
            LoadImageW(Program(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, size, size, 0))))
            << size;
}

}  // namespace
