// The stand-in service seen from a telephony application: notifications, records, switches, log.
#include "platform/telephony/tests/test_line_app.h"

#include "platform/telephony/standin_protocol.h"
#include "platform/telephony/unique_handle.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>
#include <utility>

namespace {

const DWORD kFixedRecord = sizeof(LINECALLINFO);
const DWORD kCallTimeoutMs = 10000;
using Step = std::pair<DWORD, DWORD_PTR>;  // message and parameter 1 of one notification

PhoneCall Call(const std::wstring& number, void (*shape)(PhoneCall&) = nullptr)
{
    PhoneCall call;
    call.callerNumber = number;
    if (shape)
        shape(call);
    return call;
}

std::vector<Step> Steps()
{
    std::vector<Step> steps;
    for (const Notification& n : TestLineApp::notifications)
        steps.emplace_back(n.message, n.param1);
    return steps;
}

std::string Hex(DWORD value)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

const Step kNewCall{LINE_APPNEWCALL, 0};
const Step kOffering{LINE_CALLSTATE, LINECALLSTATE_OFFERING};
const Step kCallerId{LINE_CALLINFO, LINECALLINFOSTATE_CALLERID};
const Step kDisconnected{LINE_CALLSTATE, LINECALLSTATE_DISCONNECTED};
const Step kIdle{LINE_CALLSTATE, LINECALLSTATE_IDLE};

class LineAppTest : public ::testing::Test {
protected:
    ScopedLog log;
    TestLineApp app;

    void Open()
    {
        ASSERT_EQ(0, app.Initialize());
        ASSERT_EQ(app.Devices(), app.OpenAll());
    }
    static void DropEverything() { TestLineApp::shouldDrop = [](const std::wstring&) { return true; }; }
};

TEST_F(LineAppTest, OurDllIsLoadedAndOwnsAHiddenWindowOnThisThread)
{
    Open();
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(GetModuleHandleW(L"tapi32.dll"), path, MAX_PATH);
    std::wstring folder(path);
    folder = folder.substr(0, folder.find_last_of(L"\\/"));
    EXPECT_EQ(0, _wcsicmp(TestBinaryFolder().c_str(), folder.c_str())) << "tapi32.dll came from elsewhere";

    HWND window = FindTelephonyApp();
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(GetCurrentThreadId(), GetWindowThreadProcessId(window, nullptr));
    EXPECT_FALSE(IsWindowVisible(window));

    auto init = log.Read("initialize");
    ASSERT_EQ(1u, init.size());
    EXPECT_EQ("0", init[0].Get("result"));
    EXPECT_EQ("ExTapi_Lib", init[0].Get("name"));
    EXPECT_EQ(Hex(app.Line(0)), log.Read("open").at(0).Get("line"));
}

TEST_F(LineAppTest, DroppedCallGoesFromOfferingToIdle)
{
    Open();
    DropEverything();
    ASSERT_EQ(PhoneResult::Dropped, PlaceCallWhilePumping(Call(L"5551234"), kCallTimeoutMs).result);

    const CallerRead& read = TestLineApp::reads.at(0);
    EXPECT_GT(read.dropResult, 0) << "lineDrop answers with a request id";
    const Step reply{LINE_REPLY, static_cast<DWORD_PTR>(read.dropResult)};
    EXPECT_EQ((std::vector<Step>{kNewCall, kOffering, kCallerId, reply, kDisconnected, kIdle}), Steps());
    const auto& got = TestLineApp::notifications;
    EXPECT_EQ(app.Line(0), got.at(0).device) << "a new call is told on its line";
    EXPECT_EQ(read.call, got.at(0).param2);
    for (size_t i : {1, 2, 4, 5})
        EXPECT_EQ(read.call, got.at(i).device) << "notification " << i;

    EXPECT_EQ(L"5551234", read.caller);
    EXPECT_EQ(16u, read.callerSize) << "seven characters and the terminating zero";
    EXPECT_EQ(kFixedRecord, read.callerOffset);
    ASSERT_EQ(1u, read.requests.size());
    EXPECT_EQ(kFixedRecord + 16, read.requests[0].needed);
    EXPECT_EQ(Hex(read.call), log.Read("drop").at(0).Get("call"));
    EXPECT_EQ("dropped", log.Read("call").at(0).Get("outcome"));
}

TEST_F(LineAppTest, NotificationsFollowTheCallAsPlaced)
{
    Open();
    struct Case { const char* name; PhoneCall call; std::vector<Step> steps; };
    const DWORD moreBits = LINECALLINFOSTATE_CALLERID | LINECALLINFOSTATE_CALLEDID;
    const Case cases[] = {
        {"not dropped", Call(L"5551234"), {kNewCall, kOffering, kCallerId, kDisconnected, kIdle}},
        {"further bits", Call(L"1", [](PhoneCall& c) { c.param1 |= LINECALLINFOSTATE_CALLEDID; }),
         {kNewCall, kOffering, {LINE_CALLINFO, moreBits}, kDisconnected, kIdle}},
        {"other message", Call(L"1", [](PhoneCall& c) { c.message = LINE_CALLSTATE; c.param1 = LINECALLSTATE_ACCEPTED; }),
         {kNewCall, kOffering, {LINE_CALLSTATE, LINECALLSTATE_ACCEPTED}, kDisconnected, kIdle}},
        {"no caller number", Call(L"1", [](PhoneCall& c) { c.callerIdNotification = false; }),
         {kNewCall, kOffering, kDisconnected, kIdle}},
    };
    TestLineApp::shouldDrop = [](const std::wstring& caller) { return caller != L"5551234"; };
    for (const Case& c : cases) {
        TestLineApp::notifications.clear();
        EXPECT_EQ(PhoneResult::Rang, PlaceCallWhilePumping(c.call, kCallTimeoutMs).result) << c.name;
        EXPECT_EQ(c.steps, Steps()) << c.name;
    }
    EXPECT_EQ(1u, TestLineApp::reads.size()) << "only an exact caller-number notification is read";
    EXPECT_EQ(4u, log.Read("hangup").size());
}

TEST_F(LineAppTest, DropAfterTheNotificationsEndsTheCallThroughTheWindow)
{
    Open();
    // Placed from this very thread, so the notifications have run when SendMessage returns.
    CallRequest request = {0, LINE_CALLINFO, LINECALLINFOSTATE_CALLERID, 0, 0, 0, 0, 0, 3, L"357"};
    COPYDATASTRUCT data = {kPlaceCallRequest, sizeof(request), &request};
    LRESULT reply = SendMessageW(FindTelephonyApp(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    ASSERT_EQ(CallReply::Rang, ReplyKind(reply));

    const HCALL call = ReplyCall(reply);
    LONG requestId = lineDrop(call, nullptr, 0);
    EXPECT_GT(requestId, 0);
    EXPECT_EQ(3u, TestLineApp::notifications.size()) << "nothing is delivered from inside lineDrop";
    EXPECT_EQ(LINEERR_INVALCALLSTATE, lineDrop(call, nullptr, 0)) << "a call is dropped once";

    // The end arrives through the window once this thread dispatches messages again.
    UniqueKernelHandle never(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const ULONGLONG deadline = GetTickCount64() + 10000;
    while (TestLineApp::notifications.size() < 6 && GetTickCount64() < deadline)
        PumpMessagesUntil(never.Get(), 50);
    const Step dropReply{LINE_REPLY, static_cast<DWORD_PTR>(requestId)};
    EXPECT_EQ((std::vector<Step>{kNewCall, kOffering, kCallerId, dropReply, kDisconnected, kIdle}), Steps());
    EXPECT_EQ(LINEERR_INVALCALLHANDLE, lineDrop(call, nullptr, 0)) << "an idle call is gone";
}

TEST_F(LineAppTest, LargeRecordIsReportedFirstThenFilledWithoutOverrun)
{
    Open();
    PlaceCallWhilePumping(Call(L"5551234", [](PhoneCall& c) { c.padBytes = 2000; }), kCallTimeoutMs);
    const CallerRead& read = TestLineApp::reads.at(0);
    const DWORD needed = kFixedRecord + 2000 + 16;
    ASSERT_EQ(2u, read.requests.size());
    EXPECT_EQ(1328u, read.requests[0].total);
    EXPECT_EQ(needed, read.requests[0].needed);
    EXPECT_EQ(needed, read.requests[1].total);
    EXPECT_EQ(needed, read.requests[1].needed);
    for (const CallInfoRequest& request : read.requests)
        EXPECT_TRUE(request.guardIntact) << "wrote past dwTotalSize " << request.total;
    EXPECT_EQ(L"5551234", read.caller);
    EXPECT_EQ(needed - 16, read.callerOffset) << "the number comes last";
}

TEST_F(LineAppTest, HostileRecordsReportExactlyWhatWasAsked)
{
    Open();
    struct Case { const char* name; PhoneCall call; DWORD size; DWORD offset; std::wstring caller; };
    const Case cases[] = {
        {"size 0", Call(L"5551234", [](PhoneCall& c) { c.callerSizeGiven = true; }), 0, kFixedRecord, L""},
        {"offset outside", Call(L"5551234", [](PhoneCall& c) { c.callerOffsetGiven = true; c.callerOffset = 100000; }),
         16, 100000, L""},
        {"size past the end", Call(L"5551234", [](PhoneCall& c) { c.callerSizeGiven = true; c.callerSize = 4000; }),
         4000, kFixedRecord, L""},
        {"odd size", Call(L"5551234", [](PhoneCall& c) { c.callerSizeGiven = true; c.callerSize = 7; }),
         7, kFixedRecord, L"555"},
        {"no terminator", Call(L"5551234", [](PhoneCall& c) { c.terminator = false; }), 14, kFixedRecord, L"5551234"},
        {"no number", Call(L""), 0, 0, L""},
        {"blanks", Call(L" 357\t"), 12, kFixedRecord, L" 357\t"},
    };
    for (const Case& c : cases) {
        TestLineApp::reads.clear();
        EXPECT_EQ(PhoneResult::Rang, PlaceCallWhilePumping(c.call, kCallTimeoutMs).result) << c.name;
        ASSERT_EQ(1u, TestLineApp::reads.size()) << c.name;
        EXPECT_EQ(c.size, TestLineApp::reads[0].callerSize) << c.name;
        EXPECT_EQ(c.offset, TestLineApp::reads[0].callerOffset) << c.name;
        EXPECT_EQ(c.caller, TestLineApp::reads[0].caller) << c.name;
    }
    EXPECT_EQ(" 357\t", log.Read("call").back().Get("caller")) << "the log keeps blanks in a value";
}

TEST_F(LineAppTest, GreedyServicesAskForMore)
{
    Open();
    PlaceCallWhilePumping(Call(L"5551234", [](PhoneCall& c) { c.growForever = true; }), kCallTimeoutMs);
    const CallerRead& grown = TestLineApp::reads.at(0);
    ASSERT_EQ(static_cast<size_t>(TestLineApp::kMaxRequests), grown.requests.size());
    for (const CallInfoRequest& request : grown.requests)
        EXPECT_GT(request.needed, request.total);

    PlaceCallWhilePumping(Call(L"5551234", [](PhoneCall& c) { c.neededBytes = 1024 * 1024; }), kCallTimeoutMs);
    const CallerRead& huge = TestLineApp::reads.at(1);
    ASSERT_EQ(2u, huge.requests.size());
    EXPECT_EQ(1024u * 1024u, huge.requests[0].needed);
    EXPECT_EQ(L"5551234", huge.caller);
}

TEST_F(LineAppTest, FailingOrMalformedSetUpFailsInitialise)
{
    {
        ScopedEnvironment fail(L"TAPI_STANDIN_FAIL_INIT", L"1");
        EXPECT_LT(app.Initialize(), 0);
        EXPECT_EQ(nullptr, FindTelephonyApp());
        EXPECT_EQ(PhoneResult::Error, PlaceCall(Call(L"1"), 1000).result);
    }
    ScopedEnvironment lines(L"TAPI_STANDIN_LINES", L"two");
    EXPECT_LT(app.Initialize(), 0);
    auto init = log.Read("initialize");
    ASSERT_EQ(2u, init.size());
    EXPECT_EQ(Hex(static_cast<DWORD>(LINEERR_OPERATIONFAILED)), init[0].Get("result"));
    EXPECT_EQ("bad_TAPI_STANDIN_LINES", init[1].Get("error"));
}

TEST_F(LineAppTest, DevicesThatFailAreNotOpenedAndTheirCallsRingUnseen)
{
    ScopedEnvironment lines(L"TAPI_STANDIN_LINES", L"4");
    ScopedEnvironment negotiate(L"TAPI_STANDIN_FAIL_NEGOTIATE", L"1,3");
    ScopedEnvironment open(L"TAPI_STANDIN_FAIL_OPEN", L"2");
    ASSERT_EQ(0, app.Initialize());
    ASSERT_EQ(4u, app.Devices());
    EXPECT_EQ(1u, app.OpenAll());
    DropEverything();
    for (DWORD line = 1; line < 4; ++line) {
        PhoneCall call = Call(L"5551234");
        call.line = line;
        PhoneOutcome outcome = PlaceCallWhilePumping(call, kCallTimeoutMs);
        EXPECT_EQ(PhoneResult::Rang, outcome.result) << "line " << line;
        EXPECT_FALSE(outcome.lineOpened) << "line " << line;
    }
    std::vector<std::string> results;
    for (const auto& entry : log.Read("negotiate"))
        results.push_back(entry.Get("result") == "0" ? "ok" : "failed");
    EXPECT_EQ((std::vector<std::string>{"ok", "failed", "ok", "failed"}), results);
    auto opens = log.Read("open");
    ASSERT_EQ(2u, opens.size()) << "a device that failed negotiation is not opened";
    EXPECT_NE("0", opens[1].Get("result"));
}

TEST_F(LineAppTest, FailingCallInfoAndDropLeaveTheCallRinging)
{
    ScopedEnvironment info(L"TAPI_STANDIN_FAIL_GETCALLINFO", L"1");
    ScopedEnvironment drop(L"TAPI_STANDIN_FAIL_DROP", L"1");
    Open();
    DropEverything();
    EXPECT_EQ(PhoneResult::Rang, PlaceCallWhilePumping(Call(L"5551234"), kCallTimeoutMs).result);
    const CallerRead& read = TestLineApp::reads.at(0);
    EXPECT_LT(read.requests.at(0).result, 0);
    EXPECT_EQ(0u, read.requests.at(0).needed) << "a failed request leaves the zeroed buffer alone";
    EXPECT_LT(read.dropResult, 0);
}

TEST_F(LineAppTest, LogShowsClosingOfExactlyTheOpenedLines)
{
    ScopedEnvironment lines(L"TAPI_STANDIN_LINES", L"3");
    ScopedEnvironment negotiate(L"TAPI_STANDIN_FAIL_NEGOTIATE", L"1");
    ASSERT_EQ(0, app.Initialize());
    ASSERT_EQ(2u, app.OpenAll());
    app.CloseAll();
    ASSERT_EQ(0, app.Shutdown());
    EXPECT_EQ(nullptr, FindTelephonyApp());

    std::vector<std::string> opened, closed;
    for (const auto& entry : log.Read("open"))
        opened.push_back(entry.Get("result") == "0" ? entry.Get("line") : "-");
    for (const auto& entry : log.Read("close"))
        closed.push_back(entry.Get("result") == "0" ? entry.Get("line") : "failed");
    EXPECT_EQ(opened, closed);
    auto last = log.Read().back();
    EXPECT_EQ("shutdown", last.operation);
    EXPECT_EQ("0", last.Get("unclosed"));
}

// A call placed from another thread while the application's thread runs a modal dialog.
struct ModalCall {
    PhoneOutcome outcome;
    std::thread caller;
};
ModalCall* g_modalCall = nullptr;

// Starts the call when the dialog's loop runs and ends the dialog when the call is done.
INT_PTR CALLBACK ModalProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) {
        g_modalCall->caller = std::thread([dialog] {
            g_modalCall->outcome = PlaceCall(Call(L"5551234"), 10000);
            PostMessageW(dialog, WM_APP, 0, 0);
        });
        return TRUE;
    }
    if (message == WM_APP) {
        g_modalCall->caller.join();
        EndDialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}

TEST_F(LineAppTest, NotificationsArriveInsideModalLoops)
{
    Open();
    DropEverything();
    // An empty dialog template: no controls, DWORD aligned as the dialog manager wants it.
    struct alignas(4) EmptyDialog {
        DLGTEMPLATE header;
        WORD menu, windowClass, title;
    } dialog = {{WS_POPUP | DS_MODALFRAME, 0, 0, 0, 0, 100, 50}, 0, 0, 0};
    ModalCall call;
    g_modalCall = &call;
    INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &dialog.header, nullptr, ModalProc, 0);
    g_modalCall = nullptr;
    ASSERT_EQ(1, result);
    EXPECT_EQ(PhoneResult::Dropped, call.outcome.result);
    EXPECT_EQ(6u, TestLineApp::notifications.size());
}

}  // namespace
