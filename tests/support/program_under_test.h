// One program started by an end-to-end test, with its own environment, ended when the test ends.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "unique_handle.h"

// Variables laid over the inherited environment: a name replaces any inherited variable of the
// same name in any case; an empty value removes the variable.
using EnvironmentChanges = std::vector<std::pair<std::wstring, std::wstring>>;

class ProgramUnderTest {
public:
    ProgramUnderTest() = default;
    // A program still running is terminated (exit code 1) and waited for.
    ~ProgramUnderTest();
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

    // Starts the executable; workingFolder empty: the test's own. False, with GetLastError
    // set, when it could not be started or the program this object started is still running.
    [[nodiscard]] bool Start(const std::wstring& executablePath,
                             const std::wstring& workingFolder = {},
                             const EnvironmentChanges& environment = {});

    DWORD ProcessId() const { return m_processId; }
    HANDLE Process() const { return m_process.Get(); }
    bool IsRunning() const;

    // Waits until the freshly started program has shown and painted its window and waits for
    // input; false on timeout or when none is running. Meant for start-up: later, the program
    // may count as idle already, so wait for a visible effect with WaitUntil instead.
    bool WaitForInputIdle(DWORD timeoutMs) const;

    // Waits for the program to end; false on timeout or when none was started.
    // exitCode (optional) receives its exit code.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);

private:
    UniqueKernelHandle m_process;
    DWORD m_processId = 0;
};

// The environment block CreateProcessW takes (CREATE_UNICODE_ENVIRONMENT): the inherited block
// with the changes laid over it, sorted by name as Windows keeps it.
std::vector<wchar_t> MakeEnvironmentBlock(const wchar_t* inheritedBlock,
                                          const EnvironmentChanges& changes);

// The full path of a file in the folder of the running executable, e.g. a program built beside it.
std::wstring PathBesideThisProgram(const wchar_t* fileName);
