// The library's one entry point for the input-method client.
#include "capture/glimter.h"

#include "capture/capturegeometry.h"
#include "capture/capturemodule.h"

extern "C" int __cdecl CaptureScreenToClipboard(HWND notifyWindow, UINT notifyMessage) {
    // Runs in the host's process: a failure (an allocation above all) fails this capture only.
    try {
        return CMStartScreenCapture(notifyWindow, notifyMessage);
    } catch (...) {
        return 0;
    }
}
