// Screenshots of the whole device screen as PNG files, for the tests' evidence and the README.
#pragma once

#include <windows.h>

// Writes the screen (SM_CXSCREEN x SM_CYSCREEN pixels, 24-bit colour) to a PNG file,
// replacing any file of that name. False when any step failed; no file is then left behind.
bool SaveScreenPng(const wchar_t* path);
