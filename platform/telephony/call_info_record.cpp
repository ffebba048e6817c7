// Lays out the stand-in service's LINECALLINFO record: fixed part, padding, caller text.
#include "platform/telephony/call_info_record.h"

#include <algorithm>
#include <cstring>

std::vector<std::uint8_t> BuildCallInfoRecord(const CallIdentity& identity,
                                              const CallRequest& request)
{
    const DWORD fixedSize = sizeof(LINECALLINFO);
    const DWORD callerChars = std::min(request.callerChars, kMaxCallerChars);
    const bool terminated = (request.flags & kNoTerminator) == 0;
    const DWORD textBytes = (callerChars + (terminated ? 1 : 0)) * sizeof(wchar_t);
    const DWORD textOffset = fixedSize + request.padBytes;
    // A number-less call carries no text at all, as a real service reports it.
    const DWORD storedBytes = callerChars == 0 ? 0 : textBytes;
    const DWORD recordSize = std::max<DWORD>(textOffset + storedBytes, request.neededBytes);

    std::vector<std::uint8_t> bytes(recordSize, 0);
    LINECALLINFO info;
    std::memset(&info, 0, sizeof(info));
    info.dwNeededSize = recordSize;
    info.dwUsedSize = recordSize;
    info.hLine = identity.line;
    info.dwLineDeviceID = identity.device;
    info.dwBearerMode = LINEBEARERMODE_VOICE;
    info.dwMediaMode = LINEMEDIAMODE_INTERACTIVEVOICE;
    info.dwCallID = identity.callId;
    info.dwCallStates = LINECALLSTATE_OFFERING | LINECALLSTATE_DISCONNECTED | LINECALLSTATE_IDLE;
    info.dwOrigin = LINECALLORIGIN_EXTERNAL;
    info.dwReason = LINECALLREASON_DIRECT;
    info.dwNumOwners = 1;
    info.dwCallerIDFlags = storedBytes ? LINECALLPARTYID_ADDRESS : LINECALLPARTYID_UNAVAIL;
    info.dwCallerIDSize = storedBytes;
    info.dwCallerIDOffset = storedBytes ? textOffset : 0;
    if (request.flags & kCallerSizeGiven)
        info.dwCallerIDSize = request.callerSize;
    if (request.flags & kCallerOffsetGiven)
        info.dwCallerIDOffset = request.callerOffset;
    std::memcpy(bytes.data(), &info, sizeof(info));
    if (storedBytes)
        std::memcpy(bytes.data() + textOffset, request.caller, callerChars * sizeof(wchar_t));
    return bytes;
}
