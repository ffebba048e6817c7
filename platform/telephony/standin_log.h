// The stand-in service's record of every operation, one text line each, in TAPI_STANDIN_LOG.
#pragma once

#include <windows.h>

#include <string>

// Appends line and a line break to the file named by TAPI_STANDIN_LOG, if it is set. The file
// is opened and closed for each line, so the record survives the process.
void AppendLogLine(const std::string& line);

// Formats for the log's fields.
std::string LogHex(DWORD value);           // 0x00020000
std::string LogResult(LONG result);        // 0, a request id, or 0x80000048 for an error
std::string LogText(const wchar_t* text);  // UTF-8, blanks as \x20; (null) for a null pointer
