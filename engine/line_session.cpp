// The telephony line session: opening, the caller-number notification, closing.
#include "engine/line_session.h"

#include <new>

#include "engine/call_info_fetch.h"
#include "engine/caller_id_record.h"
#include "engine/screening_policy.h"

#if !defined(_WIN64)
// The device's records; the platform checks the sizes it is given.
static_assert(sizeof(LINEINITIALIZEEXPARAMS) == 24, "LINEINITIALIZEEXPARAMS has the device's size");
#endif
static_assert(offsetof(LINECALLINFO, dwCallerIDSize) == kCallerIdSizeOffset, "record layout");
static_assert(offsetof(LINECALLINFO, dwCallerIDOffset) == kCallerIdOffsetOffset, "record layout");

namespace {

const wchar_t kFriendlyAppName[] = L"ExTapi_Lib";
const DWORD kApiVersion = 0x00020000;
const DWORD kLowestApiVersion = 0x00010000;
const DWORD kPrivileges = LINECALLPRIVILEGE_OWNER | LINECALLPRIVILEGE_MONITOR;

// The caller number of a call, read from its call information; empty when the request fails.
CString ReadCallerNumber(HCALL hCall)
{
    const CallInfoFetchResult info = FetchCallInfo([hCall](std::uint8_t* pBuffer, std::size_t) {
        lineGetCallInfoW(hCall, reinterpret_cast<LPLINECALLINFO>(pBuffer));
    });
    if (!info.ok)
        return CString();

    const CallerIdText caller = FindCallerId(info.record.get(), info.size);
    const int nLength = static_cast<int>(caller.length);
    CString strCaller;
    CopyCallerId(caller, strCaller.GetBuffer(nLength));
    strCaller.ReleaseBuffer(nLength);
    return strCaller;
}

}  // namespace

void CLineSession::InitLineSession()
{
    LINEINITIALIZEEXPARAMS params = {};
    params.dwTotalSize = sizeof(params);
    params.dwOptions = LINEINITIALIZEEXOPTION_USEHIDDENWINDOW;
    DWORD dwApiVersion = kApiVersion;
    DWORD dwNumDevs = 0;
    HLINEAPP hLineApp = 0;
    if (lineInitializeExW(&hLineApp, GetModuleHandleW(nullptr), LineCallback, kFriendlyAppName,
                          &dwNumDevs, &dwApiVersion, &params) < 0)
        return;

    m_lineApp = UniqueLineApp(hLineApp);
    // The device count comes from the service; a count that cannot be held opens no line.
    m_lines.reset(new (std::nothrow) UniqueLine[dwNumDevs]);
    m_dwNumDevs = m_lines ? dwNumDevs : 0;

    for (DWORD dwDevice = 0; dwDevice < m_dwNumDevs; ++dwDevice) {
        DWORD dwAgreedVersion = 0;
        LINEEXTENSIONID extensionId = {};
        if (lineNegotiateAPIVersion(m_lineApp.Get(), dwDevice, kLowestApiVersion, kApiVersion,
                                    &dwAgreedVersion, &extensionId) != 0)
            continue;
        // A failed open leaves the slot empty and the device unscreened.
        HLINE hLine = 0;
        lineOpenW(m_lineApp.Get(), dwDevice, &hLine, dwAgreedVersion, 0, 0, kPrivileges,
                  LINEMEDIAMODE_INTERACTIVEVOICE, nullptr);
        m_lines[dwDevice] = UniqueLine(hLine);
    }
}

void CLineSession::CloseLineSession()
{
    for (DWORD dwDevice = 0; dwDevice < m_dwNumDevs; ++dwDevice)
        m_lines[dwDevice].Reset();  // in device order
    m_lines.reset();
    m_dwNumDevs = 0;
    m_lineApp.Reset();
}

void CALLBACK LineCallback(DWORD hDevice, DWORD dwMsg, DWORD_PTR /*dwCallbackInstance*/,
                           DWORD_PTR dwParam1, DWORD_PTR /*dwParam2*/, DWORD_PTR /*dwParam3*/)
{
    // Exactly the caller-number change: a notification that reports it with other fields is
    // deliberately left alone.
    if (dwMsg != LINE_CALLINFO || dwParam1 != LINECALLINFOSTATE_CALLERID)
        return;

    const HCALL hCall = static_cast<HCALL>(hDevice);
    if (ShouldRejectCall(ReadCallerNumber(hCall)))
        lineDrop(hCall, nullptr, 0);
}
