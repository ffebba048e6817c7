// sip-line: the SIP line of the emulated device, a native process beside Wine. It listens for
// SIP calls on UDP and TCP, hands each to the telephony stand-in through the bridge it starts,
// and answers with the program's verdict. See README.md.
#include "platform/sip_line/libre.h"
#include "platform/sip_line/sip_account.h"
#include "platform/sip_line/sip_relay.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Exit statuses: 0 asked to end; 1 it could not start (nothing to retry); 3 the bridge ended.
const int kCannotStart = 1;
const int kUsage = 2;
const int kBridgeEnded = 3;

const char kUsageText[] =
    "usage: sip-line [--port PORT] [--account FILE] [--forward URI] [--ring-seconds N]\n"
    "                [--ready-file PATH] [--decline-times PATH]\n"
    "                (--without-device | [--] BRIDGE COMMAND...)\n";

struct Options {
    unsigned port = 5060;
    std::string account, readyFile;
    RelayOptions relay;
    std::vector<std::string> bridge;
};

bool Number(const char* text, unsigned low, unsigned high, unsigned& out)
{
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    out = unsigned(value);
    return *text >= '0' && *text <= '9' && *end == '\0' && value >= low && value <= high;
}

// A sip: or sips: URI that goes into a Contact header as it is: nothing that could end it.
bool IsSipAddress(const std::string& text)
{
    uri parsed;
    pl whole;
    pl_set_str(&whole, text.c_str());
    const bool plain = text.find_first_of("<>\" \t\r\n") == std::string::npos;
    return plain && uri_decode(&parsed, &whole) == 0 &&
        (pl_strcasecmp(&parsed.scheme, "sip") == 0 || pl_strcasecmp(&parsed.scheme, "sips") == 0);
}

bool Parse(int argc, char** argv, Options& options)
{
    int i = 1;
    for (; i < argc && argv[i][0] == '-' && std::strcmp(argv[i], "--") != 0; ++i) {
        const std::string option = argv[i];
        if (option == "--without-device") {
            options.relay.withoutDevice = true;
            continue;
        }
        const char* value = ++i < argc ? argv[i] : nullptr;
        if (!value)
            return false;
        if (option == "--port") {
            if (!Number(value, 1, 65535, options.port))
                return false;
        } else if (option == "--ring-seconds") {
            if (!Number(value, 1, 3600, options.relay.ringSeconds))
                return false;
        } else if (option == "--account") {
            options.account = value;
        } else if (option == "--forward") {
            options.relay.forward = value;
        } else if (option == "--decline-times") {
            options.relay.declineTimes = value;
        } else if (option == "--ready-file") {
            options.readyFile = value;
        } else {
            return false;
        }
    }
    if (i < argc && std::strcmp(argv[i], "--") == 0)
        ++i;
    options.bridge.assign(argv + i, argv + argc);
    return options.relay.withoutDevice == options.bridge.empty();
}

int g_status = 0;
bool g_stackClosed = false;

void OnSignal(int)
{
    re_cancel();
}

void OnStackClosed(void*)
{
    g_stackClosed = true;
    re_cancel();
}

void OnDrainTimeout(void*)
{
    re_cancel();
}

// The line is up: say where to call it, and tell whoever started it.
void Ready(const sa& local, const Options& options)
{
    re_printf("sip: the device takes calls at sip:device@%J (UDP and TCP)%s%s\n", &local,
              options.relay.forward.empty() ? "" : "; calls left alone go to ",
              options.relay.forward.c_str());
    std::fflush(stdout);
    if (!options.readyFile.empty()) {
        char address[64];
        re_snprintf(address, sizeof(address), "%J", &local);
        std::ofstream(options.readyFile) << address << "\n";
    }
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!Parse(argc, argv, options)) {
        std::fputs(kUsageText, stderr);
        return kUsage;
    }
    if (!options.relay.forward.empty() && !IsSipAddress(options.relay.forward)) {
        std::fputs("sip-line: --forward takes a sip: or sips: address\n", stderr);
        return kUsage;
    }
    std::signal(SIGPIPE, SIG_IGN);  // a bridge that has gone is a failed write, not our end
    libre_init();

    // Where it listens: 127.0.0.1, or with an account the address towards the registrar.
    SipAccount account;
    std::string error;
    sa local;
    sa_set_str(&local, "127.0.0.1", 0);
    if (!options.account.empty() &&
        (!ReadSipAccount(options.account, account, error) ||
         !AddressTowardsRegistrar(account.registrar, local, error))) {
        std::fprintf(stderr, "sip-line: %s\n", error.c_str());
        return kCannotStart;
    }
    sa_set_port(&local, std::uint16_t(options.port));

    dnsc* resolver = nullptr;
    sa servers[4];
    std::uint32_t serverCount = 4;
    if (!options.account.empty() && dns_srv_get(nullptr, 0, servers, &serverCount) == 0)
        (void)dnsc_alloc(&resolver, nullptr, servers, serverCount);
    struct sip* stack = nullptr;
    if (sip_alloc(&stack, resolver, 32, 32, 32, "Ostrel SIP line", OnStackClosed, nullptr) != 0)
        return kCannotStart;
    const struct {
        sip_transp kind;
        const char* name;
    } transports[] = {{SIP_TRANSP_UDP, "UDP"}, {SIP_TRANSP_TCP, "TCP"}};
    for (const auto& transport : transports) {
        const int failed = sip_transp_add(stack, transport.kind, &local);
        if (failed) {
            re_fprintf(stderr, "sip-line: cannot listen on %J (%s): %m%s\n", &local, transport.name,
                       failed,
                       failed == EADDRINUSE ? "; the port is in use, pick another one" : "");
            return kCannotStart;
        }
    }

    {
        BridgeProcess bridge;
        SipRelay relay(stack, bridge, options.relay);
        SipRegistration registration;
        if (relay.Listen() != 0)
            return kCannotStart;
        const auto onLine = [&](std::string_view line) {
            if (line == "ready")
                Ready(local, options);
            else
                relay.OnBridgeLine(line);
        };
        const auto onEnd = [&] {
            std::fputs("sip: the bridge to the device has ended\n", stdout);
            relay.OnBridgeEnd();
            g_status = kBridgeEnded;
            re_cancel();
        };
        if (options.relay.withoutDevice) {
            Ready(local, options);
        } else if (!bridge.Start(options.bridge, onLine, onEnd)) {
            std::fprintf(stderr, "sip-line: cannot start %s: %s\n", options.bridge[0].c_str(),
                         std::strerror(errno));
            return kCannotStart;
        }
        if (!options.account.empty() && registration.Start(stack, account) != 0)
            std::fputs("sip: the registration could not be sent\n", stdout);
        re_main(OnSignal);
    }
    // Every call has had its final answer; a registration still ends itself (for 2 s at most).
    sip_close(stack, false);
    if (!g_stackClosed) {
        tmr drain;
        tmr_init(&drain);
        tmr_start(&drain, 2000, OnDrainTimeout, nullptr);
        re_main(OnSignal);
        tmr_cancel(&drain);
    }
    if (g_stackClosed) {
        mem_deref(stack);
        mem_deref(resolver);
        libre_close();
    }
    return g_status;
}
