// The stand-in service seen from a telephony application: notifications, records, switches, log.
#include "platform/telephony/tests/test_line_app.h"

#include "platform/telephony/standin_protocol.h"
#include "platform/telephony/unique_handle.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

namespace {

const DWORD kFixedRecord = sizeof(LINECALLINFO);

PhoneCall Call(const std::wstring& number)
{
    PhoneCall call;
    call.callerNumber = number;
    return call;
}

bool DropEverything(const std::wstring&)
{
    return true;
}

std::string Hex(DWORD value)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

// A compact picture of a notification for readable failure messages.
std::string Describe(const Notification& n)
{
    return "{message " + std::to_string(n.message) + ", device " + Hex(n.device) + ", p1 " +
           Hex(static_cast<DWORD>(n.param1)) + ", p2 " + Hex(static_cast<DWORD>(n.param2)) + "}";
}

std::string Describe(const std::vector<Notification>& list)
{
    std::string text;
    for (const Notification& n : list)
        text += Describe(n) + "\n";
    return text;
}

class LineAppTest : public ::testing::Test {
protected:
    ScopedLog log;
    TestLineApp app;

    void Open()
    {
        ASSERT_EQ(0, app.Initialize());
        ASSERT_EQ(app.Devices(), app.OpenAll());
    }
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
    EXPECT_EQ("1", init[0].Get("devices"));
    EXPECT_EQ("ExTapi_Lib", init[0].Get("name"));
    EXPECT_EQ("0x00020000", init[0].Get("version"));
    EXPECT_EQ("1", init[0].Get("options"));
    auto open = log.Read("open");
    ASSERT_EQ(1u, open.size());
    EXPECT_EQ("6", open[0].Get("privileges"));
    EXPECT_EQ("4", open[0].Get("media"));
    EXPECT_EQ(Hex(app.Line(0)), open[0].Get("line"));
}

TEST_F(LineAppTest, DroppedCallGoesFromOfferingToIdle)
{
    Open();
    TestLineApp::shouldDrop = DropEverything;
    PhoneOutcome outcome = PlaceCallPumping(Call(L"5551234"));
    ASSERT_EQ(PhoneResult::Dropped, outcome.result) << std::string(outcome.error.begin(), outcome.error.end());

    const auto& got = TestLineApp::notifications;
    ASSERT_EQ(6u, got.size()) << Describe(got);
    const DWORD call = static_cast<DWORD>(got[0].param2);
    EXPECT_EQ(static_cast<DWORD>(LINE_APPNEWCALL), got[0].message);
    EXPECT_EQ(app.Line(0), got[0].device);
    EXPECT_EQ(static_cast<DWORD_PTR>(LINECALLPRIVILEGE_OWNER), got[0].param3);
    EXPECT_EQ(static_cast<DWORD>(LINE_CALLSTATE), got[1].message);
    EXPECT_EQ(call, got[1].device);
    EXPECT_EQ(static_cast<DWORD_PTR>(LINECALLSTATE_OFFERING), got[1].param1);
    EXPECT_EQ(static_cast<DWORD>(LINE_CALLINFO), got[2].message);
    EXPECT_EQ(call, got[2].device);
    EXPECT_EQ(static_cast<DWORD_PTR>(LINECALLINFOSTATE_CALLERID), got[2].param1);
    EXPECT_EQ(static_cast<DWORD>(LINE_REPLY), got[3].message);
    EXPECT_EQ(static_cast<DWORD_PTR>(TestLineApp::reads.at(0).dropResult), got[3].param1);
    EXPECT_EQ(static_cast<DWORD>(LINE_CALLSTATE), got[4].message);
    EXPECT_EQ(static_cast<DWORD_PTR>(LINECALLSTATE_DISCONNECTED), got[4].param1);
    EXPECT_EQ(static_cast<DWORD>(LINE_CALLSTATE), got[5].message);
    EXPECT_EQ(static_cast<DWORD_PTR>(LINECALLSTATE_IDLE), got[5].param1);
    EXPECT_EQ(call, got[5].device);

    const CallerRead& read = TestLineApp::reads.at(0);
    EXPECT_GT(read.dropResult, 0) << "lineDrop answers with a request id";
    EXPECT_EQ(L"5551234", read.caller);
    EXPECT_EQ(16u, read.callerSize) << "seven characters and the terminating zero";
    EXPECT_EQ(kFixedRecord, read.callerOffset);
    EXPECT_EQ(static_cast<DWORD>(LINECALLPARTYID_ADDRESS), read.callerFlags);
    ASSERT_EQ(1u, read.requests.size());
    EXPECT_EQ(kFixedRecord + 16, read.requests[0].needed);

    auto drops = log.Read("drop");
    ASSERT_EQ(1u, drops.size());
    EXPECT_EQ(Hex(call), drops[0].Get("call"));
    EXPECT_EQ("dropped", log.Read("call").at(0).Get("outcome"));
}

TEST_F(LineAppTest, CallNotDroppedRingsUntilTheCallerHangsUp)
{
    Open();
    ASSERT_EQ(PhoneResult::Rang, PlaceCallPumping(Call(L"5551234")).result);
    const auto& got = TestLineApp::notifications;
    ASSERT_EQ(5u, got.size()) << Describe(got);
    EXPECT_EQ(static_cast<DWORD>(LINE_CALLINFO), got[2].message);
    EXPECT_EQ(static_cast<DWORD_PTR>(LINECALLSTATE_DISCONNECTED), got[3].param1);
    EXPECT_EQ(static_cast<DWORD_PTR>(LINECALLSTATE_IDLE), got[4].param1);
    EXPECT_EQ(1u, log.Read("hangup").size());
    EXPECT_TRUE(log.Read("drop").empty());
}

TEST_F(LineAppTest, DropAfterTheNotificationsEndsTheCallThroughTheWindow)
{
    Open();
    // Placed from this very thread, so the notifications have run when SendMessage returns.
    CallRequest request = {};
    request.message = LINE_CALLINFO;
    request.param1 = LINECALLINFOSTATE_CALLERID;
    request.callerChars = 3;
    wcscpy(request.caller, L"357");
    COPYDATASTRUCT data = {kPlaceCallRequest, sizeof(request), &request};
    LRESULT reply = SendMessageW(FindTelephonyApp(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    ASSERT_EQ(CallReply::Rang, ReplyKind(reply));
    ASSERT_EQ(3u, TestLineApp::notifications.size());

    const HCALL call = ReplyCall(reply);
    LONG requestId = lineDrop(call, nullptr, 0);
    EXPECT_GT(requestId, 0);
    EXPECT_EQ(3u, TestLineApp::notifications.size()) << "nothing is delivered from inside lineDrop";
    EXPECT_EQ(LINEERR_INVALCALLSTATE, lineDrop(call, nullptr, 0)) << "a call is dropped once";

    // The end arrives through the window once this thread dispatches messages again.
    UniqueKernelHandle never(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const ULONGLONG deadline = GetTickCount64() + 10000;
    while (TestLineApp::notifications.size() < 6 && GetTickCount64() < deadline)
        PumpUntil(never.Get(), 50);
    const auto& got = TestLineApp::notifications;
    ASSERT_EQ(6u, got.size()) << Describe(got);
    EXPECT_EQ(static_cast<DWORD>(LINE_REPLY), got[3].message);
    EXPECT_EQ(static_cast<DWORD_PTR>(requestId), got[3].param1);
    EXPECT_EQ(static_cast<DWORD_PTR>(LINECALLSTATE_IDLE), got[5].param1);
    EXPECT_EQ(LINEERR_INVALCALLHANDLE, lineDrop(call, nullptr, 0)) << "an idle call is gone";
}

TEST_F(LineAppTest, OtherNotificationsCarryWhatWasAskedFor)
{
    Open();
    TestLineApp::shouldDrop = DropEverything;
    PhoneCall moreBits = Call(L"5551234");
    moreBits.param1 = LINECALLINFOSTATE_CALLERID | LINECALLINFOSTATE_CALLEDID;
    PhoneCall otherMessage = Call(L"5551234");
    otherMessage.message = LINE_CALLSTATE;
    otherMessage.param1 = LINECALLSTATE_ACCEPTED;
    PhoneCall noCallerId = Call(L"5551234");
    noCallerId.callerIdNotification = false;

    struct Case { const char* name; PhoneCall call; size_t notifications; DWORD thirdMessage; DWORD_PTR thirdParam1; };
    const Case cases[] = {
        {"further bits", moreBits, 5, LINE_CALLINFO, LINECALLINFOSTATE_CALLERID | LINECALLINFOSTATE_CALLEDID},
        {"other message", otherMessage, 5, LINE_CALLSTATE, LINECALLSTATE_ACCEPTED},
        {"no caller-number notification", noCallerId, 4, LINE_CALLSTATE, LINECALLSTATE_DISCONNECTED},
    };
    for (const Case& c : cases) {
        TestLineApp::notifications.clear();
        EXPECT_EQ(PhoneResult::Rang, PlaceCallPumping(c.call).result) << c.name;
        const auto& got = TestLineApp::notifications;
        ASSERT_EQ(c.notifications, got.size()) << c.name << "\n" << Describe(got);
        EXPECT_EQ(c.thirdMessage, got[2].message) << c.name;
        EXPECT_EQ(c.thirdParam1, got[2].param1) << c.name;
    }
    EXPECT_TRUE(TestLineApp::reads.empty()) << "only an exact caller-number notification is read";
}

TEST_F(LineAppTest, LargeRecordIsReportedFirstThenFilledWithoutOverrun)
{
    Open();
    PhoneCall call = Call(L"5551234");
    call.padBytes = 2000;
    PlaceCallPumping(call);
    const CallerRead& read = TestLineApp::reads.at(0);
    const DWORD needed = kFixedRecord + 2000 + 16;
    ASSERT_EQ(2u, read.requests.size());
    EXPECT_EQ(1328u, read.requests[0].total);
    EXPECT_EQ(needed, read.requests[0].needed);
    EXPECT_EQ(needed, read.requests[1].total);
    EXPECT_EQ(needed, read.requests[1].needed);
    for (const CallInfoRequest& request : read.requests) {
        EXPECT_EQ(0, request.result);
        EXPECT_TRUE(request.guardIntact) << "wrote past dwTotalSize " << request.total;
    }
    EXPECT_EQ(L"5551234", read.caller);
    EXPECT_EQ(needed - 16, read.callerOffset) << "the number comes last";

    auto calls = log.Read("getcallinfo");
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ("1328", calls[0].Get("total"));
    EXPECT_EQ(std::to_string(needed), calls[0].Get("needed"));
}

TEST_F(LineAppTest, HostileRecordsReportExactlyWhatWasAsked)
{
    Open();
    struct Case {
        const char* name;
        PhoneCall call;
        DWORD size;
        DWORD offset;
        std::wstring caller;  // as the guarded reader in the test callback sees it
    };
    PhoneCall noSize = Call(L"5551234");
    noSize.callerSizeGiven = true;
    PhoneCall farOffset = Call(L"5551234");
    farOffset.callerOffsetGiven = true;
    farOffset.callerOffset = 100000;
    PhoneCall pastEnd = Call(L"5551234");
    pastEnd.callerSizeGiven = true;
    pastEnd.callerSize = 4000;
    PhoneCall odd = Call(L"5551234");
    odd.callerSizeGiven = true;
    odd.callerSize = 7;
    PhoneCall unterminated = Call(L"5551234");
    unterminated.terminator = false;
    const Case cases[] = {
        {"size 0", noSize, 0, kFixedRecord, L""},
        {"offset outside", farOffset, 16, 100000, L""},
        {"size past the end", pastEnd, 4000, kFixedRecord, L""},
        {"odd size", odd, 7, kFixedRecord, L"555"},
        {"no terminator", unterminated, 14, kFixedRecord, L"5551234"},
        {"no number", Call(L""), 0, 0, L""},
    };
    for (const Case& c : cases) {
        TestLineApp::reads.clear();
        EXPECT_EQ(PhoneResult::Rang, PlaceCallPumping(c.call).result) << c.name;
        ASSERT_EQ(1u, TestLineApp::reads.size()) << c.name;
        const CallerRead& read = TestLineApp::reads[0];
        EXPECT_EQ(c.size, read.callerSize) << c.name;
        EXPECT_EQ(c.offset, read.callerOffset) << c.name;
        EXPECT_EQ(c.caller, read.caller) << c.name;
    }
}

TEST_F(LineAppTest, GreedyServicesAskForMore)
{
    Open();
    PhoneCall endless = Call(L"5551234");
    endless.growForever = true;
    PlaceCallPumping(endless);
    const CallerRead& grown = TestLineApp::reads.at(0);
    ASSERT_EQ(static_cast<size_t>(TestLineApp::kMaxRequests), grown.requests.size());
    for (const CallInfoRequest& request : grown.requests)
        EXPECT_GT(request.needed, request.total);

    PhoneCall absurd = Call(L"5551234");
    absurd.neededBytes = 1024 * 1024;
    PlaceCallPumping(absurd);
    const CallerRead& huge = TestLineApp::reads.at(1);
    ASSERT_EQ(2u, huge.requests.size());
    EXPECT_EQ(1024u * 1024u, huge.requests[0].needed);
    EXPECT_EQ(L"5551234", huge.caller);
}

TEST_F(LineAppTest, FailingInitialiseLeavesNoApplication)
{
    ScopedEnvironment fail(L"TAPI_STANDIN_FAIL_INIT", L"1");
    EXPECT_LT(app.Initialize(), 0);
    EXPECT_EQ(nullptr, FindTelephonyApp());
    EXPECT_EQ(PhoneResult::Error, PlaceCall(Call(L"1"), 1000).result);
    auto init = log.Read("initialize");
    ASSERT_EQ(1u, init.size());
    EXPECT_EQ(Hex(static_cast<DWORD>(LINEERR_OPERATIONFAILED)), init[0].Get("result"));
}

TEST_F(LineAppTest, MalformedSetUpFailsInitialiseAndSaysWhy)
{
    ScopedEnvironment lines(L"TAPI_STANDIN_LINES", L"two");
    EXPECT_LT(app.Initialize(), 0);
    EXPECT_EQ("bad_TAPI_STANDIN_LINES", log.Read("initialize").at(0).Get("error"));
}

TEST_F(LineAppTest, DevicesThatFailAreNotOpenedAndTheirCallsRingUnseen)
{
    ScopedEnvironment lines(L"TAPI_STANDIN_LINES", L"4");
    ScopedEnvironment negotiate(L"TAPI_STANDIN_FAIL_NEGOTIATE", L"1,3");
    ScopedEnvironment open(L"TAPI_STANDIN_FAIL_OPEN", L"2");
    ASSERT_EQ(0, app.Initialize());
    ASSERT_EQ(4u, app.Devices());
    EXPECT_EQ(1u, app.OpenAll());
    TestLineApp::shouldDrop = DropEverything;

    for (DWORD line = 1; line < 4; ++line) {
        PhoneCall call = Call(L"5551234");
        call.line = line;
        PhoneOutcome outcome = PlaceCallPumping(call);
        EXPECT_EQ(PhoneResult::Rang, outcome.result) << "line " << line;
        EXPECT_FALSE(outcome.lineOpened) << "line " << line;
    }
    EXPECT_TRUE(TestLineApp::notifications.empty());
    PhoneCall onOpenLine = Call(L"5551234");
    EXPECT_EQ(PhoneResult::Dropped, PlaceCallPumping(onOpenLine).result);

    auto negotiations = log.Read("negotiate");
    ASSERT_EQ(4u, negotiations.size());
    EXPECT_EQ("0", negotiations[0].Get("result"));
    EXPECT_NE("0", negotiations[1].Get("result"));
    EXPECT_EQ("0", negotiations[2].Get("result"));
    EXPECT_NE("0", negotiations[3].Get("result"));
    auto opens = log.Read("open");
    ASSERT_EQ(2u, opens.size());
    EXPECT_EQ("2", opens[1].Get("device"));
    EXPECT_NE("0", opens[1].Get("result"));
}

TEST_F(LineAppTest, FailingCallInfoAndDropLeaveTheCallRinging)
{
    ScopedEnvironment info(L"TAPI_STANDIN_FAIL_GETCALLINFO", L"1");
    ScopedEnvironment drop(L"TAPI_STANDIN_FAIL_DROP", L"1");
    Open();
    TestLineApp::shouldDrop = DropEverything;
    EXPECT_EQ(PhoneResult::Rang, PlaceCallPumping(Call(L"5551234")).result);
    const CallerRead& read = TestLineApp::reads.at(0);
    EXPECT_LT(read.requests.at(0).result, 0);
    EXPECT_EQ(0u, read.requests.at(0).needed) << "a failed request leaves the zeroed buffer alone";
    EXPECT_EQ(L"", read.caller);
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

    auto log_ = log.Read();
    std::vector<std::string> opened;
    for (const auto& entry : LogEntries(log_, "open"))
        if (entry.Get("result") == "0")
            opened.push_back(entry.Get("line"));
    std::vector<std::string> closed;
    for (const auto& entry : LogEntries(log_, "close")) {
        EXPECT_EQ("0", entry.Get("result"));
        closed.push_back(entry.Get("line"));
    }
    EXPECT_EQ(opened, closed);
    EXPECT_EQ(2u, closed.size());
    ASSERT_EQ("shutdown", log_.back().operation);
    EXPECT_EQ("0", log_.back().Get("unclosed"));
    EXPECT_EQ("0", log_.back().Get("result"));
}

TEST_F(LineAppTest, LogKeepsCallerNumbersWithBlanksWhole)
{
    Open();
    PlaceCallPumping(Call(L" 357\t"));
    EXPECT_EQ(L" 357\t", TestLineApp::reads.at(0).caller);
    EXPECT_EQ(" 357\t", log.Read("call").at(0).Get("caller"));
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
    TestLineApp::shouldDrop = DropEverything;
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
