// Tests the template re-layout on a real dialog made from this test's own resources.
#include "ui/template_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "template_layout_test_ids.h"
#include "tests/support/desktop_driver.h"

namespace {

const int kUnnamed = 0xFFFF;

// Texts and images set and moves made on the dialog's controls, in order; the image statics
// are left out, as they size themselves to a new image at once.
std::vector<UINT> g_seen;
HWND g_dialog = nullptr;

LRESULT CALLBACK RecordMessage(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    const int id = GetDlgCtrlID(sent->hwnd);
    if (GetParent(sent->hwnd) == g_dialog && id != IDC_ICON_STATIC && id != IDC_BITMAP_STATIC &&
        (sent->message == WM_SETTEXT || sent->message == STM_SETIMAGE ||
         sent->message == WM_WINDOWPOSCHANGED))
        g_seen.push_back(sent->message);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

class TemplateLayoutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_dialog = m_dialog =
            CreateDialogParamW(m_module, MAKEINTRESOURCEW(IDD_LIVE), nullptr, PlainDialogProc, 0);
        ASSERT_NE(nullptr, m_dialog);
        // Images of our own making, which the re-layout must leave to us.
        SendDlgItemMessageW(m_dialog, IDC_ICON_STATIC, STM_SETIMAGE, IMAGE_ICON, LPARAM(m_icon));
        SendDlgItemMessageW(m_dialog, IDC_BITMAP_STATIC, STM_SETIMAGE, IMAGE_BITMAP,
                            LPARAM(m_bitmap));
        m_hook = SetWindowsHookExW(WH_CALLWNDPROC, RecordMessage, nullptr, GetCurrentThreadId());
    }
    void TearDown() override
    {
        UnhookWindowsHookEx(m_hook);
        DestroyWindow(m_dialog);
        DestroyIcon(m_icon);
        DeleteObject(m_bitmap);
    }

    // Where the control is, against where the template's dialog units put it.
    std::wstring Place(int id) const
    {
        return RectText(PlaceIn(m_dialog, GetDlgItem(m_dialog, id)));
    }
    std::wstring Pixels(int x, int y, int cx, int cy) const
    {
        RECT rect = {x, y, x + cx, y + cy};
        MapDialogRect(m_dialog, &rect);
        return RectText(rect);
    }

    // True when the list box's entry lies wholly inside its client area.
    bool ListShows(int entry) const
    {
        RECT item = {}, client = {};
        SendDlgItemMessageW(m_dialog, IDC_LIST, LB_GETITEMRECT, entry, LPARAM(&item));
        GetClientRect(GetDlgItem(m_dialog, IDC_LIST), &client);
        return item.top >= 0 && item.bottom <= client.bottom;
    }

    HANDLE Image(int id, UINT type) const
    {
        return reinterpret_cast<HANDLE>(SendDlgItemMessageW(m_dialog, id, STM_GETIMAGE, type, 0));
    }

    HMODULE m_module = GetModuleHandleW(nullptr);
    HWND m_dialog = nullptr;
    HHOOK m_hook = nullptr;
    HICON m_icon = CopyIcon(LoadIconW(m_module, MAKEINTRESOURCEW(IDI_PICTURE)));
    HBITMAP m_bitmap = CreateBitmap(2, 2, 1, 32, nullptr);
};

bool IconAlive(HICON icon)
{
    return DestroyIcon(CopyIcon(icon));
}

// A record without a control in the middle: all others move, after every refresh, in one
// commit; texts, selection and images come from the template, and only the images the re-layout
// loaded itself are released. A frame and a simple label take no image.
TEST_F(TemplateLayoutTest, MovesEveryPresentControlAfterItsRefreshAndStepsOverTheMissingOne)
{
    SetDlgItemTextW(m_dialog, IDC_PUSH, L"changed at run time");
    for (const wchar_t* entry : {L"a", L"b", L"c", L"d", L"e", L"f", L"g", L"h", L"i", L"j"})
        SendDlgItemMessageW(m_dialog, IDC_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    SendDlgItemMessageW(m_dialog, IDC_LIST, LB_SETCURSEL, 8, 0);
    SendDlgItemMessageW(m_dialog, IDC_LIST, LB_SETTOPINDEX, 0, 0);  // scrolled off the selection
    ASSERT_FALSE(ListShows(8));
    g_seen.clear();

    EXPECT_FALSE(ApplyTemplateLayout(m_module, m_dialog, IDD_MISSING_IN_MIDDLE));

    EXPECT_EQ(Pixels(3, 5, 41, 13), Place(IDC_PUSH));
    EXPECT_EQ(Pixels(83, 1, 17, 19), Place(IDC_BITMAP_STATIC));
    EXPECT_EQ(Pixels(7, 33, 61, 43), Place(IDC_LIST));
    EXPECT_EQ(Pixels(2, 85, 45, 9), Place(kUnnamed));
    EXPECT_EQ(Pixels(101, 31, 21, 21), Place(IDC_BLACK_FRAME));
    EXPECT_EQ((std::vector<UINT>{WM_SETTEXT, WM_SETTEXT, WM_WINDOWPOSCHANGED, WM_WINDOWPOSCHANGED,
                                 WM_WINDOWPOSCHANGED, WM_WINDOWPOSCHANGED, WM_WINDOWPOSCHANGED}),
              g_seen);

    EXPECT_EQ(8, SendDlgItemMessageW(m_dialog, IDC_LIST, LB_GETCURSEL, 0, 0));
    EXPECT_TRUE(ListShows(8)) << "the selection is selected again, which shows it";
    wchar_t text[32] = {};
    GetDlgItemTextW(m_dialog, IDC_PUSH, text, 32);
    EXPECT_STREQ(L"Push", text);
    const HICON shared = LoadIconW(m_module, MAKEINTRESOURCEW(IDI_PICTURE));
    EXPECT_EQ(shared, Image(IDC_ICON_STATIC, IMAGE_ICON));
    EXPECT_TRUE(IconAlive(m_icon)) << "an icon the re-layout did not load is not destroyed";
    const HANDLE loaded = Image(IDC_BITMAP_STATIC, IMAGE_BITMAP);
    EXPECT_NE(m_bitmap, loaded);
    EXPECT_EQ(DWORD(OBJ_BITMAP), GetObjectType(loaded)) << "the bitmap the control shows is alive";
    EXPECT_EQ(DWORD(OBJ_BITMAP), GetObjectType(m_bitmap)) << "not loaded by the re-layout";

    // Again: the control keeps the shared icon (Wine never destroys a shared one, so that it is
    // not destroyed cannot be seen here); the re-layout's own bitmap is replaced and deleted.
    EXPECT_FALSE(ApplyTemplateLayout(m_module, m_dialog, IDD_MISSING_IN_MIDDLE));
    EXPECT_EQ(shared, Image(IDC_ICON_STATIC, IMAGE_ICON));
    EXPECT_NE(loaded, Image(IDC_BITMAP_STATIC, IMAGE_BITMAP));
    EXPECT_EQ(0u, GetObjectType(loaded)) << "the re-layout's own bitmap is deleted";
}

TEST_F(TemplateLayoutTest, KeepsImagesThatCannotBeLoadedAndFailsOnlyForItsOwnReasons)
{
    // No font in this template; images that cannot be loaded fail nothing.
    EXPECT_TRUE(ApplyTemplateLayout(m_module, m_dialog, IDD_NO_IMAGES));
    EXPECT_EQ(Pixels(1, 31, 60, 40), Place(IDC_LIST));
    EXPECT_EQ(m_icon, Image(IDC_ICON_STATIC, IMAGE_ICON));
    EXPECT_TRUE(IconAlive(m_icon));
    EXPECT_EQ(m_bitmap, Image(IDC_BITMAP_STATIC, IMAGE_BITMAP));
    EXPECT_EQ(DWORD(OBJ_BITMAP), GetObjectType(m_bitmap));

    // Two unnamed statics: false, but everything is moved.
    EXPECT_FALSE(ApplyTemplateLayout(m_module, m_dialog, IDD_TWO_UNNAMED));
    EXPECT_EQ(Pixels(2, 2, 40, 12), Place(IDC_PUSH));
    EXPECT_EQ(Pixels(4, 100, 40, 8), Place(kUnnamed));

    // No such template: nothing at all happens.
    g_seen.clear();
    EXPECT_FALSE(ApplyTemplateLayout(m_module, m_dialog, 999));
    EXPECT_TRUE(g_seen.empty());
}

}  // namespace
