// Appends the stand-in service's operation records to the file named by TAPI_STANDIN_LOG.
#include "platform/telephony/standin_log.h"

#include "platform/telephony/standin_protocol.h"
#include "unique_handle.h"

#include <cstdio>
#include <mutex>

namespace {

std::mutex g_logMutex;  // keeps the lines of this process's threads whole

}  // namespace

void AppendLogLine(const std::string& line)
{
    wchar_t path[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(L"TAPI_STANDIN_LOG", path, ARRAYSIZE(path));
    if (length == 0 || length >= ARRAYSIZE(path))
        return;
    std::string text = line + "\r\n";
    std::lock_guard<std::mutex> lock(g_logMutex);
    UniqueKernelHandle file(CreateFileW(path, FILE_APPEND_DATA,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return;
    DWORD written = 0;
    WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    file.Reset();  // closed before anyone is told the line is there
    UniqueKernelHandle logged(CreateEventW(nullptr, FALSE, FALSE, kTelephonyLoggedEvent));
    if (logged.IsValid())
        SetEvent(logged.Get());
}

std::string LogHex(DWORD value)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

std::string LogResult(LONG result)
{
    if (result < 0)
        return LogHex(static_cast<DWORD>(result));
    return std::to_string(result);
}

std::string LogText(const wchar_t* text)
{
    if (!text)
        return "(null)";
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return std::string();
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &utf8[0], size, nullptr, nullptr);
    utf8.resize(static_cast<size_t>(size - 1));
    // Blanks, control characters and the backslash are written as \xHH so a value is one word.
    std::string escaped;
    for (char c : utf8) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F || c == '\\') {
            char hex[8];
            std::snprintf(hex, sizeof(hex), "\\x%02X", byte);
            escaped += hex;
        } else {
            escaped += c;
        }
    }
    return escaped;
}
