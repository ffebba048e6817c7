// The maps' root and the walk that finds and runs the handler bound to a message.
#include "afximpl.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

// The root map: binds nothing and has no base.
const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {AFX_MSGMAP_ENTRY()};
    static const AFX_MSGMAP messageMap = {NULL, entries};
    return &messageMap;
}

namespace {

// The first row, from the class's own map down to the root's, that binds the message.
const AFX_MSGMAP_ENTRY* FindEntry(const AFX_MSGMAP* pMap, UINT message, UINT nCode, UINT nID)
{
    for (; pMap; pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : NULL) {
        for (const AFX_MSGMAP_ENTRY* pEntry = pMap->lpEntries; pEntry->nSig != AfxSig_end;
             ++pEntry) {
            if (pEntry->nMessage == message && pEntry->nCode == nCode && pEntry->nID == nID)
                return pEntry;
        }
    }
    return NULL;
}

}  // namespace

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    UINT nCode = 0;
    UINT nID = 0;
    if (message == WM_COMMAND) {
        nID = LOWORD(wParam);
        // Menus and accelerators send no control; a control sends its notification code.
        nCode = lParam == 0 ? CN_COMMAND : HIWORD(wParam);
    }
    const AFX_MSGMAP_ENTRY* pEntry = FindEntry(GetMessageMap(), message, nCode, nID);
    if (!pEntry)
        return FALSE;

    *pResult = 0;
    switch (pEntry->nSig) {
    case AfxSig_v:
        (this->*pEntry->pfn.pfn_v)();
        break;
    case AfxSig_v_u_i_i:
        (this->*pEntry->pfn.pfn_v_u_i_i)(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        break;
    case AfxSig_l_w_l:
        *pResult = (this->*pEntry->pfn.pfn_l_w_l)(wParam, lParam);
        break;
    case AfxSig_end:
        return FALSE;
    }
    return TRUE;
}
