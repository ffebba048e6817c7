// The title strip: dark blue, the owner's title in white on the left, "ok" on the right. A tap on
// "ok" posts WM_COMMAND IDOK to the owner, as the device's title bar does.
#include "title_strip.h"

#include "aygshell_standin.h"
#include "shell_module.h"
#include "tap_button.h"
#include "unique_handle.h"
#include "window_state.h"

#include <memory>
#include <utility>

namespace {

const COLORREF kStripColor = RGB(16, 44, 132);
const COLORREF kPushedColor = RGB(70, 110, 200);
const COLORREF kTextColor = RGB(255, 255, 255);
const int kOkWidth = 30;
const int kOkMargin = 3;
const int kTextIndent = 6;

// What one strip owns: the bold font of its title.
struct StripState {
    static constexpr wchar_t kProperty[] = L"OstrelTitleStrip";
    UniqueGdiObject<HFONT> titleFont;
};

// The strip's bold title font, or the shell's own when it could not be made.
HGDIOBJ TitleFont(HWND strip)
{
    const StripState* state = StateOf<StripState>(strip);
    return state && state->titleFont.IsValid() ? state->titleFont.Get()
                                               : GetStockObject(DEFAULT_GUI_FONT);
}

RECT OkButtonRect(HWND hwnd)
{
    RECT client;
    GetClientRect(hwnd, &client);
    return {client.right - kOkMargin - kOkWidth, kOkMargin, client.right - kOkMargin,
            client.bottom - kOkMargin};
}

// Creation: the state with its font, and the "ok" button (hidden until asked for).
LRESULT OnCreate(HWND hwnd)
{
    auto state = std::make_unique<StripState>();
    state->titleFont = UniqueGdiObject<HFONT>(
        CreateFontW(-12, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma"));
    if (!AttachState(hwnd, std::move(state)))
        return -1;
    HWND ok = CreateTapButton(hwnd, IDOK, L"ok", BS_OWNERDRAW, OkButtonRect(hwnd));
    if (!ok)
        return -1;
    ShowWindow(ok, SW_HIDE);
    return 0;
}

// Painting: the strip's colour and the owner's title, cut short with an ellipsis before "ok".
void OnPaint(HWND hwnd)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client;
    GetClientRect(hwnd, &client);
    SetBkColor(dc, kStripColor);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);

    wchar_t title[256] = L"";
    GetWindowTextW(GetWindow(hwnd, GW_OWNER), title, 256);
    RECT text = client;
    text.left += kTextIndent;
    text.right = OkButtonRect(hwnd).left - kOkMargin;
    HGDIOBJ previousFont = SelectObject(dc, TitleFont(hwnd));
    SetTextColor(dc, kTextColor);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, title, -1, &text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, previousFont);
    EndPaint(hwnd, &paint);
}

// The "ok" button: a white rounded outline, filled lighter while pushed.
void OnDrawOkButton(const DRAWITEMSTRUCT* item)
{
    HDC dc = item->hDC;
    RECT frame = item->rcItem;
    SetBkColor(dc, kStripColor);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &frame, nullptr, 0, nullptr);
    const UniqueGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, kTextColor));
    const UniqueGdiObject<HBRUSH> fill(
        CreateSolidBrush((item->itemState & ODS_SELECTED) ? kPushedColor : kStripColor));
    HGDIOBJ previousPen = SelectObject(dc, pen.IsValid() ? pen.Get() : GetStockObject(WHITE_PEN));
    HGDIOBJ previousBrush =
        SelectObject(dc, fill.IsValid() ? fill.Get() : GetStockObject(NULL_BRUSH));
    RoundRect(dc, frame.left, frame.top, frame.right, frame.bottom, 8, 8);
    SelectObject(dc, previousBrush);
    SelectObject(dc, previousPen);

    HGDIOBJ previousFont = SelectObject(dc, TitleFont(GetParent(item->hwndItem)));
    SetTextColor(dc, kTextColor);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, L"ok", -1, &frame, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, previousFont);
}

// "ok" tapped: the owner gets IDOK, unless it is disabled (a message box or a modal dialog is up).
void OnOkTapped(HWND hwnd)
{
    HWND owner = GetWindow(hwnd, GW_OWNER);
    if (owner && IsWindowEnabled(owner))
        PostMessageW(owner, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

LRESULT CALLBACK TitleStripProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate(hwnd);
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT covers the whole strip
    case WM_PAINT:
        OnPaint(hwnd);
        return 0;
    case WM_DRAWITEM:
        OnDrawOkButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_SIZE: {
        RECT ok = OkButtonRect(hwnd);
        SetWindowPos(GetDlgItem(hwnd, IDOK), nullptr, ok.left, ok.top, ok.right - ok.left,
                     ok.bottom - ok.top, SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED)
            OnOkTapped(hwnd);
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;  // the dialog stays the active window
    case WM_NCDESTROY:
        DestroyState<StripState>(hwnd);
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

HWND CreateTitleStrip(HWND dialog)
{
    if (!RegisterShellClass(AYGSHELL_STANDIN_TITLE_CLASS, TitleStripProc, COLOR_ACTIVECAPTION))
        return nullptr;
    return CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, AYGSHELL_STANDIN_TITLE_CLASS, L"",
                           WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0, 0, dialog, nullptr, ShellModule(),
                           nullptr);
}

HWND FindTitleStrip(HWND dialog)
{
    return FindOwnedWindow(dialog, AYGSHELL_STANDIN_TITLE_CLASS);
}

void ShowDoneButton(HWND strip, bool show)
{
    ShowWindow(GetDlgItem(strip, IDOK), show ? SW_SHOWNA : SW_HIDE);
}
