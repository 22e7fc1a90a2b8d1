#pragma once

#include <windows.h>

class CCMCaptureScreenWnd;

// The capture library's module-wide state: the one live capture window, the module handle,
// the GDI+ session and the cached label font.

// Process attach: skin source in "<module folder>\skin\glimter.zip", COM, the window wrapper's
// module, GDI+. false when the module path cannot be read or GDI+ does not start.
bool CMModuleStartup(HINSTANCE instance);
// Process detach: the label font, GDI+ and COM go.
void CMModuleShutdown();
HINSTANCE CMGetModule();

// The running capture, or null; at most one per process.
CCMCaptureScreenWnd* CMGetCurrentCapture();
void CMSetCurrentCapture(CCMCaptureScreenWnd* capture);

// The size label's font: the menu font at height -12 with face "宋体" (string 1007) when
// GDI+ knows that family. Created on first use, deleted at shut-down; never delete it.
HFONT CMGetLabelFont();
