// The menu bar: a grey strip of tap buttons, laid out from the left in the order of the menu's
// top-level items. Button n (control id n + 1) stands for the item at position n; what the item
// is gets read at the tap, so a menu changed through SHCMBM_GETMENU works as changed.
#include "menu_bar.h"

#include "aygshell.h"
#include "aygshell_standin.h"
#include "shell_module.h"
#include "tap_button.h"
#include "unique_handle.h"
#include "window_state.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace {

const int kButtonGap = 2;
const int kButtonPadding = 10;
const int kButtonMinWidth = 40;

// What one bar owns: the menu it was built from, and where its commands go.
struct BarState {
    static constexpr wchar_t kProperty[] = L"OstrelMenuBar";
    UniqueMenu menu;
    HWND commandTarget;
};

// The width a button needs for its text in the bar's font.
int ButtonWidth(const wchar_t* text)
{
    SIZE extent = {};
    // The bar's window draws on the screen: the screen's context measures the same.
    const UniqueScreenDc dc(GetDC(nullptr));
    if (dc.IsValid()) {
        HGDIOBJ previousFont = SelectObject(dc.Get(), GetStockObject(DEFAULT_GUI_FONT));
        GetTextExtentPoint32W(dc.Get(), text, lstrlenW(text), &extent);
        SelectObject(dc.Get(), previousFont);
    }
    return std::max<int>(kButtonMinWidth, extent.cx + 2 * kButtonPadding);
}

// Creation: one button per top-level item with text; separators and pictures get none.
LRESULT OnCreate(HWND hwnd, const CREATESTRUCTW* create)
{
    BarState* state = StateOf<BarState>(hwnd);
    if (!state || !state->menu.IsValid())
        return 0;
    HMENU menu = state->menu.Get();
    const int count = GetMenuItemCount(menu);
    int left = kButtonGap;
    for (int position = 0; position < count; ++position) {
        wchar_t text[64] = L"";
        MENUITEMINFOW item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = 64;
        if (!GetMenuItemInfoW(menu, position, TRUE, &item) ||
            (item.fType & (MFT_SEPARATOR | MFT_BITMAP)))
            continue;
        const int width = ButtonWidth(text);
        RECT rect = {left, kButtonGap, left + width, create->cy - kButtonGap};
        const DWORD disabled = (item.fState & MFS_DISABLED) ? WS_DISABLED : 0;
        if (!CreateTapButton(hwnd, position + 1, text, disabled, rect))
            return -1;
        left += width + kButtonGap;
    }
    return 0;
}

// A popup's menu opens above its button; the chosen command reaches the target through the menu.
void OpenPopup(HWND button, HMENU popup, HWND commandTarget)
{
    RECT rect;
    GetWindowRect(button, &rect);
    TPMPARAMS avoid = {sizeof(avoid), rect};
    TrackPopupMenuEx(popup, TPM_LEFTALIGN | TPM_BOTTOMALIGN | TPM_LEFTBUTTON | TPM_VERTICAL,
                     rect.left, rect.top, commandTarget, &avoid);
}

// A button tapped: its item's command goes to the target, or its popup opens. Nothing happens
// while the owner is disabled: a message box or another modal dialog runs over it.
void OnButtonTapped(HWND hwnd, int buttonId, HWND button)
{
    BarState* state = StateOf<BarState>(hwnd);
    HWND owner = GetWindow(hwnd, GW_OWNER);
    if (!state || !state->menu.IsValid() || !owner || !IsWindowEnabled(owner) ||
        !IsWindow(state->commandTarget))
        return;
    MENUITEMINFOW item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_ID | MIIM_STATE | MIIM_SUBMENU;
    if (!GetMenuItemInfoW(state->menu.Get(), buttonId - 1, TRUE, &item) ||
        (item.fState & MFS_DISABLED))
        return;
    if (item.hSubMenu)
        OpenPopup(button, item.hSubMenu, state->commandTarget);
    else
        PostMessageW(state->commandTarget, WM_COMMAND, MAKEWPARAM(item.wID, 0), 0);
}

// Painting: the class brush gave the grey; a dark line marks the bar's top edge.
void OnPaint(HWND hwnd)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client;
    GetClientRect(hwnd, &client);
    RECT edge = {client.left, client.top, client.right, client.top + 1};
    FillRect(dc, &edge, GetSysColorBrush(COLOR_BTNSHADOW));
    EndPaint(hwnd, &paint);
}

LRESULT CALLBACK MenuBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE: {
        // The state comes whole through the creation parameters; the window owns it from here.
        auto* params =
            static_cast<BarState*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (!AttachState(hwnd, std::make_unique<BarState>(std::move(*params))))
            return FALSE;
        break;
    }
    case WM_CREATE:
        return OnCreate(hwnd, reinterpret_cast<const CREATESTRUCTW*>(lParam));
    case WM_PAINT:
        OnPaint(hwnd);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED)
            OnButtonTapped(hwnd, LOWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case SHCMBM_GETMENU:
        if (BarState* state = StateOf<BarState>(hwnd))
            return reinterpret_cast<LRESULT>(state->menu.Get());
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;  // the dialog stays the active window
    case WM_NCDESTROY:
        DestroyState<BarState>(hwnd);
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

HWND CreateMenuBar(HWND owner, HWND commandTarget, UniqueMenu menu)
{
    // A window that never takes it leaves the menu here, destroyed on return.
    BarState params{std::move(menu), commandTarget};
    HWND bar = nullptr;
    if (RegisterShellClass(AYGSHELL_STANDIN_MENUBAR_CLASS, MenuBarProc, COLOR_BTNFACE)) {
        bar = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, AYGSHELL_STANDIN_MENUBAR_CLASS,
                              L"", WS_POPUP | WS_CLIPCHILDREN, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                              AYGSHELL_STANDIN_MENUBAR_HEIGHT, owner, nullptr, ShellModule(),
                              &params);
    }
    return bar;
}

HWND FindMenuBar(HWND owner)
{
    return FindOwnedWindow(owner, AYGSHELL_STANDIN_MENUBAR_CLASS);
}
