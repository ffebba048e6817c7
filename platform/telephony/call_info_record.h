// Builds the bytes of the LINECALLINFO record that the stand-in service reports for one call.
#pragma once

#include "platform/telephony/standin_protocol.h"

#include <windows.h>
#include <tapi.h>

#include <cstdint>
#include <vector>

// Who the call is: the service's own fields of the record.
struct CallIdentity {
    HLINE line;
    DWORD device;
    DWORD callId;
};

// The whole record a service would hand out for this call, dwNeededSize bytes long:
// the fixed part, request.padBytes zero bytes, the caller text (with its terminating zero
// unless kNoTerminator), then zeros up to request.neededBytes. dwCallerIDSize and
// dwCallerIDOffset describe the text unless the request gives its own values for them;
// the text itself always stays where it was placed. dwTotalSize is left 0 for the caller's value.
// The request's sizes must be within kMaxRecordBytes.
std::vector<std::uint8_t> BuildCallInfoRecord(const CallIdentity& identity,
                                              const CallRequest& request);
