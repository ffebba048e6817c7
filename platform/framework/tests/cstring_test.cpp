// Tests what the program asks of CString: copies share a body until one changes, a copy taken
// before a change keeps its text, and the buffer loan the caller number is read into.
#include <afx.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

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

TEST(CString, CopiesShareUntilOneChanges)
{
    EXPECT_TRUE(CString(static_cast<LPCWSTR>(nullptr)).IsEmpty());
    CString list(L"246;357;");
    list.GetBuffer(64);  // room to spare, so an append could be done in place
    list.ReleaseBuffer();
    const CString reader = list;
    const LPCWSTR pszBefore = reader;
    EXPECT_EQ(static_cast<LPCWSTR>(list), pszBefore) << "shared, not copied";
    list += L"111;";
    list = L"999;";
    CString other = reader;
    other.Empty();
    EXPECT_EQ(reader, L"246;357;");
    EXPECT_EQ(static_cast<LPCWSTR>(reader), pszBefore) << "the reader's body was not touched";

    CString grown;  // regrown many times on the way, as the editor builds the list text
    for (int i = 0; i < 2000; ++i)
        grown += static_cast<wchar_t>(L'0' + i % 10);
    EXPECT_EQ(Text(grown).substr(1990), L"0123456789");
    const wchar_t piece[] = {L'1', L'2', L'\0', L'3', L'4'};
    EXPECT_EQ(Text(CString(piece, 5)), std::wstring(piece, 5)) << "a piece";
}

TEST(CString, BufferLoan)
{
    CString str(L"12");
    const CString before = str;
    wchar_t* pch = str.GetBuffer(10);
    EXPECT_EQ(before, L"12") << "the loan gave str its own body";
    wcscpy(pch, L"12345");
    const CString during = str;  // taken while lent out: a copy of its own
    const std::wstring seen = Text(during);
    pch[0] = L'9';
    str.ReleaseBuffer(4);
    EXPECT_EQ(str, L"9234");
    EXPECT_EQ(Text(during), seen);
    CString shared = str;  // without a loan, ReleaseBuffer must not touch a shared body
    shared.ReleaseBuffer(0);
    EXPECT_EQ(str, L"9234");
}

}  // namespace
