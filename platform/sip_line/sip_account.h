// The SIP account the line registers with (./run --sip-account FILE), so that calls to the
// user's own number reach the device.
#pragma once

#include <string>

struct sa;
struct sip;
struct sipreg;

struct SipAccount {
    std::string address;    // the account's own address, e.g. sip:alice@example.net
    std::string registrar;  // where it registers, e.g. sip:example.net
    std::string user;       // the user name the registrar's digest challenge asks for
    std::string password;
};

// Reads the account file: one "name value" a line (address, registrar, user, password), # for
// comments; libre's configuration format, whose values hold no blanks. False with error set.
bool ReadSipAccount(const std::string& path, SipAccount& account, std::string& error);

// The local address this machine reaches the registrar from: where the line listens.
bool AddressTowardsRegistrar(const std::string& registrar, sa& local, std::string& error);

// Keeps the line registered while it lives; says on the console when that changes.
class SipRegistration {
public:
    SipRegistration() = default;
    SipRegistration(const SipRegistration&) = delete;
    SipRegistration& operator=(const SipRegistration&) = delete;
    ~SipRegistration();  // unregisters

    int Start(struct sip* sip, const SipAccount& account);  // 0, or the stack's error

private:
    static int OnChallenge(char** user, char** password, const char* realm, void* arg);
    static void OnResponse(int error, const struct sip_msg* msg, void* arg);

    SipAccount m_account;
    sipreg* m_registration = nullptr;
    std::string m_said;  // the last state said, said again only when it changes
};
