#pragma once

#include <windows.h>

// Finding the windows a test or the demo acts on, and waiting for their thread.

// The first visible top-level window of that class; pid 0 looks in every process, owner null
// takes any owner. Null when there is none.
HWND FindVisibleWindow(const wchar_t* className, DWORD pid = 0, HWND owner = nullptr);
// FindVisibleWindow in process pid, this process when pid is 0.
HWND FindAppWindow(const wchar_t* className, DWORD pid = 0);
// Waits (running this thread's loop) until FindVisibleWindow finds one; null after limitMs.
HWND WaitForWindow(const wchar_t* className, DWORD limitMs, DWORD pid = 0, HWND owner = nullptr);
// Whether the window's thread came back to its message loop twice within limitMs, i.e. it has
// handled what was queued for it before the call (input included) and is waiting for more.
// False when the window is gone or its thread stays busy.
bool WindowThreadCaughtUp(HWND hWnd, DWORD limitMs);
