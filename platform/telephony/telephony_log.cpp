// Reads the stand-in's operation log back for tests: one entry per line, fields by name.
#include "platform/telephony/phone_client.h"

#include "hex_digit.h"

#include <fstream>
#include <sstream>

namespace {

// Undoes the log's \xHH escapes of blanks, control characters and the backslash.
std::string Unescape(const std::string& value)
{
    std::string text;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 3 < value.size() && value[i + 1] == 'x' &&
            HexDigitValue(value[i + 2]) >= 0 && HexDigitValue(value[i + 3]) >= 0) {
            text +=
                static_cast<char>(HexDigitValue(value[i + 2]) * 16 + HexDigitValue(value[i + 3]));
            i += 3;
        } else {
            text += value[i];
        }
    }
    return text;
}

TelephonyLogEntry ParseLine(const std::string& line)
{
    TelephonyLogEntry entry;
    std::istringstream words(line);
    words >> entry.operation;
    std::string word;
    while (words >> word) {
        size_t equals = word.find('=');
        if (equals == std::string::npos)
            entry.fields[word] = std::string();
        else
            entry.fields[word.substr(0, equals)] = Unescape(word.substr(equals + 1));
    }
    return entry;
}

}  // namespace

std::string TelephonyLogEntry::Get(const std::string& name) const
{
    auto found = fields.find(name);
    return found == fields.end() ? std::string() : found->second;
}

std::vector<TelephonyLogEntry> ReadTelephonyLog(const std::wstring& path)
{
    std::vector<TelephonyLogEntry> log;
    std::ifstream file(path.c_str(), std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            log.push_back(ParseLine(line));
    }
    return log;
}

std::vector<TelephonyLogEntry> LogEntries(const std::vector<TelephonyLogEntry>& log,
                                          const std::string& operation)
{
    std::vector<TelephonyLogEntry> entries;
    for (const TelephonyLogEntry& entry : log) {
        if (entry.operation == operation)
            entries.push_back(entry);
    }
    return entries;
}
