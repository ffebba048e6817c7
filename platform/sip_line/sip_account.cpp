// The account file, the address towards the registrar, and the registration (libre's sipreg).
#include "platform/sip_line/sip_account.h"

#include "platform/sip_line/libre.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <netdb.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::uint32_t kExpiresSeconds = 600;

struct AddrInfoFree {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};

}  // namespace

bool ReadSipAccount(const std::string& path, SipAccount& account, std::string& error)
{
    conf* file = nullptr;
    if (conf_alloc(&file, path.c_str()) != 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    struct Field {
        const char* name;
        std::string* value;
    };
    const Field fields[] = {{"address", &account.address},
                            {"registrar", &account.registrar},
                            {"user", &account.user},
                            {"password", &account.password}};
    char value[512];
    for (const Field& field : fields) {
        if (conf_get_str(file, field.name, value, sizeof(value)) != 0) {
            error = path + ": no \"" + field.name + "\" line (see platform/sip_line/README.md)";
            mem_deref(file);
            return false;
        }
        *field.value = value;
    }
    mem_deref(file);
    struct stat status;
    if (stat(path.c_str(), &status) == 0 && (status.st_mode & (S_IRWXG | S_IRWXO)))
        std::fprintf(stderr, "sip-line: %s holds a password and others may read it (chmod 600)\n",
                     path.c_str());
    return true;
}

bool AddressTowardsRegistrar(const std::string& registrar, sa& local, std::string& error)
{
    uri parsed;
    pl text;
    pl_set_str(&text, registrar.c_str());
    if (uri_decode(&parsed, &text) != 0 || !pl_isset(&parsed.host)) {
        error = "the registrar " + registrar + " is not a SIP address";
        return false;
    }
    const std::string host(parsed.host.p, parsed.host.l);
    const std::string port = std::to_string(parsed.port ? parsed.port : 5060);
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) {
        error = "the registrar's host " + host + " cannot be found";
        return false;
    }
    std::unique_ptr<addrinfo, AddrInfoFree> list(found);
    // Connecting a datagram socket sends nothing; it makes the system choose the address.
    const int probe = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_storage address = {};
    socklen_t size = sizeof(address);
    const bool chosen = probe >= 0 && connect(probe, found->ai_addr, found->ai_addrlen) == 0 &&
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size) == 0;
    if (probe >= 0)
        close(probe);
    if (!chosen || sa_set_sa(&local, reinterpret_cast<sockaddr*>(&address)) != 0) {
        error = "no route to the registrar's host " + host;
        return false;
    }
    return true;
}

SipRegistration::~SipRegistration()
{
    mem_deref(m_registration);
}

int SipRegistration::Start(struct sip* sip, const SipAccount& account)
{
    m_account = account;
    return sipreg_register(&m_registration, sip, m_account.registrar.c_str(),
                           m_account.address.c_str(), nullptr, m_account.address.c_str(),
                           kExpiresSeconds, m_account.user.c_str(), nullptr, 0, 0, OnChallenge,
                           this, false, OnResponse, this, nullptr, nullptr);
}

int SipRegistration::OnChallenge(char** user, char** password, const char*, void* arg)
{
    const SipAccount& account = static_cast<SipRegistration*>(arg)->m_account;
    const int error = str_dup(user, account.user.c_str());
    return error ? error : str_dup(password, account.password.c_str());
}

void SipRegistration::OnResponse(int error, const sip_msg* msg, void* arg)
{
    SipRegistration& registration = *static_cast<SipRegistration*>(arg);
    char said[256];
    if (error || !msg)
        re_snprintf(said, sizeof(said), "not registered: %m", error);
    else if (msg->scode < 300)
        re_snprintf(said, sizeof(said), "registered as %s at %s",
                    registration.m_account.address.c_str(),
                    registration.m_account.registrar.c_str());
    else
        re_snprintf(said, sizeof(said), "not registered: %u %r", msg->scode, &msg->reason);
    if (registration.m_said != said)
        std::printf("sip: %s\n", said);
    std::fflush(stdout);
    registration.m_said = said;
}
