#pragma once

#include <windows.h>

#include <memory>

class CCMCaptureScreenWnd;
class CMThreadDpiAwareness;

// The capture library's module-wide state: the one live capture window, the module handle and
// the cached label font.

// Process attach, under the loader lock, so only what is safe there: the module handle and the
// skin source "<module folder>\skin\glimter.zip". GDI+ and COM start with the first capture
// (CMStartCapture). false when the module path cannot be read.
bool CMModuleStartup(HINSTANCE instance);
HINSTANCE CMGetModule();

// Starts a capture whose window covers bounds (screen coordinates), for the export: 1 when the
// capture window exists, 0 when a capture already runs, bounds is empty (no display), GDI+
// cannot start or the window cannot be created. GDI+ is started on the first call and runs
// until the process ends.
int CMStartCapture(const RECT& bounds, HWND notifyWindow, UINT notifyMessage);

// The export's capture: the calling thread switched to per-monitor DPI awareness for the
// capture's life, then a capture over every display (CMStartCapture's result).
int CMStartScreenCapture(HWND notifyWindow, UINT notifyMessage);

// Ends awareness (restores the thread's previous context) once the current window message has
// been handled: from a thread timer, which runs outside any window's context.
void CMRestoreDpiAwarenessLater(std::unique_ptr<CMThreadDpiAwareness> awareness);

// The running capture, or null; at most one per process.
CCMCaptureScreenWnd* CMGetCurrentCapture();
void CMSetCurrentCapture(CCMCaptureScreenWnd* capture);

// The size label's font: the menu font at height -12 with face "宋体" (string 1007) when
// GDI+ knows that family. Created on first use and kept for the life of the process (the
// library stays loaded once a capture ran); never delete it.
HFONT CMGetLabelFont();
