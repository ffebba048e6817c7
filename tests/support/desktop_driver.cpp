// Waiting for other programs' windows, reading their state, starting programs, the screen.
#include "tests/support/desktop_driver.h"

#include <algorithm>
#include <cstdio>

namespace {

const DWORD kPollMs = 15;
// Long enough for a busy program under Wine, short enough that a hung one fails a test quickly.
const UINT kMessageTimeoutMs = 5000;

// The first top-level window of the class and title (either null: any) of the process.
HWND FindTopLevelWindow(const wchar_t* className, const wchar_t* title, DWORD processId,
                        bool visibleOnly)
{
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, className, title)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if ((processId == 0 || owner == processId) && (!visibleOnly || IsWindowVisible(window)))
            return window;
    }
    return nullptr;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                               &result)
        ? static_cast<LRESULT>(result)
        : -1;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return false;
        MsgWaitForMultipleObjectsEx(0, nullptr, std::min(kPollMs, timeoutMs - elapsed), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
}

HWND WaitForTopLevelWindow(const wchar_t* title, DWORD processId, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopLevelWindow(nullptr, title, processId, false)); },
              timeoutMs);
    return found;
}

HWND WaitForPopupMenu(DWORD processId, DWORD timeoutMs)
{
    HWND found = nullptr;  // #32768: the system class of every popup menu window
    WaitUntil([&] { return (found = FindTopLevelWindow(L"#32768", nullptr, processId, true)); },
              timeoutMs);
    return found;
}

std::wstring WindowText(HWND window)
{
    const LRESULT length = Send(window, WM_GETTEXTLENGTH);
    if (length < 0)
        return std::wstring();
    std::wstring text(length + 1, L'\0');
    const LRESULT copied =
        Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(std::clamp<LRESULT>(copied, 0, length));
    return text;
}

bool IsButtonChecked(HWND button)
{
    return Send(button, BM_GETCHECK) == BST_CHECKED;
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof(gui);
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui) ? gui.hwndFocus
                                                                             : nullptr;
}

std::vector<std::wstring> ListBoxItems(HWND listBox)
{
    std::vector<std::wstring> items;
    const LRESULT count = SendMessageW(listBox, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring text(std::max<LRESULT>(SendMessageW(listBox, LB_GETTEXTLEN, i, 0), 0) + 1,
                          L'\0');
        text.resize(std::max<LRESULT>(
            SendMessageW(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0])), 0));
        items.push_back(text);
    }
    return items;
}

ProgramUnderTest::~ProgramUnderTest()
{
    if (IsRunning()) {
        TerminateProcess(m_process.Get(), 1);
        WaitForSingleObject(m_process.Get(), 10000);
    }
}

bool ProgramUnderTest::Start(const std::wstring& executablePath, const std::wstring& workingFolder,
                             const EnvironmentChanges& environment)
{
    if (IsRunning()) {
        SetLastError(ERROR_BUSY);
        return false;
    }
    // The child inherits this process's environment: lay the changes over it for the start only.
    EnvironmentChanges previous;
    for (const auto& change : environment) {
        wchar_t value[32768];
        const DWORD length = GetEnvironmentVariableW(change.first.c_str(), value, 32768);
        previous.emplace_back(change.first, length ? value : L"");
        SetEnvironmentVariableW(change.first.c_str(),
                                change.second.empty() ? nullptr : change.second.c_str());
    }
    std::wstring commandLine = L"\"" + executablePath + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const BOOL started =
        CreateProcessW(executablePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                       workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &process);
    const DWORD error = GetLastError();
    for (const auto& change : previous)
        SetEnvironmentVariableW(change.first.c_str(),
                                change.second.empty() ? nullptr : change.second.c_str());
    SetLastError(error);
    if (!started)
        return false;
    CloseHandle(process.hThread);
    m_process = UniqueKernelHandle(process.hProcess);
    m_processId = process.dwProcessId;
    return true;
}

bool ProgramUnderTest::IsRunning() const
{
    return m_process.IsValid() && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

bool ProgramUnderTest::WaitForInputIdle(DWORD timeoutMs) const
{
    return IsRunning() && ::WaitForInputIdle(m_process.Get(), timeoutMs) == 0;
}

bool ProgramUnderTest::WaitForExit(DWORD timeoutMs, DWORD* exitCode)
{
    DWORD code = 0;
    if (!m_process.IsValid() || WaitForSingleObject(m_process.Get(), timeoutMs) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(m_process.Get(), &code))
        return false;
    if (exitCode)
        *exitCode = code;
    return true;
}

std::wstring PathBesideThisProgram(const wchar_t* fileName)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1) + fileName;
}

bool SetScreenSize(DWORD width, DWORD height)
{
    DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    return ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr) == DISP_CHANGE_SUCCESSFUL;
}

bool SaveScreenBmp(const wchar_t* path)
{
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info), info.biWidth = width, info.biHeight = height;
    info.biPlanes = 1, info.biBitCount = 24, info.biCompression = BI_RGB;
    const DWORD stride = (width * 3 + 3) & ~3u;
    std::vector<BYTE> pixels(stride * height);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    bool copied = BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    copied = copied &&
        GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
                  DIB_RGB_COLORS) == height;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof(info);
    const BITMAPFILEHEADER header = {0x4D42, offset + static_cast<DWORD>(pixels.size()), 0, 0,
                                     offset};
    FILE* file = copied ? _wfopen(path, L"wb") : nullptr;
    if (!file)
        return false;
    bool written = fwrite(&header, sizeof(header), 1, file) == 1 &&
        fwrite(&info, sizeof(info), 1, file) == 1 &&
        fwrite(pixels.data(), 1, pixels.size(), file) == pixels.size();
    return fclose(file) == 0 && written;
}
