// The framework's start of Windows Sockets, and its release at the framework's end.
#include <afxsock.h>

#include "afximpl.h"

namespace {

void SocketTerm()
{
    WSACleanup();
}

}  // namespace

BOOL AfxSocketInit(WSADATA* lpwsaData)
{
    WSADATA wsaData;
    if (WSAStartup(MAKEWORD(1, 1), &wsaData) != 0)
        return FALSE;
    if (lpwsaData)
        *lpwsaData = wsaData;
    // Only exactly version 1.1 will do.
    if (LOBYTE(wsaData.wVersion) != 1 || HIBYTE(wsaData.wVersion) != 1) {
        WSACleanup();
        return FALSE;
    }
    afxSocketTerm = &SocketTerm;
    return TRUE;
}
