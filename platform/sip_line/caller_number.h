// The caller number of an incoming SIP call, from the From URI as the SIP stack split it. The
// one place where a caller's header meets our own code: bounded, and safe for any bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The telephony stand-in's caller text limit, in UTF-16 units; a longer number is cut.
constexpr std::size_t kMaxCallerNumberUnits = 255;

// The parts of a From URI that the SIP stack split out of its header.
struct FromUri {
    std::string_view scheme;  // "sip", "sips" or "tel", in any case; any other has no number
    std::string_view user;    // sip, sips: the user part, %-escaped, maybe with ;parameters
    std::string_view host;    // tel: the number, maybe with ;parameters (the stack's "host")
};

// The number the telephony service reports for the call, empty for a call without one (an
// anonymous caller, a URI without a user part, another scheme). The user part is taken up to
// any ';' and its %-escapes decoded (a '%' without two hex digits stays as it is); a tel: number
// up to any ';'. The bytes are read as UTF-8: each byte that does not start or continue a valid
// sequence, and each 0 byte, becomes U+FFFD. Cut after 255 units, never inside a surrogate pair.
std::u16string CallerNumber(const FromUri& from);

// The number as UTF-8 for the console: "(no number)" when empty; control characters, blanks and
// '\' as \xHH, so that no caller can write to the terminal.
std::string PrintableNumber(const std::u16string& number);
