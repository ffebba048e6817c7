// The phone tool as ./run uses it, against this process as the telephony application: what it
// prints and its exit status. The application reads each caller number as the program does,
// with guard bytes after its buffer, and drops the caller 666.
#include "platform/telephony/phone_client.h"
#include "tests/support/desktop_driver.h"
#include "unique_handle.h"

#include <tapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

bool g_running = false, g_nested = false, g_wrotePastTheBuffer = false;

void CALLBACK ReadAndDrop(DWORD device, DWORD message, DWORD_PTR, DWORD_PTR param1, DWORD_PTR,
                          DWORD_PTR)
{
    g_nested |= g_running;
    if (message != LINE_CALLINFO || param1 != LINECALLINFOSTATE_CALLERID)
        return;
    g_running = true;
    std::vector<BYTE> buffer;
    for (DWORD total = 1328, request = 0; request < 4; ++request) {
        buffer.assign(total + 64, 0xCD);
        std::fill_n(buffer.begin(), total, 0);
        auto* info = reinterpret_cast<LINECALLINFO*>(buffer.data());
        info->dwTotalSize = total;
        const LONG result = lineGetCallInfoW(HCALL(device), info);
        g_wrotePastTheBuffer |= std::count(buffer.begin() + total, buffer.end(), 0xCD) != 64;
        if (result != 0 || info->dwNeededSize <= total)
            break;
        total = info->dwNeededSize;
    }
    const auto* info = reinterpret_cast<const LINECALLINFO*>(buffer.data());
    const auto* text = reinterpret_cast<const wchar_t*>(buffer.data() + info->dwCallerIDOffset);
    if (std::wstring(text, wcsnlen(text, info->dwCallerIDSize / 2)) == L"666")
        lineDrop(HCALL(device), nullptr, 0);
    g_running = false;
}

// Runs `phone.exe args` while this thread dispatches messages; stdout and stderr together.
std::pair<DWORD, std::string> RunPhone(const std::wstring& args)
{
    static int runs = 0;  // a file per run: the last child may still hold its own for a moment
    const std::wstring path =
        PathBesideThisProgram(L"phone_output_") + std::to_wstring(++runs) + L".txt";
    DWORD exitCode = 0xFFFFFFFF;
    {
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        UniqueKernelHandle out(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                           CREATE_ALWAYS, 0, nullptr));
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = out.Get();
        std::wstring commandLine = L"\"" + PathBesideThisProgram(L"phone.exe") + L"\" " + args;
        PROCESS_INFORMATION process = {};
        if (CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                           &startup, &process)) {
            UniqueKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
            PumpMessagesUntil(processHandle.Get(), 30000);
            GetExitCodeProcess(processHandle.Get(), &exitCode);
        }
    }
    std::ifstream file(path.c_str(), std::ios::binary);
    std::string output{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    file.close();
    DeleteFileW(path.c_str());
    return {exitCode, output};
}

// An outcome ends with a newline and is all that is printed; other texts need only appear.
void Check(const wchar_t* args, DWORD exitCode, const std::string& says)
{
    const auto [code, output] = RunPhone(args);
    EXPECT_EQ(exitCode, code) << output;
    const bool outcome = !says.empty() && says.back() == '\n';
    EXPECT_TRUE(outcome ? output == says : output.find(says) != std::string::npos) << output;
}

TEST(PhoneTool, PrintsTheOutcomeOrTheErrorAndExitsWithIt)
{
    Check(L"call 5551234", 2, "no telephony application is running");
    Check(L"wait --timeout-ms 100", 2, "no telephony application came up");
    Check(L"", 2, "no command");
    Check(L"ring 5551234", 2, "unknown command ring");
    Check(L"call 1 2", 2, "unexpected argument 2");
    Check(L"call 1 --pad 12k", 2, "--pad needs a number");
    Check(L"help", 0, "--grow-forever");

    HLINEAPP app = 0;
    HLINE line = 0;
    DWORD devices = 0, version = 0x00020000;
    LINEINITIALIZEEXPARAMS params = {};
    params.dwTotalSize = sizeof(params);
    params.dwOptions = LINEINITIALIZEEXOPTION_USEHIDDENWINDOW;
    ASSERT_EQ(0,
              lineInitializeExW(&app, GetModuleHandleW(nullptr), ReadAndDrop, L"ExTapi_Lib",
                                &devices, &version, &params));
    LINEEXTENSIONID extension = {};
    ASSERT_EQ(0, lineNegotiateAPIVersion(app, 0, 0x00010000, 0x00020000, &version, &extension));
    ASSERT_EQ(0,
              lineOpenW(app, 0, &line, version, 0, 0, LINECALLPRIVILEGE_OWNER,
                        LINEMEDIAMODE_INTERACTIVEVOICE, nullptr));
    Check(L"wait --timeout-ms 5000", 0, "");
    Check(L"call 666", 1, "dropped\n");
    Check(L"call 666 --pad 2000", 1, "dropped\n");  // read in a second, larger buffer
    Check(L"call 5551234", 0, "rang\n");
    Check(L"call 666 --caller-size 3", 0, "rang\n");  // cut to "6", which is not dropped
    Check(L"call 666 --line 3", 0, "no line is open on device 3");
    lineClose(line);
    lineShutdown(app);
    EXPECT_FALSE(g_wrotePastTheBuffer) << "lineGetCallInfoW wrote past dwTotalSize";
    EXPECT_FALSE(g_nested) << "a notification was delivered inside another";
}

}  // namespace
