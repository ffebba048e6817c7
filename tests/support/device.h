// The fixture of every end-to-end test: the real Ostrel.exe in the emulated device, tapped as
// its user taps it, called through the telephony stand-in, and read back from its windows, the
// stand-in's log and the registry. Each test starts with the list "5551234;" stored.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "aygshell_standin.h"
#include "platform/telephony/phone_client.h"
#include "platform/telephony/standin_protocol.h"
#include "resource.h"
#include "settings/settings_store.h"
#include "tests/support/desktop_driver.h"
#include "tests/support/stored_list.h"

const wchar_t kTitle[] = L"Quellar";
const wchar_t kListed[] = L"5551234";
const wchar_t kUnlisted[] = L"5550000";
const PhoneResult kRang = PhoneResult::Rang, kDropped = PhoneResult::Dropped;
using Entries = std::vector<std::wstring>;

// Unless it happened, ends the test at once with one failure that names what did not happen
// (gtest reports the exception): what came after could only fail for its sake. The program
// ends with the fixture.
void Require(bool happened, const std::string& what);
void Require(const Step& step);  // a driver's step: names what it waited for in vain
#define WAIT_FOR(what, condition)                                                                  \
    Require(WaitUntil([&] { return (condition); }, kDeadlineMs),                                   \
            std::string("waited for ") + (what))

std::wstring TempPath(const std::wstring& name);
// A text file's lines that start with the prefix; none when it does not exist.
std::vector<std::string> Lines(const std::wstring& path, const char* prefix = "");
std::wstring Stored();  // the stored list as the program reads it, or "<not read>"
// The program and the stand-ins it loads, copied into a folder of their own; empty on failure.
std::wstring CopyProgram(const wchar_t* folderName);
// A copy whose imports of USER32.dll and ADVAPI32.dll name faults.dll instead (tests/fakes/faults).
std::wstring CopyWithFaultsDll();
// The editor's gaps: of the list box to the left, right and bottom edge, of the edit box to the
// left one and of "Add" to the right one.
std::vector<LONG> Gaps(HWND editor);

// Every wait and tap below that does not come about ends the test (Require).
class Device : public ::testing::Test {
public:
    Device();
    void SetUp() override;

    // Starts the program (the built one when exe is empty) and waits until its main dialog is
    // shown, waits for input and has asked the telephony service for its lines.
    void Start(EnvironmentChanges environment = {}, const std::wstring& exe = {});
    void Launch(EnvironmentChanges environment = {}, const std::wstring& exe = {});  // only starts
    DWORD ProcessId() const { return m_program.ProcessId(); }
    DWORD WaitForExit();  // the exit code once the program has ended

    HWND Visible(const wchar_t* title);           // the program's window once it shows
    std::wstring Answer(const wchar_t* caption);  // the message box's text; answered with OK
    bool NoMessageBox() const;
    void Choose(int radioButton) { Require(::Choose(GetDlgItem(m_main, radioButton))); }
    void Tap(const wchar_t* stripClass, const wchar_t* text)  // the front strip's button
    {
        Require(TapStrip(stripClass, text));
    }
    void Operate(OperateItem item) { Require(::Operate(m_main, item)); }
    void Deactivate();  // Operate -> "Deactive"; the program ends with exit code 0
    HWND OpenEditor();
    void AddNumber(HWND editor, const wchar_t* number) { Require(::AddNumber(editor, number)); }
    static Entries ListOf(HWND editor) { return ListBoxItems(GetDlgItem(editor, IDC_NUMBER_LIST)); }
    void CloseWithOk(HWND dialog) { Require(::CloseWithOk(dialog)); }
    void Screenshot(const wchar_t* name);  // a BMP in the build's screenshots folder

    PhoneOutcome Call(const wchar_t* number, DWORD line = 0);
    PhoneResult Verdict(const wchar_t* number) { return Call(number).result; }
    std::vector<TelephonyLogEntry> Log(const char* operation) const;
    void WaitLogged(const char* operation);  // on the stand-in's event, until it is logged

    const std::wstring m_builtProgram;
    const std::wstring m_telephonyLog, m_faultsLog, m_frameworkLog;
    ProgramUnderTest m_program;  // ended, whatever happened, when the test ends
    HWND m_main = nullptr;

private:
    UniqueKernelHandle m_logged;  // set by the stand-in whenever it logs an operation
};
