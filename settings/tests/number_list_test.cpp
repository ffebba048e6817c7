// Tests the cutting of the number list text into entries.
#include "settings/number_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The Windows build works on wchar_t, the native build on char16_t.
#ifdef _WIN32
using Unit = wchar_t;
#define UNITS(s) L##s
#else
using Unit = char16_t;
#define UNITS(s) u##s
#endif
using Text = std::basic_string<Unit>;

std::vector<Text> Entries(const Text& text)
{
    std::vector<Text> entries;
    SplitNumberList(text.data(), text.size(), [&](const Unit* entry, size_t length) {
        entries.emplace_back(entry, length);
        return true;
    });
    return entries;
}

TEST(SplitNumberList, EachEntryEndsAtItsSemicolon)
{
    EXPECT_EQ(Entries(UNITS("123;456;")), (std::vector<Text>{UNITS("123"), UNITS("456")}));
    // Entries are delivered verbatim: blanks, plus signs and letters stay.
    EXPECT_EQ(Entries(UNITS(" 1+a ;")), (std::vector<Text>{UNITS(" 1+a ")}));
    // A ';' typed inside an entry ("12;34" saved as "12;34;") cuts it in two.
    EXPECT_EQ(Entries(UNITS("12;34;")), (std::vector<Text>{UNITS("12"), UNITS("34")}));
}

TEST(SplitNumberList, EmptyEntriesComeOnlyFromLeadingOrDoubledSemicolons)
{
    EXPECT_TRUE(Entries(UNITS("")).empty());
    EXPECT_EQ(Entries(UNITS(";")), (std::vector<Text>{UNITS("")}));
    EXPECT_EQ(Entries(UNITS("123;;456;")),
              (std::vector<Text>{UNITS("123"), UNITS(""), UNITS("456")}));
    EXPECT_EQ(Entries(UNITS(";123;")), (std::vector<Text>{UNITS(""), UNITS("123")}));
    EXPECT_EQ(Entries(UNITS("246;;")), (std::vector<Text>{UNITS("246"), UNITS("")}));
}

TEST(SplitNumberList, LastPieceWithoutSemicolonIsAnEntry)
{
    EXPECT_EQ(Entries(UNITS("123;456")), (std::vector<Text>{UNITS("123"), UNITS("456")}));
    EXPECT_EQ(Entries(UNITS("7")), (std::vector<Text>{UNITS("7")}));
}

TEST(SplitNumberList, StopsWhenAskedAndReadsOnlyTheGivenLength)
{
    const Text text = UNITS("1;2;3;");
    std::vector<Text> seen;
    const bool stopped = SplitNumberList(text.data(), text.size(), [&](const Unit* e, size_t n) {
        seen.emplace_back(e, n);
        return seen.size() < 2;
    });
    EXPECT_TRUE(stopped);
    EXPECT_EQ(seen, (std::vector<Text>{UNITS("1"), UNITS("2")}));

    // Only the first 3 units ("1;2") are the text; the rest must not be looked at.
    EXPECT_EQ(Entries(Text(text, 0, 3)), (std::vector<Text>{UNITS("1"), UNITS("2")}));
    seen.clear();
    EXPECT_FALSE(SplitNumberList(text.data(), 3, [&](const Unit* e, size_t n) {
        seen.emplace_back(e, n);
        return true;
    }));
    EXPECT_EQ(seen, (std::vector<Text>{UNITS("1"), UNITS("2")}));
}

}  // namespace
