// From URI to caller number: the user part's %-escapes, UTF-8 to UTF-16, the cut.
#include "platform/sip_line/caller_number.h"

#include "hex_digit.h"

#include <cstdint>

namespace {

const char16_t kReplacement = 0xFFFD;

bool SameLetters(std::string_view text, std::string_view lower)
{
    if (text.size() != lower.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? char(text[i] - 'A' + 'a') : text[i];
        if (c != lower[i])
            return false;
    }
    return true;
}

std::string_view UpToSemicolon(std::string_view text)
{
    return text.substr(0, text.find(';'));
}

std::string PercentDecoded(std::string_view text)
{
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int high = text[i] == '%' && i + 2 < text.size() ? HexDigitValue(text[i + 1]) : -1;
        const int low = high >= 0 ? HexDigitValue(text[i + 2]) : -1;
        if (low >= 0) {
            bytes += char(high * 16 + low);
            i += 2;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

// The code point of the UTF-8 sequence at bytes[i], and its length; length 0 when the byte does
// not start a valid sequence (overlong, a surrogate, above U+10FFFF, cut short).
char32_t DecodeUtf8(const std::string& bytes, std::size_t i, std::size_t& length)
{
    const std::uint8_t lead = std::uint8_t(bytes[i]);
    length = 0;
    if (lead < 0x80)
        length = 1;
    else if (lead >= 0xC2 && lead < 0xE0)
        length = 2;
    else if (lead >= 0xE0 && lead < 0xF0)
        length = 3;
    else if (lead >= 0xF0 && lead < 0xF5)
        length = 4;
    if (length == 0 || i + length > bytes.size()) {
        length = 0;
        return 0;
    }
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const std::uint8_t next = std::uint8_t(bytes[i + k]);
        if ((next & 0xC0) != 0x80) {
            length = 0;
            return 0;
        }
        code = (code << 6) | (next & 0x3F);
    }
    const char32_t lowest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < lowest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        length = 0;
    return code;
}

std::u16string Utf16Cut(const std::string& bytes)
{
    std::u16string number;
    std::size_t i = 0;
    while (i < bytes.size()) {
        std::size_t length = 0;
        char32_t code = DecodeUtf8(bytes, i, length);
        if (length == 0 || code == 0) {
            code = kReplacement;
            length = 1;
        }
        const std::size_t units = code >= 0x10000 ? 2 : 1;
        if (number.size() + units > kMaxCallerNumberUnits)
            break;
        if (units == 2) {
            number += char16_t(0xD800 + ((code - 0x10000) >> 10));
            number += char16_t(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            number += char16_t(code);
        }
        i += length;
    }
    return number;
}

}  // namespace

std::u16string CallerNumber(const FromUri& from)
{
    std::string bytes;
    if (SameLetters(from.scheme, "sip") || SameLetters(from.scheme, "sips"))
        bytes = PercentDecoded(UpToSemicolon(from.user));
    else if (SameLetters(from.scheme, "tel"))
        bytes = std::string(UpToSemicolon(from.host));
    if (SameLetters(bytes, "anonymous"))
        return std::u16string();
    return Utf16Cut(bytes);
}

std::string PrintableNumber(const std::u16string& number)
{
    if (number.empty())
        return "(no number)";
    std::string text;
    const char hex[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < number.size(); ++i) {
        char32_t code = number[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < number.size() && number[i + 1] >= 0xDC00 &&
            number[i + 1] < 0xE000)
            code = 0x10000 + ((code - 0xD800) << 10) + (number[++i] - 0xDC00);
        if (code <= 0x20 || code == '\\' || (code >= 0x7F && code <= 0x9F)) {
            text += "\\x";
            text += hex[(code >> 4) & 0xF];
            text += hex[code & 0xF];
        } else if (code < 0x80) {
            text += char(code);
        } else if (code < 0x800) {
            text += char(0xC0 | (code >> 6));
            text += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            text += char(0xE0 | (code >> 12));
            text += char(0x80 | ((code >> 6) & 0x3F));
            text += char(0x80 | (code & 0x3F));
        } else {
            text += char(0xF0 | (code >> 18));
            text += char(0x80 | ((code >> 12) & 0x3F));
            text += char(0x80 | ((code >> 6) & 0x3F));
            text += char(0x80 | (code & 0x3F));
        }
    }
    return text;
}
