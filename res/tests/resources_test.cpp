// Reads the compiled resources back from this module's bytes and checks every value the program relies on.
#include <windows.h>

#include "resource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

const WORD kChinesePrc = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

const WORD kButton = 0x0080;
const WORD kEdit = 0x0081;
const WORD kListBox = 0x0083;

// The bytes of one resource in the Chinese (PRC) language, empty when there is none.
std::vector<BYTE> LoadBytes(LPCWSTR type, LPCWSTR name)
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceExW(module, type, name, kChinesePrc);
    if (!found)
        return {};
    HGLOBAL loaded = LoadResource(module, found);
    const BYTE* p = static_cast<const BYTE*>(LockResource(loaded));
    if (!p)
        return {};
    return std::vector<BYTE>(p, p + SizeofResource(module, found));
}

// Walks little-endian template bytes; reading past the end marks the reader as overrun.
class Reader {
public:
    explicit Reader(const std::vector<BYTE>& bytes) : m_bytes(bytes) {}

    WORD Word()
    {
        WORD w = 0;
        if (m_pos + 2 <= m_bytes.size())
            std::memcpy(&w, &m_bytes[m_pos], 2);
        else
            m_overrun = true;
        m_pos += 2;
        return w;
    }
    DWORD Dword()
    {
        DWORD lo = Word();
        return lo | (DWORD(Word()) << 16);
    }
    short Short() { return static_cast<short>(Word()); }
    std::wstring String()
    {
        std::wstring s;
        while (WORD c = Word()) {
            if (m_overrun)
                break;
            s += static_cast<wchar_t>(c);
        }
        return s;
    }
    // A name or an ordinal: the ordinal is returned as "#n".
    std::wstring NameOrOrdinal()
    {
        if (Peek() == 0xFFFF) {
            Word();
            return L"#" + std::to_wstring(Word());
        }
        return String();
    }
    WORD Peek() const
    {
        WORD w = 0;
        if (m_pos + 2 <= m_bytes.size())
            std::memcpy(&w, &m_bytes[m_pos], 2);
        return w;
    }
    void AlignDword() { m_pos = (m_pos + 3) & ~size_t(3); }
    void Skip(size_t n) { m_pos += n; }
    bool AtEnd() const { return m_pos >= m_bytes.size(); }
    bool Overrun() const { return m_overrun || m_pos > m_bytes.size(); }

private:
    const std::vector<BYTE>& m_bytes;
    size_t m_pos = 0;
    bool m_overrun = false;
};

std::wstring Ordinal(WORD n)
{
    return L"#" + std::to_wstring(n);
}

struct Control {
    WORD id;
    WORD classAtom;
    const wchar_t* text;
    short x, y, cx, cy;
    DWORD style;
};

struct Dialog {
    WORD id;
    DWORD style;
    DWORD exStyle;
    short cx, cy;
    const wchar_t* caption;
    WORD pointSize;
    const wchar_t* face;
    std::vector<Control> controls;
};

const DWORD kPush = WS_CHILD | BS_PUSHBUTTON;
const DWORD kRadio = WS_CHILD | BS_AUTORADIOBUTTON;
const wchar_t kSimSun[] = L"\u5B8B\u4F53";

const Dialog kDialogs[] = {
    {IDD_OSTREL_DIALOG, 0x10C00048, 0x80040000, 155, 176, L"Quellar", 9, L"MS Shell Dlg",
     {
         {1000, kButton, L"Set Blacklist", 34, 60, 68, 14, kPush | WS_VISIBLE | WS_TABSTOP},
         {1006, kButton, L"Accept All Calls", 21, 28, 95, 10, kRadio | WS_VISIBLE},
         {1007, kButton, L"Block Quellar Only", 21, 46, 108, 10, kRadio | WS_VISIBLE},
         {1008, kButton, L"Reject All Calls", 20, 86, 101, 10, kRadio | WS_VISIBLE},
         {1009, kButton, L"Accept WhiteList Only", 24, 129, 101, 10, kRadio | WS_DISABLED},
         {1001, kButton, L"Set WhiteList", 37, 143, 68, 14, kPush | WS_DISABLED | WS_TABSTOP},
     }},
    {IDD_OSTREL_DIALOG_WIDE, 0x90C00048, 0x80040000, 210, 129, L"Quellar", 9, L"MS Shell Dlg",
     {
         {1000, kButton, L"Set Blacklist", 42, 47, 68, 14, kPush | WS_VISIBLE | WS_TABSTOP},
         {1006, kButton, L"Accept All Calls", 29, 15, 95, 10, kRadio | WS_VISIBLE},
         {1007, kButton, L"Block Quellar Only", 29, 33, 108, 10, kRadio | WS_VISIBLE},
         {1008, kButton, L"Reject All Calls", 29, 97, 101, 10, kRadio | WS_VISIBLE},
         {1009, kButton, L"Accept WhiteList Only", 29, 65, 101, 10, kRadio | WS_VISIBLE},
         {1001, kButton, L"Set WhiteList", 42, 79, 68, 14, kPush | WS_VISIBLE | WS_TABSTOP},
     }},
    {IDD_CALLSETTING, 0x80C80040, 0, 171, 186, L"Setting", 9, kSimSun,
     {
         {1001, kListBox, L"", 10, 28, 144, 144, 0x50A10103},
         {1000, kButton, L"Add", 121, 7, 33, 14, kPush | WS_VISIBLE | WS_TABSTOP},
         {1004, kEdit, L"", 10, 7, 85, 14, 0x50810080},
     }},
    {IDD_HELP, 0x80C80040, 0, 148, 170, L"Help", 9, kSimSun,
     {
         {1005, kEdit, L"", 8, 9, 129, 150, 0x50810844},
     }},
};

TEST(DialogTemplates, AreStandardTemplatesWithExactlyTheseValues)
{
    for (const Dialog& want : kDialogs) {
        SCOPED_TRACE("dialog " + std::to_string(want.id));
        std::vector<BYTE> bytes = LoadBytes(RT_DIALOG, MAKEINTRESOURCEW(want.id));
        ASSERT_FALSE(bytes.empty());
        Reader r(bytes);
        ASSERT_NE(r.Peek(), 1) << "an extended template";
        EXPECT_EQ(r.Dword(), want.style);
        EXPECT_EQ(r.Dword(), want.exStyle);
        WORD count = r.Word();
        EXPECT_EQ(count, want.controls.size());
        EXPECT_EQ(r.Short(), 0);
        EXPECT_EQ(r.Short(), 0);
        EXPECT_EQ(r.Short(), want.cx);
        EXPECT_EQ(r.Short(), want.cy);
        EXPECT_EQ(r.NameOrOrdinal(), L"") << "menu";
        EXPECT_EQ(r.NameOrOrdinal(), L"") << "window class";
        EXPECT_EQ(r.String(), want.caption);
        EXPECT_EQ(r.Word(), want.pointSize);
        EXPECT_EQ(r.String(), want.face);

        for (size_t i = 0; i < count && i < want.controls.size(); ++i) {
            const Control& c = want.controls[i];
            SCOPED_TRACE("control " + std::to_string(i + 1) + ", id " + std::to_string(c.id));
            r.AlignDword();
            EXPECT_EQ(r.Dword(), c.style);
            EXPECT_EQ(r.Dword(), 0u) << "extended style";
            EXPECT_EQ(r.Short(), c.x);
            EXPECT_EQ(r.Short(), c.y);
            EXPECT_EQ(r.Short(), c.cx);
            EXPECT_EQ(r.Short(), c.cy);
            EXPECT_EQ(r.Word(), c.id);
            EXPECT_EQ(r.NameOrOrdinal(), Ordinal(c.classAtom));
            EXPECT_EQ(r.NameOrOrdinal(), c.text);
            EXPECT_EQ(r.Word(), 0) << "creation data";
        }
        EXPECT_FALSE(r.Overrun());
    }
}

struct MenuItem {
    int depth;
    WORD flags;
    WORD id;  // 0 for a popup
    std::wstring text;
    bool operator==(const MenuItem& o) const
    {
        return depth == o.depth && flags == o.flags && id == o.id && text == o.text;
    }
};

void PrintTo(const MenuItem& m, std::ostream* os)
{
    *os << "{depth " << m.depth << ", flags " << m.flags << ", id " << m.id << ", \""
        << std::string(m.text.begin(), m.text.end()) << "\"}";
}

void ReadMenuItems(Reader& r, int depth, std::vector<MenuItem>& out)
{
    for (;;) {
        WORD flags = r.Word();
        WORD id = (flags & MF_POPUP) ? 0 : r.Word();
        out.push_back({depth, flags, id, r.String()});
        if (r.Overrun())
            return;
        if (flags & MF_POPUP)
            ReadMenuItems(r, depth + 1, out);
        if (flags & MF_END)
            return;
    }
}

std::vector<MenuItem> ReadMenu(WORD id)
{
    std::vector<BYTE> bytes = LoadBytes(RT_MENU, MAKEINTRESOURCEW(id));
    std::vector<MenuItem> items;
    if (bytes.empty())
        return items;
    Reader r(bytes);
    EXPECT_EQ(r.Word(), 0) << "version";
    EXPECT_EQ(r.Word(), 0) << "header size";
    ReadMenuItems(r, 0, items);
    EXPECT_FALSE(r.Overrun());
    EXPECT_TRUE(r.AtEnd());
    return items;
}

TEST(Menus, MainMenuIsOnePopupOperate)
{
    std::vector<MenuItem> want = {
        {0, MF_POPUP | MF_END, 0, L"Operate"},
        {1, 0, 32772, L"Help"},
        {1, 0, 32773, L"Run Backgroud"},
        {1, MF_END, 32775, L"Deactive"},
    };
    EXPECT_EQ(ReadMenu(IDR_MAIN_MENU), want);
}

TEST(Menus, ListEditorMenuIsTwoPlainItems)
{
    std::vector<MenuItem> want = {
        {0, 0, 32776, L"Save"},
        {0, MF_END, 32777, L"Delete"},
    };
    EXPECT_EQ(ReadMenu(IDR_SETTING_MENU), want);
}

TEST(Strings, SocketsMessageIsTheOnlyStringOfItsBlock)
{
    std::vector<BYTE> bytes = LoadBytes(RT_STRING, MAKEINTRESOURCEW(IDS_SOCKETS_INIT_FAILED / 16 + 1));
    ASSERT_FALSE(bytes.empty());
    Reader r(bytes);
    for (int i = 0; i < 16; ++i) {
        WORD length = r.Word();
        std::wstring s;
        for (WORD k = 0; k < length; ++k)
            s += static_cast<wchar_t>(r.Word());
        if (i == IDS_SOCKETS_INIT_FAILED % 16)
            EXPECT_EQ(s, L"Windows \u5957\u63A5\u5B57\u521D\u59CB\u5316\u5931\u8D25\u3002");
        else
            EXPECT_EQ(s, L"") << "string " << i;
    }
    EXPECT_FALSE(r.Overrun());
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

TEST(Icon, GroupHoldsNineImagesThatMatchTheirEntries)
{
    std::vector<BYTE> bytes = LoadBytes(RT_GROUP_ICON, MAKEINTRESOURCEW(IDR_MAINFRAME));
    ASSERT_EQ(bytes.size(), 6 + 9 * sizeof(GroupIconEntry));
    Reader r(bytes);
    EXPECT_EQ(r.Word(), 0);
    EXPECT_EQ(r.Word(), 1) << "type icon";
    ASSERT_EQ(r.Word(), 9);

    std::set<std::pair<int, int>> seen;
    for (int i = 0; i < 9; ++i) {
        GroupIconEntry e;
        std::memcpy(&e, &bytes[6 + i * sizeof e], sizeof e);
        SCOPED_TRACE("entry " + std::to_string(i));
        EXPECT_EQ(e.width, e.height);
        EXPECT_EQ(e.planes, 1);
        EXPECT_EQ(e.colourCount, e.bitCount == 4 ? 16 : 0);
        seen.insert({e.width, e.bitCount});

        std::vector<BYTE> image = LoadBytes(RT_ICON, MAKEINTRESOURCEW(e.id));
        ASSERT_EQ(image.size(), e.bytesInRes);
        BITMAPINFOHEADER h;
        ASSERT_GE(image.size(), sizeof h);
        std::memcpy(&h, image.data(), sizeof h);
        EXPECT_EQ(h.biWidth, e.width);
        EXPECT_EQ(h.biHeight, 2 * e.height) << "colour and mask";
        EXPECT_EQ(h.biBitCount, e.bitCount);
        size_t colourRow = ((e.width * e.bitCount + 31) / 32) * 4;
        size_t maskRow = ((e.width + 31) / 32) * 4;
        size_t palette = e.bitCount <= 8 ? (size_t(4) << e.bitCount) : 0;
        EXPECT_EQ(image.size(), sizeof h + palette + e.height * (colourRow + maskRow));
    }
    std::set<std::pair<int, int>> want;
    for (int size : {48, 32, 16})
        for (int bits : {4, 8, 24})
            want.insert({size, bits});
    EXPECT_EQ(seen, want);

    // And the system can make icons of both sizes the dialog uses from it.
    for (int size : {16, 32}) {
        HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                                   MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                                   size, size, 0));
        EXPECT_NE(icon, nullptr) << size;
        if (icon)
            DestroyIcon(icon);
    }
}

TEST(Markers, HighResolutionMarkerHoldsOne)
{
    std::vector<BYTE> bytes = LoadBytes(L"CEUX", L"HI_RES_AWARE");
    ASSERT_EQ(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[1], 0);
}

std::wstring VersionString(std::vector<BYTE>& block, const wchar_t* path)
{
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path, &value, &length) || !value)
        return L"(missing)";
    return static_cast<const wchar_t*>(value);
}

TEST(Version, NumbersNamesAndTranslation)
{
    std::vector<BYTE> block = LoadBytes(RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO));
    ASSERT_FALSE(block.empty());

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_EQ(length, sizeof *fixed);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0804);
    EXPECT_EQ(translation[1], 936);

    EXPECT_EQ(VersionString(block, L"\\StringFileInfo\\080403a8\\OriginalFilename"), L"Ostrel.exe");
    EXPECT_EQ(VersionString(block, L"\\StringFileInfo\\080403a8\\InternalName"), L"Ostrel.exe");
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param)
{
    reinterpret_cast<std::set<WORD>*>(param)->insert(language);
    return TRUE;
}

BOOL CALLBACK CollectName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param)
{
    EnumResourceLanguagesW(module, type, name, CollectLanguage, param);
    return TRUE;
}

BOOL CALLBACK CollectType(HMODULE module, LPWSTR type, LONG_PTR param)
{
    // The toolchain's own manifest is not ours.
    if (!IS_INTRESOURCE(type) || type != RT_MANIFEST)
        EnumResourceNamesW(module, type, CollectName, param);
    return TRUE;
}

TEST(Languages, EveryResourceIsChinesePrc)
{
    std::set<WORD> languages;
    EnumResourceTypesW(GetModuleHandleW(nullptr), CollectType,
                       reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(languages, std::set<WORD>{kChinesePrc});
}

INT_PTR CALLBACK NoHandling(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

std::wstring WindowText(HWND window)
{
    wchar_t text[64] = {};
    GetWindowTextW(window, text, 64);
    return text;
}

TEST(DialogCreation, MainDialogComesUpWithTheWhiteListControlsHiddenAndDisabled)
{
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr),
                                     MAKEINTRESOURCEW(IDD_OSTREL_DIALOG), nullptr, NoHandling, 0);
    ASSERT_NE(dialog, nullptr) << GetLastError();
    EXPECT_EQ(WindowText(dialog), L"Quellar");

    for (int id : {IDC_SET_BLACKLIST, IDC_ACCEPT_ALL, IDC_BLOCK_BLACKLIST, IDC_REJECT_ALL}) {
        HWND control = GetDlgItem(dialog, id);
        ASSERT_NE(control, nullptr) << id;
        EXPECT_TRUE(IsWindowVisible(control)) << id;
        EXPECT_TRUE(IsWindowEnabled(control)) << id;
        wchar_t cls[16] = {};
        GetClassNameW(control, cls, 16);
        EXPECT_EQ(lstrcmpiW(cls, L"Button"), 0) << id;
    }
    for (int id : {IDC_ACCEPT_ALL, IDC_BLOCK_BLACKLIST, IDC_REJECT_ALL})
        EXPECT_EQ(IsDlgButtonChecked(dialog, id), BST_UNCHECKED) << id;
    for (int id : {IDC_ACCEPT_WHITELIST, IDC_SET_WHITELIST}) {
        HWND control = GetDlgItem(dialog, id);
        ASSERT_NE(control, nullptr) << id;
        EXPECT_FALSE(IsWindowVisible(control)) << id;
        EXPECT_FALSE(IsWindowEnabled(control)) << id;
    }
    DestroyWindow(dialog);
}

TEST(DialogCreation, ListEditorKeepsNumbersSorted)
{
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr),
                                     MAKEINTRESOURCEW(IDD_CALLSETTING), nullptr, NoHandling, 0);
    ASSERT_NE(dialog, nullptr) << GetLastError();
    for (const wchar_t* number : {L"13900000003", L"+8613900000001", L"13900000002"})
        SendDlgItemMessageW(dialog, IDC_NUMBER_LIST, LB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(number));
    std::vector<std::wstring> got;
    for (int i = 0; i < 3; ++i) {
        wchar_t text[32] = {};
        SendDlgItemMessageW(dialog, IDC_NUMBER_LIST, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        got.push_back(text);
    }
    EXPECT_EQ(got, (std::vector<std::wstring>{L"+8613900000001", L"13900000002", L"13900000003"}));
    DestroyWindow(dialog);
}

}  // namespace
