// The real program in the emulated device, driven and read as its user and the phone would.
#include "tests/support/device.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

void Require(bool happened, const std::string& what)
{
    if (!happened)
        throw std::runtime_error(what);
}

void Require(const Step& step)
{
    Require(bool(step), std::string(step.missed.begin(), step.missed.end()));  // the driver's ASCII
}

std::wstring TempPath(const std::wstring& name)
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return folder + name;
}

std::vector<std::string> Lines(const std::wstring& path, const char* prefix)
{
    std::vector<std::string> lines;
    if (FILE* file = _wfopen(path.c_str(), L"r")) {
        char line[512];
        while (fgets(line, sizeof line, file)) {
            if (strncmp(line, prefix, strlen(prefix)) == 0)
                lines.emplace_back(line, strcspn(line, "\r\n"));
        }
        fclose(file);
    }
    return lines;
}

std::wstring CopyProgram(const wchar_t* folderName)
{
    const std::wstring folder = TempPath(folderName) + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* file :
         {L"Ostrel.exe", L"aygshell.dll", L"tapi32.dll", L"faults\\faults.dll"}) {
        const std::wstring name = wcsrchr(file, L'\\') ? wcsrchr(file, L'\\') + 1 : file;
        if (!CopyFileW(PathBesideThisProgram(file).c_str(), (folder + name).c_str(), FALSE))
            return {};
    }
    return folder + L"Ostrel.exe";
}

std::wstring CopyWithFaultsDll()
{
    const std::wstring program = CopyProgram(L"ostrel_faults_dll");
    std::ifstream in(program.c_str(), std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.size() < 4096)
        return {};
    auto* headers = reinterpret_cast<IMAGE_NT_HEADERS*>(
        &bytes[reinterpret_cast<IMAGE_DOS_HEADER*>(bytes.data())->e_lfanew]);
    const auto at = [&](DWORD rva) -> char* {  // the bytes that load at this address, or null
        const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(headers);
        for (WORD i = 0; i < headers->FileHeader.NumberOfSections; ++i, ++section)
            if (rva >= section->VirtualAddress &&
                rva < section->VirtualAddress + section->SizeOfRawData)
                return &bytes[section->PointerToRawData + (rva - section->VirtualAddress)];
        return nullptr;
    };
    int renamed = 0;  // faults.dll is no longer than either name: the program's code is left alone
    auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(
        at(headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress));
    for (; import && import->Name; ++import) {
        char* name = at(import->Name);
        if (lstrcmpiA(name, "USER32.dll") == 0 || lstrcmpiA(name, "ADVAPI32.dll") == 0) {
            memset(name, 0, strlen(name));
            memcpy(name, "faults.dll", 10);
            ++renamed;
        }
    }
    in.close();
    std::ofstream out(program.c_str(), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return renamed == 2 && !out.fail() ? program : std::wstring();
}

std::vector<LONG> Gaps(HWND editor)
{
    RECT client = {};
    GetClientRect(editor, &client);
    const RECT list = PlaceIn(editor, GetDlgItem(editor, IDC_NUMBER_LIST));
    return {list.left, client.right - list.right, client.bottom - list.bottom,
            PlaceIn(editor, GetDlgItem(editor, IDC_NUMBER_EDIT)).left,
            client.right - PlaceIn(editor, GetDlgItem(editor, IDC_ADD)).right};
}

std::wstring Stored()
{
    CString text;
    return ReadNumberList(text) ? std::wstring(text) : L"<not read>";
}

Device::Device()
    : m_builtProgram(PathBesideThisProgram(L"Ostrel.exe")),
      m_telephonyLog(TempPath(L"e2e_telephony.log")),
      m_faultsLog(TempPath(L"e2e_faults.log")),
      m_frameworkLog(TempPath(L"e2e_framework.log")),
      m_logged(CreateEventW(nullptr, FALSE, FALSE, kTelephonyLoggedEvent))
{
}

void Device::SetUp()
{
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKeyPath);
    ASSERT_EQ(1, WriteNumberList(CString(L"5551234;")));
    for (const std::wstring* log : {&m_telephonyLog, &m_faultsLog, &m_frameworkLog})
        DeleteFileW(log->c_str());
    WAIT_FOR("an earlier test's program to end", !FindWindowW(nullptr, kTitle));
}

void Device::Launch(EnvironmentChanges environment, const std::wstring& exe)
{
    environment.emplace_back(L"TAPI_STANDIN_LOG", m_telephonyLog);
    environment.emplace_back(L"FAULTS_LOG", m_faultsLog);
    // The framework's settings key and the sockets fake's calls, in the order they happen.
    environment.emplace_back(L"AFX_STANDIN_LOG", m_frameworkLog);
    environment.emplace_back(L"FAKE_WS2_32_LOG", m_frameworkLog);
    Require(m_program.Start(exe.empty() ? m_builtProgram : exe, environment),
            "the program to start");
}

void Device::Start(EnvironmentChanges environment, const std::wstring& exe)
{
    Launch(std::move(environment), exe);
    m_main = Visible(kTitle);
    // A modal dialog is shown for good the first time its queue runs empty.
    Require(m_program.WaitForInputIdle(kDeadlineMs), "waited for the program to wait for input");
    WaitLogged("initialize");
}

DWORD Device::WaitForExit()
{
    DWORD exitCode = 1;
    Require(m_program.WaitForExit(kDeadlineMs, &exitCode), "waited for the program to end");
    return exitCode;
}

HWND Device::Visible(const wchar_t* title)
{
    HWND window = nullptr;
    Require(Shown(title, ProcessId(), window));
    return window;
}

std::wstring Device::Answer(const wchar_t* caption)
{
    HWND box = Visible(caption);
    std::wstring text = WindowText(GetDlgItem(box, 0xFFFF));  // the box's static text
    Require(Dismiss(box));
    return text;
}

bool Device::NoMessageBox() const
{
    return !TopLevelWindow(L"Error", ProcessId()) && !TopLevelWindow(L"Ostrel", ProcessId());
}

void Device::Deactivate()
{
    Operate(kDeactiveItem);
    EXPECT_EQ(0u, WaitForExit());
}

HWND Device::OpenEditor()
{
    HWND editor = nullptr;
    Require(::OpenEditor(m_main, editor));
    return editor;
}

void Device::Screenshot(const wchar_t* name)
{
    CreateDirectoryW(PathBesideThisProgram(L"..\\screenshots").c_str(), nullptr);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    BITMAPINFOHEADER info = {sizeof(info), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<char> pixels(size_t((width * 3 + 3) & ~3) * height);
    const UniqueScreenDc screen(GetDC(nullptr));
    const UniqueGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
    HDC memory = CreateCompatibleDC(screen.Get());
    HGDIOBJ previous = SelectObject(memory, bitmap.Get());
    const bool copied = BitBlt(memory, 0, 0, width, height, screen.Get(), 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
    ASSERT_TRUE(copied &&
                GetDIBits(screen.Get(), bitmap.Get(), 0, height, pixels.data(),
                          reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == height);
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof(info);
    const BITMAPFILEHEADER header = {0x4D42, offset + DWORD(pixels.size()), 0, 0, offset};
    std::ofstream file((PathBesideThisProgram(L"..\\screenshots\\") + name).c_str(),
                       std::ios::binary);
    file.write(reinterpret_cast<const char*>(&header), sizeof(header));
    file.write(reinterpret_cast<const char*>(&info), sizeof(info));
    file.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    file.close();
    EXPECT_FALSE(file.fail()) << "the screenshot written";
}

PhoneOutcome Device::Call(const wchar_t* number, DWORD line)
{
    PhoneCall call;
    call.callerNumber = number;
    call.line = line;
    return PlaceCall(call, kDeadlineMs);
}

std::vector<TelephonyLogEntry> Device::Log(const char* operation) const
{
    return LogEntries(ReadTelephonyLog(m_telephonyLog), operation);
}

void Device::WaitLogged(const char* operation)
{
    const ULONGLONG deadline = GetTickCount64() + kDeadlineMs;
    while (Log(operation).empty()) {
        const ULONGLONG now = GetTickCount64();
        Require(now < deadline &&
                    WaitForSingleObject(m_logged.Get(), DWORD(deadline - now)) == WAIT_OBJECT_0,
                std::string("waited for '") + operation + "' in the telephony log");
    }
}
