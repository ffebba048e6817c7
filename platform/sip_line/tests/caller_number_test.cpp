// The From URI's parts, as the SIP stack splits them, to the caller number and its console form.
#include "platform/sip_line/caller_number.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string Sip(std::string_view user, std::string_view scheme = "sip")
{
    return CallerNumber({scheme, user, "example.net"});
}

TEST(CallerNumber, UserPartUpToItsParametersWithEscapesDecoded)
{
    EXPECT_EQ(Sip("5551234"), u"5551234");
    EXPECT_EQ(Sip("%35551234;isub=7", "SIPS"), u"5551234");
    EXPECT_EQ(Sip("+49%2030%3b1"), u"+49 30;1");  // an escaped ';' is part of the number
    EXPECT_EQ(Sip("50%;%4;%zz;%"), u"50%");
    EXPECT_EQ(Sip("%4"), u"%4");
    EXPECT_EQ(Sip("1%zz%"), u"1%zz%");  // stray escapes stay as they are
    EXPECT_EQ(CallerNumber({"tel", "", "+1(555)12-34;phone-context=x"}), u"+1(555)12-34");
    EXPECT_EQ(CallerNumber({"Tel", "5551234", "%35"}), u"%35");  // tel: no user, no escapes
}

TEST(CallerNumber, AnonymousOrNoUserPartOrOtherSchemeHasNoNumber)
{
    EXPECT_EQ(Sip("Anonymous"), u"");
    EXPECT_EQ(Sip("%61nonymous;x"), u"");
    EXPECT_EQ(Sip(""), u"");
    EXPECT_EQ(Sip(";user=phone"), u"");
    EXPECT_EQ(Sip("5551234", "mailto"), u"");
    EXPECT_EQ(Sip("5551234", "sipx"), u"");
    EXPECT_EQ(CallerNumber({"tel", "", ""}), u"");
}

TEST(CallerNumber, BytesAreUtf8AndEachBadByteOrZeroIsOneReplacement)
{
    EXPECT_EQ(Sip("%C3%A9\xE4\xB8\xAD"), u"\u00E9\u4E2D");
    EXPECT_EQ(Sip("%F0%9F%93%9E1"), u"\U0001F4DE1");
    EXPECT_EQ(Sip("1%002"), u"1\uFFFD2");
    EXPECT_EQ(Sip("\xFF\xC3"), u"\uFFFD\uFFFD");           // invalid, cut short
    EXPECT_EQ(Sip("%C0%AF%C3("), u"\uFFFD\uFFFD\uFFFD(");  // overlong, no continuation
    EXPECT_EQ(Sip("%ED%A0%80%F4%90%80%80"), std::u16string(7, u'\uFFFD'));  // surrogate, too high
}

TEST(CallerNumber, CutAfter255UnitsNeverInsideAPair)
{
    const std::string ones(300, '1');
    EXPECT_EQ(Sip(ones), std::u16string(255, u'1'));
    EXPECT_EQ(Sip(ones.substr(0, 254) + "%F0%9F%93%9E"), std::u16string(254, u'1'));
    EXPECT_EQ(Sip(ones.substr(0, 253) + "%F0%9F%93%9E").size(), 255u);
}

TEST(PrintableNumber, NothingACallerWritesReachesTheTerminalAsControl)
{
    EXPECT_EQ(PrintableNumber(u""), "(no number)");
    EXPECT_EQ(PrintableNumber(u"+1 2\x1B[2J\\\u009B\u00E9\U0001F4DE"),
              "+1\\x202\\x1B[2J\\x5C\\x9B\xC3\xA9\xF0\x9F\x93\x9E");
}

}  // namespace
