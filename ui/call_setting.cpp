// The list editor: works on its own list box until "Save" writes the list and replaces the
// shared one.
#include "ui/call_setting.h"

#include "settings/number_list.h"
#include "settings/settings_store.h"
#include "ui/control_alignment.h"

IMPLEMENT_DYNAMIC(CCallSetting, CDialog)

BEGIN_MESSAGE_MAP(CCallSetting, CDialog)
    ON_WM_SIZE()
    ON_BN_CLICKED(IDC_ADD, &CCallSetting::OnAdd)
    ON_COMMAND(ID_SETTING_SAVE, &CCallSetting::OnSave)
    ON_COMMAND(ID_SETTING_DELETE, &CCallSetting::OnDelete)
END_MESSAGE_MAP()

CCallSetting::CCallSetting(CString* pNumberList, CWnd* pParent, BOOL bListFromStore)
    : CDialog(CCallSetting::IDD, pParent),
      m_pNumberList(pNumberList),
      m_bListFromStore(bListFromStore),
      m_hWndMenuBar(NULL)
{
    memset(&m_mbi, 0, sizeof(m_mbi));
}

CCallSetting::~CCallSetting()
{
}

// Binds the controls and fills the list box from a copy of the shared list, empty entries
// included; the list box puts them in order.
void CCallSetting::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_NUMBER_EDIT, m_editNumber);
    DDX_Control(pDX, IDC_NUMBER_LIST, m_listNumbers);
    const CString strNumberList = *m_pNumberList;  // cut a copy, never the shared list itself
    AddEntries(strNumberList);
}

void CCallSetting::AddEntries(const CString& strNumberList)
{
    if (strNumberList.IsEmpty())
        return;
    SplitNumberList(static_cast<LPCWSTR>(strNumberList),
                    static_cast<size_t>(strNumberList.GetLength()),
                    [this](const wchar_t* pchEntry, size_t nLength) {
                        m_listNumbers.AddString(CString(pchEntry, static_cast<int>(nLength)));
                        return true;
                    });
}

BOOL CCallSetting::OnInitDialog()
{
    CDialog::OnInitDialog();

    memset(&m_mbi, 0, sizeof(m_mbi));
    m_mbi.cbSize = sizeof(m_mbi);
    m_mbi.hwndParent = m_hWnd;
    m_mbi.dwFlags = SHCMBF_HMENU;
    m_mbi.nToolBarId = IDR_SETTING_MENU;
    m_mbi.hInstRes = AfxGetInstanceHandle();
    m_mbi.nBmpId = 0;
    m_mbi.cBmpImages = 0;
    // Without the bar, Save and Delete are out of reach; Add and closing still work.
    if (!SHCreateMenuBar(&m_mbi))
        MessageBox(_T("SHCreateMenuBar Failed"), _T("Error"), MB_OK);
    m_hWndMenuBar = m_mbi.hwndMB;

    // No control takes the focus when the editor opens.
    return FALSE;
}

// Every size change: the list fills the width and reaches down to one margin from the edges;
// the edit box and "Add" line up with its left and right edges.
void CCallSetting::OnSize(UINT, int, int)
{
    StretchControlsHorizontally(*this, {IDC_NUMBER_LIST});
    ExtendControlToBottom(*this, IDC_NUMBER_LIST);
    AlignControls(*this, ALIGN_LEFT, IDC_NUMBER_LIST, {IDC_NUMBER_EDIT});
    AlignControls(*this, ALIGN_RIGHT, IDC_NUMBER_LIST, {IDC_ADD});
}

// "Add": the typed text, verbatim, into the list box at its sorted place; the box is emptied.
void CCallSetting::OnAdd()
{
    CString strNumber;
    m_editNumber.GetWindowText(strNumber);
    if (strNumber.IsEmpty())
        return;
    m_listNumbers.AddString(strNumber);
    m_editNumber.Clear();
    m_editNumber.SetWindowText(_T(""));
}

// "Delete": the selected entry goes; with none selected nothing changes.
void CCallSetting::OnDelete()
{
    m_listNumbers.DeleteString(static_cast<UINT>(m_listNumbers.GetCurSel()));
    m_listNumbers.UpdateWindow();
}

// "Save": the list box in display order becomes the stored list and, once stored, the shared
// one. The editor stays open either way.
void CCallSetting::OnSave()
{
    if (!m_bListFromStore && !TakeInStoredList()) {
        MessageBox(_T("Save faulted, please retry!"), AfxGetAppName(), MB_OK);
        return;
    }

    CString strNumberList;
    CString strEntry;
    for (int i = 0; i < m_listNumbers.GetCount(); ++i) {
        m_listNumbers.GetText(i, strEntry);
        strNumberList += strEntry;
        strNumberList += _T(';');
    }

    LPCTSTR pszMessage = _T("Save faulted, please retry!");
    if (WriteNumberList(strNumberList) == 1) {
        *m_pNumberList = strNumberList;
        pszMessage = _T("Save finished!");
    }
    MessageBox(pszMessage, AfxGetAppName(), MB_OK);
}

// The editor did not open on the stored list: the store is read once more. A list read now joins
// the editor's entries (and is screened from now on), so the save keeps it; a store that still
// cannot be read refuses the save. A value no read could ever load (none, or one over the read
// capacity) screened nothing, so the save may replace it.
bool CCallSetting::TakeInStoredList()
{
    CString strStored;
    switch (ReadStoredNumberList(strStored)) {
    case LIST_UNAVAILABLE:
        return false;
    case LIST_READ:
        AddEntries(strStored);
        *m_pNumberList = strStored;
        break;
    case LIST_NONE:
        break;
    }
    m_bListFromStore = TRUE;
    return true;
}
