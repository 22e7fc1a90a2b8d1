// The library's one entry point for the input-method client.
#include "capture/glimter.h"

#include "capture/capturegeometry.h"
#include "capture/capturemodule.h"

extern "C" int __cdecl CaptureScreenToClipboard(HWND notifyWindow, UINT notifyMessage) {
    RECT bounds = {};
    GetDisplaysBounds(&bounds);
    return CMStartCapture(bounds, notifyWindow, notifyMessage);
}
