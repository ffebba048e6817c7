// libre, Debian's SIP stack (libre-dev), as the relay includes it: its headers take the C99
// integer and boolean types from the system's headers only when told to; otherwise they define
// their own, and in C++ `bool`, `true` and `false` as macros.
#pragma once

#define HAVE_INTTYPES_H 1
#define HAVE_STDBOOL_H 1
#include <re.h>
