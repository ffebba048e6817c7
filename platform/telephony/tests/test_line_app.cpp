// The test process as a telephony application: callback recorder, message pump, phone runs.
#include "platform/telephony/tests/test_line_app.h"

#include "platform/telephony/unique_handle.h"

#include <cstring>
#include <fstream>
#include <sstream>

std::function<bool(const std::wstring&)> TestLineApp::shouldDrop;
std::vector<Notification> TestLineApp::notifications;
std::vector<CallerRead> TestLineApp::reads;

namespace {

const DWORD kFirstBufferSize = 1328;
const DWORD kGuardBytes = 64;
const unsigned char kGuard = 0xCD;
const DWORD kCallTimeoutMs = 10000;

// Reads the record like the program does: 1328 zeroed bytes first, grown to dwNeededSize.
CallerRead ReadCaller(HCALL call)
{
    CallerRead read;
    read.call = call;
    std::vector<unsigned char> buffer(kFirstBufferSize + kGuardBytes, kGuard);
    DWORD total = kFirstBufferSize;
    for (int request = 0; request < TestLineApp::kMaxRequests; ++request) {
        std::memset(buffer.data(), 0, total);
        auto* info = reinterpret_cast<LINECALLINFO*>(buffer.data());
        info->dwTotalSize = total;
        LONG result = lineGetCallInfoW(call, info);
        bool guardIntact = true;
        for (DWORD i = total; i < buffer.size(); ++i)
            guardIntact = guardIntact && buffer[i] == kGuard;
        read.requests.push_back({result, total, info->dwNeededSize, guardIntact});
        if (result != 0 || info->dwNeededSize <= total)
            break;
        total = info->dwNeededSize;
        buffer.assign(total + kGuardBytes, kGuard);
    }
    const auto* info = reinterpret_cast<const LINECALLINFO*>(buffer.data());
    read.callerSize = info->dwCallerIDSize;
    read.callerOffset = info->dwCallerIDOffset;
    if (read.callerSize != 0 && read.callerOffset < total && read.callerSize <= total - read.callerOffset) {
        const auto* text = reinterpret_cast<const wchar_t*>(buffer.data() + read.callerOffset);
        size_t chars = read.callerSize / sizeof(wchar_t);
        for (size_t i = 0; i < chars && text[i] != L'\0'; ++i)
            read.caller += text[i];
    }
    return read;
}

void CALLBACK RecordingCallback(DWORD device, DWORD message, DWORD_PTR instance, DWORD_PTR param1,
                                DWORD_PTR param2, DWORD_PTR param3)
{
    TestLineApp::notifications.push_back({device, message, instance, param1, param2, param3});
    if (message != LINE_CALLINFO || param1 != LINECALLINFOSTATE_CALLERID)
        return;
    CallerRead read = ReadCaller(device);
    if (TestLineApp::shouldDrop && TestLineApp::shouldDrop(read.caller))
        read.dropResult = lineDrop(device, nullptr, 0);
    TestLineApp::reads.push_back(read);
}

std::string ReadFileText(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::wstring TempFile(const wchar_t* prefix)
{
    wchar_t folder[MAX_PATH];
    wchar_t path[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, prefix, 0, path);
    return path;
}

UniqueKernelHandle InheritableFile(const std::wstring& path)
{
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    return UniqueKernelHandle(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

TestLineApp::~TestLineApp()
{
    CloseAll();
    if (m_initialized)
        Shutdown();
    shouldDrop = nullptr;
}

LONG TestLineApp::Initialize()
{
    notifications.clear();
    reads.clear();
    LINEINITIALIZEEXPARAMS params = {};
    params.dwTotalSize = sizeof(params);
    params.dwOptions = LINEINITIALIZEEXOPTION_USEHIDDENWINDOW;
    DWORD version = 0x00020000;
    LONG result = lineInitializeExW(&m_app, GetModuleHandleW(nullptr), RecordingCallback, L"ExTapi_Lib",
                                    &m_devices, &version, &params);
    m_initialized = result >= 0;
    if (!m_initialized)
        m_devices = 0;
    return result;
}

DWORD TestLineApp::OpenAll()
{
    m_lines.assign(m_devices, 0);
    DWORD opened = 0;
    for (DWORD device = 0; device < m_devices; ++device) {
        DWORD version = 0;
        LINEEXTENSIONID extension = {};
        if (lineNegotiateAPIVersion(m_app, device, 0x00010000, 0x00020000, &version, &extension) != 0)
            continue;
        if (lineOpenW(m_app, device, &m_lines[device], version, 0, 0, LINECALLPRIVILEGE_OWNER | LINECALLPRIVILEGE_MONITOR,
                      LINEMEDIAMODE_INTERACTIVEVOICE, nullptr) == 0)
            ++opened;
    }
    return opened;
}

void TestLineApp::CloseAll()
{
    for (HLINE& line : m_lines) {
        if (line)
            lineClose(line);
        line = 0;
    }
}

LONG TestLineApp::Shutdown()
{
    m_initialized = false;
    return lineShutdown(m_app);
}

PhoneRun RunPhone(const std::wstring& args)
{
    PhoneRun run;
    std::wstring outPath = TempFile(L"pho");
    std::wstring errPath = TempFile(L"phe");
    {
        UniqueKernelHandle out = InheritableFile(outPath);
        UniqueKernelHandle err = InheritableFile(errPath);
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = nullptr;
        startup.hStdOutput = out.Get();
        startup.hStdError = err.Get();
        std::wstring exe = TestBinaryFolder() + L"\\phone.exe";
        std::wstring commandLine = L"\"" + exe + L"\" " + args;
        PROCESS_INFORMATION process = {};
        if (CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                           &process)) {
            UniqueKernelHandle processHandle(process.hProcess);
            UniqueKernelHandle threadHandle(process.hThread);
            if (PumpMessagesUntil(processHandle.Get(), 3 * kCallTimeoutMs))
                GetExitCodeProcess(processHandle.Get(), &run.exitCode);
            else
                TerminateProcess(processHandle.Get(), 99);
        }
    }
    run.out = ReadFileText(outPath);
    run.err = ReadFileText(errPath);
    DeleteFileW(outPath.c_str());
    DeleteFileW(errPath.c_str());
    return run;
}

ScopedEnvironment::ScopedEnvironment(const wchar_t* name, const std::wstring& value) : m_name(name)
{
    SetEnvironmentVariableW(name, value.c_str());
}

ScopedEnvironment::~ScopedEnvironment()
{
    SetEnvironmentVariableW(m_name.c_str(), nullptr);
}

ScopedLog::ScopedLog() : m_path(TempFile(L"tap")), m_variable(L"TAPI_STANDIN_LOG", m_path)
{
    DeleteFileW(m_path.c_str());
}

ScopedLog::~ScopedLog()
{
    DeleteFileW(m_path.c_str());
}

std::wstring TestBinaryFolder()
{
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/"));
}
