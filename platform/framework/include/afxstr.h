// CString: the framework's reference-counted, copy-on-write wide string.
#pragma once

#include <windows.h>

// Copies share one body until one of them changes; a change first gives the changed string
// a body of its own, so a string copied earlier never sees it. The reference count is
// interlocked, so copies may live on different threads. A pointer from operator LPCWSTR
// stays valid until this string is next changed or destroyed. Lengths count characters and
// may include NULs when built from (pointer, length). Running out of memory throws
// std::bad_alloc and leaves the string as it was.
class CString {
public:
    CString() noexcept
        : m_pBody(nullptr)
    {
    }
    CString(LPCWSTR psz);               // a null pointer gives the empty string
    CString(LPCWSTR pch, int nLength);  // exactly nLength characters
    CString(const CString& other);
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(LPCWSTR psz);

    int GetLength() const noexcept;
    bool IsEmpty() const noexcept { return GetLength() == 0; }
    void Empty() noexcept;
    operator LPCWSTR() const noexcept;

    CString& operator+=(const CString& other);
    CString& operator+=(LPCWSTR psz);
    CString& operator+=(wchar_t ch);

    // Parts of the string; arguments out of range are brought into it.
    CString Left(int nCount) const;
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    // Index of the first match at or after nStart, or -1.
    int Find(wchar_t ch, int nStart = 0) const noexcept;
    int Find(LPCWSTR pszSub, int nStart = 0) const noexcept;

    // Replaces the text with string nID of the application's string table, whatever language
    // the table is tagged with; FALSE, and the text unchanged, when there is no such string.
    BOOL LoadString(UINT nID);

    // Lends out the characters for writing, with room for at least nMinLength of them and a
    // terminator. Until ReleaseBuffer, copies of this string get characters of their own.
    LPWSTR GetBuffer(int nMinLength);
    // Ends the loan; the length is nNewLength, or up to the first NUL when it is -1.
    void ReleaseBuffer(int nNewLength = -1);

private:
    struct Body;

    void Assign(LPCWSTR pch, int nLength);
    void Append(LPCWSTR pch, int nLength);
    bool CanWriteInPlace(int nCapacity) const noexcept;
    static Body* NewBody(int nCapacity);
    static void Release(Body* pBody) noexcept;

    Body* m_pBody;  // null for the empty string
};

bool operator==(const CString& a, const CString& b) noexcept;
bool operator==(const CString& a, LPCWSTR b) noexcept;
bool operator==(LPCWSTR a, const CString& b) noexcept;
inline bool operator!=(const CString& a, const CString& b) noexcept
{
    return !(a == b);
}
inline bool operator!=(const CString& a, LPCWSTR b) noexcept
{
    return !(a == b);
}
inline bool operator!=(LPCWSTR a, const CString& b) noexcept
{
    return !(a == b);
}

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, LPCWSTR b);
CString operator+(LPCWSTR a, const CString& b);
CString operator+(const CString& a, wchar_t b);
