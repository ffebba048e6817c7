// The seven line operations that tapi32.dll exports, handed to the stand-in service.
#include "platform/telephony/line_service.h"

#include <windows.h>
#include <tapi.h>

// Exported undecorated (--kill-at): the names the import library of the real service uses.
#define STANDIN_EXPORT extern "C" __declspec(dllexport)

STANDIN_EXPORT LONG WINAPI lineInitializeExW(LPHLINEAPP lphLineApp, HINSTANCE /*hInstance*/,
                                             LINECALLBACK lpfnCallback, LPCWSTR lpszFriendlyAppName,
                                             LPDWORD lpdwNumDevs, LPDWORD lpdwAPIVersion,
                                             LPLINEINITIALIZEEXPARAMS lpLineInitializeExParams)
{
    return LineService::Instance().Initialize(lphLineApp, lpfnCallback, lpszFriendlyAppName,
                                              lpdwNumDevs, lpdwAPIVersion,
                                              lpLineInitializeExParams);
}

STANDIN_EXPORT LONG WINAPI lineNegotiateAPIVersion(HLINEAPP hLineApp, DWORD dwDeviceID,
                                                   DWORD dwAPILowVersion, DWORD dwAPIHighVersion,
                                                   LPDWORD lpdwAPIVersion,
                                                   LPLINEEXTENSIONID lpExtensionID)
{
    return LineService::Instance().NegotiateApiVersion(
        hLineApp, dwDeviceID, dwAPILowVersion, dwAPIHighVersion, lpdwAPIVersion, lpExtensionID);
}

STANDIN_EXPORT LONG WINAPI lineOpenW(HLINEAPP hLineApp, DWORD dwDeviceID, LPHLINE lphLine,
                                     DWORD dwAPIVersion, DWORD dwExtVersion,
                                     DWORD_PTR dwCallbackInstance, DWORD dwPrivileges,
                                     DWORD dwMediaModes, LPLINECALLPARAMS const /*lpCallParams*/)
{
    return LineService::Instance().Open(hLineApp, dwDeviceID, lphLine, dwAPIVersion, dwExtVersion,
                                        dwCallbackInstance, dwPrivileges, dwMediaModes);
}

STANDIN_EXPORT LONG WINAPI lineGetCallInfoW(HCALL hCall, LPLINECALLINFO lpCallInfo)
{
    return LineService::Instance().GetCallInfo(hCall, lpCallInfo);
}

STANDIN_EXPORT LONG WINAPI lineDrop(HCALL hCall, LPCSTR lpsUserUserInfo, DWORD dwSize)
{
    return LineService::Instance().Drop(hCall, lpsUserUserInfo, dwSize);
}

STANDIN_EXPORT LONG WINAPI lineClose(HLINE hLine)
{
    return LineService::Instance().Close(hLine);
}

STANDIN_EXPORT LONG WINAPI lineShutdown(HLINEAPP hLineApp)
{
    return LineService::Instance().Shutdown(hLineApp);
}
