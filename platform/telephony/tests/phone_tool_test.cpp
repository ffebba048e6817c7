// The phone tool run as a child process: what it prints and its exit status.
#include "platform/telephony/tests/test_line_app.h"

#include <gtest/gtest.h>

namespace {

TEST(PhoneToolTest, PrintsTheOutcomeAndExitsWithIt)
{
    ScopedLog log;
    TestLineApp app;
    ASSERT_EQ(0, app.Initialize());
    ASSERT_EQ(1u, app.OpenAll());
    TestLineApp::shouldDrop = [](const std::wstring& caller) { return caller == L"666"; };

    PhoneRun dropped = RunPhone(L"call 666");
    EXPECT_EQ(1u, dropped.exitCode) << dropped.err;
    EXPECT_EQ("dropped\n", dropped.out);
    PhoneRun rang = RunPhone(L"call 5551234 --timeout-ms 20000");
    EXPECT_EQ(0u, rang.exitCode) << rang.err;
    EXPECT_EQ("rang\n", rang.out);
    EXPECT_EQ("", rang.err);

    // Options reach the service: the size cuts "666" to "6", which is not dropped.
    PhoneRun shaped = RunPhone(L"call 666 --pad 0x800 --caller-size 3 --param1 0x8000");
    EXPECT_EQ(0u, shaped.exitCode) << shaped.err;
    EXPECT_EQ(sizeof(LINECALLINFO) + 0x800 + 8, TestLineApp::reads.at(2).requests.at(0).needed);
    EXPECT_EQ(L"6", TestLineApp::reads.at(2).caller);

    PhoneRun unopened = RunPhone(L"call 666 --line 3");
    EXPECT_EQ(0u, unopened.exitCode) << unopened.err;
    EXPECT_NE(std::string::npos, unopened.err.find("no line is open on device 3"));
    EXPECT_EQ(0u, RunPhone(L"wait --timeout-ms 5000").exitCode);
}

TEST(PhoneToolTest, ErrorsExitWithTwoAndSayWhat)
{
    struct Case { const wchar_t* args; const char* says; };
    const Case cases[] = {
        {L"call 5551234", "no telephony application is running"},
        {L"wait --timeout-ms 100", "no telephony application came up"},
        {L"", "no command"},
        {L"ring 5551234", "unknown command ring"},
        {L"call", "needs the caller number"},
        {L"call 1 2", "unexpected argument 2"},
        {L"call 1 --line", "--line needs a number"},
        {L"call 1 --pad 12k", "--pad needs a number"},
        {L"call 1 --loud", "unknown option --loud"},
        {L"wait --pad 1", "unknown option --pad"},
    };
    for (const Case& c : cases) {
        PhoneRun run = RunPhone(c.args);
        EXPECT_EQ(2u, run.exitCode) << run.err;
        EXPECT_NE(std::string::npos, run.err.find(c.says)) << run.err;
        EXPECT_EQ("", run.out);
    }
    PhoneRun help = RunPhone(L"help");
    EXPECT_EQ(0u, help.exitCode);
    EXPECT_NE(std::string::npos, help.out.find("--grow-forever"));
}

}  // namespace
