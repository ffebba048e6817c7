// The SIP line's relay: each incoming INVITE is one call, handed to the telephony stand-in
// through the bridge, and answered by the SIP stack with the verdict: 486 Busy Here when the
// program dropped it, 180 Ringing while it rings (until the caller cancels, 487, or the ring
// time passes, 480), or 302 to the forward address. One console line per verdict and per end.
#pragma once

#include "platform/sip_line/bridge_process.h"

#include <cstdint>
#include <fstream>
#include <map>
#include <memory>
#include <string>

struct sip;
struct sip_msg;
struct sipsess_sock;

struct RelayOptions {
    std::string forward;         // empty: a call left alone rings; else it is sent there (302)
    unsigned ringSeconds = 60;   // a call left alone rings at most this long, then 480
    bool withoutDevice = false;  // decline every call at once without asking (./bench's floor)
    std::string declineTimes;    // ./bench: append each INVITE-to-486 time here, in microseconds
};

class SipRelay {
public:
    // Takes the INVITEs that reach sip; the bridge must outlive the relay.
    SipRelay(struct sip* sip, BridgeProcess& bridge, const RelayOptions& options);
    SipRelay(const SipRelay&) = delete;
    SipRelay& operator=(const SipRelay&) = delete;
    // Every call still open gets its final answer: 480, the line is going away.
    ~SipRelay();

    int Listen();  // 0, or the stack's error
    // One answer line of the bridge (see bridge_main.cpp).
    void OnBridgeLine(std::string_view line);
    // The bridge has ended: every call it was asked about gets 500.
    void OnBridgeEnd();

private:
    struct Call;
    static void OnInvite(const sip_msg* msg, void* arg);
    static void OnCancelBeforeVerdict(void* arg);
    static void OnSessionClosed(int error, const sip_msg* msg, void* arg);
    static void OnRingTimeout(void* arg);

    // The program left the call alone (ringing: the stand-in's call; 0 when no line was open).
    void Rang(Call& call, std::uint32_t ringing);
    // Answers the call with code, unless the caller has had 487 already; says what happened.
    void Finish(Call& call, std::uint16_t code, const char* reason, const std::string& what);
    void HangUp(const Call& call);
    void Say(const Call& call, const std::string& outcome);
    void End(const Call& call);  // forgets it, which frees it

    struct sip* m_sip;
    sipsess_sock* m_sock = nullptr;
    BridgeProcess& m_bridge;
    RelayOptions m_options;
    std::ofstream m_declineTimes;
    std::uint32_t m_nextId = 1;
    // Every open call by the id of its request to the bridge; the bridge answers by that id.
    std::map<std::uint32_t, std::unique_ptr<Call>> m_calls;
};
