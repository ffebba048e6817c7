// Tests CString's sharing, copy-on-write, content and running out of memory.
#include <afx.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <ostream>
#include <string>

// Lets a test make the next heap allocation fail.
static bool g_bFailNextAllocation = false;

void* operator new(size_t nSize)
{
    void* p = g_bFailNextAllocation ? nullptr : std::malloc(nSize ? nSize : 1);
    g_bFailNextAllocation = false;
    if (!p)
        throw std::bad_alloc();
    return p;
}

void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, size_t) noexcept
{
    std::free(p);
}

static std::wstring Text(const CString& str)
{
    return std::wstring(str, size_t(str.GetLength()));
}

// Failure messages show the characters, not the pointer.
void PrintTo(const CString& str, std::ostream* os)
{
    *os << ::testing::PrintToString(Text(str));
}

namespace {

TEST(CString, CopiesShareUntilOneChangesAndSurviveAliasing)
{
    EXPECT_NE(static_cast<LPCWSTR>(CString()), nullptr);
    EXPECT_TRUE(CString(static_cast<LPCWSTR>(nullptr)).IsEmpty());
    CString list(L"246;357;");
    list.GetBuffer(64);  // room to spare, so an append could be done in place
    list.ReleaseBuffer();
    const CString reader = list;
    const LPCWSTR pszBefore = reader;
    EXPECT_EQ(static_cast<LPCWSTR>(list), pszBefore);
    list += L"111;";
    list = L"999;";
    CString other = reader;
    other.Empty();
    EXPECT_EQ(reader, L"246;357;");
    EXPECT_EQ(static_cast<LPCWSTR>(reader), pszBefore);  // the reader's body was not touched

    CString str(L"ab");  // assigned or appended itself, a piece of itself or a sharer
    str = str;
    str += str;
    EXPECT_EQ(str, L"abab");
    str += static_cast<LPCWSTR>(str) + 3;
    EXPECT_EQ(str, L"ababb");
    str = static_cast<LPCWSTR>(str) + 2;
    EXPECT_EQ(str, L"abb");
    CString shared = str;
    shared += str;
    EXPECT_EQ(shared, L"abbabb");
    EXPECT_EQ(str, L"abb");
}

TEST(CString, ContentConcatenationSubstringsAndSearch)
{
    const CString withNul(L"12\0"
                          L"34",
                          5);  // compared whole, copied and appended whole
    EXPECT_NE(withNul,
              CString(L"12\0"
                      L"35",
                      5));
    EXPECT_NE(withNul, L"12");  // the text ends at the pointer's NUL, the string does not
    CString copy = withNul;
    copy += withNul;
    EXPECT_EQ(Text(copy),
              std::wstring(L"12\0"
                           L"3412\0"
                           L"34",
                           10));

    CString grown;  // regrown many times on the way
    for (int i = 0; i < 2000; ++i)
        grown += static_cast<wchar_t>(L'0' + i % 10);
    EXPECT_EQ(grown.Mid(1990), L"0123456789");

    const CString str(L"246;357;");
    EXPECT_EQ(L"246;" + str.Mid(4, 3) + L';' + str.Left(3) + L";", L"246;357;246;");
    EXPECT_EQ(str.Left(99) + str.Left(-1) + str.Mid(99), str);
    EXPECT_EQ(str.Mid(-5, 2), L"24");
    EXPECT_EQ(str.Find(L';', 4), 7);
    EXPECT_EQ(str.Find(L';', 8), -1);
    EXPECT_EQ(str.Find(L"357;x"), -1);
}

TEST(CString, BufferLoan)
{
    CString str(L"12");
    const CString before = str;
    wchar_t* pch = str.GetBuffer(10);
    EXPECT_EQ(before, L"12");  // the loan gave str its own body
    wcscpy(pch, L"12345");
    const CString during = str;  // taken while lent out: a copy of its own
    const std::wstring seen = Text(during);
    pch[0] = L'9';
    str.ReleaseBuffer();
    EXPECT_EQ(str, L"92345");
    EXPECT_EQ(Text(during), seen);
    str.GetBuffer(0);
    str.ReleaseBuffer(2);
    CString shared = str;  // without a loan, ReleaseBuffer must not touch a shared body
    shared.ReleaseBuffer(0);
    EXPECT_EQ(shared + str, L"9292");
}

TEST(CString, FailedAllocationChangesNothing)
{
    CString str(L"246;");
    const CString copy = str;
    g_bFailNextAllocation = true;
    EXPECT_THROW(str += L"357;", std::bad_alloc);
    EXPECT_EQ(str + copy, L"246;246;");
    g_bFailNextAllocation = true;
    EXPECT_THROW(str = L"999;", std::bad_alloc);
    EXPECT_EQ(str, L"246;");
    g_bFailNextAllocation = false;
}

}  // namespace
