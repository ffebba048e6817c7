// The phone tool's command line: which command, and the call or wait it describes.
#pragma once

#include "platform/telephony/phone_client.h"

#include <string>
#include <vector>

enum class PhoneCommand { Call, Wait, Help };

struct PhoneOptions {
    PhoneCommand command = PhoneCommand::Help;
    PhoneCall call;
    DWORD timeoutMs = 10000;
};

// Parses the arguments after the program name. On a usage error returns false with error set.
[[nodiscard]] bool ParsePhoneOptions(const std::vector<std::wstring>& args, PhoneOptions& options,
                                     std::wstring& error);

// The help text that `phone help` prints.
const char* PhoneUsage();
