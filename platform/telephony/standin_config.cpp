// Reads the stand-in service's set-up from TAPI_STANDIN_* environment variables.
#include "platform/telephony/standin_config.h"

#include <cwchar>

namespace {

// The variable's value, or an empty text when it is not set.
std::wstring Variable(const wchar_t* name)
{
    wchar_t value[512];
    DWORD length = GetEnvironmentVariableW(name, value, ARRAYSIZE(value));
    if (length == 0 || length >= ARRAYSIZE(value))
        return std::wstring();
    return std::wstring(value, length);
}

bool ParseNumber(const std::wstring& text, DWORD& out)
{
    if (text.empty() || text.size() > 9)
        return false;
    DWORD value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return false;
        value = value * 10 + static_cast<DWORD>(c - L'0');
    }
    out = value;
    return true;
}

// "" or "0": off, "1": on.
bool ParseSwitch(const std::wstring& text, bool& out)
{
    if (text.empty() || text == L"0") {
        out = false;
        return true;
    }
    if (text == L"1") {
        out = true;
        return true;
    }
    return false;
}

// Comma-separated device indexes; empty is the empty set.
bool ParseDeviceList(const std::wstring& text, std::set<DWORD>& out)
{
    std::set<DWORD> devices;
    size_t start = 0;
    while (start < text.size()) {
        size_t comma = text.find(L',', start);
        if (comma == std::wstring::npos)
            comma = text.size();
        DWORD device = 0;
        if (!ParseNumber(text.substr(start, comma - start), device))
            return false;
        devices.insert(device);
        start = comma + 1;
    }
    out = devices;
    return true;
}

std::string AsciiName(const wchar_t* name)
{
    return std::string(name, name + std::wcslen(name));
}

}  // namespace

bool ReadStandInConfig(StandInConfig& config, std::string& error)
{
    StandInConfig read;
    std::wstring lines = Variable(L"TAPI_STANDIN_LINES");
    if (!lines.empty() && (!ParseNumber(lines, read.lines) || read.lines > kMaxStandInLines)) {
        error = "TAPI_STANDIN_LINES";
        return false;
    }
    struct ListVariable {
        const wchar_t* name;
        std::set<DWORD>* out;
    };
    const ListVariable lists[] = {
        {L"TAPI_STANDIN_FAIL_NEGOTIATE", &read.failNegotiate},
        {L"TAPI_STANDIN_FAIL_OPEN", &read.failOpen},
    };
    for (const ListVariable& list : lists) {
        if (!ParseDeviceList(Variable(list.name), *list.out)) {
            error = AsciiName(list.name);
            return false;
        }
    }
    struct SwitchVariable {
        const wchar_t* name;
        bool* out;
    };
    const SwitchVariable switches[] = {
        {L"TAPI_STANDIN_FAIL_INIT", &read.failInit},
        {L"TAPI_STANDIN_FAIL_GETCALLINFO", &read.failGetCallInfo},
        {L"TAPI_STANDIN_FAIL_DROP", &read.failDrop},
        {L"TAPI_STANDIN_COUNT_HEAP", &read.countHeap},
    };
    for (const SwitchVariable& item : switches) {
        if (!ParseSwitch(Variable(item.name), *item.out)) {
            error = AsciiName(item.name);
            return false;
        }
    }
    config = read;
    return true;
}
