// The phone tool run as a child process: what it prints and its exit status.
#include "platform/telephony/tests/test_line_app.h"

#include <gtest/gtest.h>

namespace {

class PhoneToolTest : public ::testing::Test {
protected:
    ScopedLog log;
    TestLineApp app;

    void Open()
    {
        ASSERT_EQ(0, app.Initialize());
        ASSERT_EQ(1u, app.OpenAll());
        TestLineApp::shouldDrop = [](const std::wstring& caller) { return caller == L"666"; };
    }
};

TEST_F(PhoneToolTest, PrintsTheOutcomeAndExitsWithIt)
{
    Open();
    PhoneRun dropped = RunPhone(L"call 666");
    EXPECT_EQ(1u, dropped.exitCode) << dropped.err;
    EXPECT_EQ("dropped\n", dropped.out);
    PhoneRun rang = RunPhone(L"call 5551234");
    EXPECT_EQ(0u, rang.exitCode) << rang.err;
    EXPECT_EQ("rang\n", rang.out);
    EXPECT_EQ("", rang.err);
}

TEST_F(PhoneToolTest, OptionsShapeTheRecordAndTheNotification)
{
    Open();
    PhoneRun run = RunPhone(L"call 666 --pad 0x800 --caller-size 3 --line 0 --timeout-ms 20000");
    EXPECT_EQ(0u, run.exitCode) << run.err;
    const CallerRead& read = TestLineApp::reads.at(0);
    EXPECT_EQ(sizeof(LINECALLINFO) + 0x800 + 8, read.requests.at(0).needed);
    EXPECT_EQ(3u, read.callerSize);
    EXPECT_EQ(L"6", read.caller);

    TestLineApp::notifications.clear();
    run = RunPhone(L"call 666 --param1 0x8001");
    EXPECT_EQ(0u, run.exitCode) << run.err;
    EXPECT_EQ(0x8001u, TestLineApp::notifications.at(2).param1);

    run = RunPhone(L"call 666 --line 3");
    EXPECT_EQ(0u, run.exitCode) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("no line is open on device 3"));
}

TEST_F(PhoneToolTest, WaitsForTheApplication)
{
    PhoneRun none = RunPhone(L"wait --timeout-ms 100");
    EXPECT_EQ(2u, none.exitCode);
    EXPECT_NE(std::string::npos, none.err.find("no telephony application"));
    Open();
    PhoneRun ready = RunPhone(L"wait --timeout-ms 5000");
    EXPECT_EQ(0u, ready.exitCode) << ready.err;
}

TEST_F(PhoneToolTest, ErrorsExitWithTwoAndSayWhat)
{
    struct Case { const wchar_t* args; const char* says; };
    const Case cases[] = {
        {L"call 5551234", "no telephony application is running"},
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
        EXPECT_EQ(2u, run.exitCode) << "phone " << std::string(c.args, c.args + wcslen(c.args));
        EXPECT_NE(std::string::npos, run.err.find(c.says)) << run.err;
        EXPECT_EQ("", run.out);
    }
    PhoneRun help = RunPhone(L"help");
    EXPECT_EQ(0u, help.exitCode);
    EXPECT_NE(std::string::npos, help.out.find("--grow-forever"));
}

}  // namespace
