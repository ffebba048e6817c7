// One object per call: the INVITE's transaction until the verdict, then the session that rings,
// with its ring timer. The SIP stack writes every answer; the relay only chooses it.
#include "platform/sip_line/sip_relay.h"

#include "platform/sip_line/caller_number.h"
#include "platform/sip_line/libre.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>

struct SipRelay::Call {
    Call(SipRelay& owner, std::uint32_t callId)
        : relay(owner),
          id(callId)
    {
        tmr_init(&ringTimer);
    }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;
    ~Call()
    {
        tmr_cancel(&ringTimer);
        mem_deref(session);
        mem_deref(asking);
        mem_deref(const_cast<sip_msg*>(invite));
    }

    SipRelay& relay;
    const std::uint32_t id;
    const std::chrono::steady_clock::time_point arrived = std::chrono::steady_clock::now();
    std::u16string number;
    const sip_msg* invite = nullptr;
    sip_strans* asking = nullptr;  // the INVITE's transaction, until the verdict
    sipsess* session = nullptr;    // while it rings; its close handler ends the call
    tmr ringTimer;
    std::uint32_t ringing = 0;  // the stand-in's call, while it rings there
    bool cancelled = false;     // the caller gave up before the verdict, and has had 487
};

namespace {

std::string_view View(const pl& text)
{
    return text.p ? std::string_view(text.p, text.l) : std::string_view();
}

// The number for the bridge: 4 hex digits per UTF-16 unit, "-" for none.
std::string Hex(const std::u16string& number)
{
    if (number.empty())
        return "-";
    std::string hex;
    char unit[5];
    for (char16_t c : number) {
        std::snprintf(unit, sizeof(unit), "%04X", unsigned(c));
        hex += unit;
    }
    return hex;
}

std::uint32_t Number(std::string_view text)
{
    std::uint32_t number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    return number;
}

}  // namespace

SipRelay::SipRelay(struct sip* sip, BridgeProcess& bridge, const RelayOptions& options)
    : m_sip(sip),
      m_bridge(bridge),
      m_options(options)
{
    if (!m_options.declineTimes.empty())
        m_declineTimes.open(m_options.declineTimes, std::ios::app);
}

SipRelay::~SipRelay()
{
    for (auto& entry : m_calls) {
        Call& call = *entry.second;
        if (call.session)
            (void)sipsess_reject(call.session, 480, "Temporarily Unavailable", nullptr);
        else if (!call.cancelled)
            (void)sip_treply(&call.asking, m_sip, call.invite, 480, "Temporarily Unavailable");
        HangUp(call);
        Say(call, "ended, the SIP line closed (480)");
    }
    m_calls.clear();
    mem_deref(m_sock);
}

int SipRelay::Listen()
{
    return sipsess_listen(&m_sock, m_sip, 256, OnInvite, this);
}

void SipRelay::OnInvite(const sip_msg* msg, void* arg)
{
    SipRelay& relay = *static_cast<SipRelay*>(arg);
    auto owned = std::make_unique<Call>(relay, relay.m_nextId++);
    Call& call = *owned;
    // Retransmissions and a CANCEL meet this transaction from now on, also before the verdict.
    if (sip_strans_alloc(&call.asking, relay.m_sip, msg, OnCancelBeforeVerdict, &call) != 0) {
        (void)sip_treply(nullptr, relay.m_sip, msg, 500, "Server Internal Error");
        return;
    }
    call.invite = static_cast<const sip_msg*>(mem_ref(const_cast<sip_msg*>(msg)));
    call.number = CallerNumber(
        {View(msg->from.uri.scheme), View(msg->from.uri.user), View(msg->from.uri.host)});
    relay.m_calls.emplace(call.id, std::move(owned));
    // The device is asked first; the 100 goes out while it decides.
    const bool asked = relay.m_options.withoutDevice ||
        relay.m_bridge.Send("call " + std::to_string(call.id) + " " + Hex(call.number));
    (void)sip_treply(&call.asking, relay.m_sip, msg, 100, "Trying");
    if (relay.m_options.withoutDevice)
        relay.Finish(call, 486, "Busy Here", "dropped without asking the device");
    else if (!asked)
        relay.Finish(call, 500, "Server Internal Error",
                     "not screened, the bridge to the device has ended");
}

void SipRelay::OnBridgeLine(std::string_view line)
{
    const std::size_t space = line.find(' ');
    const std::string_view verb = line.substr(0, space);
    const std::string_view rest = space == line.npos ? "" : line.substr(space + 1);
    std::uint32_t id = 0;
    const auto parsed = std::from_chars(rest.data(), rest.data() + rest.size(), id);
    const auto found = m_calls.find(id);
    if (parsed.ec != std::errc() || found == m_calls.end() || found->second->session)
        return;  // not an answer, or one about a call that has ended
    Call& call = *found->second;
    const std::string detail(parsed.ptr + (parsed.ptr < rest.data() + rest.size()),
                             rest.data() + rest.size());
    if (verb == "dropped")
        Finish(call, 486, "Busy Here", "dropped");
    else if (verb == "failed")
        Finish(call, 480, "Temporarily Unavailable", "not screened, " + detail);
    else if (verb == "rang" || verb == "unscreened")
        Rang(call, verb == "rang" ? Number(detail) : 0);
    else
        Finish(call, 500, "Server Internal Error",
               "not screened, the bridge's answer was not understood");
}

void SipRelay::OnBridgeEnd()
{
    for (auto entry = m_calls.begin(); entry != m_calls.end();) {
        Call& call = *(entry++)->second;
        if (!call.session)
            Finish(call, 500, "Server Internal Error",
                   "not screened, the bridge to the device has ended");
    }
}

void SipRelay::Rang(Call& call, std::uint32_t ringing)
{
    call.ringing = ringing;
    const std::string how = ringing ? "rang" : "rang unscreened (no line open)";
    if (call.cancelled)
        return Finish(call, 487, "Request Terminated", how);
    if (!m_options.forward.empty())
        return Finish(call, 302, "Moved Temporarily", how + ", forwarded to " + m_options.forward);
    sipsess* session = nullptr;
    if (sipsess_accept(&session, m_sock, call.invite, 180, "Ringing", "device", "application/sdp",
                       nullptr, nullptr, nullptr, false, nullptr, nullptr, nullptr, nullptr,
                       nullptr, OnSessionClosed, &call, nullptr) != 0)
        return Finish(call, 500, "Server Internal Error", how + ", but could not go on ringing");
    // The session's own transaction answers from now on.
    call.asking = static_cast<sip_strans*>(mem_deref(call.asking));
    call.session = session;
    tmr_start(&call.ringTimer, std::uint64_t(m_options.ringSeconds) * 1000, OnRingTimeout, &call);
    Say(call, how + " (180 Ringing)");
}

void SipRelay::Finish(Call& call, std::uint16_t code, const char* reason, const std::string& what)
{
    std::string answer = " (" + std::to_string(code) + " " + reason + ")";
    if (call.cancelled)
        answer = ", after the caller had hung up (487)";
    else if (code == 302)
        (void)sip_treplyf(&call.asking, nullptr, m_sip, call.invite, false, code, reason,
                          "Contact: <%s>\r\nContent-Length: 0\r\n\r\n", m_options.forward.c_str());
    else
        (void)sip_treply(&call.asking, m_sip, call.invite, code, reason);
    if (code == 486 && !call.cancelled && m_declineTimes.is_open())
        m_declineTimes << std::chrono::duration_cast<std::chrono::microseconds>(
                              std::chrono::steady_clock::now() - call.arrived)
                              .count()
                       << "\n";
    HangUp(call);
    Say(call, what + answer);
    End(call);
}

void SipRelay::OnCancelBeforeVerdict(void* arg)
{
    Call& call = *static_cast<Call*>(arg);
    (void)sip_treply(&call.asking, call.relay.m_sip, call.invite, 487, "Request Terminated");
    call.cancelled = true;
}

void SipRelay::OnSessionClosed(int error, const sip_msg*, void* arg)
{
    Call& call = *static_cast<Call*>(arg);
    call.relay.HangUp(call);
    call.relay.Say(call,
                   error == ECONNRESET ? "ended, the caller hung up (487)"
                                       : std::string("ended: ") + std::strerror(error));
    call.relay.End(call);
}

void SipRelay::OnRingTimeout(void* arg)
{
    Call& call = *static_cast<Call*>(arg);
    (void)sipsess_reject(call.session, 480, "Temporarily Unavailable", nullptr);
    call.relay.HangUp(call);
    call.relay.Say(call,
                   "ended, not answered in " + std::to_string(call.relay.m_options.ringSeconds) +
                       " s (480 Temporarily Unavailable)");
    call.relay.End(call);
}

void SipRelay::HangUp(const Call& call)
{
    if (call.ringing)
        m_bridge.Send("hangup " + std::to_string(call.ringing));
}

void SipRelay::Say(const Call& call, const std::string& outcome)
{
    std::printf("sip: call from %s: %s\n", PrintableNumber(call.number).c_str(), outcome.c_str());
    std::fflush(stdout);
}

void SipRelay::End(const Call& call)
{
    m_calls.erase(call.id);
}
