// The shell's frame around a window: a subclass that hears the screen turn, the window show, hide
// and minimise, and its title change, and keeps the owned strips in step.
#include "shell_frame.h"

#include "aygshell.h"
#include "aygshell_standin.h"
#include "menu_bar.h"
#include "title_strip.h"
#include "window_state.h"

#include <memory>
#include <utility>

namespace {

struct FrameState {
    static constexpr wchar_t kProperty[] = L"OstrelShellFrame";
    WNDPROC previous = nullptr;  // the window's own procedure
    bool fullScreen = false;     // fills the screen between the strips
    bool reachesBottom = false;  // full screen down to the bottom edge, over any menu bar
    SIZE arrangedFor = {};       // the screen size of the last arrangement of the window itself
};

SIZE ScreenSize()
{
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// Drawn afresh at its new place: after a turn of the screen Wine's copy of the old bits is garbage.
void MoveStrip(HWND strip, int top, int width, int height)
{
    if (!strip)
        return;
    SetWindowPos(strip, nullptr, 0, top, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    RedrawWindow(strip, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// Places the strips along the screen's edges and a full-screen window between them. A minimised
// window keeps its place; it is arranged when it comes back (see ShowStripsWithFrame).
void Arrange(HWND hwnd, FrameState& state)
{
    const SIZE screen = ScreenSize();
    HWND strip = FindTitleStrip(hwnd);
    HWND bar = FindMenuBar(hwnd);
    MoveStrip(strip, 0, screen.cx, AYGSHELL_STANDIN_TITLE_HEIGHT);
    MoveStrip(bar, screen.cy - AYGSHELL_STANDIN_MENUBAR_HEIGHT, screen.cx,
              AYGSHELL_STANDIN_MENUBAR_HEIGHT);
    if (!state.fullScreen || IsIconic(hwnd))
        return;
    state.arrangedFor = screen;  // before the move: the move comes back here as WM_WINDOWPOSCHANGED
    const int top = strip ? AYGSHELL_STANDIN_TITLE_HEIGHT : 0;
    const int bottom =
        (bar && !state.reachesBottom) ? screen.cy - AYGSHELL_STANDIN_MENUBAR_HEIGHT : screen.cy;
    SetWindowPos(hwnd, nullptr, 0, top, screen.cx, bottom - top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

// Shows a strip directly above its window, or hides it.
void ShowStrip(HWND hwnd, HWND strip, bool show)
{
    if (!strip || (IsWindowVisible(strip) != FALSE) == show)
        return;
    UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    if (!show) {
        SetWindowPos(strip, nullptr, 0, 0, 0, 0, flags | SWP_NOZORDER | SWP_HIDEWINDOW);
        return;
    }
    // Right above the window, not above everything: a modal dialog over it keeps its own strips on top.
    HWND above = GetWindow(hwnd, GW_HWNDPREV);
    if (above == strip)
        flags |= SWP_NOZORDER;
    SetWindowPos(strip, above ? above : HWND_TOP, 0, 0, 0, 0, flags | SWP_SHOWWINDOW);
}

// The strips are on screen exactly while their window is: visible and not minimised.
void ShowStripsWithFrame(HWND hwnd, FrameState& state)
{
    const bool shown = IsWindowVisible(hwnd) && !IsIconic(hwnd);
    if (shown && state.fullScreen) {
        const SIZE screen = ScreenSize();
        if (screen.cx != state.arrangedFor.cx || screen.cy != state.arrangedFor.cy)
            Arrange(hwnd, state);  // the screen turned while the window was minimised
    }
    ShowStrip(hwnd, FindTitleStrip(hwnd), shown);
    ShowStrip(hwnd, FindMenuBar(hwnd), shown);
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    FrameState* state = StateOf<FrameState>(hwnd);
    const WNDPROC previous = state->previous;
    if (message == WM_NCDESTROY) {
        // The strips went already: a window destroys the windows it owns before itself.
        DestroyState<FrameState>(hwnd);
        return CallWindowProcW(previous, hwnd, message, wParam, lParam);
    }
    const LRESULT result = CallWindowProcW(previous, hwnd, message, wParam, lParam);
    switch (message) {
    case WM_DISPLAYCHANGE:  // the screen turned or changed its size
        Arrange(hwnd, *state);
        break;
    case WM_WINDOWPOSCHANGED:
        ShowStripsWithFrame(hwnd, *state);
        break;
    case WM_SETTEXT:
        if (HWND strip = FindTitleStrip(hwnd))
            InvalidateRect(strip, nullptr, FALSE);
        break;
    }
    return result;
}

// The frame state of hwnd, subclassing it on first use; null when that fails.
FrameState* Attach(HWND hwnd)
{
    if (FrameState* state = StateOf<FrameState>(hwnd))
        return state;
    auto state = std::make_unique<FrameState>();
    state->previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    if (!state->previous || !AttachState(hwnd, std::move(state)))
        return nullptr;
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FrameProc));
    return StateOf<FrameState>(hwnd);
}

// A full-screen dialog shows no caption or border of its own: the title strip is its caption.
void RemoveCaption(HWND hwnd)
{
    SetWindowLongW(hwnd, GWL_STYLE,
                   GetWindowLongW(hwnd, GWL_STYLE) & ~(WS_CAPTION | WS_THICKFRAME));
    SetWindowLongW(hwnd, GWL_EXSTYLE,
                   GetWindowLongW(hwnd, GWL_EXSTYLE) & ~(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE));
}

}  // namespace

bool DressDialog(HWND dialog, DWORD flags)
{
    FrameState* state = Attach(dialog);
    if (!state)
        return false;
    HWND strip = FindTitleStrip(dialog);
    if (!strip && !(strip = CreateTitleStrip(dialog)))
        return false;
    ShowDoneButton(strip, (flags & SHIDIF_DONEBUTTON) != 0);
    if ((flags & SHIDIF_EMPTYMENU) && !FindMenuBar(dialog) &&
        !CreateMenuBar(dialog, dialog, UniqueMenu()))
        return false;
    state->fullScreen =
        (flags & (SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_FULLSCREENNOMENUBAR)) != 0;
    state->reachesBottom = (flags & SHIDIF_FULLSCREENNOMENUBAR) != 0;
    if (state->fullScreen)
        RemoveCaption(dialog);
    Arrange(dialog, *state);
    ShowStripsWithFrame(dialog, *state);
    return true;
}

HWND ReplaceMenuBar(HWND owner, HWND commandTarget, UniqueMenu menu)
{
    FrameState* state = Attach(owner);
    if (!state)
        return nullptr;
    HWND earlier = FindMenuBar(owner);
    HWND bar = CreateMenuBar(owner, commandTarget, std::move(menu));
    if (!bar)
        return nullptr;
    if (earlier)
        DestroyWindow(earlier);
    Arrange(owner, *state);
    ShowStripsWithFrame(owner, *state);
    return bar;
}
