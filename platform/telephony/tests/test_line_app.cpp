// The test process as a telephony application: the callback that records and reads what it is told.
#include "platform/telephony/tests/test_line_app.h"

#include <algorithm>
#include <cwchar>

std::function<bool(const std::wstring&)> TestLineApp::shouldDrop;
std::vector<Notification> TestLineApp::notifications;
std::vector<CallerRead> TestLineApp::reads;

namespace {

// Reads like the program: 1328 zeroed bytes, grown to dwNeededSize; guard bytes follow dwTotalSize.
CallerRead ReadCaller(HCALL call)
{
    const unsigned char kGuard = 0xCD;
    CallerRead read{call};
    DWORD total = 1328;
    std::vector<unsigned char> buffer;
    for (int request = 0; request < 4; ++request) {
        buffer.assign(total + 64, kGuard);
        std::fill_n(buffer.begin(), total, 0);
        auto* info = reinterpret_cast<LINECALLINFO*>(buffer.data());
        info->dwTotalSize = total;
        read.result = lineGetCallInfoW(call, info);
        read.totals.push_back(total);
        read.guardIntact &= std::count(buffer.begin() + total, buffer.end(), kGuard) == 64;
        if (read.result != 0 || info->dwNeededSize <= total)
            break;
        total = info->dwNeededSize;
    }
    const auto* info = reinterpret_cast<const LINECALLINFO*>(buffer.data());
    if (info->dwCallerIDOffset < total && info->dwCallerIDSize <= total - info->dwCallerIDOffset) {
        const auto* text = reinterpret_cast<const wchar_t*>(buffer.data() + info->dwCallerIDOffset);
        read.caller.assign(text, wcsnlen(text, info->dwCallerIDSize / sizeof(wchar_t)));
    }
    return read;
}

void CALLBACK RecordingCallback(DWORD device, DWORD message, DWORD_PTR, DWORD_PTR param1,
                                DWORD_PTR param2, DWORD_PTR)
{
    static bool running = false;
    TestLineApp::notifications.push_back({device, message, param1, param2, running});
    if (message != LINE_CALLINFO || param1 != LINECALLINFOSTATE_CALLERID)
        return;
    running = true;
    CallerRead read = ReadCaller(device);
    if (TestLineApp::shouldDrop && TestLineApp::shouldDrop(read.caller))
        read.dropResult = lineDrop(device, nullptr, 0);
    TestLineApp::reads.push_back(read);
    running = false;
}

}  // namespace

TestLineApp::~TestLineApp()
{
    for (HLINE line : m_lines)
        if (line)
            lineClose(line);
    if (m_app)
        lineShutdown(m_app);
}

LONG TestLineApp::Initialize()
{
    notifications.clear();
    reads.clear();
    LINEINITIALIZEEXPARAMS params = {};
    params.dwTotalSize = sizeof(params);
    params.dwOptions = LINEINITIALIZEEXOPTION_USEHIDDENWINDOW;
    DWORD version = 0x00020000;
    return lineInitializeExW(&m_app, GetModuleHandleW(nullptr), RecordingCallback, L"ExTapi_Lib",
                             &m_devices, &version, &params);
}

DWORD TestLineApp::OpenAll()
{
    m_lines.assign(m_devices, 0);
    DWORD opened = 0;
    const DWORD privileges = LINECALLPRIVILEGE_OWNER | LINECALLPRIVILEGE_MONITOR;
    for (DWORD device = 0; device < m_devices; ++device) {
        DWORD version = 0;
        LINEEXTENSIONID extension = {};
        if (lineNegotiateAPIVersion(m_app, device, 0x00010000, 0x00020000, &version, &extension) ==
                0 &&
            lineOpenW(m_app, device, &m_lines[device], version, 0, 0, privileges,
                      LINEMEDIAMODE_INTERACTIVEVOICE, nullptr) == 0)
            ++opened;
    }
    return opened;
}

std::wstring TestBinaryFolder()
{
    wchar_t path[MAX_PATH];
    std::wstring folder(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    return folder.substr(0, folder.find_last_of(L"\\/"));
}
