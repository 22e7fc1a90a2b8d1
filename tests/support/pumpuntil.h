#pragma once

#include <windows.h>

#include <functional>

#include "support/messagepump.h"

// How long a test waits for a condition before it fails: a limit for a hang, met at once when
// all is well, so it allows for the emulated machine, where starting a Wine process alone takes
// up to 15 s.
constexpr DWORD kWaitLimitMs = 60000;

// Runs this thread's message loop until done() holds; when limitMs pass first the test fails
// at the caller's line and the result is false.
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = kWaitLimitMs,
               const char* file = __builtin_FILE(), int line = __builtin_LINE());
