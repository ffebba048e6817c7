// Platform failures injected one at a time into the real program, one row each: the switch,
// what the user and the phone do, what the user sees, what is stored, what is logged. The real
// thing is made to fail wherever it can: the stand-ins' switches, a registry key nobody may
// open, a value too large to read, a copy whose landscape template is gone or unreadable, a
// sockets layer that refuses. Four calls Wine cannot refuse go through tests/fakes/faults.
#include <map>
#include <memory>

#include "tests/support/device.h"

namespace {

const wchar_t kKeyPath[] = L"Software\\Kelvoro\\Tolvane";

// The settings key with a security descriptor that lets nobody open it, as another program could
// leave it; open to everyone as before once unlocked, at the latest when this ends.
class LockedSettingsKey {
public:
    LockedSettingsKey()
    {
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &m_key, nullptr))
            return;
        DWORD size = 0;
        RegGetKeySecurity(m_key, DACL_SECURITY_INFORMATION, nullptr, &size);
        m_original.resize(size);
        SECURITY_DESCRIPTOR nobody;
        ACL empty;
        m_locked =
            RegGetKeySecurity(m_key, DACL_SECURITY_INFORMATION, m_original.data(), &size) == 0 &&
            InitializeSecurityDescriptor(&nobody, SECURITY_DESCRIPTOR_REVISION) &&
            InitializeAcl(&empty, sizeof(empty), ACL_REVISION) &&
            SetSecurityDescriptorDacl(&nobody, TRUE, &empty, FALSE) &&
            RegSetKeySecurity(m_key, DACL_SECURITY_INFORMATION, &nobody) == 0;
    }
    ~LockedSettingsKey()
    {
        Unlock();
        if (m_key)
            RegCloseKey(m_key);
    }
    LockedSettingsKey(const LockedSettingsKey&) = delete;
    LockedSettingsKey& operator=(const LockedSettingsKey&) = delete;
    bool IsLocked() const { return m_locked; }
    // This handle was opened before the lock, with the right to change it back.
    void Unlock()
    {
        if (m_locked)
            m_locked = RegSetKeySecurity(m_key, DACL_SECURITY_INFORMATION, m_original.data()) != 0;
    }

private:
    HKEY m_key = nullptr;
    std::vector<BYTE> m_original;
    bool m_locked = false;
};

// Wine takes a program's DLL load order from the registry, per executable name: while this
// lives, Ostrel.exe prefers a ws2_32.dll found beside it to Wine's own.
struct NativeSockets {
    const wchar_t* const key = L"Software\\Wine\\AppDefaults\\Ostrel.exe\\DllOverrides";
    NativeSockets()
    {
        const wchar_t order[] = L"native,builtin";
        RegSetKeyValueW(HKEY_CURRENT_USER, key, L"ws2_32", REG_SZ, order, sizeof(order));
    }
    ~NativeSockets() { RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"ws2_32"); }
};

std::wstring IdText(LPCWSTR id)  // "#n" for a number
{
    return IS_INTRESOURCE(id) ? L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(id))
                              : std::wstring(id);
}

LPCWSTR IdOf(const std::wstring& text)
{
    return text[0] == L'#' ? MAKEINTRESOURCEW(_wtoi(text.c_str() + 1)) : text.c_str();
}

struct Resource {
    std::wstring type, name;
    WORD language;
    std::vector<BYTE> bytes;
};
using Resources = std::vector<Resource>;

BOOL CALLBACK AddLanguage(HMODULE m, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR found)
{
    HRSRC at = FindResourceExW(m, type, name, language);
    const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(m, at)));
    reinterpret_cast<Resources*>(found)->push_back(
        {IdText(type), IdText(name), language,
         std::vector<BYTE>(bytes, bytes + SizeofResource(m, at))});
    return TRUE;
}

BOOL CALLBACK AddName(HMODULE m, LPCWSTR type, LPWSTR name, LONG_PTR found)
{
    return EnumResourceLanguagesW(m, type, name, AddLanguage, found);
}

BOOL CALLBACK AddType(HMODULE m, LPWSTR type, LONG_PTR found)
{
    return EnumResourceNamesW(m, type, AddName, found);
}

// The copy's resources written anew, the landscape template left out or replaced by these
// bytes (Wine ignores a request to delete a single resource, so all are written again).
bool ChangeLandscapeTemplate(const std::wstring& program, const std::vector<BYTE>* replacement)
{
    Resources resources;
    HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    EnumResourceTypesW(module, AddType, reinterpret_cast<LONG_PTR>(&resources));
    FreeLibrary(module);
    HANDLE update = BeginUpdateResourceW(program.c_str(), TRUE);
    bool changed = false, updated = update != nullptr;
    for (Resource& resource : resources) {
        if (resource.type == IdText(RT_DIALOG) &&
            resource.name == IdText(MAKEINTRESOURCEW(IDD_OSTREL_DIALOG_WIDE))) {
            changed = true;
            if (!replacement)
                continue;
            resource.bytes = *replacement;
        }
        updated = updated &&
            UpdateResourceW(update, IdOf(resource.type), IdOf(resource.name), resource.language,
                            resource.bytes.data(), static_cast<DWORD>(resource.bytes.size()));
    }
    return update && EndUpdateResourceW(update, !updated) && updated && changed;
}

enum class Copy { Built, FaultsDll, NoLandscape, BadLandscape, FakeSockets };
enum class Key { Readable, Locked, OverCapacity };

struct Fault;
void PrintTo(const Fault& row, std::ostream* out);
class FaultTest;
struct Fault {
    const char* name;
    Copy copy;
    EnvironmentChanges environment;   // the stand-ins' switches
    Key key;                          // the stored list as the program finds it
    void (*act)(FaultTest&);          // what the user and the phone do, checked on the way
    std::vector<std::wstring> sees;   // every message box, in order
    const wchar_t* stored;            // at the end; null: the bytes as before
    std::vector<std::string> logged;  // refused calls, the sockets' calls, the lines' summary
};

void PrintTo(const Fault& row, std::ostream* out)
{
    *out << row.name;
}

class FaultTest : public Device, public ::testing::WithParamInterface<Fault> {
public:
    void Up() { Start(m_environment, m_exe); }   // the row's program, up and screening
    void Go() { Launch(m_environment, m_exe); }  // only started
    // Answers the message box with this caption and notes what it said.
    void Saw(const wchar_t* caption) { m_seen.push_back(Answer(caption)); }
    void Run(const Fault& row);

    std::unique_ptr<LockedSettingsKey> m_lock;

private:
    std::vector<std::string> Logged() const;
    std::wstring m_exe;
    EnvironmentChanges m_environment;
    std::vector<std::wstring> m_seen;
};

void FaultTest::Run(const Fault& row)
{
    SCOPED_TRACE(row.name);
    const std::vector<BYTE> headerCutShort(4, 0);
    switch (row.copy) {
    case Copy::Built:
        m_exe = m_builtProgram;
        break;
    case Copy::FaultsDll:
        m_exe = CopyWithFaultsDll();
        break;
    case Copy::NoLandscape:
    case Copy::BadLandscape:
        m_exe = CopyProgram(L"ostrel_landscape");
        if (!ChangeLandscapeTemplate(m_exe,
                                     row.copy == Copy::NoLandscape ? nullptr : &headerCutShort))
            m_exe.clear();
        break;
    case Copy::FakeSockets:
        m_exe = CopyProgram(L"ostrel_sockets");
        if (!CopyFileW(PathBesideThisProgram(L"fake_ws2_32\\ws2_32.dll").c_str(),
                       (m_exe.substr(0, m_exe.size() - 10) + L"ws2_32.dll").c_str(), FALSE))
            m_exe.clear();
        break;
    }
    ASSERT_FALSE(m_exe.empty()) << "the copy could not be made";
    std::unique_ptr<NativeSockets> sockets(row.copy == Copy::FakeSockets ? new NativeSockets
                                                                         : nullptr);
    if (row.key == Key::OverCapacity) {  // 1024 characters, with the NUL 2050 bytes
        const std::wstring tooLong = L"5551234;" + std::wstring(1016, L'9');
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKeyPath, L"Blacklist", REG_SZ, tooLong.c_str(),
                        static_cast<DWORD>((tooLong.size() + 1) * sizeof(wchar_t)));
    }
    const std::vector<BYTE> before = StoredBytes();
    if (row.key == Key::Locked) {
        m_lock.reset(new LockedSettingsKey);
        ASSERT_TRUE(m_lock->IsLocked());
    }
    m_environment = row.environment;
    m_seen.clear();
    row.act(*this);
    ASSERT_FALSE(HasFatalFailure());
    if (m_program.IsRunning()) {
        EXPECT_TRUE(NoMessageBox());
        if (HWND editor = WaitForTopLevelWindow(L"Setting", ProcessId(), 0))
            CloseWithOk(editor);
        Deactivate();
    }
    m_lock.reset();
    EXPECT_EQ(row.sees, m_seen);
    if (row.stored)
        EXPECT_EQ(row.stored, Stored());
    else
        EXPECT_EQ(before, StoredBytes());
    EXPECT_EQ(row.logged, Logged());
}

// Refused calls, the sockets' calls, and the telephony lines: opened, dropped, shut down. Only
// the lines that were opened are closed, each once, before the shutdown, which comes last.
std::vector<std::string> FaultTest::Logged() const
{
    std::vector<std::string> logged;
    for (const std::string& line : Lines(m_faultsLog))
        if (line.find(" failed") != std::string::npos)
            logged.push_back(line);
    for (const char* prefix : {"startup", "cleanup"})
        for (const std::string& line : Lines(m_frameworkLog, prefix))
            logged.push_back(line);
    const std::vector<TelephonyLogEntry> log = ReadTelephonyLog(m_telephonyLog);
    std::vector<std::string> opened, closed;
    for (const TelephonyLogEntry& entry : LogEntries(log, "open"))
        if (entry.Get("result") == "0")
            opened.push_back(entry.Get("line"));
    for (const TelephonyLogEntry& entry : LogEntries(log, "close"))
        closed.push_back(entry.Get("line"));
    const size_t shutdowns = LogEntries(log, "shutdown").size();
    EXPECT_EQ(shutdowns ? opened : std::vector<std::string>{}, closed);
    if (shutdowns) {
        EXPECT_EQ("shutdown", log.back().operation);
        EXPECT_EQ("0", log.back().Get("unclosed"));
    }
    logged.push_back("initialized=" + std::to_string(LogEntries(log, "initialize").size()) +
                     " opened=" + std::to_string(opened.size()) +
                     " dropped=" + std::to_string(LogEntries(log, "drop").size()) +
                     " shutdown=" + std::to_string(shutdowns));
    return logged;
}

// Every control's rectangle in the dialog's client coordinates, and its text.
std::map<int, std::wstring> Layout(HWND dialog)
{
    std::map<int, std::wstring> layout;
    for (HWND control = GetWindow(dialog, GW_CHILD); control;
         control = GetWindow(control, GW_HWNDNEXT)) {
        RECT r = {};
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        layout[GetDlgCtrlID(control)] = std::to_wstring(r.left) + L"," + std::to_wstring(r.top) +
            L"," + std::to_wstring(r.right) + L"," + std::to_wstring(r.bottom) + L" " +
            WindowText(control);
    }
    return layout;
}

// A re-layout that cannot begin moves nothing: the screen turns, every control keeps its place
// and text, and calls are screened in the mode chosen before.
void TurnWithoutReLayout(FaultTest& t)
{
    t.Up();
    t.Choose(IDC_REJECT_ALL);
    const auto before = Layout(t.m_main);
    LandscapeScreen screen;
    ASSERT_TRUE(screen.turned);
    RECT r = {};
    WAIT_FOR("the main dialog turned", GetWindowRect(t.m_main, &r) && r.right - r.left == 320);
    // The call is handled after the size change, on the program's one thread.
    EXPECT_EQ(PhoneResult::Dropped, t.Verdict(kUnlisted));
    EXPECT_EQ(before, Layout(t.m_main));
}

// A start whose list could not be loaded screens with an empty list and leaves the value be.
void StartWithoutTheList(FaultTest& t)
{
    t.Up();
    EXPECT_EQ(PhoneResult::Rang, t.Verdict(kListed));
    t.Choose(IDC_REJECT_ALL);  // the modes still work
    EXPECT_EQ(PhoneResult::Dropped, t.Verdict(kUnlisted));
    t.Choose(IDC_BLOCK_BLACKLIST);
    HWND editor = t.OpenEditor();
    ASSERT_NE(nullptr, editor);
    EXPECT_EQ(Entries{}, t.ListOf(editor));
}

const wchar_t kFaulted[] = L"Save faulted, please retry!";
const wchar_t kFinished[] = L"Save finished!";
const wchar_t kMenuBarFailed[] = L"SHCreateMenuBar Failed";
const wchar_t kSocketsFailed[] = L"Windows 套接字初始化失败。";
const std::string kOneLine = "initialized=1 opened=1 dropped=0 shutdown=1";

const Fault kFaults[] = {
    // Telephony failures are silent; screening goes on wherever a line could be opened.
    {"lineInitializeEx fails",
     Copy::Built,
     {{L"TAPI_STANDIN_FAIL_INIT", L"1"}},
     Key::Readable,
     [](FaultTest& t) {
         t.Up();
         EXPECT_EQ(PhoneResult::Error, t.Verdict(kListed)) << "no telephony application";
     },
     {},
     nullptr,
     {"initialized=1 opened=0 dropped=0 shutdown=0"}},
    {"device 1 cannot agree on a version, device 2 cannot be opened",
     Copy::Built,
     {{L"TAPI_STANDIN_LINES", L"4"},
      {L"TAPI_STANDIN_FAIL_NEGOTIATE", L"1"},
      {L"TAPI_STANDIN_FAIL_OPEN", L"2"}},
     Key::Readable,
     [](FaultTest& t) {
         t.Up();
         for (DWORD line : {0, 1, 2, 3}) {
             const PhoneOutcome outcome = t.Call(kListed, line);
             const bool open = line == 0 || line == 3;
             EXPECT_EQ(open ? PhoneResult::Dropped : PhoneResult::Rang, outcome.result) << line;
             EXPECT_EQ(open, outcome.lineOpened) << line;
         }
     },
     {},
     nullptr,
     {"initialized=1 opened=2 dropped=2 shutdown=1"}},
    {"lineGetCallInfo fails: every caller has no number",
     Copy::Built,
     {{L"TAPI_STANDIN_FAIL_GETCALLINFO", L"1"}},
     Key::Readable,
     [](FaultTest& t) {
         t.Up();
         EXPECT_EQ(PhoneResult::Rang, t.Verdict(kListed));
         t.Choose(IDC_REJECT_ALL);
         EXPECT_EQ(PhoneResult::Dropped, t.Verdict(kUnlisted));
     },
     {},
     nullptr,
     {"initialized=1 opened=1 dropped=1 shutdown=1"}},
    {"lineDrop fails: the call rings on, and so does the next",
     Copy::Built,
     {{L"TAPI_STANDIN_FAIL_DROP", L"1"}},
     Key::Readable,
     [](FaultTest& t) {
         t.Up();
         EXPECT_EQ(PhoneResult::Rang, t.Verdict(kListed));
         EXPECT_EQ(PhoneResult::Rang, t.Verdict(kListed));
     },
     {},
     nullptr,
     {"initialized=1 opened=1 dropped=2 shutdown=1"}},

    // The settings store. A list that cannot be loaded is neither shown nor touched, and an
    // editor that opened without it never saves over numbers the user was not shown.
    {"the key cannot be opened, then can",
     Copy::Built,
     {},
     Key::Locked,
     [](FaultTest& t) {
         StartWithoutTheList(t);
         HWND editor = t.Visible(L"Setting");
         t.CloseWithOk(editor);
         t.m_lock->Unlock();
         ASSERT_NE(nullptr, editor = t.OpenEditor());
         EXPECT_EQ(Entries{kListed}, t.ListOf(editor)) << "read again before it is shown";
         t.CloseWithOk(editor);
         EXPECT_EQ(PhoneResult::Dropped, t.Verdict(kListed));
     },
     {},
     nullptr,
     {"initialized=1 opened=1 dropped=2 shutdown=1"}},
    {"a save while the key cannot be opened, then can",
     Copy::Built,
     {},
     Key::Locked,
     [](FaultTest& t) {
         StartWithoutTheList(t);
         HWND editor = t.Visible(L"Setting");
         t.AddNumber(editor, L"777");
         t.Tap(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Save");
         t.Saw(L"Ostrel");
         EXPECT_EQ(Entries{L"777"}, t.ListOf(editor));
         EXPECT_EQ(PhoneResult::Rang, t.Verdict(L"777"));
         t.m_lock->Unlock();
         t.Tap(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Save");
         t.Saw(L"Ostrel");
         EXPECT_EQ((Entries{kListed, L"777"}), t.ListOf(editor)) << "the stored numbers joined";
         EXPECT_EQ(PhoneResult::Dropped, t.Verdict(L"777"));
         EXPECT_EQ(PhoneResult::Dropped, t.Verdict(kListed));
     },
     {kFaulted, kFinished},
     L"5551234;777;",
     {"initialized=1 opened=1 dropped=3 shutdown=1"}},
    {"a value over the read capacity screens nothing and is replaced",
     Copy::Built,
     {},
     Key::OverCapacity,
     [](FaultTest& t) {
         const std::vector<BYTE> before = StoredBytes();
         StartWithoutTheList(t);
         EXPECT_EQ(before, StoredBytes()) << "not touched before a save";
         HWND editor = t.Visible(L"Setting");
         t.AddNumber(editor, L"777");
         t.Tap(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Save");
         t.Saw(L"Ostrel");
         EXPECT_EQ(Entries{L"777"}, t.ListOf(editor));
         EXPECT_EQ(PhoneResult::Dropped, t.Verdict(L"777"));
         EXPECT_EQ(PhoneResult::Rang, t.Verdict(kListed));
     },
     {kFinished},
     L"777;",
     {"initialized=1 opened=1 dropped=2 shutdown=1"}},
    // A save that cannot be stored says so and keeps all three lists: it can simply be retried.
    {"the key is locked after the start",
     Copy::Built,
     {},
     Key::Readable,
     [](FaultTest& t) {
         t.Up();
         t.m_lock.reset(new LockedSettingsKey);
         HWND editor = t.OpenEditor();
         ASSERT_NE(nullptr, editor);
         t.AddNumber(editor, L"777");
         t.Tap(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Save");
         t.Visible(L"Ostrel");
         EXPECT_EQ(PhoneResult::Rang, t.Verdict(L"777")) << "while the message is shown";
         t.Saw(L"Ostrel");
         t.m_lock->Unlock();
         EXPECT_EQ(L"5551234;", Stored());
         t.Tap(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Save");
         t.Saw(L"Ostrel");
         EXPECT_EQ(PhoneResult::Dropped, t.Verdict(L"777"));
     },
     {kFaulted, kFinished},
     L"5551234;777;",
     {"initialized=1 opened=1 dropped=1 shutdown=1"}},
    {"the value cannot be set",
     Copy::FaultsDll,
     {{L"FAULTS_FAIL", L"RegSetValueExW"}},
     Key::Readable,
     [](FaultTest& t) {
         t.Up();
         HWND editor = t.OpenEditor();
         ASSERT_NE(nullptr, editor);
         t.AddNumber(editor, L"777");
         for (int attempt = 1; attempt <= 2; ++attempt) {
             t.Tap(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Save");
             t.Saw(L"Ostrel");
             EXPECT_EQ((Entries{kListed, L"777"}), t.ListOf(editor));
             EXPECT_EQ(PhoneResult::Rang, t.Verdict(L"777"));
             EXPECT_EQ(PhoneResult::Dropped, t.Verdict(kListed));
         }
     },
     {kFaulted, kFaulted},
     nullptr,
     {"RegSetValueExW failed", "RegSetValueExW failed",
      "initialized=1 opened=1 dropped=2 shutdown=1"}},

    // The shell's menu bar: said once per dialog; Save and Delete are out of reach, Add and
    // closing work, calls are screened while the message is up.
    {"the menu bars cannot be created",
     Copy::Built,
     {{AYGSHELL_STANDIN_FAIL_CREATEMENUBAR, L"1"}},
     Key::Readable,
     [](FaultTest& t) {
         t.Go();
         t.Visible(L"Error");
         EXPECT_EQ(PhoneResult::Dropped, t.Verdict(kListed)) << "the lines open before the bar";
         t.Saw(L"Error");
         ASSERT_NE(nullptr, t.m_main = t.Visible(kTitle));
         ASSERT_TRUE(Click(GetDlgItem(t.m_main, IDC_SET_BLACKLIST)));
         t.Saw(L"Error");
         HWND editor = t.Visible(L"Setting");
         ASSERT_NE(nullptr, editor);
         for (HWND bar = nullptr;
              (bar = FindWindowExW(nullptr, bar, AYGSHELL_STANDIN_MENUBAR_CLASS, nullptr));)
             EXPECT_EQ(nullptr, FindWindowExW(bar, nullptr, L"Button", nullptr))
                 << "no Save, Delete";
         t.AddNumber(editor, L"777");
         EXPECT_EQ(PhoneResult::Rang, t.Verdict(L"777"));
         t.CloseWithOk(editor);
         t.Choose(IDC_REJECT_ALL);
         EXPECT_EQ(PhoneResult::Dropped, t.Verdict(kUnlisted));
         PostMessageW(t.m_main, WM_CLOSE, 0, 0);  // as Deactive does: Operate is out of reach
         EXPECT_EQ(0u, t.WaitForExit());
     },
     {kMenuBarFailed, kMenuBarFailed},
     nullptr,
     {"initialized=1 opened=1 dropped=2 shutdown=1"}},

    // Start-up: a main dialog that cannot be created, or sockets that cannot be started, end
    // the program without a window and without touching the telephony service.
    {"the main dialog cannot be created",
     Copy::FaultsDll,
     {{L"FAULTS_FAIL", L"DialogBoxParamW"}},
     Key::Readable,
     [](FaultTest& t) {
         t.Go();
         EXPECT_EQ(0u, t.WaitForExit());
     },
     {},
     nullptr,
     {"DialogBoxParamW failed", "initialized=0 opened=0 dropped=0 shutdown=0"}},
    {"the sockets layer refuses",
     Copy::FakeSockets,
     {{L"FAKE_WS2_32", L"refuse"}},
     Key::Readable,
     [](FaultTest& t) {
         t.Go();
         t.Visible(L"Ostrel");
         EXPECT_EQ(nullptr, WaitForTopLevelWindow(kTitle, t.ProcessId(), 0));
         t.Saw(L"Ostrel");
         EXPECT_EQ(0u, t.WaitForExit());
     },
     {kSocketsFailed},
     nullptr,
     {"startup 1.1", "initialized=0 opened=0 dropped=0 shutdown=0"}},
    {"the sockets layer offers another version",
     Copy::FakeSockets,
     {{L"FAKE_WS2_32", L"version"}},
     Key::Readable,
     [](FaultTest& t) {
         t.Go();
         t.Saw(L"Ostrel");
         EXPECT_EQ(0u, t.WaitForExit());
     },
     {kSocketsFailed},
     nullptr,
     {"startup 1.1", "cleanup", "initialized=0 opened=0 dropped=0 shutdown=0"}},
    {"no fault: the sockets layer is released at the end",
     Copy::FakeSockets,
     {},
     Key::Readable,
     [](FaultTest& t) { t.Up(); },
     {},
     nullptr,
     {"startup 1.1", "cleanup", kOneLine}},

    // Re-layout and the editor's margin.
    {"the landscape template is not there",
     Copy::NoLandscape,
     {},
     Key::Readable,
     TurnWithoutReLayout,
     {},
     nullptr,
     {"initialized=1 opened=1 dropped=1 shutdown=1"}},
    {"the landscape template cannot be read",
     Copy::BadLandscape,
     {},
     Key::Readable,
     TurnWithoutReLayout,
     {},
     nullptr,
     {"initialized=1 opened=1 dropped=1 shutdown=1"}},
    {"the move batch cannot be opened",
     Copy::FaultsDll,
     {{L"FAULTS_FAIL", L"BeginDeferWindowPos"}},
     Key::Readable,
     TurnWithoutReLayout,
     {},
     nullptr,
     {"BeginDeferWindowPos failed", "BeginDeferWindowPos failed", "BeginDeferWindowPos failed",
      "BeginDeferWindowPos failed", "initialized=1 opened=1 dropped=1 shutdown=1"}},
    // Without the screen's device context the editor's margin is 0, on every size change and
    // every opening; the screen is asked only once.
    {"the screen has no device context",
     Copy::FaultsDll,
     {{L"FAULTS_FAIL", L"GetDC"}},
     Key::Readable,
     [](FaultTest& t) {
         t.Up();
         for (int opening = 1; opening <= 2; ++opening) {
             HWND editor = t.OpenEditor();
             ASSERT_NE(nullptr, editor) << opening;
             EXPECT_EQ(std::vector<LONG>(5, 0), Gaps(editor)) << opening;
             if (opening == 1) {
                 LandscapeScreen screen;
                 ASSERT_TRUE(screen.turned);
                 RECT client = {};
                 WAIT_FOR("the editor turned",
                          GetClientRect(editor, &client) && client.right == 320);
                 EXPECT_EQ(std::vector<LONG>(5, 0), Gaps(editor)) << "turned";
             }
             t.CloseWithOk(editor);
         }
     },
     {},
     nullptr,
     {"GetDC failed", kOneLine}},
};

TEST_P(FaultTest, IsShownAsTheUserShouldSeeItAndLosesNothing)
{
    Run(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Row, FaultTest, ::testing::ValuesIn(kFaults));

}  // namespace
