// The framework's start of the sockets layer.
#pragma once

#include <winsock2.h>

#include "afxwin.h"

// Starts Windows Sockets version 1.1. FALSE when the layer refuses, or offers any other
// version (then it is released again at once). After a start, the framework's end releases
// the layer. lpwsaData, when given, receives what the layer reported.
BOOL AfxSocketInit(WSADATA* lpwsaData = NULL);
