// CString::LoadString: a string of the application's string table.
#include <afxwin.h>

BOOL CString::LoadString(UINT nID)
{
    // Asked for no particular language, the resource loader falls back through the thread's,
    // the user's and the system's languages to the first language the table has, so strings
    // tagged with one language only are found whatever the user interface speaks.
    LPCWSTR pch = NULL;
    const int nLength =
        ::LoadStringW(AfxGetResourceHandle(), nID, reinterpret_cast<LPWSTR>(&pch), 0);
    if (nLength <= 0 || !pch)
        return FALSE;
    *this = CString(pch, nLength);  // the table's strings are not terminated
    return TRUE;
}
