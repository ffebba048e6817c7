// The line session end to end: the real session in the line host process, the telephony
// stand-in beneath it, calls placed from outside, outcomes and the service's log checked.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/telephony/phone_client.h"
#include "settings/settings_store.h"
#include "tests/line_host_protocol.h"

namespace {

const DWORD kDeadlineMs = 20000;

std::wstring ProgramFolder()
{
    wchar_t szPath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    std::wstring path(szPath);
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

// Polls for a top-level window of the class until the deadline.
HWND WaitForWindow(const wchar_t* pszClass, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND hWnd = FindWindowW(pszClass, nullptr))
            return hWnd;
        if (GetTickCount() - start > timeoutMs)
            return nullptr;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

const char* const kServiceSettings[] = {
    "TAPI_STANDIN_LINES",     "TAPI_STANDIN_FAIL_NEGOTIATE",   "TAPI_STANDIN_FAIL_OPEN",
    "TAPI_STANDIN_FAIL_INIT", "TAPI_STANDIN_FAIL_GETCALLINFO", "TAPI_STANDIN_FAIL_DROP"};

class LineSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Kelvoro\\Tolvane");
        for (const char* pszName : kServiceSettings)
            SetEnvironmentVariableA(pszName, nullptr);
        wchar_t szTemp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, szTemp);
        m_logPath = std::wstring(szTemp) + L"line_session_test.log";
        DeleteFileW(m_logPath.c_str());
        SetEnvironmentVariableW(L"TAPI_STANDIN_LOG", m_logPath.c_str());
    }

    void TearDown() override
    {
        if (m_process.hProcess) {
            TerminateProcess(m_process.hProcess, 3);
            CloseProcess();
        }
    }

    void SetService(const char* pszName, const char* pszValue)
    {
        SetEnvironmentVariableA(pszName, pszValue);
    }

    void StoreList(const wchar_t* pszList) { ASSERT_EQ(1, WriteNumberList(CString(pszList))); }

    // Starts the line host and waits until its session is open.
    void StartHost()
    {
        std::wstring commandLine = L"\"" + ProgramFolder() + L"line_host.exe\"";
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        ASSERT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &si, &m_process));
        m_hHost = WaitForWindow(kLineHostClass, kDeadlineMs);
        ASSERT_NE(nullptr, m_hHost) << "the line host did not come up";
    }

    void SetMode(int nMode) { ASSERT_TRUE(SendMessageW(m_hHost, WM_APP_SET_MODE, nMode, 0)); }

    // Closes the host as the main dialog closes: the session is closed, the process ends.
    void StopHost()
    {
        PostMessageW(m_hHost, WM_CLOSE, 0, 0);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(m_process.hProcess, kDeadlineMs));
        DWORD dwExit = 1;
        GetExitCodeProcess(m_process.hProcess, &dwExit);
        EXPECT_EQ(0u, dwExit);
        CloseProcess();
    }

    PhoneResult Call(PhoneCall call)
    {
        const PhoneOutcome outcome = PlaceCall(call, kDeadlineMs);
        EXPECT_NE(PhoneResult::Error, outcome.result)
            << std::string(outcome.error.begin(), outcome.error.end());
        return outcome.result;
    }

    PhoneResult Call(const wchar_t* pszCaller)
    {
        PhoneCall call;
        call.callerNumber = pszCaller;
        return Call(call);
    }

    std::vector<TelephonyLogEntry> Log() const { return ReadTelephonyLog(m_logPath); }
    std::vector<TelephonyLogEntry> Log(const std::string& operation) const
    {
        return LogEntries(Log(), operation);
    }

private:
    void CloseProcess()
    {
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
        m_process = PROCESS_INFORMATION();
    }

    PROCESS_INFORMATION m_process = {};
    HWND m_hHost = nullptr;
    std::wstring m_logPath;
};

const PhoneResult kDropped = PhoneResult::Dropped;
const PhoneResult kRang = PhoneResult::Rang;

TEST_F(LineSessionTest, BlocksExactlyTheListedCallersAndFollowsTheMode)
{
    StoreList(L"246;357;");
    StartHost();

    // Starts in "Block Quellar Only".
    EXPECT_EQ(kDropped, Call(L"357"));
    EXPECT_EQ(kDropped, Call(L" 357\t"));
    EXPECT_EQ(kRang, Call(L"35"));
    EXPECT_EQ(kRang, Call(L"+357"));
    EXPECT_EQ(kRang, Call(L"0246"));
    EXPECT_EQ(kRang, Call(L""));
    EXPECT_EQ(2u, Log("drop").size()) << "one drop per listed caller";

    SetMode(1);  // "Accept All Calls"
    EXPECT_EQ(kRang, Call(L"357"));
    SetMode(3);  // "Reject All Calls"
    EXPECT_EQ(kDropped, Call(L"999"));
    EXPECT_EQ(kDropped, Call(L""));
    SetMode(7);  // an unknown mode screens like "Block Quellar Only"
    EXPECT_EQ(kDropped, Call(L"246"));
    EXPECT_EQ(kRang, Call(L"999"));
    StopHost();
}

TEST_F(LineSessionTest, OnlyTheBareCallerNumberNotificationIsScreened)
{
    StartHost();
    SetMode(3);
    PhoneCall withMoreFields;
    withMoreFields.callerNumber = L"555";
    withMoreFields.param1 = 0x00008000 | 0x00000004;
    EXPECT_EQ(kRang, Call(withMoreFields));

    PhoneCall otherMessage;
    otherMessage.callerNumber = L"555";
    otherMessage.message = 2;  // LINE_CALLSTATE
    EXPECT_EQ(kRang, Call(otherMessage));

    PhoneCall neverIdentified;
    neverIdentified.callerNumber = L"555";
    neverIdentified.callerIdNotification = false;
    EXPECT_EQ(kRang, Call(neverIdentified));

    EXPECT_TRUE(Log("drop").empty());
    EXPECT_EQ(kDropped, Call(L"555"));
    StopHost();
}

TEST_F(LineSessionTest, CallerNumbersAreReadWholeFromTheRecord)
{
    const std::wstring longNumber = L"0049301234567890123456789012345678";  // 34 characters
    StoreList((L"246;;" + longNumber + L";" + longNumber.substr(0, 29) + L";").c_str());
    StartHost();

    PhoneCall large;
    large.callerNumber = L"246";
    large.padBytes = 2000;  // the record needs more than the first buffer
    EXPECT_EQ(kDropped, Call(large));
    const std::vector<TelephonyLogEntry> requests = Log("getcallinfo");
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("1328", requests[0].Get("total"));
    EXPECT_EQ(requests[0].Get("needed"), requests[1].Get("total")) << "grown to the needed size";

    PhoneCall noNumber;
    noNumber.callerNumber = L"246";
    noNumber.callerSizeGiven = true;
    noNumber.callerSize = 0;
    EXPECT_EQ(kDropped, Call(noNumber)) << "an empty number matches the empty entry";

    // Kept whole: the listed long number is dropped, a longer one is not taken for its prefix.
    EXPECT_EQ(kDropped, Call(longNumber.c_str()));
    EXPECT_EQ(kRang, Call((longNumber + L"9").c_str()));
    StopHost();
}

TEST_F(LineSessionTest, HostileRecordsAreReadSafelyAndScreeningGoesOn)
{
    StoreList(L"246;");
    StartHost();

    PhoneCall outside;
    outside.callerNumber = L"246";
    outside.callerOffsetGiven = true;
    outside.callerOffset = 0x7FFFFFF0;
    EXPECT_EQ(kRang, Call(outside));

    PhoneCall pastTheEnd;
    pastTheEnd.callerNumber = L"246";
    pastTheEnd.terminator = false;
    pastTheEnd.callerSizeGiven = true;
    pastTheEnd.callerSize = 0x10000;
    EXPECT_EQ(kDropped, Call(pastTheEnd)) << "cut at the record's end, the number is intact";

    PhoneCall oddSize;
    oddSize.callerNumber = L"2467";
    oddSize.terminator = false;
    oddSize.callerSizeGiven = true;
    oddSize.callerSize = 7;  // three whole units and half of the fourth
    EXPECT_EQ(kDropped, Call(oddSize));

    PhoneCall endless;
    endless.callerNumber = L"246";
    endless.growForever = true;
    EXPECT_EQ(kRang, Call(endless)) << "a failed request screens an empty number";

    PhoneCall absurd;
    absurd.callerNumber = L"246";
    absurd.neededBytes = 1u << 20;
    EXPECT_EQ(kRang, Call(absurd));

    EXPECT_EQ(kDropped, Call(L"246")) << "the next ordinary call is still screened";
    StopHost();
}

TEST_F(LineSessionTest, OpensEveryDeviceThatNegotiatesAndClosesExactlyThose)
{
    SetService("TAPI_STANDIN_LINES", "4");
    SetService("TAPI_STANDIN_FAIL_NEGOTIATE", "1");
    SetService("TAPI_STANDIN_FAIL_OPEN", "3");
    StoreList(L"246;");
    StartHost();

    PhoneCall onLine2;
    onLine2.callerNumber = L"246";
    onLine2.line = 2;
    EXPECT_EQ(kDropped, Call(onLine2));
    PhoneCall onLine1 = onLine2;
    onLine1.line = 1;
    const PhoneOutcome unscreened = PlaceCall(onLine1, kDeadlineMs);
    EXPECT_EQ(kRang, unscreened.result);
    EXPECT_FALSE(unscreened.lineOpened);
    StopHost();

    const std::vector<TelephonyLogEntry> opens = Log("open");
    ASSERT_EQ(3u, opens.size()) << "device 1 failed negotiation and is not opened";
    EXPECT_EQ("0", opens[0].Get("device"));
    EXPECT_EQ("2", opens[1].Get("device"));
    EXPECT_EQ("3", opens[2].Get("device"));
    EXPECT_EQ("6", opens[0].Get("privileges"));
    EXPECT_EQ("4", opens[0].Get("media"));

    const std::vector<TelephonyLogEntry> closes = Log("close");
    ASSERT_EQ(2u, closes.size()) << "only the lines that were opened are closed";
    EXPECT_EQ(opens[0].Get("line"), closes[0].Get("line"));
    EXPECT_EQ(opens[1].Get("line"), closes[1].Get("line"));

    const std::vector<TelephonyLogEntry> all = Log();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ("shutdown", all.back().operation) << "shut down last, once";
    EXPECT_EQ(1u, Log("shutdown").size());
}

TEST_F(LineSessionTest, ZeroDevicesAndAFailedInitialisation)
{
    SetService("TAPI_STANDIN_LINES", "0");
    StartHost();
    StopHost();
    EXPECT_TRUE(Log("open").empty());
    EXPECT_TRUE(Log("close").empty());
    EXPECT_EQ(1u, Log("shutdown").size());

    SetUp();
    SetService("TAPI_STANDIN_FAIL_INIT", "1");
    StartHost();
    EXPECT_EQ(PhoneResult::Error, PlaceCall(PhoneCall{L"246"}, 2000).result)
        << "no telephony application";
    StopHost();
    EXPECT_EQ(1u, Log("initialize").size());
    EXPECT_TRUE(Log("close").empty());
    EXPECT_TRUE(Log("shutdown").empty());
}

TEST_F(LineSessionTest, FailedServiceRequestsAreSilent)
{
    SetService("TAPI_STANDIN_FAIL_GETCALLINFO", "1");
    SetService("TAPI_STANDIN_FAIL_DROP", "1");
    StoreList(L"246;");
    StartHost();
    EXPECT_EQ(kRang, Call(L"246")) << "no call information: an empty number, not on the list";
    SetMode(3);
    EXPECT_EQ(kRang, Call(L"246")) << "the drop failed, the call rings on";
    EXPECT_EQ(1u, Log("drop").size());
    StopHost();
}

}  // namespace
