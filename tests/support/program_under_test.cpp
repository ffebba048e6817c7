// Starting, watching and ending one program under test.
#include "tests/support/program_under_test.h"

#include <algorithm>

namespace {

const DWORD kTerminateWaitMs = 10000;

// The name part of "NAME=value"; the per-drive entries ("=C:=C:\\") start with '=' themselves.
std::wstring NameOf(const std::wstring& entry)
{
    const size_t equals = entry.find(L'=', 1);
    return entry.substr(0, equals);
}

bool SameName(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool NameLess(const std::wstring& a, const std::wstring& b)
{
    const std::wstring nameA = NameOf(a);
    const std::wstring nameB = NameOf(b);
    return CompareStringOrdinal(nameA.c_str(), static_cast<int>(nameA.size()), nameB.c_str(),
                                static_cast<int>(nameB.size()), TRUE) == CSTR_LESS_THAN;
}

struct EnvironmentStrings {
    wchar_t* block = GetEnvironmentStringsW();
    ~EnvironmentStrings()
    {
        if (block)
            FreeEnvironmentStringsW(block);
    }
};

}  // namespace

std::vector<wchar_t> MakeEnvironmentBlock(const wchar_t* inheritedBlock,
                                          const EnvironmentChanges& changes)
{
    std::vector<std::wstring> entries;
    for (const wchar_t* entry = inheritedBlock; entry && *entry; entry += wcslen(entry) + 1)
        entries.emplace_back(entry);

    for (const auto& change : changes) {
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [&](const std::wstring& entry) {
                                         return SameName(NameOf(entry), change.first);
                                     }),
                      entries.end());
        if (!change.second.empty())
            entries.push_back(change.first + L"=" + change.second);
    }
    std::stable_sort(entries.begin(), entries.end(), NameLess);

    std::vector<wchar_t> block;
    for (const std::wstring& entry : entries)
        block.insert(block.end(), entry.c_str(), entry.c_str() + entry.size() + 1);
    if (block.empty())
        block.push_back(L'\0');  // an empty block still ends with two terminators
    block.push_back(L'\0');
    return block;
}

std::wstring PathBesideThisProgram(const wchar_t* fileName)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return fileName;
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);  // truncated: try a larger buffer
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1) + fileName;
}

ProgramUnderTest::~ProgramUnderTest()
{
    if (IsRunning()) {
        TerminateProcess(m_process.Get(), 1);
        WaitForSingleObject(m_process.Get(), kTerminateWaitMs);
    }
}

bool ProgramUnderTest::Start(const std::wstring& executablePath, const std::wstring& workingFolder,
                             const EnvironmentChanges& environment)
{
    if (IsRunning()) {
        SetLastError(ERROR_BUSY);
        return false;
    }
    std::vector<wchar_t> block;
    {
        EnvironmentStrings inherited;
        block = MakeEnvironmentBlock(inherited.block, environment);
    }
    std::wstring commandLine = L"\"" + executablePath + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(executablePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                        CREATE_UNICODE_ENVIRONMENT, block.data(),
                        workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup,
                        &process))
        return false;
    CloseHandle(process.hThread);
    m_process = UniqueKernelHandle(process.hProcess);
    m_processId = process.dwProcessId;
    return true;
}

bool ProgramUnderTest::IsRunning() const
{
    return m_process.IsValid() && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

bool ProgramUnderTest::WaitForInputIdle(DWORD timeoutMs) const
{
    return IsRunning() && ::WaitForInputIdle(m_process.Get(), timeoutMs) == 0;
}

bool ProgramUnderTest::WaitForExit(DWORD timeoutMs, DWORD* exitCode)
{
    if (!m_process.IsValid() || WaitForSingleObject(m_process.Get(), timeoutMs) != WAIT_OBJECT_0)
        return false;
    DWORD code = 0;
    if (!GetExitCodeProcess(m_process.Get(), &code))
        return false;
    if (exitCode)
        *exitCode = code;
    return true;
}
