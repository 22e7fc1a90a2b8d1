#pragma once

// Drives the upload tool's real windows as a user does (the shared real-input helpers) and
// reads what they show: the window object behind a handle and its controls.

#include <winsock2.h>
#include <windows.h>

#include <string>

#include "support/dialoganswer.h"
#include "support/messagepump.h"
#include "support/pumpuntil.h"
#include "support/realinput.h"
#include "support/windowsearch.h"

class CFeltrineWindow;

// The skinned window object behind a window of this process, or null.
CFeltrineWindow* WindowObject(HWND hWnd);
// Centre of a control in screen coordinates; (-1, -1) when the window has no such control.
POINT ControlCenter(CFeltrineWindow* window, const wchar_t* name);
std::wstring ControlText(CFeltrineWindow* window, const wchar_t* name);
// Whether the control is enabled; a missing control fails the test.
bool ControlEnabled(CFeltrineWindow* window, const wchar_t* name);
