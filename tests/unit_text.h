// The UTF-16 text of the byte-level tests: wchar_t in the Windows build, char16_t natively.
#pragma once

#include <string>
#ifdef _WIN32
using Unit = wchar_t;
#define UNITS(s) L##s
#else
using Unit = char16_t;
#define UNITS(s) u##s
#endif
using Text = std::basic_string<Unit>;
