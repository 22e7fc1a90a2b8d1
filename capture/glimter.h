#pragma once

#include <windows.h>

// Starts a capture over every display and returns at once: 1 when the capture window exists,
// 0 when a capture already runs, no display is found or the window cannot be created. The
// capture runs in the caller's message loop; on completion the picture is on the clipboard
// (CF_BITMAP) and notifyMessage is posted to notifyWindow (wParam 0, lParam 0; a null window
// receives it as a message to the calling thread).
// Exported as "?CaptureScreenToClipboard@@YAHPAUHWND__@@I@Z" (the client's import) and plainly;
// that name promises __cdecl, whatever the compiler's default.
extern "C" int __cdecl CaptureScreenToClipboard(HWND notifyWindow, UINT notifyMessage);
