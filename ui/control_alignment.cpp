// Placing a dialog's controls against its edges and against each other when its size changes.
#include "ui/control_alignment.h"

#include <cstdlib>

#include "unique_handle.h"

namespace {

const int kSideMarginAt96Dpi = 7;

// The screen's horizontal pixels per logical inch, or -1 when it has no device context.
int QueryLogPixelsX()
{
    const UniqueScreenDc screen(::GetDC(NULL));
    if (!screen.IsValid())
        return -1;
    return ::GetDeviceCaps(screen.Get(), LOGPIXELSX);
}

// The control's rectangle in the dialog's client coordinates; false when there is no such control.
bool GetControlRect(const CWnd& dialog, int nControlId, HWND* phWndControl, RECT* pRect)
{
    *phWndControl = ::GetDlgItem(dialog.m_hWnd, nControlId);
    if (!*phWndControl)
        return false;
    ::GetWindowRect(*phWndControl, pRect);
    dialog.ScreenToClient(pRect);
    return true;
}

}  // namespace

int ScaleX(int nLength)
{
    // Asked once: a failed query is not retried.
    static const int s_nLogPixelsX = QueryLogPixelsX();
    const int nScaled = (std::abs(nLength) * s_nLogPixelsX + 48) / 96;
    return nLength < 0 ? -nScaled : nScaled;
}

void StretchControlsHorizontally(const CWnd& dialog, std::initializer_list<int> controlIds)
{
    const int nMargin = ScaleX(kSideMarginAt96Dpi);
    RECT client;
    dialog.GetClientRect(&client);
    for (int nControlId : controlIds) {
        HWND hWndControl;
        RECT rect;
        if (!GetControlRect(dialog, nControlId, &hWndControl, &rect))
            continue;
        ::MoveWindow(hWndControl, nMargin, rect.top, (client.right - 2 * nMargin) - client.left,
                     rect.bottom - rect.top, TRUE);
    }
}

void ExtendControlToBottom(const CWnd& dialog, int nControlId)
{
    HWND hWndControl;
    RECT rect;
    if (!GetControlRect(dialog, nControlId, &hWndControl, &rect))
        return;
    RECT screenRect;
    ::GetWindowRect(hWndControl, &screenRect);
    RECT client;
    dialog.GetClientRect(&client);
    const int nHeight = (client.bottom - client.top) - rect.top - screenRect.left;
    ::SetWindowPos(hWndControl, NULL, 0, 0, rect.right - rect.left, nHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void AlignControls(const CWnd& dialog, AlignKind nKind, int nBaseId,
                   std::initializer_list<int> controlIds)
{
    HWND hWndBase;
    RECT base;
    if (!GetControlRect(dialog, nBaseId, &hWndBase, &base))
        return;
    for (int nControlId : controlIds) {
        HWND hWndControl;
        RECT rect;
        if (!GetControlRect(dialog, nControlId, &hWndControl, &rect))
            continue;
        int x = rect.left;
        int y = rect.top;
        switch (nKind) {
        case ALIGN_LEFT:
            x = base.left;
            break;
        case ALIGN_RIGHT:
            x = base.right - (rect.right - rect.left);
            break;
        case ALIGN_TOP:
            y = base.top;
            break;
        case ALIGN_BOTTOM:
            y = base.bottom - (rect.bottom - rect.top);
            break;
        }
        ::SetWindowPos(hWndControl, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
}
