// The SIP line's bridge: the relay's requests, one line each on standard input, handed to the
// telephony stand-in as calls on one line device; one answer line each on standard output.
// The relay (a native process, which cannot send window messages) starts it under Wine.
//   sip_bridge LINE
//   in:  call ID UNITS     a call from the caller number UNITS (4 hex digits per UTF-16 unit,
//                          "-" for a call without a number) arrives on line device LINE
//        hangup CALL       the caller of the ringing call CALL gives up
//   out: ready             once, at the start
//        dropped ID        the program dropped the call while it was offered
//        rang ID CALL      it left the call alone: CALL rings until hung up
//        unscreened ID     no line is open on LINE: the call rings, nobody screens it
//        failed ID REASON  the call did not reach the telephony service
// One request at a time: handing a call over takes well under a millisecond, and a call that
// rings is only a record in the stand-in, so it holds nothing up.
#include "platform/telephony/phone_client.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <fcntl.h>
#include <io.h>
#include <string>

namespace {

const DWORD kTimeoutMs = 5000;

bool ParseUnits(const char* text, std::wstring& units)
{
    units.clear();
    if (std::strcmp(text, "-") == 0)
        return true;
    const std::size_t length = std::strlen(text);
    if (length % 4 != 0 || length / 4 > 255)
        return false;
    for (std::size_t i = 0; i < length; i += 4) {
        unsigned unit = 0;
        int used = 0;
        if (std::sscanf(text + i, "%4x%n", &unit, &used) != 1 || used != 4)
            return false;
        units += static_cast<wchar_t>(unit);
    }
    return true;
}

void Answer(const char* verb, unsigned id, const std::string& detail = "")
{
    std::printf("%s %u%s%s\n", verb, id, detail.empty() ? "" : " ", detail.c_str());
    std::fflush(stdout);
}

// The telephony application's window, looked up again only when it is gone (the program was
// started again): a look-up costs as much as the hand-over itself.
HWND g_application = nullptr;

PhoneOutcome Offer(const PhoneCall& call)
{
    PhoneOutcome outcome;
    if (g_application)
        outcome = OfferCall(call, kTimeoutMs, g_application);
    if (outcome.result == PhoneResult::Error && !IsWindow(g_application)) {
        g_application = FindTelephonyApp();
        outcome = OfferCall(call, kTimeoutMs, g_application);
    }
    return outcome;
}

void Call(unsigned id, const char* units, DWORD line)
{
    PhoneCall call;
    call.line = line;
    if (!ParseUnits(units, call.callerNumber))
        return Answer("failed", id, "the caller number was not understood");
    const PhoneOutcome outcome = Offer(call);
    if (outcome.result == PhoneResult::Dropped)
        return Answer("dropped", id);
    if (outcome.result == PhoneResult::Rang && !outcome.lineOpened)
        return Answer("unscreened", id);
    if (outcome.result == PhoneResult::Rang)
        return Answer("rang", id, std::to_string(outcome.ringing));
    // Only the first line of the error, in plain ASCII, goes back.
    std::string reason(outcome.error.begin(), outcome.error.end());
    for (char& c : reason)
        c = c >= 0x20 && c < 0x7F ? c : '?';
    Answer("failed", id, reason);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    wchar_t* end = nullptr;
    const unsigned long line = argc == 2 ? std::wcstoul(argv[1], &end, 10) : 0;
    if (argc != 2 || *end != L'\0' || line > 63) {
        std::fputs("usage: sip_bridge LINE (the line device of the SIP calls, 0 to 63)\n", stderr);
        return 2;
    }
    std::puts("ready");
    std::fflush(stdout);
    char request[2048];
    while (std::fgets(request, sizeof(request), stdin)) {
        char units[1100] = "";
        unsigned id = 0;
        if (std::sscanf(request, "call %u %1099s", &id, units) == 2)
            Call(id, units, static_cast<DWORD>(line));
        else if (std::sscanf(request, "hangup %u", &id) == 1)
            HangUpCall(id, kTimeoutMs, g_application);
        else
            std::fprintf(stderr, "sip_bridge: request not understood: %.60s\n", request);
    }
    return 0;
}
