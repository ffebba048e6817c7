// The stand-in service seen from a telephony application: notifications, records, switches, log.
#include "platform/telephony/tests/test_line_app.h"

#include <gtest/gtest.h>

#include <array>
#include <thread>
#include <utility>

namespace {

const DWORD kCallTimeoutMs = 10000;

class LineAppTest : public ::testing::Test {
protected:
    TestLineApp app;
    const std::wstring m_log = TestBinaryFolder() + L"\\telephony_standin_test.log";

    void SetUp() override
    {
        for (const wchar_t* name :
             {L"LINES", L"FAIL_NEGOTIATE", L"FAIL_OPEN", L"FAIL_GETCALLINFO", L"FAIL_DROP"})
            SetEnvironmentVariableW((std::wstring(L"TAPI_STANDIN_") + name).c_str(), nullptr);
        DeleteFileW(m_log.c_str());
        SetEnvironmentVariableW(L"TAPI_STANDIN_LOG", m_log.c_str());
    }
    void TearDown() override  // checked after every test
    {
        for (const CallerRead& read : TestLineApp::reads)
            EXPECT_TRUE(read.guardIntact) << "lineGetCallInfoW wrote past dwTotalSize";
        for (const Notification& n : TestLineApp::notifications)
            EXPECT_FALSE(n.nested) << "message " << n.message << " was delivered inside another";
    }
    void Open()
    {
        ASSERT_EQ(0, app.Initialize());
        ASSERT_EQ(1u, app.OpenAll());
        TestLineApp::shouldDrop = [](const std::wstring& caller) { return caller == L"666"; };
    }
};

TEST_F(LineAppTest, OurDllTellsADroppedCallInOrderAndItsLargeRecordFitsEachBuffer)
{
    Open();
    EXPECT_EQ(GetModuleHandleW((TestBinaryFolder() + L"\\tapi32.dll").c_str()),
              GetModuleHandleW(L"tapi32.dll"))
        << "tapi32.dll came from elsewhere";
    EXPECT_EQ(GetCurrentThreadId(), GetWindowThreadProcessId(FindTelephonyApp(), nullptr))
        << "its window is ours";
    PhoneCall large{L"666", 0, LINE_CALLINFO, LINECALLINFOSTATE_CALLERID, true, 2000};
    ASSERT_EQ(PhoneResult::Dropped, PlaceCallWhilePumping(large, kCallTimeoutMs).result);
    const CallerRead& read = TestLineApp::reads.at(0);
    EXPECT_EQ((std::vector<DWORD>{1328, sizeof(LINECALLINFO) + 2000 + 8}), read.totals)
        << "asked for again";
    EXPECT_GT(read.dropResult, 0) << "lineDrop answers with a request id";
    // Told on: the line for a new call (parameter 2 names the call), nothing for a reply, else the call.
    std::vector<std::array<DWORD_PTR, 3>> got,
        expected{{app.Line(0), LINE_APPNEWCALL, read.call},
                 {read.call, LINE_CALLSTATE, LINECALLSTATE_OFFERING},
                 {read.call, LINE_CALLINFO, LINECALLINFOSTATE_CALLERID},
                 {0, LINE_REPLY, DWORD_PTR(read.dropResult)},
                 {read.call, LINE_CALLSTATE, LINECALLSTATE_DISCONNECTED},
                 {read.call, LINE_CALLSTATE, LINECALLSTATE_IDLE}};
    for (const Notification& n : TestLineApp::notifications)
        got.push_back({n.message == LINE_REPLY ? 0 : n.device, n.message,
                       n.message == LINE_APPNEWCALL ? n.param2 : n.param1});
    EXPECT_EQ(expected, got);
    EXPECT_EQ(LINEERR_INVALCALLHANDLE, lineDrop(read.call, nullptr, 0)) << "an idle call is gone";
}

TEST_F(LineAppTest, FailureSwitchesFailTheirRequestsAndExactlyTheOpenedLinesAreClosed)
{
    const std::pair<const wchar_t*, const wchar_t*> settings[] = {{L"LINES", L"4"},
                                                                  {L"FAIL_NEGOTIATE", L"1,3"},
                                                                  {L"FAIL_OPEN", L"2"},
                                                                  {L"FAIL_GETCALLINFO", L"1"},
                                                                  {L"FAIL_DROP", L"1"}};
    for (const auto& setting : settings)
        SetEnvironmentVariableW((std::wstring(L"TAPI_STANDIN_") + setting.first).c_str(),
                                setting.second);
    {
        TestLineApp scoped;
        ASSERT_EQ(0, scoped.Initialize());
        EXPECT_EQ(1u, scoped.OpenAll());
        TestLineApp::shouldDrop = [](const std::wstring&) { return true; };
        EXPECT_EQ(PhoneResult::Rang,
                  PlaceCallWhilePumping(PhoneCall{L"666"}, kCallTimeoutMs).result);
        EXPECT_LT(TestLineApp::reads.at(0).result, 0);
        EXPECT_LT(TestLineApp::reads.at(0).dropResult, 0);
        EXPECT_FALSE(PlaceCallWhilePumping(PhoneCall{L"666", 2}, kCallTimeoutMs).lineOpened);
    }
    const std::vector<TelephonyLogEntry> log = ReadTelephonyLog(m_log);
    std::vector<std::string> opened, closed;
    for (const auto& entry : LogEntries(log, "open"))
        opened.push_back(entry.Get("result") == "0" ? entry.Get("line") : "failed");
    for (const auto& entry : LogEntries(log, "close"))
        closed.push_back(entry.Get("result") == "0" ? entry.Get("line") : "failed");
    ASSERT_EQ(1u, closed.size());
    EXPECT_EQ((std::vector<std::string>{closed[0], "failed"}), opened)
        << "devices 1 and 3 were not negotiated";
    EXPECT_EQ("shutdown", log.back().operation);
    EXPECT_EQ("0", log.back().Get("unclosed"));
}

std::thread g_caller;  // places a call while this thread runs a modal dialog's loop
PhoneOutcome g_modalOutcome;

INT_PTR CALLBACK ModalProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG)
        g_caller = std::thread([dialog] {
            g_modalOutcome = PlaceCall(PhoneCall{L"666"}, kCallTimeoutMs);
            PostMessageW(dialog, WM_APP, 0, 0);
        });
    if (message == WM_APP)
        EndDialog(dialog, 1);
    return message == WM_INITDIALOG || message == WM_APP;
}

TEST_F(LineAppTest, NotificationsArriveInsideModalLoops)
{
    Open();
    struct alignas(4) {
        DLGTEMPLATE header;
        WORD menu, windowClass, title;
    } dialog = {{WS_POPUP | DS_MODALFRAME, 0, 0, 0, 0, 100, 50}, 0, 0, 0};
    INT_PTR result =
        DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &dialog.header, nullptr, ModalProc, 0);
    if (g_caller.joinable())
        g_caller.join();
    ASSERT_EQ(1, result);
    EXPECT_EQ(PhoneResult::Dropped, g_modalOutcome.result);
    EXPECT_EQ(6u, TestLineApp::notifications.size());
}

}  // namespace
