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
    if (g_bFailNextAllocation) {
        g_bFailNextAllocation = false;
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(nSize ? nSize : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, size_t) noexcept
{
    std::free(p);
}

// Failure messages show the characters, not the pointer.
void PrintTo(const CString& str, std::ostream* os)
{
    *os << ::testing::PrintToString(std::wstring(str, static_cast<size_t>(str.GetLength())));
}

namespace {

std::wstring Text(const CString& str)
{
    return std::wstring(str, static_cast<size_t>(str.GetLength()));
}

TEST(CString, EmptyStrings)
{
    EXPECT_NE(static_cast<LPCWSTR>(CString()), nullptr);
    EXPECT_TRUE(CString(static_cast<LPCWSTR>(nullptr)).IsEmpty());
    CString str(L"123;");
    str.Empty();
    EXPECT_EQ(str, L"");
}

TEST(CString, CopiesShareUntilOneChanges)
{
    CString list(L"246;357;");
    list.GetBuffer(64);  // room to spare, so an append could be done in place
    list.ReleaseBuffer();
    const CString reader = list;
    EXPECT_EQ(static_cast<LPCWSTR>(reader), static_cast<LPCWSTR>(list));

    const LPCWSTR pszBefore = reader;
    list += L"111;";
    EXPECT_EQ(list, L"246;357;111;");
    EXPECT_EQ(reader, L"246;357;");
    EXPECT_EQ(static_cast<LPCWSTR>(reader), pszBefore);  // the reader's body was not touched

    list = L"999;";
    EXPECT_EQ(reader, L"246;357;");
    CString other = reader;
    other.Empty();
    EXPECT_EQ(reader, L"246;357;");
}

TEST(CString, KeepsEmbeddedNulsAndComparesWholeStrings)
{
    const CString withNul(L"12\0" L"34", 5);
    EXPECT_EQ(withNul.GetLength(), 5);
    EXPECT_EQ(Text(withNul), std::wstring(L"12\0" L"34", 5));
    EXPECT_EQ(withNul, CString(L"12\0" L"34", 5));
    EXPECT_NE(withNul, CString(L"12\0" L"35", 5));
    EXPECT_NE(withNul, L"12");  // the text ends at the pointer's NUL, the string does not

    EXPECT_NE(CString(L"357"), L"35");
    EXPECT_NE(CString(L"Ab"), L"ab");
    EXPECT_TRUE(L"357" == CString(L"357"));

    // Copies and appends carry the NUL along.
    CString copy = withNul;
    copy += withNul;
    EXPECT_EQ(copy.GetLength(), 10);
    EXPECT_EQ(Text(copy), std::wstring(L"12\0" L"3412\0" L"34", 10));
}

TEST(CString, AssigningOrAppendingItself)
{
    CString str(L"ab");
    str = str;
    EXPECT_EQ(str, L"ab");
    str = static_cast<LPCWSTR>(str);
    EXPECT_EQ(str, L"ab");
    str += str;
    EXPECT_EQ(str, L"abab");
    str += static_cast<LPCWSTR>(str) + 3;
    EXPECT_EQ(str, L"ababb");
    str = static_cast<LPCWSTR>(str) + 2;
    EXPECT_EQ(str, L"abb");

    // Appending to a string it shares a body with.
    CString shared = str;
    shared += str;
    EXPECT_EQ(shared, L"abbabb");
    EXPECT_EQ(str, L"abb");
}

TEST(CString, Concatenation)
{
    CString list;
    const LPCWSTR entries[] = {L"111", L"222", L"+44 20"};
    for (LPCWSTR pszEntry : entries) {
        list += CString(pszEntry);
        list += L';';
    }
    EXPECT_EQ(list, L"111;222;+44 20;");

    // Regrown many times on the way.
    CString grown;
    for (int i = 0; i < 2000; ++i)
        grown += static_cast<wchar_t>(L'0' + i % 10);
    EXPECT_EQ(grown.GetLength(), 2000);
    EXPECT_EQ(grown.Mid(1990), L"0123456789");

    const CString number(L"357");
    EXPECT_EQ(number + L";", L"357;");
    EXPECT_EQ(L"246;" + number, L"246;357");
    EXPECT_EQ(number + number, L"357357");
    EXPECT_EQ(number + L';', L"357;");
    EXPECT_EQ(number, L"357");
}

TEST(CString, PartsAndSearch)
{
    const CString str(L"246;357;");
    EXPECT_EQ(str.Left(3), L"246");
    EXPECT_EQ(str.Left(99), str);
    EXPECT_EQ(str.Left(-1), L"");
    EXPECT_EQ(str.Mid(4), L"357;");
    EXPECT_EQ(str.Mid(4, 3), L"357");
    EXPECT_EQ(str.Mid(99), L"");
    EXPECT_EQ(str.Mid(-5, 2), L"24");

    EXPECT_EQ(str.Find(L';'), 3);
    EXPECT_EQ(str.Find(L';', 4), 7);
    EXPECT_EQ(str.Find(L';', 8), -1);
    EXPECT_EQ(str.Find(L"357"), 4);
    EXPECT_EQ(str.Find(L"357;", 5), -1);
    EXPECT_EQ(str.Find(L"357;x"), -1);
    EXPECT_EQ(CString(L"a\0b", 3).Find(L'b'), 2);
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
    EXPECT_EQ(before, L"12");

    pch = str.GetBuffer(0);
    str.ReleaseBuffer(2);
    EXPECT_EQ(str, L"92");

    // Without a loan, ReleaseBuffer must not touch a shared body.
    CString shared = str;
    shared.ReleaseBuffer(0);
    EXPECT_EQ(shared, L"92");
    EXPECT_EQ(str, L"92");
}

TEST(CString, FailedAllocationChangesNothing)
{
    CString str(L"246;");
    const CString copy = str;
    g_bFailNextAllocation = true;
    EXPECT_THROW(str += L"357;", std::bad_alloc);
    EXPECT_EQ(str, L"246;");
    EXPECT_EQ(copy, L"246;");

    g_bFailNextAllocation = true;
    EXPECT_THROW(str = L"999;", std::bad_alloc);
    EXPECT_EQ(str, L"246;");
    g_bFailNextAllocation = false;
}

}  // namespace
