// Platform failures injected one at a time into the real program, one row each: the switch,
// what the user and the phone do, what the user sees, what is stored, what is logged. The real
// thing fails wherever it can be made to: the stand-ins' switches, a registry key nobody may
// open, a value too large to read, a copy whose landscape template is cut short, a
// sockets layer that refuses; four calls Wine cannot refuse go through tests/fakes/faults.
#include <map>
#include <memory>
#include <sstream>

#include "tests/support/device.h"

namespace {

// The settings key as another program could leave it: nobody may open it until Unlock. The
// handle was opened before the lock, with the right to change it back.
struct LockedSettingsKey {
    static HKEY Create()
    {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr);
        return key;
    }
    bool SetAccess(bool nobody)  // an empty list: nobody may; no list: everyone may
    {
        ACL empty;
        SECURITY_DESCRIPTOR descriptor;
        return InitializeAcl(&empty, sizeof(empty), ACL_REVISION) &&
            InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
            SetSecurityDescriptorDacl(&descriptor, TRUE, nobody ? &empty : nullptr, FALSE) &&
            RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, &descriptor) == 0;
    }
    void Unlock() { locked = locked && !SetAccess(false); }
    ~LockedSettingsKey() { Unlock(); }

    const UniqueRegistryKey key{Create()};
    bool locked = key.IsValid() && SetAccess(true);
};

// Wine takes a program's DLL load order from the registry, per executable name: while this
// lives, Ostrel.exe prefers a ws2_32.dll found beside it to Wine's own.
struct NativeSockets {
    const wchar_t* const key = L"Software\\Wine\\AppDefaults\\Ostrel.exe\\DllOverrides";
    NativeSockets() { RegSetKeyValueW(HKEY_CURRENT_USER, key, L"ws2_32", REG_SZ, L"native", 14); }
    ~NativeSockets() { RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"ws2_32"); }
};

// A copy whose landscape template is cut to 4 bytes.
std::wstring CopyWithCutLandscapeTemplate()
{
    const std::wstring program = CopyProgram(L"ostrel_landscape");
    DWORD cut = 0;
    HANDLE update = BeginUpdateResourceW(program.c_str(), FALSE);
    const bool changed = update &&
        UpdateResourceW(update, RT_DIALOG, MAKEINTRESOURCEW(IDD_OSTREL_DIALOG_WIDE),
                        MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), &cut, sizeof(cut));
    return update && EndUpdateResourceW(update, !changed) && changed ? program : std::wstring();
}

class FaultTest;

struct Fault {
    const char* name;
    // NAME=VALUE for the program's environment; a copy of the program (faults.dll, ws2_32.dll,
    // cut-landscape); the stored list (locked, over-capacity).
    const wchar_t* switches;
    void (*act)(FaultTest&);         // what the user and the phone do, checked on the way
    const char* calls;               // for Calls: the verdicts, see there
    std::vector<std::wstring> sees;  // every message box, in order
    const wchar_t* stored;           // at the end; null: the bytes as before
    const char* logged;              // refused, sockets' calls; inits, devices tried, drops
    // A row is printed by its name.
    friend void PrintTo(const Fault& row, std::ostream* out) { *out << row.name; }
};

class FaultTest : public Device, public ::testing::WithParamInterface<Fault> {
public:
    void Up() { Start(m_environment, m_exe); }   // the row's program, up and screening
    void Go() { Launch(m_environment, m_exe); }  // only started
    void Saw(const wchar_t* caption) { m_seen.push_back(Answer(caption)); }  // and answered it
    void Save() { Tap(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Save"), Saw(L"Ostrel"); }
    void Run(const Fault& row);

    std::unique_ptr<LockedSettingsKey> m_lock;

private:
    void Prepare(const wchar_t* switches);
    std::string Logged() const;
    std::wstring m_exe;
    EnvironmentChanges m_environment;
    std::vector<std::wstring> m_seen;
    std::unique_ptr<NativeSockets> m_sockets;
};

void FaultTest::Prepare(const wchar_t* switches)
{
    std::wistringstream words(switches);
    m_exe = m_builtProgram;
    for (std::wstring word; words >> word;) {
        if (word.find(L'=') != std::wstring::npos)
            m_environment.emplace_back(word.substr(0, word.find(L'=')),
                                       word.substr(word.find(L'=') + 1));
        if (word == L"faults.dll")
            m_exe = CopyWithFaultsDll();
        if (word == L"cut-landscape")
            m_exe = CopyWithCutLandscapeTemplate();
        if (word == L"ws2_32.dll") {  // beside the copy, preferred to Wine's own
            m_exe = CopyProgram(L"ostrel_sockets"), m_sockets.reset(new NativeSockets);
            if (!CopyFileW(PathBesideThisProgram(L"fake_ws2_32\\ws2_32.dll").c_str(),
                           TempPath(L"ostrel_sockets\\ws2_32.dll").c_str(), FALSE))
                m_exe.clear();
        }
        if (word == L"over-capacity") {  // 1024 characters, with the NUL 2050 bytes
            const std::wstring tooLong = L"5551234;" + std::wstring(1016, L'9');
            RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKeyPath, L"Blacklist", REG_SZ, tooLong.c_str(),
                            static_cast<DWORD>((tooLong.size() + 1) * sizeof(wchar_t)));
        }
        if (word == L"locked")
            m_lock.reset(new LockedSettingsKey);
    }
}

void FaultTest::Run(const Fault& row)
{
    const auto readable = StoredValue();
    Prepare(row.switches);
    const auto before = m_lock ? readable : StoredValue();
    ASSERT_FALSE(m_exe.empty()) << "the copy could not be made";
    ASSERT_TRUE(!m_lock || m_lock->locked);
    row.act(*this);
    ASSERT_FALSE(HasFatalFailure());
    if (m_program.IsRunning()) {
        EXPECT_TRUE(NoMessageBox());
        if (HWND editor = VisibleWindow(L"Setting", ProcessId()))
            CloseWithOk(editor);
        Deactivate();
    }
    m_lock.reset();
    EXPECT_EQ(row.sees, m_seen);
    if (row.stored) {
        EXPECT_EQ(row.stored, Stored());
    } else {
        EXPECT_EQ(before, StoredValue());
    }
    EXPECT_EQ(row.logged, Logged());
}

// Every line opened is closed once, and only those; a service that started is shut down last.
std::string FaultTest::Logged() const
{
    std::string logged;
    for (const std::string& line : Lines(m_faultsLog))
        if (line.find(" failed") != std::string::npos)
            logged += line + "; ";
    for (const std::string& line : Lines(m_frameworkLog))
        if (line.rfind("startup", 0) == 0 || line == "cleanup")
            logged += line + "; ";
    const std::vector<TelephonyLogEntry> log = ReadTelephonyLog(m_telephonyLog);
    std::vector<std::string> opened, closed;
    std::string devices;
    for (const TelephonyLogEntry& entry : LogEntries(log, "open")) {
        devices += (devices.empty() ? "" : ",") + entry.Get("device");
        if (entry.Get("result") == "0")
            opened.push_back(entry.Get("line"));
    }
    for (const TelephonyLogEntry& entry : LogEntries(log, "close"))
        closed.push_back(entry.Get("line"));
    size_t started = 0;
    for (const TelephonyLogEntry& entry : LogEntries(log, "initialize"))
        started += entry.Get("result") == "0";
    EXPECT_EQ(started, LogEntries(log, "shutdown").size());
    EXPECT_EQ(started ? opened : std::vector<std::string>{}, closed);
    if (started) {
        EXPECT_EQ("shutdown 0", log.back().operation + " " + log.back().Get("unclosed"));
    }
    return logged + "init=" + std::to_string(LogEntries(log, "initialize").size()) + " open(" +
        devices + ") drop=" + std::to_string(LogEntries(log, "drop").size());
}

// Before '/' the listed caller on lines 0, 1, ...; after it, in "Reject All Calls", an unlisted
// caller on line 0. D dropped, R rang, N rang on a line not opened, E none.
void Calls(FaultTest& t)
{
    t.Up();
    DWORD line = 0;
    bool rejecting = false;
    for (const char* verdict = t.GetParam().calls; *verdict; ++verdict) {
        if (*verdict == '/') {
            t.Choose(IDC_REJECT_ALL);
            rejecting = true;
            continue;
        }
        const PhoneOutcome outcome = rejecting ? t.Call(kUnlisted) : t.Call(kListed, line++);
        const char got = "RDE"[static_cast<int>(outcome.result)];
        EXPECT_EQ(*verdict, got == 'R' && !outcome.lineOpened ? 'N' : got) << verdict;
    }
}

// A start whose list could not be loaded screens with an empty list, modes and all.
HWND StartWithoutTheList(FaultTest& t)
{
    t.Up();
    EXPECT_EQ(kRang, t.Verdict(kListed));
    t.Choose(IDC_REJECT_ALL);
    EXPECT_EQ(kDropped, t.Verdict(kUnlisted));
    t.Choose(IDC_BLOCK_BLACKLIST);
    HWND editor = t.OpenEditor();
    EXPECT_EQ(Entries{}, t.ListOf(editor));
    return editor;
}

// Readable again: the editor reads the stored list before it shows any.
void ListReadAgain(FaultTest& t)
{
    t.CloseWithOk(StartWithoutTheList(t));
    t.m_lock->Unlock();
    HWND editor = t.OpenEditor();
    EXPECT_EQ(Entries{kListed}, t.ListOf(editor));
    t.CloseWithOk(editor);
    EXPECT_EQ(kDropped, t.Verdict(kListed));
}

// An editor that opened without the stored list never saves over it: refused while the store
// stays unreadable; once it reads, the stored numbers join the editor's.
void SaveJoinsTheStoredList(FaultTest& t)
{
    HWND editor = StartWithoutTheList(t);
    t.AddNumber(editor, L"777");
    t.Save();
    EXPECT_EQ(Entries{L"777"}, t.ListOf(editor));
    EXPECT_EQ(kRang, t.Verdict(L"777"));
    t.m_lock->Unlock();
    t.Save();
    EXPECT_EQ((Entries{kListed, L"777"}), t.ListOf(editor));
    EXPECT_EQ(kDropped, t.Verdict(L"777"));
    EXPECT_EQ(kDropped, t.Verdict(kListed));
}

// A value no read could load screened nothing: a save replaces it.
void SaveReplacesAnUnloadableValue(FaultTest& t)
{
    const auto before = StoredValue();
    HWND editor = StartWithoutTheList(t);
    EXPECT_EQ(before, StoredValue()) << "not touched before a save";
    t.AddNumber(editor, L"777");
    t.Save();
    EXPECT_EQ(kDropped, t.Verdict(L"777"));
    EXPECT_EQ(kRang, t.Verdict(kListed));
}

// A save that cannot be stored says so and keeps the stored, the screened and the editor's list;
// the user simply saves again. lock: the key is locked after the start and opens again later.
template <bool lock>
void SaveFailsAndIsRetried(FaultTest& t)
{
    t.Up();
    if (lock)
        t.m_lock.reset(new LockedSettingsKey);
    HWND editor = t.OpenEditor();
    t.AddNumber(editor, L"777");
    for (int attempt = 1; attempt <= 2; ++attempt) {
        const bool fails = !lock || attempt == 1;
        t.Tap(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Save");
        t.Visible(L"Ostrel");
        EXPECT_EQ(fails ? kRang : kDropped, t.Verdict(L"777")) << "while the message is shown";
        t.Saw(L"Ostrel");
        EXPECT_EQ((Entries{kListed, L"777"}), t.ListOf(editor));
        if (lock)
            t.m_lock->Unlock();
        EXPECT_EQ(fails ? L"5551234;" : L"5551234;777;", Stored());
    }
}

// Said once per dialog; the bars stay empty, so Save, Delete and Operate are out of reach; Add
// and closing work, and calls are screened while the message is up and in the bar-less editor.
void WithoutMenuBars(FaultTest& t)
{
    t.Go();
    t.Visible(L"Error");
    EXPECT_EQ(kDropped, t.Verdict(kListed)) << "the lines open before the bar";
    t.Saw(L"Error");
    t.m_main = t.Visible(kTitle);
    ASSERT_TRUE(Click(GetDlgItem(t.m_main, IDC_SET_BLACKLIST)));
    t.Saw(L"Error");
    HWND editor = t.Visible(L"Setting");
    int bars = 0;  // the frames' empty ones, the main dialog's and the editor's
    for (HWND bar = nullptr;
         (bar = FindWindowExW(nullptr, bar, AYGSHELL_STANDIN_MENUBAR_CLASS, nullptr)); ++bars)
        EXPECT_EQ(nullptr, FindWindowExW(bar, nullptr, L"Button", nullptr)) << "a button on a bar";
    EXPECT_EQ(2, bars);
    t.AddNumber(editor, L"777");
    EXPECT_EQ(kDropped, t.Verdict(kListed));
    t.CloseWithOk(editor);
    PostMessageW(t.m_main, WM_CLOSE, 0, 0);  // what Deactive does
    EXPECT_EQ(0u, t.WaitForExit());
}

// The program ends at once, after the message of its row if any, without a main dialog.
void EndsAtStart(FaultTest& t)
{
    t.Go();
    if (!t.GetParam().sees.empty()) {
        t.Visible(L"Ostrel");
        EXPECT_EQ(nullptr, TopLevelWindow(kTitle, t.ProcessId()));
        t.Saw(L"Ostrel");
    }
    EXPECT_EQ(0u, t.WaitForExit());
}

// A re-layout that cannot begin moves nothing: the screen turns, every control keeps its place
// and text, and calls are screened in the mode chosen before.
void TurnWithoutReLayout(FaultTest& t)
{
    const auto layout = [&] {
        std::map<int, std::wstring> controls;
        for (HWND c = GetWindow(t.m_main, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            controls[GetDlgCtrlID(c)] = RectText(PlaceIn(t.m_main, c)) + WindowText(c);
        }
        return controls;
    };
    t.Up();
    t.Choose(IDC_REJECT_ALL);
    const auto before = layout();
    LandscapeScreen screen;
    ASSERT_TRUE(screen.turned);
    RECT r = {};
    WAIT_FOR("the main dialog turned", GetWindowRect(t.m_main, &r) && r.right - r.left == 320);
    // The call is handled after the size change, on the program's one thread.
    EXPECT_EQ(kDropped, t.Verdict(kUnlisted));
    EXPECT_EQ(before, layout());
}

// Without the screen's device context the editor's margin is 0, on every size change and
// every opening; the screen is asked only once.
void EditorWithoutMargin(FaultTest& t)
{
    t.Up();
    for (int opening = 1; opening <= 2; ++opening) {
        HWND editor = t.OpenEditor();
        EXPECT_EQ(std::vector<LONG>(5, 0), Gaps(editor)) << opening;
        if (opening == 1) {
            LandscapeScreen screen;
            RECT client = {};
            WAIT_FOR("the editor turned", GetClientRect(editor, &client) && client.right == 320);
            EXPECT_EQ(std::vector<LONG>(5, 0), Gaps(editor)) << "turned";
        }
        t.CloseWithOk(editor);
    }
}

const wchar_t kFaulted[] = L"Save faulted, please retry!";
const wchar_t kFinished[] = L"Save finished!";
const wchar_t kNoBar[] = L"SHCreateMenuBar Failed";
const wchar_t kNoSockets[] = L"Windows 套接字初始化失败。";

// clang-format off
const Fault kFaults[] = {
    // Telephony failures are silent; screening goes on wherever a line could be opened.
    {"lineInitializeEx fails", L"TAPI_STANDIN_FAIL_INIT=1", Calls, "E/E", {}, nullptr,
     "init=1 open() drop=0"},
    {"device 1 disagrees on the version, device 2 cannot be opened", L"TAPI_STANDIN_LINES=4 "
     L"TAPI_STANDIN_FAIL_NEGOTIATE=1 TAPI_STANDIN_FAIL_OPEN=2", Calls, "DNND/D", {}, nullptr,
     "init=1 open(0,2,3) drop=3"},
    {"no line devices", L"TAPI_STANDIN_LINES=0", Calls, "N/N", {}, nullptr, "init=1 open() drop=0"},
    {"lineGetCallInfo fails: no caller has a number", L"TAPI_STANDIN_FAIL_GETCALLINFO=1", Calls,
     "R/D", {}, nullptr, "init=1 open(0) drop=1"},
    {"lineDrop fails: the call rings on", L"TAPI_STANDIN_FAIL_DROP=1", Calls, "R/R", {}, nullptr,
     "init=1 open(0) drop=2"},
    // The settings store: a list that cannot be loaded is neither shown nor touched.
    {"the key cannot be opened, then can", L"locked", ListReadAgain, "", {}, nullptr,
     "init=1 open(0) drop=2"},
    {"a save while the key cannot be opened, then can", L"locked", SaveJoinsTheStoredList, "",
     {kFaulted, kFinished}, L"5551234;777;", "init=1 open(0) drop=3"},
    {"the value is over the read capacity", L"over-capacity", SaveReplacesAnUnloadableValue, "",
     {kFinished}, L"777;", "init=1 open(0) drop=2"},
    {"the key is locked after the start", L"", SaveFailsAndIsRetried<true>, "",
     {kFaulted, kFinished}, L"5551234;777;", "init=1 open(0) drop=1"},
    {"the value cannot be set", L"faults.dll FAULTS_FAIL=RegSetValueExW",
     SaveFailsAndIsRetried<false>, "", {kFaulted, kFaulted}, nullptr,
     "RegSetValueExW failed; RegSetValueExW failed; init=1 open(0) drop=0"},
    {"the menu bars cannot be created", L"AYGSHELL_STANDIN_FAIL_CREATEMENUBAR=1", WithoutMenuBars,
     "", {kNoBar, kNoBar}, nullptr, "init=1 open(0) drop=2"},
    // Start-up: no window, and the telephony service is not touched.
    {"the main dialog cannot be created", L"faults.dll FAULTS_FAIL=DialogBoxParamW", EndsAtStart,
     "", {}, nullptr, "DialogBoxParamW failed; init=0 open() drop=0"},
    {"the sockets layer refuses", L"ws2_32.dll FAKE_WS2_32=refuse", EndsAtStart, "",
     {kNoSockets}, nullptr, "startup 1.1; init=0 open() drop=0"},
    {"the sockets layer offers another version", L"ws2_32.dll FAKE_WS2_32=version", EndsAtStart,
     "", {kNoSockets}, nullptr, "startup 1.1; cleanup; init=0 open() drop=0"},
    {"no failure: the sockets layer is released at the end", L"ws2_32.dll", Calls, "", {},
     nullptr, "startup 1.1; cleanup; init=1 open(0) drop=0"},
    // Re-layout and the editor's margin.
    {"the landscape template is cut short", L"cut-landscape", TurnWithoutReLayout, "", {},
     nullptr, "init=1 open(0) drop=1"},
    {"the move batch cannot be opened", L"faults.dll FAULTS_FAIL=BeginDeferWindowPos",
     TurnWithoutReLayout, "", {}, nullptr, "BeginDeferWindowPos failed; BeginDeferWindowPos "
     "failed; BeginDeferWindowPos failed; BeginDeferWindowPos failed; init=1 open(0) drop=1"},
    {"the screen has no device context", L"faults.dll FAULTS_FAIL=GetDC", EditorWithoutMargin,
     "", {}, nullptr, "GetDC failed; init=1 open(0) drop=0"},
};
// clang-format on

TEST_P(FaultTest, IsShownAsTheUserShouldSeeItAndLosesNothing)
{
    Run(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Row, FaultTest, ::testing::ValuesIn(kFaults));

}  // namespace
