// The phone tool: places an incoming call on the telephony stand-in and prints what happened.
#include "platform/telephony/phone_client.h"
#include "platform/telephony/phone_options.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <vector>

namespace {

const int kExitRang = 0;
const int kExitDropped = 1;
const int kExitError = 2;

std::string Utf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0], size,
                        nullptr, nullptr);
    return utf8;
}

int Fail(const std::wstring& message)
{
    std::fprintf(stderr, "phone: %s\n", Utf8(message).c_str());
    return kExitError;
}

int RunCall(const PhoneOptions& options)
{
    PhoneOutcome outcome = PlaceCall(options.call, options.timeoutMs);
    if (outcome.result == PhoneResult::Error)
        return Fail(outcome.error);
    if (!outcome.lineOpened)
        std::fprintf(stderr, "phone: no line is open on device %lu; the call rang unscreened\n",
                     static_cast<unsigned long>(options.call.line));
    bool dropped = outcome.result == PhoneResult::Dropped;
    std::printf("%s\n", dropped ? "dropped" : "rang");
    return dropped ? kExitDropped : kExitRang;
}

int RunWait(const PhoneOptions& options)
{
    if (!WaitForTelephonyApp(options.timeoutMs))
        return Fail(L"no telephony application came up within " +
                    std::to_wstring(options.timeoutMs) + L" ms");
    std::printf("ready\n");
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    // Plain line ends, so that scripts under Wine read "dropped", not "dropped\r".
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::wstring> args(argv + 1, argv + argc);
    PhoneOptions options;
    std::wstring error;
    if (!ParsePhoneOptions(args, options, error)) {
        Fail(error);
        std::fputs("Try: phone help\n", stderr);
        return kExitError;
    }
    switch (options.command) {
    case PhoneCommand::Call:
        return RunCall(options);
    case PhoneCommand::Wait:
        return RunWait(options);
    case PhoneCommand::Help:
        break;
    }
    std::fputs(PhoneUsage(), stdout);
    return 0;
}
