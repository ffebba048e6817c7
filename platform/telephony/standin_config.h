// The stand-in service's set-up, read from the environment when an application initialises.
#pragma once

#include <windows.h>

#include <set>
#include <string>

struct StandInConfig {
    DWORD lines = 1;                // TAPI_STANDIN_LINES
    std::set<DWORD> failNegotiate;  // TAPI_STANDIN_FAIL_NEGOTIATE: device indexes, e.g. 1,3
    std::set<DWORD> failOpen;       // TAPI_STANDIN_FAIL_OPEN: device indexes
    bool failInit = false;          // TAPI_STANDIN_FAIL_INIT=1
    bool failGetCallInfo = false;   // TAPI_STANDIN_FAIL_GETCALLINFO=1
    bool failDrop = false;          // TAPI_STANDIN_FAIL_DROP=1
    bool countHeap = false;         // TAPI_STANDIN_COUNT_HEAP=1
};

const DWORD kMaxStandInLines = 64;

// Fills config from the environment. On a malformed value returns false and names the variable
// in error; config is then left as it was.
[[nodiscard]] bool ReadStandInConfig(StandInConfig& config, std::string& error);
