// Which object stands for which window, per thread: the permanent objects, and the temporary
// ones made for windows that have none, freed when the handling that made them ends.
#include "afximpl.h"

#include <memory>
#include <unordered_map>

namespace {

struct TemporaryWnd {
    std::unique_ptr<CWnd> pWnd;
    int nDepth;  // the handling depth it was made at; 0: outside any handling
};

struct ThreadHandleMaps {
    std::unordered_map<HWND, AfxPermanentEntry> permanent;
    std::unordered_map<HWND, TemporaryWnd> temporary;
    int nDepth = 0;

    // Frees the temporaries made at nFromDepth or deeper.
    void FreeTemporaries(int nFromDepth)
    {
        for (auto it = temporary.begin(); it != temporary.end();) {
            if (it->second.nDepth >= nFromDepth) {
                it->second.pWnd->m_hWnd = NULL;  // a temporary never touches its window
                it = temporary.erase(it);
            } else {
                ++it;
            }
        }
    }

    ~ThreadHandleMaps() { FreeTemporaries(0); }
};

thread_local ThreadHandleMaps t_maps;

}  // namespace

AfxPermanentEntry* AfxLookupPermanent(HWND hWnd)
{
    auto it = t_maps.permanent.find(hWnd);
    return it == t_maps.permanent.end() ? NULL : &it->second;
}

void AfxSetPermanent(HWND hWnd, CWnd* pWnd, WNDPROC pfnSuper)
{
    t_maps.permanent[hWnd] = AfxPermanentEntry{pWnd, pfnSuper};
}

void AfxRemovePermanent(HWND hWnd)
{
    t_maps.permanent.erase(hWnd);
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (!hWnd)
        return NULL;
    const AfxPermanentEntry* pEntry = AfxLookupPermanent(hWnd);
    if (pEntry && pEntry->pWnd)
        return pEntry->pWnd;
    auto it = t_maps.temporary.find(hWnd);
    if (it != t_maps.temporary.end())
        return it->second.pWnd.get();
    std::unique_ptr<CWnd> pWnd(new CWnd);
    pWnd->m_hWnd = hWnd;
    auto inserted = t_maps.temporary.emplace(hWnd, TemporaryWnd{std::move(pWnd), t_maps.nDepth});
    return inserted.first->second.pWnd.get();
}

CAfxHandlerScope::CAfxHandlerScope()
{
    ++t_maps.nDepth;
}

CAfxHandlerScope::~CAfxHandlerScope()
{
    t_maps.FreeTemporaries(t_maps.nDepth);
    --t_maps.nDepth;
}
