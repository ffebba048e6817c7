// Failures that tests can ask for through the process environment.
#pragma once

// True when the environment variable name is set to 1; read at every call, so a test can flip it.
[[nodiscard]] bool IsFailureSwitchOn(const wchar_t* name);
