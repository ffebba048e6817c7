// Fuzzes the caller number of a SIP call's From URI against a plain model of the rules, and its
// console form. Input: one byte whose low two bits choose the scheme (sip, SiPs, tel, another);
// two bytes, the user part's length (little-endian, cut to what is left); the user part; the
// rest is the host.
#include "fuzzers/fuzz_check.h"
#include "little_endian.h"
#include "platform/sip_line/caller_number.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>

namespace {

// The length of the well-formed UTF-8 sequence at text[i], 0 for none: the table of well-formed
// byte sequences, second byte's range by lead byte, every further byte 80..BF.
std::size_t WellFormed(const std::string& text, std::size_t i)
{
    const auto at = [&](std::size_t k) { return std::uint8_t(text[i + k]); };
    const unsigned lead = at(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : 4;
    unsigned low = 0x80, high = 0xBF;
    if (lead == 0xE0)
        low = 0xA0;
    else if (lead == 0xED)
        high = 0x9F;
    else if (lead == 0xF0)
        low = 0x90;
    else if (lead == 0xF4)
        high = 0x8F;
    else if (lead < 0xC2 || lead > 0xF4)
        return 0;
    if (i + length > text.size() || at(1) < low || at(1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (at(k) < 0x80 || at(k) > 0xBF)
            return 0;
    return length;
}

std::u16string Model(std::string_view scheme, std::string_view user, std::string_view host)
{
    std::string lower(scheme);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; });
    std::string bytes;
    if (lower == "sip" || lower == "sips") {
        const std::string_view part = user.substr(0, user.find(';'));
        for (std::size_t i = 0; i < part.size(); ++i) {
            const std::string hex(
                part.substr(i + 1, std::min<std::size_t>(2, part.size() - i - 1)));
            if (part[i] == '%' && hex.size() == 2 && std::isxdigit(std::uint8_t(hex[0])) &&
                std::isxdigit(std::uint8_t(hex[1]))) {
                bytes += char(std::stoi(hex, nullptr, 16));
                i += 2;
            } else {
                bytes += part[i];
            }
        }
    } else if (lower == "tel") {
        bytes = std::string(host.substr(0, host.find(';')));
    }
    std::string folded = bytes;
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; });
    std::u16string number;
    for (std::size_t i = 0; folded != "anonymous" && i < bytes.size();) {
        const std::size_t length = WellFormed(bytes, i);
        char32_t code =
            length ? std::uint8_t(bytes[i]) & (length == 1 ? 0x7F : 0x3F >> (length - 1)) : 0xFFFD;
        for (std::size_t k = 1; k < length; ++k)
            code = code << 6 | (std::uint8_t(bytes[i + k]) & 0x3F);
        code = code == 0 ? 0xFFFD : code;
        std::u16string units = code < 0x10000
            ? std::u16string(1, char16_t(code))
            : std::u16string{char16_t(0xD7C0 + (code >> 10)), char16_t(0xDC00 | (code & 0x3FF))};
        if (number.size() + units.size() > kMaxCallerNumberUnits)
            break;
        number += units;
        i += std::max<std::size_t>(length, 1);
    }
    return number;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const char* const schemes[] = {"sip", "SiPs", "tel", "mailto"};
    const std::string_view text(reinterpret_cast<const char*>(data) + 3, size - 3);
    const std::size_t userLength = std::min<std::size_t>(ReadLittleEndian16(data + 1), text.size());
    const std::string_view scheme = schemes[data[0] & 3], user = text.substr(0, userLength),
                           host = text.substr(userLength);

    const std::u16string number = CallerNumber({scheme, user, host});
    FUZZ_CHECK(number == Model(scheme, user, host));
    // Never longer than the stand-in takes, no 0 unit, no surrogate left alone.
    FUZZ_CHECK(number.size() <= kMaxCallerNumberUnits);
    for (std::size_t i = 0; i < number.size(); ++i) {
        FUZZ_CHECK(number[i] != 0 && (number[i] < 0xDC00 || number[i] > 0xDFFF));
        if (number[i] >= 0xD800 && number[i] < 0xDC00)
            FUZZ_CHECK(++i < number.size() && number[i] >= 0xDC00 && number[i] <= 0xDFFF);
    }
    // The console form holds no control character, blank or C1 control, whatever the number.
    const std::string printable = PrintableNumber(number);
    FUZZ_CHECK(!number.empty() || printable == "(no number)");
    for (std::size_t i = 0; !number.empty() && i < printable.size(); ++i) {
        const std::uint8_t byte = std::uint8_t(printable[i]);
        FUZZ_CHECK(byte > 0x20 && byte != 0x7F);
        FUZZ_CHECK(byte != 0xC2 || i + 1 == printable.size() ||
                   std::uint8_t(printable[i + 1]) > 0x9F);
    }
    return 0;
}
