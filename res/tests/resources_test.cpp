// Reads the compiled resources back from this module's bytes and checks every value the program relies on.
#include <windows.h>

#include "resource.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

const WORD kChinesePrc = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

// The built program, loaded for its resources only: what is checked is what ships.
HMODULE ProgramModule()
{
    static const HMODULE module = [] {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring program(path);
        program = program.substr(0, program.find_last_of(L"\\/") + 1) + L"Ostrel.exe";
        return LoadLibraryExW(program.c_str(), nullptr,
                              LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    }();
    return module;
}

// The bytes of one resource in the Chinese (PRC) language, empty when there is none.
std::vector<BYTE> LoadBytes(LPCWSTR type, LPCWSTR name)
{
    HMODULE module = ProgramModule();
    HRSRC found = FindResourceExW(module, type, name, kChinesePrc);
    const BYTE* p =
        found ? static_cast<const BYTE*>(LockResource(LoadResource(module, found))) : nullptr;
    return p ? std::vector<BYTE>(p, p + SizeofResource(module, found)) : std::vector<BYTE>();
}

// Walks little-endian template bytes; reading past the end marks the reader as overrun.
struct Reader {
    const std::vector<BYTE>& bytes;
    size_t pos = 0;
    bool overrun = false;
    WORD Peek() const
    {
        return pos + 2 <= bytes.size() ? WORD(bytes[pos] | bytes[pos + 1] << 8) : 0;
    }
    WORD Word()
    {
        WORD w = Peek();
        overrun |= (pos += 2) > bytes.size();
        return w;
    }
    DWORD Dword() { return Word() | (DWORD(Word()) << 16); }
    std::wstring String()
    {
        std::wstring s;
        for (WORD c; (c = Word()) && !overrun;)
            s += static_cast<wchar_t>(c);
        return s;
    }
    // A name, or an ordinal returned as "#n".
    std::wstring Name()
    {
        return Peek() == 0xFFFF ? (Word(), L"#" + std::to_wstring(Word())) : String();
    }
};

// A control's class is the predefined atom as an ordinal, never a name. Every dialog's font is at 9 points.
struct Control {
    WORD id;
    const wchar_t *classAtom, *text;
    short x, y, cx, cy;
    DWORD style;
};
struct Dialog {
    WORD id;
    DWORD style, exStyle;
    WORD cx, cy;
    const wchar_t *caption, *face;
    std::vector<Control> controls;
};

const wchar_t kButton[] = L"#128", kEdit[] = L"#129", kListBox[] = L"#131";
const DWORD kPush = WS_CHILD | BS_PUSHBUTTON, kRadio = WS_CHILD | BS_AUTORADIOBUTTON;
const DWORD kShownPush = kPush | WS_VISIBLE | WS_TABSTOP, kShownRadio = kRadio | WS_VISIBLE;
const wchar_t kSimSun[] = L"\u5B8B\u4F53";

// Exact styles: resource compilers like to add WS_TABSTOP or WS_BORDER on their own.
const Dialog kDialogs[] = {
    {IDD_OSTREL_DIALOG,
     0x10C00048,
     0x80040000,
     155,
     176,
     L"Quellar",
     L"MS Shell Dlg",
     {{1000, kButton, L"Set Blacklist", 34, 60, 68, 14, kShownPush},
      {1006, kButton, L"Accept All Calls", 21, 28, 95, 10, kShownRadio},
      {1007, kButton, L"Block Quellar Only", 21, 46, 108, 10, kShownRadio},
      {1008, kButton, L"Reject All Calls", 20, 86, 101, 10, kShownRadio},
      {1009, kButton, L"Accept WhiteList Only", 24, 129, 101, 10, kRadio | WS_DISABLED},
      {1001, kButton, L"Set WhiteList", 37, 143, 68, 14, kPush | WS_DISABLED | WS_TABSTOP}}},
    {IDD_OSTREL_DIALOG_WIDE,
     0x90C00048,
     0x80040000,
     210,
     129,
     L"Quellar",
     L"MS Shell Dlg",
     {{1000, kButton, L"Set Blacklist", 42, 47, 68, 14, kShownPush},
      {1006, kButton, L"Accept All Calls", 29, 15, 95, 10, kShownRadio},
      {1007, kButton, L"Block Quellar Only", 29, 33, 108, 10, kShownRadio},
      {1008, kButton, L"Reject All Calls", 29, 97, 101, 10, kShownRadio},
      {1009, kButton, L"Accept WhiteList Only", 29, 65, 101, 10, kShownRadio},
      {1001, kButton, L"Set WhiteList", 42, 79, 68, 14, kShownPush}}},
    {IDD_CALLSETTING,
     0x80C80040,
     0,
     171,
     186,
     L"Setting",
     kSimSun,
     {{1001, kListBox, L"", 10, 28, 144, 144, 0x50A10103},
      {1000, kButton, L"Add", 121, 7, 33, 14, kShownPush},
      {1004, kEdit, L"", 10, 7, 85, 14, 0x50810080}}},
    {IDD_HELP,
     0x80C80040,
     0,
     148,
     170,
     L"Help",
     kSimSun,
     {{1005, kEdit, L"", 8, 9, 129, 150, 0x50810844}}},
};

TEST(DialogTemplates, AreStandardTemplatesWithExactlyTheseValues)
{
    for (const Dialog& want : kDialogs) {
        SCOPED_TRACE("dialog " + std::to_string(want.id));
        std::vector<BYTE> bytes = LoadBytes(RT_DIALOG, MAKEINTRESOURCEW(want.id));
        ASSERT_FALSE(bytes.empty());
        Reader r{bytes};
        ASSERT_NE(r.Peek(), 1) << "an extended template";
        EXPECT_EQ(r.Dword(), want.style);
        EXPECT_EQ(r.Dword(), want.exStyle);
        ASSERT_EQ(r.Word(), want.controls.size());
        EXPECT_EQ(r.Dword(), 0u) << "position";
        EXPECT_EQ(r.Dword(), DWORD(MAKELONG(want.cx, want.cy))) << "size";
        EXPECT_EQ(r.Dword(), 0u) << "no menu and no window class";
        EXPECT_EQ(r.String(), want.caption);
        EXPECT_EQ(r.Word(), 9) << "point size";
        EXPECT_EQ(r.String(), want.face);
        for (const Control& c : want.controls) {
            SCOPED_TRACE("control " + std::to_string(c.id));
            r.pos = (r.pos + 3) & ~size_t(3);
            EXPECT_EQ(r.Dword(), c.style);
            EXPECT_EQ(r.Dword(), 0u) << "extended style";
            for (short v : {c.x, c.y, c.cx, c.cy})
                EXPECT_EQ(static_cast<short>(r.Word()), v);
            EXPECT_EQ(r.Word(), c.id);
            EXPECT_EQ(r.Name(), c.classAtom);
            EXPECT_EQ(r.Name(), c.text);
            EXPECT_EQ(r.Word(), 0) << "creation data";
        }
        EXPECT_FALSE(r.overrun);
    }
}

// Each item as "depth flags id text" (flags 16 a popup, which has no id; 128 the last item).
void ReadMenuItems(Reader& r, int depth, std::vector<std::wstring>& out)
{
    for (WORD flags = 0; !(flags & MF_END) && !r.overrun;) {
        flags = r.Word();
        std::wstring id = flags & MF_POPUP ? L"" : std::to_wstring(r.Word()) + L" ";
        out.push_back(std::to_wstring(depth) + L" " + std::to_wstring(flags) + L" " + id +
                      r.String());
        if (flags & MF_POPUP)
            ReadMenuItems(r, depth + 1, out);
    }
}

TEST(Menus, HoldExactlyTheseItems)
{
    const std::pair<WORD, std::vector<std::wstring>> kMenus[] = {
        {IDR_MAIN_MENU,
         {L"0 144 Operate", L"1 0 32772 Help", L"1 0 32773 Run Backgroud",
          L"1 128 32775 Deactive"}},
        {IDR_SETTING_MENU, {L"0 0 32776 Save", L"0 128 32777 Delete"}},
    };
    for (const auto& [id, want] : kMenus) {
        std::vector<BYTE> bytes = LoadBytes(RT_MENU, MAKEINTRESOURCEW(id));
        Reader r{bytes};
        EXPECT_EQ(r.Dword(), 0u) << "version and header size of menu " << id;
        std::vector<std::wstring> got;
        ReadMenuItems(r, 0, got);
        EXPECT_EQ(got, want) << "menu " << id;
        EXPECT_EQ(r.pos, bytes.size()) << "menu " << id;
    }
}

TEST(Strings, SocketsMessageIsChinese)
{
    std::vector<BYTE> bytes =
        LoadBytes(RT_STRING, MAKEINTRESOURCEW(IDS_SOCKETS_INIT_FAILED / 16 + 1));
    Reader r{bytes};
    for (int i = 0; i < IDS_SOCKETS_INIT_FAILED % 16; ++i)
        r.pos += 2 * size_t(r.Word());  // past each string before it
    std::wstring s;
    for (WORD n = r.Word(); n-- && !r.overrun;)
        s += static_cast<wchar_t>(r.Word());
    EXPECT_EQ(s, L"Windows \u5957\u63A5\u5B57\u521D\u59CB\u5316\u5931\u8D25\u3002");
}

TEST(Icon, GroupHoldsThreeSizesAtThreeDepths)
{
    std::vector<BYTE> bytes = LoadBytes(RT_GROUP_ICON, MAKEINTRESOURCEW(IDR_MAINFRAME));
    const size_t kEntry = 14;  // width, height, colours, reserved, planes, bit count, bytes, id
    ASSERT_EQ(bytes.size(), 6 + 9 * kEntry);
    std::set<std::pair<int, int>> seen, want;
    for (size_t i = 0; i < 9; ++i) {
        const BYTE* e = &bytes[6 + i * kEntry];
        EXPECT_EQ(e[0], e[1]) << "entry " << i;
        seen.insert({e[0], e[6] | (e[7] << 8)});
    }
    for (int size : {48, 32, 16})
        for (int bits : {4, 8, 24})
            want.insert({size, bits});
    EXPECT_EQ(seen, want);
    for (int size : {16, 32})  // and the system makes icons of both sizes the dialog uses from it
        EXPECT_TRUE(DestroyIcon(static_cast<HICON>(LoadImageW(
            ProgramModule(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, size, size, 0))))
            << size;
}

TEST(Markers, HighResolutionMarkerHoldsOne)
{
    EXPECT_EQ(LoadBytes(L"CEUX", L"HI_RES_AWARE"), (std::vector<BYTE>{1, 0}));
}

TEST(Version, NumbersAndTranslation)
{
    std::vector<BYTE> block = LoadBytes(RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO));
    ASSERT_FALSE(block.empty());
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &length));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(std::vector<DWORD>({fixed->dwFileVersionMS, fixed->dwFileVersionLS,
                                  fixed->dwProductVersionMS, fixed->dwProductVersionLS}),
              (std::vector<DWORD>{0x00010000, 1, 0x00010000, 1}));  // 1.0.0.1 for both
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    const auto* translation = static_cast<const WORD*>(value);
    EXPECT_EQ(std::vector<WORD>(translation, translation + 2), (std::vector<WORD>{0x0804, 936}));
    // The strings sit under the same language and code page.
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\080403a8\\OriginalFilename",
                               &value, &length));
    EXPECT_STREQ(static_cast<const wchar_t*>(value), L"Ostrel.exe");
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR set)
{
    reinterpret_cast<std::set<WORD>*>(set)->insert(language);
    return TRUE;
}
BOOL CALLBACK CollectName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR set)
{
    EnumResourceLanguagesW(module, type, name, CollectLanguage, set);
    return TRUE;
}
BOOL CALLBACK CollectType(HMODULE module, LPWSTR type, LONG_PTR set)
{
    if (type != RT_MANIFEST)  // the toolchain's own manifest is not ours
        EnumResourceNamesW(module, type, CollectName, set);
    return TRUE;
}

TEST(Languages, EveryResourceIsChinesePrc)
{
    std::set<WORD> languages;
    EnumResourceTypesW(ProgramModule(), CollectType, reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(languages, std::set<WORD>{kChinesePrc});
}

TEST(DialogCreation, MainDialogComesUpWithTheWhiteListControlsHiddenAndDisabled)
{
    HWND dialog = CreateDialogParamW(
        ProgramModule(), MAKEINTRESOURCEW(IDD_OSTREL_DIALOG), nullptr,
        [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    ASSERT_NE(dialog, nullptr) << GetLastError();
    const std::pair<int, bool> kShown[] = {
        {IDC_SET_BLACKLIST, true}, {IDC_ACCEPT_ALL, true},        {IDC_BLOCK_BLACKLIST, true},
        {IDC_REJECT_ALL, true},    {IDC_ACCEPT_WHITELIST, false}, {IDC_SET_WHITELIST, false}};
    for (const auto& [id, shown] : kShown) {
        HWND control = GetDlgItem(dialog, id);
        ASSERT_NE(control, nullptr) << id;
        EXPECT_EQ(IsWindowVisible(control) != FALSE, shown) << id;
        EXPECT_EQ(IsWindowEnabled(control) != FALSE, shown) << id;
    }
    DestroyWindow(dialog);
}

}  // namespace