// The framework's core header: the Windows API and the framework's string.
#pragma once

#include <windows.h>

#include "afxstr.h"
