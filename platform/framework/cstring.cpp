// CString's shared bodies: allocation, sharing and copy-on-write.
#include "afxstr.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <new>

// The header of a body; its characters and their terminator follow it in the same block.
struct CString::Body {
    volatile LONG nRefs;  // -1 while GetBuffer has lent the characters out
    int nLength;
    int nCapacity;  // characters, the terminator not counted

    wchar_t* Chars() noexcept { return reinterpret_cast<wchar_t*>(this + 1); }
};

namespace {

int TextLength(LPCWSTR psz)
{
    if (!psz)
        return 0;
    const size_t nLength = wcslen(psz);
    if (nLength > INT_MAX)
        throw std::bad_alloc();
    return static_cast<int>(nLength);
}

void CopyChars(wchar_t* pDest, LPCWSTR pSrc, int nCount) noexcept
{
    if (nCount > 0)
        std::memmove(pDest, pSrc, static_cast<size_t>(nCount) * sizeof(wchar_t));
}

}  // namespace

CString::CString(LPCWSTR psz)
    : m_pBody(nullptr)
{
    Assign(psz, TextLength(psz));
}

CString::CString(LPCWSTR pch, int nLength)
    : m_pBody(nullptr)
{
    Assign(pch, pch ? nLength : 0);
}

CString::CString(const CString& other)
    : m_pBody(nullptr)
{
    *this = other;
}

CString::~CString()
{
    Release(m_pBody);
}

CString& CString::operator=(const CString& other)
{
    if (&other == this || other.m_pBody == m_pBody)
        return *this;
    if (other.m_pBody && other.m_pBody->nRefs < 0) {
        // Its characters are lent out and may still change: take a copy of them.
        Assign(other.m_pBody->Chars(), other.m_pBody->nLength);
        return *this;
    }
    if (other.m_pBody)
        InterlockedIncrement(&other.m_pBody->nRefs);
    Release(m_pBody);
    m_pBody = other.m_pBody;
    return *this;
}

CString& CString::operator=(LPCWSTR psz)
{
    Assign(psz, TextLength(psz));
    return *this;
}

int CString::GetLength() const noexcept
{
    return m_pBody ? m_pBody->nLength : 0;
}

void CString::Empty() noexcept
{
    Release(m_pBody);
    m_pBody = nullptr;
}

CString::operator LPCWSTR() const noexcept
{
    return m_pBody ? m_pBody->Chars() : L"";
}

CString& CString::operator+=(const CString& other)
{
    Append(other, other.GetLength());
    return *this;
}

CString& CString::operator+=(LPCWSTR psz)
{
    Append(psz, TextLength(psz));
    return *this;
}

CString& CString::operator+=(wchar_t ch)
{
    Append(&ch, 1);
    return *this;
}

CString CString::Left(int nCount) const
{
    return Mid(0, nCount);
}

CString CString::Mid(int nFirst) const
{
    return Mid(nFirst, INT_MAX);
}

CString CString::Mid(int nFirst, int nCount) const
{
    const int nLength = GetLength();
    if (nFirst < 0)
        nFirst = 0;
    if (nFirst > nLength)
        nFirst = nLength;
    if (nCount < 0)
        nCount = 0;
    if (nCount > nLength - nFirst)
        nCount = nLength - nFirst;
    if (nFirst == 0 && nCount == nLength)
        return *this;  // the whole string: share the body
    return CString(static_cast<LPCWSTR>(*this) + nFirst, nCount);
}

int CString::Find(wchar_t ch, int nStart) const noexcept
{
    const LPCWSTR pch = *this;
    for (int i = nStart < 0 ? 0 : nStart; i < GetLength(); ++i) {
        if (pch[i] == ch)
            return i;
    }
    return -1;
}

int CString::Find(LPCWSTR pszSub, int nStart) const noexcept
{
    const int nLength = GetLength();
    const size_t nSubLength = pszSub ? wcslen(pszSub) : 0;
    if (nStart < 0 || nStart > nLength || nSubLength > static_cast<size_t>(nLength - nStart))
        return -1;
    const LPCWSTR pch = *this;
    const int nLast = nLength - static_cast<int>(nSubLength);
    for (int i = nStart; i <= nLast; ++i) {
        if (std::wmemcmp(pch + i, pszSub, nSubLength) == 0)
            return i;
    }
    return -1;
}

LPWSTR CString::GetBuffer(int nMinLength)
{
    const int nLength = GetLength();
    if (nMinLength < nLength)
        nMinLength = nLength;
    if (!m_pBody || !CanWriteInPlace(nMinLength)) {
        Body* pBody = NewBody(nMinLength);
        CopyChars(pBody->Chars(), *this, nLength + 1);
        pBody->nLength = nLength;
        Release(m_pBody);
        m_pBody = pBody;
    }
    m_pBody->nRefs = -1;
    return m_pBody->Chars();
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (!m_pBody || m_pBody->nRefs != -1)
        return;  // nothing was lent out; the body may be shared
    wchar_t* pch = m_pBody->Chars();
    const int nCapacity = m_pBody->nCapacity;
    if (nNewLength < 0 || nNewLength > nCapacity)
        nNewLength = static_cast<int>(wcsnlen(pch, static_cast<size_t>(nCapacity)));
    pch[nNewLength] = L'\0';
    m_pBody->nLength = nNewLength;
    m_pBody->nRefs = 1;
}

void CString::Assign(LPCWSTR pch, int nLength)
{
    if (nLength <= 0) {
        Empty();
        return;
    }
    // The new body is filled before the old one goes, as pch may point into it.
    Body* pBody = NewBody(nLength);
    CopyChars(pBody->Chars(), pch, nLength);
    pBody->Chars()[nLength] = L'\0';
    pBody->nLength = nLength;
    Release(m_pBody);
    m_pBody = pBody;
}

void CString::Append(LPCWSTR pch, int nCount)
{
    if (!pch || nCount <= 0)
        return;
    const int nLength = GetLength();
    if (nCount > INT_MAX - nLength)
        throw std::bad_alloc();
    const int nNewLength = nLength + nCount;
    if (m_pBody && CanWriteInPlace(nNewLength)) {
        CopyChars(m_pBody->Chars() + nLength, pch, nCount);
    } else {
        // Grow by half again, so that a list built entry by entry is not copied each time.
        int nCapacity = nLength < INT_MAX / 3 ? nLength + nLength / 2 : INT_MAX - 1;
        if (nCapacity < nNewLength)
            nCapacity = nNewLength;
        Body* pBody = NewBody(nCapacity);
        CopyChars(pBody->Chars(), *this, nLength);
        CopyChars(pBody->Chars() + nLength, pch, nCount);  // pch may point into the old body
        Release(m_pBody);
        m_pBody = pBody;
    }
    m_pBody->Chars()[nNewLength] = L'\0';
    m_pBody->nLength = nNewLength;
}

bool CString::CanWriteInPlace(int nCapacity) const noexcept
{
    // Only a body that no other string shares may change under us.
    return (m_pBody->nRefs == 1 || m_pBody->nRefs == -1) && m_pBody->nCapacity >= nCapacity;
}

CString::Body* CString::NewBody(int nCapacity)
{
    if (nCapacity < 0 || nCapacity == INT_MAX)
        throw std::bad_alloc();
    const size_t nChars = static_cast<size_t>(nCapacity) + 1;
    if (nChars > (SIZE_MAX - sizeof(Body)) / sizeof(wchar_t))
        throw std::bad_alloc();
    void* p = ::operator new(sizeof(Body) + nChars * sizeof(wchar_t));
    Body* pBody = new (p) Body;
    pBody->nRefs = 1;
    pBody->nLength = 0;
    pBody->nCapacity = nCapacity;
    pBody->Chars()[0] = L'\0';
    return pBody;
}

void CString::Release(Body* pBody) noexcept
{
    if (!pBody)
        return;
    if (pBody->nRefs < 0 || InterlockedDecrement(&pBody->nRefs) == 0) {
        pBody->~Body();
        ::operator delete(pBody);
    }
}

bool operator==(const CString& a, const CString& b) noexcept
{
    const int nLength = a.GetLength();
    return nLength == b.GetLength() && std::wmemcmp(a, b, static_cast<size_t>(nLength)) == 0;
}

bool operator==(const CString& a, LPCWSTR b) noexcept
{
    const LPCWSTR pszB = b ? b : L"";
    const size_t nLength = wcslen(pszB);
    return static_cast<size_t>(a.GetLength()) == nLength && std::wmemcmp(a, pszB, nLength) == 0;
}

bool operator==(LPCWSTR a, const CString& b) noexcept
{
    return b == a;
}

CString operator+(const CString& a, const CString& b)
{
    CString result(a);
    result += b;
    return result;
}

CString operator+(const CString& a, LPCWSTR b)
{
    CString result(a);
    result += b;
    return result;
}

CString operator+(LPCWSTR a, const CString& b)
{
    CString result(a);
    result += b;
    return result;
}

CString operator+(const CString& a, wchar_t b)
{
    CString result(a);
    result += b;
    return result;
}
