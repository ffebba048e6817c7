// The messages the session tests send to the line host.
#pragma once

#include <windows.h>

const wchar_t kLineHostClass[] = L"OstrelLineHost";
const UINT WM_APP_SET_MODE = WM_APP + 1;
const UINT WM_APP_RELOAD_LIST = WM_APP + 2;
