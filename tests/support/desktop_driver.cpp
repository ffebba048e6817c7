// Waiting for other programs' windows, reading their state, real input, starting programs.
#include "tests/support/desktop_driver.h"

#include <algorithm>

#include "aygshell_standin.h"
#include "resource.h"

namespace {

// Long enough for a busy program under Wine, short enough that a hung one fails a test quickly.
const UINT kMessageTimeoutMs = 5000;

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

bool Send(std::vector<INPUT> inputs)
{
    const UINT count = static_cast<UINT>(inputs.size());
    return SendInput(count, inputs.data(), sizeof(INPUT)) == count;
}

// Each event carries the point: Wine moves its cursor to the X pointer, outside the device
// screen, whenever a window appears under it. The coordinate is the middle of the pixel's range
// of 0..65535, which Windows and Wine both map back onto the pixel.
INPUT MouseEvent(DWORD flags, POINT point)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx =
        static_cast<LONG>((2LL * point.x + 1) * 65536 / (2LL * GetSystemMetrics(SM_CXSCREEN)));
    input.mi.dy =
        static_cast<LONG>((2LL * point.y + 1) * 65536 / (2LL * GetSystemMetrics(SM_CYSCREEN)));
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return input;
}

INPUT KeyEvent(WORD virtualKey, WORD scanCode, DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki = {virtualKey, scanCode, flags, 0, 0};
    return input;
}

bool Hits(HWND window, POINT screenPoint)
{
    HWND hit = WindowFromPoint(screenPoint);
    return hit == window || IsChild(window, hit);
}

DWORD ProcessOf(HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

// Waits for each condition in turn; the first that does not come true is what was waited for.
Step InTurn(std::initializer_list<std::pair<const wchar_t*, std::function<bool()>>> waits)
{
    for (const auto& wait : waits) {
        if (Step step = WaitFor(wait.first, wait.second); !step)
            return step;
    }
    return {};
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
        MsgWaitForMultipleObjectsEx(0, nullptr, std::min<DWORD>(15, timeoutMs - elapsed),
                                    QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
}

HWND TopLevelWindow(const wchar_t* title, DWORD processId)
{
    return FindTopLevelWindow(nullptr, title, processId, false);
}

HWND VisibleWindow(const wchar_t* title, DWORD processId)
{
    return FindTopLevelWindow(nullptr, title, processId, true);
}

RECT PlaceIn(HWND dialog, HWND control)
{
    RECT r = {};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::wstring RectText(const RECT& r)
{
    return std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," +
        std::to_wstring(r.right) + L"," + std::to_wstring(r.bottom);
}

HWND StripButton(const wchar_t* stripClass, const wchar_t* text)
{
    return FindWindowExW(FindWindowExW(nullptr, nullptr, stripClass, nullptr), nullptr, L"Button",
                         text);
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

bool Click(HWND window)
{
    RECT client = {};
    return GetClientRect(window, &client) && client.right > 0 && client.bottom > 0 &&
        Click(window, POINT{client.right / 2, client.bottom / 2});
}

bool Click(HWND window, POINT clientPoint)
{
    HWND root = GetAncestor(window, GA_ROOT);
    POINT point = clientPoint;
    if (!IsWindowVisible(window) || !IsWindowEnabled(window) || IsIconic(root) ||
        !ClientToScreen(window, &point))
        return false;
    if (!Hits(window, point)) {
        // Activation alone leaves the window where it is in Wine: raise it as well.
        SetWindowPos(root, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(root);
        if (!WaitUntil([&] { return Hits(window, point); }, 2000))
            return false;
    }
    return Send({MouseEvent(0, point), MouseEvent(MOUSEEVENTF_LEFTDOWN, point),
                 MouseEvent(MOUSEEVENTF_LEFTUP, point)});
}

bool PressKey(WORD virtualKey)
{
    const WORD scanCode = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    // The arrow keys sit outside the numeric pad's block: their scan codes are extended.
    const DWORD extended =
        virtualKey >= VK_LEFT && virtualKey <= VK_DOWN ? KEYEVENTF_EXTENDEDKEY : 0;
    return Send({KeyEvent(virtualKey, scanCode, extended),
                 KeyEvent(virtualKey, scanCode, extended | KEYEVENTF_KEYUP)});
}

bool TypeText(const wchar_t* text)
{
    std::vector<INPUT> inputs;
    for (const wchar_t* character = text; *character; ++character) {
        inputs.push_back(KeyEvent(0, *character, KEYEVENTF_UNICODE));
        inputs.push_back(KeyEvent(0, *character, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
    }
    return inputs.empty() || Send(inputs);
}

ProgramUnderTest::~ProgramUnderTest()
{
    if (IsRunning()) {
        TerminateProcess(m_process.Get(), 1);
        WaitForSingleObject(m_process.Get(), 10000);
    }
}

bool ProgramUnderTest::Start(const std::wstring& executablePath,
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
    const BOOL started = CreateProcessW(executablePath.c_str(), &commandLine[0], nullptr, nullptr,
                                        FALSE, 0, nullptr, nullptr, &startup, &process);
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
    const std::wstring folder(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    return folder.substr(0, folder.find_last_of(L"\\/") + 1) + fileName;
}

bool LandscapeScreen::Set(DWORD width, DWORD height)
{
    DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    return ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr) == DISP_CHANGE_SUCCESSFUL;
}

Step WaitFor(const std::wstring& what, const std::function<bool()>& condition)
{
    return WaitUntil(condition, kDeadlineMs) ? Step() : Step{L"waited for " + what};
}

Step Shown(const wchar_t* title, DWORD processId, HWND& window)
{
    return WaitFor(L"the window \"" + std::wstring(title) + L"\" to show",
                   [&] { return (window = VisibleWindow(title, processId)) != nullptr; });
}

Step TapStrip(const wchar_t* stripClass, const wchar_t* text)
{
    return WaitFor(L"a tap on " + std::wstring(text),
                   [&] { return Click(StripButton(stripClass, text)); });
}

Step CloseWithOk(HWND dialog)
{
    return InTurn(
        {{L"a tap on ok", [&] { return Click(StripButton(AYGSHELL_STANDIN_TITLE_CLASS, L"ok")); }},
         {L"the dialog to close", [&] { return !IsWindow(dialog); }}});
}

Step Dismiss(HWND messageBox)
{
    PostMessageW(messageBox, WM_COMMAND, IDOK, 0);
    return WaitFor(L"the message box to close", [&] { return !IsWindow(messageBox); });
}

Step Choose(HWND radioButton)
{
    return InTurn({{L"a tap on the radio button", [&] { return Click(radioButton); }},
                   {L"the radio button checked", [&] { return IsButtonChecked(radioButton); }}});
}

Step Operate(HWND main, OperateItem item)
{
    HWND menu = nullptr;
    RECT client = {};
    return InTurn(
        {{L"the main dialog in front",
          [&] {
              SetForegroundWindow(main);
              return GetForegroundWindow() == main;
          }},
         {L"a tap on Operate",
          [&] { return Click(StripButton(AYGSHELL_STANDIN_MENUBAR_CLASS, L"Operate")); }},
         // #32768: the system class of every popup menu window.
         {L"Operate's menu",
          [&] { return (menu = FindTopLevelWindow(L"#32768", nullptr, ProcessOf(main), true)); }},
         // The menu's three items share its height.
         {L"a tap on the menu's item", [&] {
              return GetClientRect(menu, &client) &&
                  Click(menu, POINT{client.right / 2, (2 * item - 1) * client.bottom / 6});
          }}});
}

Step OpenEditor(HWND main, HWND& editor)
{
    return InTurn(
        {{L"a tap on Set Blacklist", [&] { return Click(GetDlgItem(main, IDC_SET_BLACKLIST)); }},
         {L"the window \"Setting\" to show",
          [&] { return (editor = VisibleWindow(L"Setting", ProcessOf(main))) != nullptr; }}});
}

Step AddNumber(HWND editor, const wchar_t* number)
{
    HWND edit = GetDlgItem(editor, IDC_NUMBER_EDIT), list = GetDlgItem(editor, IDC_NUMBER_LIST);
    const size_t before = ListBoxItems(list).size();
    // Keys go where the focus is when they arrive: type only once the tap has put it here.
    return InTurn({{L"a tap on the number field", [&] { return Click(edit); }},
                   {L"the focus in the number field", [&] { return FocusOf(edit) == edit; }},
                   {L"the number typed", [&] { return TypeText(number); }},
                   {L"the typed number", [&] { return WindowText(edit) == number; }},
                   {L"a tap on Add", [&] { return Click(GetDlgItem(editor, IDC_ADD)); }},
                   {L"one more entry", [&] { return ListBoxItems(list).size() == before + 1; }},
                   {L"the number field emptied", [&] { return WindowText(edit).empty(); }}});
}
