// Message maps: each class's table that binds messages, commands and notifications to its
// handlers. Each macro is one row; the dispatcher in CWnd walks the rows, the class's own
// first and then its bases', and whatever no row binds goes to the default handling.
#pragma once

#include <windows.h>

class CCmdTarget;
class CWnd;

#define afx_msg

// The code a menu or accelerator command is filed under; a button click (BN_CLICKED) has the
// same value, so ON_COMMAND and ON_BN_CLICKED rows answer both, as on the device.
#define CN_COMMAND 0

// The handler signatures a row can name.
enum AfxSig : UINT {
    AfxSig_end = 0,  // the row that ends a map
    AfxSig_v,        // void Fn(): commands and control notifications
    AfxSig_v_u_i_i,  // void Fn(UINT nType, int cx, int cy): WM_SIZE
    AfxSig_l_w_l,    // LRESULT Fn(WPARAM wParam, LPARAM lParam): any message
};

// One handler of one of the signatures above; the row's nSig says which.
union AfxHandler {
    void (CCmdTarget::*pfn_v)();
    void (CWnd::*pfn_v_u_i_i)(UINT, int, int);
    LRESULT (CWnd::*pfn_l_w_l)(WPARAM, LPARAM);

    constexpr AfxHandler()
        : pfn_v(nullptr)
    {
    }
    constexpr AfxHandler(void (CCmdTarget::*pfn)())
        : pfn_v(pfn)
    {
    }
    constexpr AfxHandler(void (CWnd::*pfn)(UINT, int, int))
        : pfn_v_u_i_i(pfn)
    {
    }
    constexpr AfxHandler(LRESULT (CWnd::*pfn)(WPARAM, LPARAM))
        : pfn_l_w_l(pfn)
    {
    }
};

// One binding. The constructor that takes the handler records its signature.
struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // the window message; WM_COMMAND for commands and notifications
    UINT nCode;     // WM_COMMAND only: the notification code, CN_COMMAND for commands
    UINT nID;       // WM_COMMAND only: the command or control identifier
    AfxSig nSig;
    AfxHandler pfn;

    constexpr AFX_MSGMAP_ENTRY()
        : nMessage(0),
          nCode(0),
          nID(0),
          nSig(AfxSig_end),
          pfn()
    {
    }
    constexpr AFX_MSGMAP_ENTRY(UINT message, UINT code, UINT id, void (CCmdTarget::*handler)())
        : nMessage(message),
          nCode(code),
          nID(id),
          nSig(AfxSig_v),
          pfn(handler)
    {
    }
    constexpr AFX_MSGMAP_ENTRY(UINT message, void (CWnd::*handler)(UINT, int, int))
        : nMessage(message),
          nCode(0),
          nID(0),
          nSig(AfxSig_v_u_i_i),
          pfn(handler)
    {
    }
    constexpr AFX_MSGMAP_ENTRY(UINT message, LRESULT (CWnd::*handler)(WPARAM, LPARAM))
        : nMessage(message),
          nCode(0),
          nID(0),
          nSig(AfxSig_l_w_l),
          pfn(handler)
    {
    }
};

// A class's table and the way to its base class's table (null for the root).
struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// In the class body. Leaves the following declarations protected.
#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    virtual const AFX_MSGMAP* GetMessageMap() const;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const                                              \
    {                                                                                              \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                                \
    {                                                                                              \
        using ThisClass [[maybe_unused]] = theClass;                                               \
        using TheBaseClass = baseClass;                                                            \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                                          \
    AFX_MSGMAP_ENTRY()                                                                             \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, entries};              \
    return &messageMap;                                                                            \
    }

// A menu command (or a click of the button with that identifier): void OnFn()
#define ON_COMMAND(id, memberFxn)                                                                  \
    AFX_MSGMAP_ENTRY(WM_COMMAND, CN_COMMAND, static_cast<UINT>(id),                                \
                     static_cast<void (CCmdTarget::*)()>(memberFxn)),

// A click of button id: void OnFn()
#define ON_BN_CLICKED(id, memberFxn)                                                               \
    AFX_MSGMAP_ENTRY(WM_COMMAND, BN_CLICKED, static_cast<UINT>(id),                                \
                     static_cast<void (CCmdTarget::*)()>(memberFxn)),

// The window's size changed: void OnSize(UINT nType, int cx, int cy), the new client size
#define ON_WM_SIZE()                                                                               \
    AFX_MSGMAP_ENTRY(WM_SIZE, static_cast<void (CWnd::*)(UINT, int, int)>(&ThisClass::OnSize)),

// Any message, raw: LRESULT OnFn(WPARAM wParam, LPARAM lParam), the result goes to the sender
#define ON_MESSAGE(message, memberFxn)                                                             \
    AFX_MSGMAP_ENTRY(static_cast<UINT>(message),                                                   \
                     static_cast<LRESULT (CWnd::*)(WPARAM, LPARAM)>(memberFxn)),
