// Platform failures injected one at a time into the real program: what its user sees, and that
// neither the stored list nor the screening is lost. The real thing is made to fail wherever it
// can be: the stand-ins' failure switches, a registry key nobody may open, a value too large to
// read, a copy of the program whose landscape template is gone or unreadable. Only four calls
// Wine cannot be made to refuse go through faults.dll (see tests/fakes/faults).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "aygshell_standin.h"
#include "platform/telephony/phone_client.h"
#include "resource.h"
#include "settings/settings_store.h"
#include "tests/support/desktop_driver.h"

namespace {

const DWORD kDeadlineMs = 20000;
const wchar_t kTitle[] = L"Quellar";
const wchar_t kKeyPath[] = L"Software\\Kelvoro\\Tolvane";
const wchar_t kListed[] = L"5551234";
const wchar_t kUnlisted[] = L"5550000";
using Entries = std::vector<std::wstring>;

std::wstring TempPath(const std::wstring& name)
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return folder + name;
}

std::vector<BYTE> ReadAll(const std::wstring& path)
{
    std::vector<BYTE> bytes;
    if (FILE* file = _wfopen(path.c_str(), L"rb")) {
        BYTE chunk[65536];
        for (size_t n; (n = fread(chunk, 1, sizeof chunk, file)) > 0;)
            bytes.insert(bytes.end(), chunk, chunk + n);
        fclose(file);
    }
    return bytes;
}

bool WriteAll(const std::wstring& path, const std::vector<BYTE>& bytes)
{
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file)
        return false;
    const bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

std::vector<std::string> Lines(const std::wstring& path)
{
    std::vector<std::string> lines;
    std::string line;
    for (BYTE byte : ReadAll(path)) {
        if (byte == '\n')
            lines.push_back(line), line.clear();
        else
            line += static_cast<char>(byte);
    }
    return lines;
}

// The stored value's raw bytes; empty when it cannot be read.
std::vector<BYTE> StoredBytes()
{
    DWORD size = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kKeyPath, L"Blacklist", RRF_RT_ANY, nullptr, nullptr,
                     &size) != 0)
        return {};
    std::vector<BYTE> bytes(size);
    RegGetValueW(HKEY_LOCAL_MACHINE, kKeyPath, L"Blacklist", RRF_RT_ANY, nullptr, bytes.data(),
                 &size);
    return bytes;
}

std::wstring Stored()
{
    CString text;
    if (!ReadNumberList(text))
        return L"<not read>";
    return std::wstring(text);
}

PhoneOutcome Call(const wchar_t* number, DWORD line = 0)
{
    PhoneCall call;
    call.callerNumber = number;
    call.line = line;
    return PlaceCall(call, kDeadlineMs);
}

// A button with this text on any menu bar of the process (an empty bar has none), or null.
HWND FindMenuBarButton(const wchar_t* text, DWORD processId)
{
    for (HWND bar = FindWindowExW(nullptr, nullptr, AYGSHELL_STANDIN_MENUBAR_CLASS, nullptr); bar;
         bar = FindWindowExW(nullptr, bar, AYGSHELL_STANDIN_MENUBAR_CLASS, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(bar, &owner);
        if (HWND button =
                owner == processId ? FindWindowExW(bar, nullptr, L"Button", text) : nullptr)
            return button;
    }
    return nullptr;
}

Entries ListEntries(HWND editor)
{
    return ListBoxItems(GetDlgItem(editor, IDC_NUMBER_LIST));
}

// Taps the button with this text on the front strip of the class once it can be tapped.
void Tap(const wchar_t* stripClass, const wchar_t* text)
{
    ASSERT_TRUE(ClickButtonIn(stripClass, text, kDeadlineMs)) << text;
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

// --- Copies of the program --------------------------------------------------------------------

enum class Copy { WithFaultsDll, WithoutLandscapeTemplate, WithUnreadableLandscapeTemplate };

// The copy's imports of USER32.dll and ADVAPI32.dll name faults.dll instead, a name no longer
// than either; the program's code is left as built.
bool ImportThroughFaultsDll(const std::wstring& program)
{
    std::vector<BYTE> file = ReadAll(program);
    if (file.size() < sizeof(IMAGE_DOS_HEADER))
        return false;
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
        file.data() + reinterpret_cast<IMAGE_DOS_HEADER*>(file.data())->e_lfanew);
    const IMAGE_SECTION_HEADER* sections = IMAGE_FIRST_SECTION(nt);
    auto at = [&](DWORD rva) -> BYTE* {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            if (rva >= sections[i].VirtualAddress &&
                rva < sections[i].VirtualAddress + sections[i].SizeOfRawData)
                return file.data() + sections[i].PointerToRawData +
                    (rva - sections[i].VirtualAddress);
        }
        return nullptr;
    };
    int renamed = 0;
    auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(
        at(nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress));
    for (; import && import->Name; ++import) {
        char* name = reinterpret_cast<char*>(at(import->Name));
        if (lstrcmpiA(name, "USER32.dll") == 0 || lstrcmpiA(name, "ADVAPI32.dll") == 0) {
            memset(name, 0, strlen(name));
            memcpy(name, "faults.dll", 10);
            ++renamed;
        }
    }
    return renamed == 2 && WriteAll(program, file);
}

struct Resource {
    std::wstring type, name;  // "#n" for a number
    WORD language;
    std::vector<BYTE> bytes;
};

std::wstring IdText(LPCWSTR id)
{
    return IS_INTRESOURCE(id) ? L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(id))
                              : std::wstring(id);
}

LPCWSTR IdOf(const std::wstring& text)
{
    return text[0] == L'#' ? MAKEINTRESOURCEW(_wtoi(text.c_str() + 1)) : text.c_str();
}

// Every resource of the module, in the order the platform lists them.
std::vector<Resource> ResourcesOf(HMODULE module)
{
    std::vector<Resource> found;
    EnumResourceTypesW(
        module,
        [](HMODULE m, LPWSTR type, LONG_PTR w) -> BOOL {
            return EnumResourceNamesW(
                m, type,
                [](HMODULE m, LPCWSTR type, LPWSTR name, LONG_PTR w) -> BOOL {
                    return EnumResourceLanguagesW(
                        m, type, name,
                        [](HMODULE m, LPCWSTR type, LPCWSTR name, WORD language,
                           LONG_PTR w) -> BOOL {
                            HRSRC found = FindResourceExW(m, type, name, language);
                            const BYTE* bytes =
                                static_cast<const BYTE*>(LockResource(LoadResource(m, found)));
                            reinterpret_cast<std::vector<Resource>*>(w)->push_back(
                                {IdText(type), IdText(name), language,
                                 std::vector<BYTE>(bytes, bytes + SizeofResource(m, found))});
                            return TRUE;
                        },
                        w);
                },
                w);
        },
        reinterpret_cast<LONG_PTR>(&found));
    return found;
}

// Writes the copy's resources anew, the landscape template left out or replaced by these bytes.
// (Wine ignores a request to delete a single resource, so all are written again.)
bool ChangeLandscapeTemplate(const std::wstring& program, const std::vector<BYTE>* replacement)
{
    HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return false;
    std::vector<Resource> resources = ResourcesOf(module);
    FreeLibrary(module);
    HANDLE update = BeginUpdateResourceW(program.c_str(), TRUE);
    if (!update)
        return false;
    bool changed = false;
    for (Resource& resource : resources) {
        if (resource.type == IdText(RT_DIALOG) &&
            resource.name == L"#" + std::to_wstring(IDD_OSTREL_DIALOG_WIDE)) {
            changed = true;
            if (!replacement)
                continue;
            resource.bytes = *replacement;
        }
        if (!UpdateResourceW(update, IdOf(resource.type), IdOf(resource.name), resource.language,
                             resource.bytes.data(), static_cast<DWORD>(resource.bytes.size()))) {
            EndUpdateResourceW(update, TRUE);
            return false;
        }
    }
    return EndUpdateResourceW(update, FALSE) && changed;
}

// The program with the stand-ins it loads in a folder of its own, changed as asked; empty on failure.
std::wstring CopyProgram(Copy kind)
{
    const wchar_t* const names[] = {L"ostrel_faults_dll", L"ostrel_no_landscape",
                                    L"ostrel_bad_landscape"};
    const std::wstring folder = TempPath(names[static_cast<int>(kind)]);
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* file :
         {L"Ostrel.exe", L"aygshell.dll", L"tapi32.dll", L"faults\\faults.dll"}) {
        const std::wstring name = wcsrchr(file, L'\\') ? wcsrchr(file, L'\\') + 1 : file;
        if (!CopyFileW(PathBesideThisProgram(file).c_str(), (folder + L"\\" + name).c_str(), FALSE))
            return {};
    }
    const std::wstring program = folder + L"\\Ostrel.exe";
    const std::vector<BYTE> headerCutShort(4, 0);
    switch (kind) {
    case Copy::WithFaultsDll:
        return ImportThroughFaultsDll(program) ? program : std::wstring();
    case Copy::WithoutLandscapeTemplate:
        return ChangeLandscapeTemplate(program, nullptr) ? program : std::wstring();
    case Copy::WithUnreadableLandscapeTemplate:
        return ChangeLandscapeTemplate(program, &headerCutShort) ? program : std::wstring();
    }
    return {};
}

// --- The program under test -------------------------------------------------------------------

class FaultTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKeyPath);
        ASSERT_EQ(1, WriteNumberList(CString(L"5551234;")));
        m_telephonyLog = TempPath(L"fault_test_telephony.log");
        m_faultsLog = TempPath(L"fault_test_faults.log");
        DeleteFileW(m_telephonyLog.c_str());
        DeleteFileW(m_faultsLog.c_str());
        ASSERT_TRUE(WaitUntil([] { return !FindWindowW(nullptr, kTitle); }, kDeadlineMs));
    }

    // Starts the program (the built one when path is empty) and waits until its dialog is shown,
    // it is idle and, unless told otherwise, its telephony application is up.
    void Start(const std::wstring& path, EnvironmentChanges environment = {}, bool telephony = true)
    {
        environment.emplace_back(L"TAPI_STANDIN_LOG", m_telephonyLog);
        environment.emplace_back(L"FAULTS_LOG", m_faultsLog);
        ASSERT_FALSE(path.empty()) << "the copy could not be made";
        ASSERT_TRUE(m_program.Start(path, {}, environment));
        ASSERT_NE(nullptr, m_main = Visible(kTitle));
        ASSERT_TRUE(m_program.WaitForInputIdle(kDeadlineMs));
        if (telephony) {
            ASSERT_TRUE(WaitForTelephonyApp(kDeadlineMs));
        }
    }
    void Start(EnvironmentChanges environment = {}, bool telephony = true)
    {
        Start(m_builtProgram, std::move(environment), telephony);
    }

    HWND Visible(const wchar_t* title)
    {
        HWND window = nullptr;
        WaitUntil(
            [&] {
                return (window = WaitForTopLevelWindow(title, m_program.ProcessId(), 0)) &&
                    IsWindowVisible(window);
            },
            kDeadlineMs);
        return window;
    }

    // The message box with this caption: its text, read once it is up, then answered with OK.
    std::wstring AnswerMessageBox(const wchar_t* caption)
    {
        HWND box = Visible(caption);
        if (!box)
            return L"<no message box>";
        const std::wstring text = WindowText(GetDlgItem(box, 0xFFFF));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, kDeadlineMs));
        return text;
    }

    bool NoMessageBox() const
    {
        return !WaitForTopLevelWindow(L"Error", m_program.ProcessId(), 0) &&
            !WaitForTopLevelWindow(L"Ostrel", m_program.ProcessId(), 0);
    }

    void Choose(int button)
    {
        HWND radio = GetDlgItem(m_main, button);
        ASSERT_TRUE(Click(radio));
        ASSERT_TRUE(WaitUntil([&] { return IsButtonChecked(radio); }, kDeadlineMs));
    }

    HWND OpenEditor()
    {
        EXPECT_TRUE(Click(GetDlgItem(m_main, IDC_SET_BLACKLIST)));
        return Visible(L"Setting");
    }

    void AddNumber(HWND editor, const wchar_t* number)
    {
        const size_t before = ListEntries(editor).size();
        HWND edit = GetDlgItem(editor, IDC_NUMBER_EDIT);
        ASSERT_TRUE(Click(edit));
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(edit) == edit; }, kDeadlineMs));
        ASSERT_TRUE(TypeText(number));
        ASSERT_TRUE(WaitUntil([&] { return WindowText(edit) == number; }, kDeadlineMs));
        ASSERT_TRUE(Click(GetDlgItem(editor, IDC_ADD)));
        ASSERT_TRUE(
            WaitUntil([&] { return ListEntries(editor).size() == before + 1; }, kDeadlineMs));
    }

    static void CloseWithOk(HWND dialog)
    {
        Tap(AYGSHELL_STANDIN_TITLE_CLASS, L"ok");
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, kDeadlineMs));
    }

    // "Operate", "Deactive" with taps; the program must end.
    void Deactivate()
    {
        SetForegroundWindow(m_main);
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == m_main; }, kDeadlineMs));
        Tap(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Operate");
        HWND menu = WaitForPopupMenu(m_program.ProcessId(), kDeadlineMs);
        ASSERT_NE(nullptr, menu);
        RECT client = {};
        ASSERT_TRUE(GetClientRect(menu, &client));
        ASSERT_TRUE(Click(menu, POINT{client.right / 2, 5 * client.bottom / 6}));
        DWORD exitCode = 1;
        ASSERT_TRUE(m_program.WaitForExit(kDeadlineMs, &exitCode));
        EXPECT_EQ(0u, exitCode);
    }

    // 1024 characters, with the NUL 2050 bytes: more than a read takes.
    static void StoreValueOverTheReadCapacity()
    {
        const std::wstring tooLong = L"5551234;" + std::wstring(1016, L'9');
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKeyPath, L"Blacklist", REG_SZ, tooLong.c_str(),
                        static_cast<DWORD>((tooLong.size() + 1) * sizeof(wchar_t)));
    }

    size_t Logged(const char* operation) const
    {
        return LogEntries(ReadTelephonyLog(m_telephonyLog), operation).size();
    }

    const std::wstring m_builtProgram = PathBesideThisProgram(L"Ostrel.exe");
    std::wstring m_telephonyLog;
    std::wstring m_faultsLog;
    ProgramUnderTest m_program;
    HWND m_main = nullptr;
};

// --- Telephony --------------------------------------------------------------------------------

// Nothing is ever shown; the program runs on, screens on every line it could open, and closes
// exactly those lines when the user ends it.
TEST_F(FaultTest, TelephonyFailuresAreSilentAndScreeningGoesOnWhereItCan)
{
    struct Step {
        int button;  // a mode chosen first, or 0
        const wchar_t* number;
        DWORD line;
        PhoneResult expected;
    };
    struct Case {
        const char* name;
        EnvironmentChanges environment;
        std::vector<Step> steps;
        size_t drops, closes, shutdowns;
    };
    const Case cases[] = {
        {"lineInitializeEx fails",
         {{L"TAPI_STANDIN_FAIL_INIT", L"1"}},
         {{0, kListed, 0, PhoneResult::Error}, {IDC_REJECT_ALL, kUnlisted, 0, PhoneResult::Error}},
         0,
         0,
         0},
        // Device 1 cannot agree on a version, device 2 cannot be opened: their calls ring unscreened.
        {"negotiation and lineOpen fail",
         {{L"TAPI_STANDIN_LINES", L"3"},
          {L"TAPI_STANDIN_FAIL_NEGOTIATE", L"1"},
          {L"TAPI_STANDIN_FAIL_OPEN", L"2"}},
         {{0, kListed, 0, PhoneResult::Dropped},
          {0, kListed, 1, PhoneResult::Rang},
          {0, kListed, 2, PhoneResult::Rang},
          {0, kUnlisted, 0, PhoneResult::Rang}},
         1,
         1,
         1},
        // No number can be read: every call is screened as one without a number.
        {"lineGetCallInfo fails",
         {{L"TAPI_STANDIN_FAIL_GETCALLINFO", L"1"}},
         {{0, kListed, 0, PhoneResult::Rang}, {IDC_REJECT_ALL, kUnlisted, 0, PhoneResult::Dropped}},
         1,
         1,
         1},
        // The drop is asked for and refused: the call rings on, and so does the next one.
        {"lineDrop fails",
         {{L"TAPI_STANDIN_FAIL_DROP", L"1"}},
         {{0, kListed, 0, PhoneResult::Rang}, {IDC_REJECT_ALL, kUnlisted, 0, PhoneResult::Rang}},
         2,
         1,
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW(m_telephonyLog.c_str());
        Start(c.environment, c.shutdowns > 0);
        if (HasFatalFailure())
            return;
        for (const Step& step : c.steps) {
            if (step.button)
                Choose(step.button);
            const PhoneOutcome outcome = Call(step.number, step.line);
            EXPECT_EQ(step.expected, outcome.result) << step.line;
            if (outcome.result == PhoneResult::Rang) {
                EXPECT_EQ(step.line == 0, outcome.lineOpened) << step.line;
            }
        }
        EXPECT_TRUE(IsWindowVisible(m_main));
        EXPECT_TRUE(NoMessageBox());
        Deactivate();
        EXPECT_EQ(c.drops, Logged("drop"));
        EXPECT_EQ(c.closes, Logged("close"));
        ASSERT_EQ(c.shutdowns, Logged("shutdown"));
        if (c.shutdowns) {
            EXPECT_EQ("0",
                      LogEntries(ReadTelephonyLog(m_telephonyLog), "shutdown")[0].Get("unclosed"));
        }
    }
}

// --- Settings store ---------------------------------------------------------------------------

// A list that cannot be loaded at start: nothing is shown, the program screens with an empty
// list (so modes still work), and the stored value is left exactly as it was.
TEST_F(FaultTest, AListThatCannotBeLoadedIsNeitherShownNorTouched)
{
    for (const bool locked : {true, false}) {
        SCOPED_TRACE(locked ? "the key cannot be opened" : "the value cannot be queried");
        if (!locked) {
            StoreValueOverTheReadCapacity();
        }
        const std::vector<BYTE> before = StoredBytes();
        ASSERT_FALSE(before.empty());
        {
            std::unique_ptr<LockedSettingsKey> lock(locked ? new LockedSettingsKey : nullptr);
            ASSERT_TRUE(!lock || lock->IsLocked());
            Start();
            ASSERT_FALSE(HasFatalFailure());
            EXPECT_TRUE(NoMessageBox());
            EXPECT_EQ(PhoneResult::Rang, Call(kListed).result);
            HWND editor = OpenEditor();
            ASSERT_NE(nullptr, editor);
            EXPECT_EQ(Entries{}, ListEntries(editor));
            CloseWithOk(editor);
            if (lock) {
                // Readable again: the editor reads the stored list before it shows any.
                lock->Unlock();
                ASSERT_NE(nullptr, editor = OpenEditor());
                EXPECT_EQ(Entries{kListed}, ListEntries(editor));
                CloseWithOk(editor);
                EXPECT_EQ(PhoneResult::Dropped, Call(kListed).result);
            }
            Choose(IDC_REJECT_ALL);
            EXPECT_EQ(PhoneResult::Dropped, Call(kUnlisted).result);
            Deactivate();
        }
        EXPECT_EQ(before, StoredBytes());
    }
}

// An editor that opened without the stored list never saves over it: while the store stays
// unreadable "Save" is refused; once it reads, the stored numbers join the editor's and are kept.
// A value no read could load (over the read capacity) screened nothing and is replaced.
TEST_F(FaultTest, ASaveNeverReplacesNumbersTheUserWasNotShown)
{
    for (const bool locked : {true, false}) {
        SCOPED_TRACE(locked ? "the key cannot be opened" : "the value is over the read capacity");
        if (!locked) {
            StoreValueOverTheReadCapacity();
        }
        std::unique_ptr<LockedSettingsKey> lock(locked ? new LockedSettingsKey : nullptr);
        ASSERT_TRUE(!lock || lock->IsLocked());
        Start();
        ASSERT_FALSE(HasFatalFailure());
        HWND editor = OpenEditor();
        ASSERT_NE(nullptr, editor);
        AddNumber(editor, L"777");
        if (lock) {
            Tap(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Save");
            EXPECT_EQ(L"Save faulted, please retry!", AnswerMessageBox(L"Ostrel"));
            EXPECT_EQ(Entries{L"777"}, ListEntries(editor));
            EXPECT_EQ(PhoneResult::Rang, Call(L"777").result);
            lock->Unlock();
            EXPECT_EQ(L"5551234;", Stored());
        }
        Tap(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Save");
        EXPECT_EQ(L"Save finished!", AnswerMessageBox(L"Ostrel"));
        const Entries saved = locked ? Entries{L"5551234", L"777"} : Entries{L"777"};
        EXPECT_EQ(saved, ListEntries(editor));
        EXPECT_EQ(locked ? L"5551234;777;" : L"777;", Stored());
        EXPECT_EQ(PhoneResult::Dropped, Call(L"777").result);
        EXPECT_EQ(locked ? PhoneResult::Dropped : PhoneResult::Rang, Call(kListed).result);
        CloseWithOk(editor);
        Deactivate();
        lock.reset();
        ASSERT_EQ(1, WriteNumberList(CString(L"5551234;")));
    }
}

// A save that cannot be stored says so; the stored list, the screened list and the editor's list
// all stay as they were, so the user can simply save again.
TEST_F(FaultTest, AFailedSaveKeepsBothListsAndCanBeRetried)
{
    for (const bool locked : {true, false}) {
        SCOPED_TRACE(locked ? "the key cannot be opened" : "the value cannot be set (faults.dll)");
        std::unique_ptr<LockedSettingsKey> lock;
        if (locked)
            Start();
        else
            Start(CopyProgram(Copy::WithFaultsDll), {{L"FAULTS_FAIL", L"RegSetValueExW"}});
        ASSERT_FALSE(HasFatalFailure());
        if (locked) {
            lock.reset(new LockedSettingsKey);
            ASSERT_TRUE(lock->IsLocked());
        }
        HWND editor = OpenEditor();
        ASSERT_NE(nullptr, editor);
        AddNumber(editor, L"777");
        for (int attempt = 1; attempt <= 2; ++attempt) {
            Tap(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Save");
            Visible(L"Ostrel");
            EXPECT_EQ(PhoneResult::Rang, Call(L"777").result) << "while the message is shown";
            EXPECT_EQ(PhoneResult::Dropped, Call(kListed).result);
            EXPECT_EQ(L"Save faulted, please retry!", AnswerMessageBox(L"Ostrel"));
            EXPECT_EQ((Entries{L"5551234", L"777"}), ListEntries(editor));
            if (!locked)
                continue;
            // The key opens again: the same Save now goes through.
            lock->Unlock();
            EXPECT_EQ(L"5551234;", Stored());
            Tap(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Save");
            EXPECT_EQ(L"Save finished!", AnswerMessageBox(L"Ostrel"));
            EXPECT_EQ(PhoneResult::Dropped, Call(L"777").result);
            EXPECT_EQ(L"5551234;777;", Stored());
            break;
        }
        CloseWithOk(editor);
        Deactivate();
        if (!locked) {
            EXPECT_EQ(L"5551234;", Stored());
            const std::vector<std::string> calls = Lines(m_faultsLog);
            EXPECT_EQ(2, std::count(calls.begin(), calls.end(), "RegSetValueExW failed"));
            EXPECT_EQ(0, std::count(calls.begin(), calls.end(), "RegSetValueExW passed"));
        }
        ASSERT_EQ(1, WriteNumberList(CString(L"5551234;")));
    }
}

// --- The shell's menu bar ---------------------------------------------------------------------

// The editor says once that its bar is missing; Save and Delete are then out of reach, Add and
// closing work, calls are screened all the while and nothing reaches the stored list.
TEST_F(FaultTest, AnEditorWithoutItsMenuBarStillAddsAndCloses)
{
    ASSERT_TRUE(m_program.Start(
        m_builtProgram, {},
        {{AYGSHELL_STANDIN_FAIL_CREATEMENUBAR, L"1"}, {L"TAPI_STANDIN_LOG", m_telephonyLog}}));
    EXPECT_EQ(L"SHCreateMenuBar Failed", AnswerMessageBox(L"Error")) << "the main dialog's";
    ASSERT_NE(nullptr, m_main = Visible(kTitle));
    ASSERT_TRUE(WaitForTelephonyApp(kDeadlineMs));
    ASSERT_TRUE(m_program.WaitForInputIdle(kDeadlineMs));

    ASSERT_TRUE(Click(GetDlgItem(m_main, IDC_SET_BLACKLIST)));
    Visible(L"Error");
    EXPECT_EQ(PhoneResult::Dropped, Call(kListed).result) << "while the message is shown";
    EXPECT_EQ(L"SHCreateMenuBar Failed", AnswerMessageBox(L"Error")) << "the editor's";
    HWND editor = Visible(L"Setting");
    ASSERT_NE(nullptr, editor);
    for (const wchar_t* item : {L"Save", L"Delete", L"Operate"})
        EXPECT_EQ(nullptr, FindMenuBarButton(item, m_program.ProcessId())) << item;
    AddNumber(editor, L"777");
    EXPECT_EQ((Entries{L"5551234", L"777"}), ListEntries(editor));
    EXPECT_EQ(PhoneResult::Rang, Call(L"777").result);
    CloseWithOk(editor);
    EXPECT_EQ(nullptr, WaitForTopLevelWindow(L"Error", m_program.ProcessId(), 0)) << "shown again";
    EXPECT_EQ(PhoneResult::Dropped, Call(kListed).result);
    EXPECT_EQ(L"5551234;", Stored());
}

// The main dialog cannot be created: the program ends at once, without a window or a message and
// without touching the telephony service.
TEST_F(FaultTest, AMainDialogThatCannotBeCreatedEndsTheProgramQuietly)
{
    const std::wstring copy = CopyProgram(Copy::WithFaultsDll);
    ASSERT_FALSE(copy.empty());
    ASSERT_TRUE(m_program.Start(copy, {},
                                {{L"FAULTS_FAIL", L"DialogBoxParamW"},
                                 {L"FAULTS_LOG", m_faultsLog},
                                 {L"TAPI_STANDIN_LOG", m_telephonyLog}}));
    DWORD exitCode = 1;
    ASSERT_TRUE(m_program.WaitForExit(kDeadlineMs, &exitCode));
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(std::vector<std::string>{"DialogBoxParamW failed"}, Lines(m_faultsLog));
    EXPECT_TRUE(ReadTelephonyLog(m_telephonyLog).empty());
}

// --- Re-layout and the editor's margin --------------------------------------------------------

// A re-layout that cannot begin moves nothing: the screen turns, every control keeps its place
// and text, and calls are screened in the mode chosen before.
TEST_F(FaultTest, AReLayoutThatCannotBeginLeavesEveryControlAsItWas)
{
    struct Case {
        const char* name;
        Copy copy;
        EnvironmentChanges environment;
    };
    const Case cases[] = {
        {"the landscape template is not there", Copy::WithoutLandscapeTemplate, {}},
        {"the landscape template cannot be read", Copy::WithUnreadableLandscapeTemplate, {}},
        {"the move batch cannot be opened (faults.dll)",
         Copy::WithFaultsDll,
         {{L"FAULTS_FAIL", L"BeginDeferWindowPos"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Start(CopyProgram(c.copy), c.environment);
        ASSERT_FALSE(HasFatalFailure());
        Choose(IDC_REJECT_ALL);
        const auto before = Layout(m_main);
        {
            LandscapeScreen screen;
            ASSERT_TRUE(screen.turned);
            ASSERT_TRUE(WaitUntil(
                [&] {
                    RECT r = {};
                    return GetWindowRect(m_main, &r) && r.right - r.left == 320;
                },
                kDeadlineMs));
            // The call is handled after the size change on the program's one thread.
            EXPECT_EQ(PhoneResult::Dropped, Call(kUnlisted).result);
            EXPECT_EQ(before, Layout(m_main));
            EXPECT_TRUE(IsButtonChecked(GetDlgItem(m_main, IDC_REJECT_ALL)));
            EXPECT_TRUE(NoMessageBox());
        }
        Deactivate();
    }
}

// Without the screen's device context the editor's margin is 0, on every size change and every
// opening; the screen is asked only once.
TEST_F(FaultTest, WithoutTheScreensDeviceContextTheEditorHasNoMargin)
{
    Start(CopyProgram(Copy::WithFaultsDll), {{L"FAULTS_FAIL", L"GetDC"}});
    ASSERT_FALSE(HasFatalFailure());
    const auto gaps = [](HWND editor) {
        RECT client = {}, list = {}, edit = {}, add = {};
        GetClientRect(editor, &client);
        const std::pair<int, RECT*> controls[] = {
            {IDC_NUMBER_LIST, &list}, {IDC_NUMBER_EDIT, &edit}, {IDC_ADD, &add}};
        for (const auto& control : controls) {
            GetWindowRect(GetDlgItem(editor, control.first), control.second);
            MapWindowPoints(nullptr, editor, reinterpret_cast<POINT*>(control.second), 2);
        }
        return std::vector<LONG>{list.left, client.right - list.right, client.bottom - list.bottom,
                                 edit.left, client.right - add.right};
    };
    for (int opening = 1; opening <= 2; ++opening) {
        HWND editor = OpenEditor();
        ASSERT_NE(nullptr, editor) << opening;
        EXPECT_EQ(std::vector<LONG>(5, 0), gaps(editor)) << opening;
        if (opening == 1) {
            LandscapeScreen screen;
            ASSERT_TRUE(screen.turned);
            ASSERT_TRUE(WaitUntil(
                [&] {
                    RECT r = {};
                    return GetClientRect(editor, &r) && r.right == 320;
                },
                kDeadlineMs));
            EXPECT_EQ(PhoneResult::Dropped, Call(kListed).result);
            EXPECT_EQ(std::vector<LONG>(5, 0), gaps(editor)) << "turned";
        }
        CloseWithOk(editor);
    }
    std::vector<std::string> screenQueries = Lines(m_faultsLog);
    screenQueries.erase(
        std::remove_if(screenQueries.begin(), screenQueries.end(),
                       [](const std::string& line) { return line.rfind("GetDC ", 0) != 0; }),
        screenQueries.end());
    EXPECT_EQ(std::vector<std::string>{"GetDC failed"}, screenQueries);
}

}  // namespace
