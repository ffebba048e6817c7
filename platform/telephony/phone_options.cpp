// Parses the phone tool's command line into a call to place or a wait.
#include "platform/telephony/phone_options.h"

#include "hex_digit.h"

namespace {

// Decimal, or hexadecimal with 0x; the whole text must be the number and fit 32 bits.
bool ParseNumber(const std::wstring& text, DWORD& out)
{
    bool hex = text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X');
    size_t start = hex ? 2 : 0;
    if (text.size() <= start)
        return false;
    unsigned long long value = 0;
    for (size_t i = start; i < text.size(); ++i) {
        const int digit = HexDigitValue(text[i]);
        if (digit < 0 || (!hex && digit > 9))
            return false;
        value = value * (hex ? 16 : 10) + static_cast<unsigned>(digit);
        if (value > 0xFFFFFFFFull)
            return false;
    }
    out = static_cast<DWORD>(value);
    return true;
}

// Options that take a number, and where it goes.
struct NumberOption {
    const wchar_t* name;
    DWORD PhoneOptions::*outer;  // set for options of the tool itself
    DWORD PhoneCall::*field;     // set for options of the call
    bool PhoneCall::*given;      // marks the field as given, where the call needs to know
};

const NumberOption kNumberOptions[] = {
    {L"--timeout-ms", &PhoneOptions::timeoutMs, nullptr, nullptr},
    {L"--line", nullptr, &PhoneCall::line, nullptr},
    {L"--message", nullptr, &PhoneCall::message, nullptr},
    {L"--param1", nullptr, &PhoneCall::param1, nullptr},
    {L"--pad", nullptr, &PhoneCall::padBytes, nullptr},
    {L"--needed", nullptr, &PhoneCall::neededBytes, nullptr},
    {L"--caller-size", nullptr, &PhoneCall::callerSize, &PhoneCall::callerSizeGiven},
    {L"--caller-offset", nullptr, &PhoneCall::callerOffset, &PhoneCall::callerOffsetGiven},
};

// Options without a value, for the call.
struct SwitchOption {
    const wchar_t* name;
    bool PhoneCall::*field;
    bool value;
};

const SwitchOption kSwitchOptions[] = {
    {L"--no-callerid-notification", &PhoneCall::callerIdNotification, false},
    {L"--no-terminator", &PhoneCall::terminator, false},
    {L"--grow-forever", &PhoneCall::growForever, true},
};

// Applies one option of args at index i (advancing past its value); false with error on a bad one.
bool ApplyOption(const std::vector<std::wstring>& args, size_t& i, bool forCall,
                 PhoneOptions& options, std::wstring& error)
{
    const std::wstring& name = args[i];
    for (const NumberOption& option : kNumberOptions) {
        if (name != option.name || (!forCall && option.field))
            continue;
        DWORD value = 0;
        if (i + 1 >= args.size() || !ParseNumber(args[i + 1], value)) {
            error = name + L" needs a number (decimal or 0x...)";
            return false;
        }
        ++i;
        if (option.outer)
            options.*option.outer = value;
        else
            options.call.*option.field = value;
        if (option.given)
            options.call.*option.given = true;
        return true;
    }
    for (const SwitchOption& option : kSwitchOptions) {
        if (forCall && name == option.name) {
            options.call.*option.field = option.value;
            return true;
        }
    }
    error = L"unknown option " + name;
    return false;
}

}  // namespace

bool ParsePhoneOptions(const std::vector<std::wstring>& args, PhoneOptions& options,
                       std::wstring& error)
{
    PhoneOptions parsed;
    if (args.empty()) {
        error = L"no command given";
        return false;
    }
    if (args[0] == L"help" || args[0] == L"--help" || args[0] == L"-h") {
        options = parsed;
        return true;
    }
    bool forCall = args[0] == L"call";
    if (!forCall && args[0] != L"wait") {
        error = L"unknown command " + args[0];
        return false;
    }
    parsed.command = forCall ? PhoneCommand::Call : PhoneCommand::Wait;
    bool haveNumber = false;
    bool optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (!optionsEnded && arg == L"--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == L'-' && arg[1] == L'-') {
            if (!ApplyOption(args, i, forCall, parsed, error))
                return false;
        } else if (forCall && !haveNumber) {
            parsed.call.callerNumber = arg;
            haveNumber = true;
        } else {
            error = L"unexpected argument " + arg;
            return false;
        }
    }
    if (forCall && !haveNumber) {
        error = L"call needs the caller number (\"\" for a call without one)";
        return false;
    }
    options = parsed;
    return true;
}

const char* PhoneUsage()
{
    return "phone: places incoming calls on the telephony stand-in (our tapi32.dll).\n"
           "\n"
           "  phone call NUMBER [options]   an incoming call from NUMBER (\"\" for none); prints\n"
           "                                dropped (exit 1) or rang (exit 0) once it was handled\n"
           "  phone wait [--timeout-ms N]   waits until a telephony application is up (exit 0)\n"
           "  phone help                    this text\n"
           "\n"
           "Call options (numbers are decimal or 0x...):\n"
           "  --line N                      device index the call arrives on (default 0)\n"
           "  --message N                   message of the caller-number notification (default 1,\n"
           "                                LINE_CALLINFO)\n"
           "  --param1 X                    its parameter 1 (default 0x8000, "
           "LINECALLINFOSTATE_CALLERID)\n"
           "  --no-callerid-notification    only LINE_APPNEWCALL and LINE_CALLSTATE offering\n"
           "  --pad BYTES                   zero bytes between the fixed record and the caller "
           "text\n"
           "  --needed BYTES                the record claims to need at least BYTES\n"
           "  --caller-size N               report dwCallerIDSize N (the text stays where it is)\n"
           "  --caller-offset N             report dwCallerIDOffset N (the text stays where it "
           "is)\n"
           "  --no-terminator               the caller text has no terminating zero\n"
           "  --grow-forever                every lineGetCallInfo asks for more than it was given\n"
           "  --timeout-ms N                how long the application may take (default 10000)\n"
           "  --                            what follows is the number, even if it starts with -\n"
           "\n"
           "Exit status: 0 rang, 1 dropped, 2 error (usage, no telephony application, timeout).\n";
}
