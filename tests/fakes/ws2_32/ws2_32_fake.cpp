// A sockets layer that refuses: stands in for ws2_32.dll where the real one cannot be made to
// fail. FAKE_WS2_32=refuse: WSAStartup fails with WSASYSNOTREADY; =version: it succeeds but
// offers version 2.2; anything else: it offers what was asked for. Each call is appended as one
// line to the file named by FAKE_WS2_32_LOG, when set.
// Declared here as this library's own exports, not as imports.
#define WINSOCK_API_LINKAGE __declspec(dllexport)
#include <winsock2.h>

#include <cstdio>

namespace {

void Record(const char* line)
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"FAKE_WS2_32_LOG", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    if (FILE* file = _wfopen(path, L"a")) {
        std::fprintf(file, "%s\n", line);
        std::fclose(file);
    }
}

bool BehaviourIs(const wchar_t* wanted)
{
    wchar_t value[32];
    const DWORD length = GetEnvironmentVariableW(L"FAKE_WS2_32", value, 32);
    return length > 0 && length < 32 && lstrcmpiW(value, wanted) == 0;
}

}  // namespace

int WINAPI WSAStartup(WORD versionRequested, LPWSADATA data)
{
    char line[64];
    std::snprintf(line, sizeof line, "startup %u.%u", LOBYTE(versionRequested),
                  HIBYTE(versionRequested));
    Record(line);
    if (BehaviourIs(L"refuse"))
        return WSASYSNOTREADY;
    if (!data)
        return WSAEFAULT;
    ZeroMemory(data, sizeof *data);
    data->wVersion = BehaviourIs(L"version") ? MAKEWORD(2, 2) : versionRequested;
    data->wHighVersion = MAKEWORD(2, 2);
    return 0;
}

int WINAPI WSACleanup()
{
    Record("cleanup");
    return 0;
}
