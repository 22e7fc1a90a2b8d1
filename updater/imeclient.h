#pragma once

#include <windows.h>

#include <string>

// Whether a process runs whose first module has exactly this full path (case ignored).
// Processes whose modules cannot be listed are not matched.
bool IsProgramRunning(const std::wstring& exePath);

// Posts the registered message IME_EXIT_MSG to the client's top-level window of class
// "QUORBEL_MAIN_WINDOW"; false when there is no such window.
bool AskImeClientToExit();
