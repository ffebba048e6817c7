// The phone tool run as a child process: what it prints and its exit status.
#include "platform/telephony/tests/test_line_app.h"

#include "unique_handle.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

// Runs `phone.exe args` from the test's folder while this thread dispatches messages.
struct PhoneRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;
};  // stdout and stderr together

PhoneRun RunPhone(const std::wstring& args)
{
    PhoneRun run;
    // A file of its own per run: the previous run's child may still hold its file for a moment.
    static int runs = 0;
    std::wstring path = TestBinaryFolder() + L"\\phone_output_" + std::to_wstring(++runs) + L".txt";
    {
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        UniqueKernelHandle out(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                           CREATE_ALWAYS, 0, nullptr));
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = out.Get();
        std::wstring commandLine = L"\"" + TestBinaryFolder() + L"\\phone.exe\" " + args;
        PROCESS_INFORMATION process = {};
        if (CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                           &startup, &process)) {
            UniqueKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
            PumpMessagesUntil(processHandle.Get(),
                              30000);  // still running: the exit code is STILL_ACTIVE
            GetExitCodeProcess(processHandle.Get(), &run.exitCode);
        }
    }
    std::ifstream file(path.c_str(), std::ios::binary);
    run.output.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    file.close();
    DeleteFileW(path.c_str());
    return run;
}

TEST(PhoneToolTest, PrintsTheOutcomeOrTheErrorAndExitsWithIt)
{
    // An outcome ends with a newline and is all that is printed; other texts need only appear.
    struct Case {
        const wchar_t* args;
        DWORD exitCode;
        std::string says;
    };
    auto check = [](std::initializer_list<Case> cases) {
        for (const Case& c : cases) {
            PhoneRun run = RunPhone(c.args);
            EXPECT_EQ(c.exitCode, run.exitCode) << run.output;
            bool outcome = !c.says.empty() && c.says.back() == '\n';
            EXPECT_TRUE(outcome ? run.output == c.says
                                : run.output.find(c.says) != std::string::npos)
                << run.output;
        }
    };
    check({{L"call 5551234", 2, "no telephony application is running"},
           {L"wait --timeout-ms 100", 2, "no telephony application came up"},
           {L"", 2, "no command"},
           {L"ring 5551234", 2, "unknown command ring"},
           {L"call 1 2", 2, "unexpected argument 2"},
           {L"call 1 --pad 12k", 2, "--pad needs a number"},
           {L"help", 0, "--grow-forever"}});
    TestLineApp app;
    ASSERT_EQ(0, app.Initialize());
    ASSERT_EQ(1u, app.OpenAll());
    TestLineApp::shouldDrop = [](const std::wstring& caller) { return caller == L"666"; };
    check({{L"call 666", 1, "dropped\n"},
           {L"call 5551234 --timeout-ms 20000", 0, "rang\n"},
           {L"call 666 --caller-size 3", 0, "rang\n"},  // cut to "6", which is not dropped
           {L"call 666 --line 3", 0, "no line is open on device 3"},
           {L"wait --timeout-ms 5000", 0, ""}});
}

}  // namespace
