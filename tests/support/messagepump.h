#pragma once

#include <windows.h>

#include <functional>

// This thread's message loop as tests and the demo's driver run it between steps.

// Runs the loop until done() holds or limitMs have passed; false when the limit passed first.
bool PumpMessagesUntil(const std::function<bool()>& done, DWORD limitMs);
// Dispatches what is queued now and returns.
void PumpPending();
// Runs the loop for ms so that input and paints settle.
void Settle(DWORD ms = 150);

// Whether the loop met a WM_QUIT on this thread since the last ForgetQuit().
bool QuitPosted();
void ForgetQuit();
