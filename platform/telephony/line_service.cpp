// The stand-in telephony service: how each line operation and each placed call behaves.
#include "platform/telephony/line_service.h"

#include "platform/telephony/call_info_record.h"
#include "platform/telephony/heap_counter.h"
#include "platform/telephony/standin_log.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

namespace {

// The API versions the service speaks, as a 2.0 service on the device does.
const DWORD kLowestApiVersion = 0x00010004;
const DWORD kHighestApiVersion = 0x00020000;

// The part of LINEINITIALIZEEXPARAMS the service reads: the three sizes and dwOptions.
const DWORD kInitParamsReadSize = 4 * sizeof(DWORD);

std::string Field(const char* name, const std::string& value)
{
    return std::string(" ") + name + "=" + value;
}

std::string Field(const char* name, unsigned long long value)
{
    return Field(name, std::to_string(value));
}

}  // namespace

LineService& LineService::Instance()
{
    static LineService service;
    return service;
}

LONG LineService::Initialize(HLINEAPP* app, LINECALLBACK callback, const wchar_t* name,
                             DWORD* devices, DWORD* apiVersion, LINEINITIALIZEEXPARAMS* params)
{
    const DWORD requestedVersion = apiVersion ? *apiVersion : 0;
    const DWORD paramsSize = params ? params->dwTotalSize : 0;
    const DWORD options = params && paramsSize >= kInitParamsReadSize ? params->dwOptions : 0;
    std::string configError;
    StandInConfig config;
    LONG result = 0;
    if (!app || !devices || !apiVersion || !params || !callback)
        result = LINEERR_INVALPOINTER;
    else if (paramsSize < kInitParamsReadSize)
        result = LINEERR_STRUCTURETOOSMALL;
    else if (options != LINEINITIALIZEEXOPTION_USEHIDDENWINDOW)
        result = LINEERR_INVALPARAM;  // events and completion ports are not offered here
    else if (requestedVersion < kHighestApiVersion)
        result = LINEERR_INCOMPATIBLEAPIVERSION;
    else if (!ReadStandInConfig(config, configError) || config.failInit)
        result = LINEERR_OPERATIONFAILED;

    HiddenWindow window = result == 0 ? CreateHiddenWindow(name) : HiddenWindow();
    if (result == 0 && !window.IsValid())
        result = LINEERR_OPERATIONFAILED;
    // Once per process: the executable's heap calls from here on.
    static const bool counting =
        result == 0 && config.countHeap && CountHeapCallsOf(GetModuleHandleW(nullptr));
    if (result == 0 && config.countHeap && !counting)
        result = LINEERR_OPERATIONFAILED;

    HLINEAPP handle = 0;
    if (result == 0) {
        std::lock_guard<std::mutex> lock(m_mutex);
        handle = m_nextApp++;
        App& entry = m_apps[handle];
        entry.callback = callback;
        entry.config = config;
        entry.window = std::move(window);
        *app = handle;
        *devices = config.lines;
        *apiVersion = kHighestApiVersion;
        params->dwNeededSize = sizeof(LINEINITIALIZEEXPARAMS);
        params->dwUsedSize = std::min<DWORD>(paramsSize, sizeof(LINEINITIALIZEEXPARAMS));
    }
    std::string line = "initialize" + Field("app", LogHex(handle)) +
        Field("result", LogResult(result)) + Field("devices", result == 0 ? config.lines : 0) +
        Field("name", LogText(name)) + Field("version", LogHex(requestedVersion)) +
        Field("options", options) + Field("params", paramsSize);
    if (!configError.empty())
        line += Field("error", "bad_" + configError);
    AppendLogLine(line);
    return result;
}

LONG LineService::NegotiateApiVersion(HLINEAPP app, DWORD device, DWORD low, DWORD high,
                                      DWORD* version, LINEEXTENSIONID* extension)
{
    LONG result = 0;
    DWORD agreed = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_apps.find(app);
        if (found == m_apps.end())
            result = LINEERR_INVALAPPHANDLE;
        else if (device >= found->second.config.lines)
            result = LINEERR_BADDEVICEID;
        else if (!version || !extension)
            result = LINEERR_INVALPOINTER;
        else if (found->second.config.failNegotiate.count(device) || low > high ||
                 high < kLowestApiVersion || low > kHighestApiVersion)
            result = LINEERR_INCOMPATIBLEAPIVERSION;
        else {
            agreed = std::min(high, kHighestApiVersion);
            *version = agreed;
            std::memset(extension, 0, sizeof(*extension));
        }
    }
    AppendLogLine("negotiate" + Field("app", LogHex(app)) + Field("device", device) +
                  Field("low", LogHex(low)) + Field("high", LogHex(high)) +
                  Field("version", LogHex(agreed)) + Field("result", LogResult(result)));
    return result;
}

LONG LineService::Open(HLINEAPP app, DWORD device, HLINE* line, DWORD version, DWORD extVersion,
                       DWORD_PTR instance, DWORD privileges, DWORD mediaModes)
{
    LONG result = 0;
    HLINE handle = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_apps.find(app);
        if (found == m_apps.end())
            result = LINEERR_INVALAPPHANDLE;
        else if (device >= found->second.config.lines)
            result = LINEERR_BADDEVICEID;
        else if (!line)
            result = LINEERR_INVALPOINTER;
        else if (version < kLowestApiVersion || version > kHighestApiVersion ||
                 found->second.config.failNegotiate.count(device))
            result = LINEERR_INCOMPATIBLEAPIVERSION;
        else if (extVersion != 0)
            result = LINEERR_INCOMPATIBLEEXTVERSION;
        else if ((privileges & LINECALLPRIVILEGE_OWNER) && mediaModes == 0)
            result = LINEERR_INVALMEDIAMODE;
        else if (found->second.config.failOpen.count(device))
            result = LINEERR_RESOURCEUNAVAIL;
        if (result == 0) {
            handle = m_nextLine++;
            m_lines[handle] = Line{app, device, instance};
            *line = handle;
        }
    }
    AppendLogLine("open" + Field("app", LogHex(app)) + Field("device", device) +
                  Field("line", LogHex(handle)) + Field("version", LogHex(version)) +
                  Field("ext", extVersion) + Field("instance", instance) +
                  Field("privileges", privileges) + Field("media", mediaModes) +
                  Field("result", LogResult(result)));
    return result;
}

LONG LineService::GetCallInfo(HCALL call, LINECALLINFO* info)
{
    LONG result = 0;
    DWORD total = 0;
    DWORD needed = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_calls.find(call);
        if (found == m_calls.end())
            result = LINEERR_INVALCALLHANDLE;
        else if (!info)
            result = LINEERR_INVALPOINTER;
        else if (m_apps.at(found->second.app).config.failGetCallInfo)
            result = LINEERR_OPERATIONFAILED;
        else
            total = info->dwTotalSize;
        if (result == 0 && total < sizeof(LINECALLINFO))
            result = LINEERR_STRUCTURETOOSMALL;
        if (result == 0) {
            const Call& entry = found->second;
            std::vector<std::uint8_t> record =
                BuildCallInfoRecord({entry.line, entry.device, call}, entry.request);
            needed = static_cast<DWORD>(record.size());
            // A service that always wants more than it was given.
            if (entry.request.flags & kGrowForever)
                needed = std::max(needed, total + 256);
            if (total >= needed) {
                std::memcpy(info, record.data(), record.size());
                info->dwUsedSize = static_cast<DWORD>(record.size());
            } else {
                // Too small: the fixed part only, no variable text, and the size it needs.
                std::memcpy(info, record.data(), sizeof(LINECALLINFO));
                info->dwCallerIDSize = 0;
                info->dwCallerIDOffset = 0;
                info->dwUsedSize = sizeof(LINECALLINFO);
            }
            info->dwTotalSize = total;
            info->dwNeededSize = needed;
        }
    }
    AppendLogLine("getcallinfo" + Field("call", LogHex(call)) + Field("total", total) +
                  Field("needed", needed) + Field("result", LogResult(result)));
    return result;
}

LONG LineService::Drop(HCALL call, const char* userInfo, DWORD userInfoSize)
{
    LONG result = 0;
    HWND window = nullptr;
    bool finishLater = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_calls.find(call);
        if (found == m_calls.end()) {
            result = LINEERR_INVALCALLHANDLE;
        } else {
            Call& entry = found->second;
            App& app = m_apps.at(entry.app);
            if (app.config.failDrop)
                result = LINEERR_OPERATIONFAILED;
            else if (entry.dropped)
                result = LINEERR_INVALCALLSTATE;
            if (result == 0) {
                entry.dropped = true;
                entry.dropRequest = m_nextRequest++;
                result = static_cast<LONG>(entry.dropRequest);
                // While the call's notifications run, they end it; afterwards the window must.
                finishLater = !entry.offering;
                window = app.window.Get();
            }
        }
    }
    if (finishLater)
        PostMessageW(window, kFinishDropMessage, call, 0);
    AppendLogLine("drop" + Field("call", LogHex(call)) + Field("uui", userInfo ? "given" : "null") +
                  Field("uuisize", userInfoSize) + Field("result", LogResult(result)));
    return result;
}

LONG LineService::Close(HLINE line)
{
    LONG result = 0;
    std::string device = "none";
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_lines.find(line);
        if (found == m_lines.end()) {
            result = LINEERR_INVALLINEHANDLE;
        } else {
            device = std::to_string(found->second.device);
            m_lines.erase(found);
            // The line's calls end for this application without further notifications.
            for (auto call = m_calls.begin(); call != m_calls.end();)
                call = call->second.line == line ? m_calls.erase(call) : std::next(call);
        }
    }
    AppendLogLine("close" + Field("line", LogHex(line)) + Field("device", device) +
                  Field("result", LogResult(result)));
    return result;
}

LONG LineService::Shutdown(HLINEAPP app)
{
    LONG result = 0;
    size_t unclosed = 0;
    HiddenWindow
        window;  // destroyed after the lock is released: destruction runs the window procedure
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_apps.find(app);
        if (found == m_apps.end()) {
            result = LINEERR_INVALAPPHANDLE;
        } else {
            window = std::move(found->second.window);
            m_apps.erase(found);
            for (auto line = m_lines.begin(); line != m_lines.end();) {
                bool ours = line->second.app == app;
                unclosed += ours ? 1 : 0;
                line = ours ? m_lines.erase(line) : std::next(line);
            }
            for (auto call = m_calls.begin(); call != m_calls.end();)
                call = call->second.app == app ? m_calls.erase(call) : std::next(call);
        }
    }
    AppendLogLine("shutdown" + Field("app", LogHex(app)) + Field("unclosed", unclosed) +
                  Field("result", LogResult(result)));
    return result;
}

CallReply LineService::PlaceCall(HWND window, const CallRequest& request, HCALL& call)
{
    call = 0;
    if (request.callerChars > kMaxCallerChars || request.padBytes > kMaxRecordBytes ||
        request.neededBytes > kMaxRecordBytes)
        return CallReply::BadRequest;
    HLINEAPP app = 0;
    HLINE line = 0;
    DWORD_PTR instance = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        app = AppOfWindow(window);
        auto open = std::find_if(
            m_lines.begin(), m_lines.end(), [&](const std::pair<const HLINE, Line>& entry) {
                return entry.second.app == app && entry.second.device == request.device;
            });
        if (app != 0 && open != m_lines.end()) {
            line = open->first;
            instance = open->second.instance;
            call = m_nextCall++;
            Call& entry = m_calls[call];
            entry.app = app;
            entry.line = line;
            entry.device = request.device;
            entry.instance = instance;
            entry.request = request;
            entry.request.caller[kMaxCallerChars] = L'\0';
        }
    }
    std::wstring caller(request.caller, std::min(request.callerChars, kMaxCallerChars));
    if (line == 0) {
        AppendLogLine("call" + Field("device", request.device) + Field("line", LogHex(0)) +
                      Field("caller", LogText(caller.c_str())) + Field("outcome", "no_open_line"));
        return CallReply::NoOpenLine;
    }

    // An incoming call as a service reports it: new call, offering, then the caller number.
    Notify(app, line, LINE_APPNEWCALL, instance, 0, call, LINECALLPRIVILEGE_OWNER);
    Notify(app, call, LINE_CALLSTATE, instance, LINECALLSTATE_OFFERING, 0, LINECALLPRIVILEGE_OWNER);
    if ((request.flags & kNoCallerIdNotification) == 0)
        Notify(app, call, request.message, instance, request.param1, 0, 0);

    bool dropped = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_calls.find(call);
        if (found != m_calls.end()) {
            found->second.offering = false;
            dropped = found->second.dropped;
        }
    }
    AppendLogLine("call" + Field("device", request.device) + Field("line", LogHex(line)) +
                  Field("call", LogHex(call)) + Field("caller", LogText(caller.c_str())) +
                  Field("outcome", dropped ? "dropped" : "rang"));
    if (dropped)
        EndCall(call);
    return dropped ? CallReply::Dropped : CallReply::Rang;
}

CallReply LineService::HangUp(HWND window, HCALL call)
{
    bool known = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_calls.find(call);
        known = found != m_calls.end() && found->second.app == AppOfWindow(window);
    }
    AppendLogLine("hangup" + Field("call", LogHex(call)) +
                  Field("result", known ? "0" : "no_such_call"));
    if (!known)
        return CallReply::NoSuchCall;
    EndCall(call);
    return CallReply::Rang;
}

void LineService::FinishDrop(HCALL call)
{
    EndCall(call);
}

void LineService::EndCall(HCALL call)
{
    Call entry;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_calls.find(call);
        if (found == m_calls.end())
            return;
        entry = found->second;
        m_calls.erase(found);
    }
    if (entry.dropped)
        Notify(entry.app, 0, LINE_REPLY, 0, entry.dropRequest, 0, 0);
    Notify(entry.app, call, LINE_CALLSTATE, entry.instance, LINECALLSTATE_DISCONNECTED,
           LINEDISCONNECTMODE_NORMAL, 0);
    Notify(entry.app, call, LINE_CALLSTATE, entry.instance, LINECALLSTATE_IDLE, 0, 0);
}

void LineService::Notify(HLINEAPP app, DWORD device, DWORD message, DWORD_PTR instance,
                         DWORD_PTR param1, DWORD_PTR param2, DWORD_PTR param3)
{
    LINECALLBACK callback = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_apps.find(app);
        if (found == m_apps.end())
            return;
        callback = found->second.callback;
    }
    callback(device, message, instance, param1, param2, param3);
}

HLINEAPP LineService::AppOfWindow(HWND window) const
{
    for (const auto& entry : m_apps) {
        if (entry.second.window.Get() == window)
            return entry.first;
    }
    return 0;
}
