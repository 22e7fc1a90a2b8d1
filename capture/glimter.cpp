// The library's one entry point for the input-method client.
#include "capture/glimter.h"

#include "capture/capturegeometry.h"
#include "capture/capturemodule.h"
#include "capture/ccmcapturescreenwnd.h"

extern "C" int __cdecl CaptureScreenToClipboard(HWND notifyWindow, UINT notifyMessage) {
    RECT bounds = {};
    GetDisplaysBounds(&bounds);
    if (CMGetCurrentCapture()) return 0;
    auto* capture = new CCMCaptureScreenWnd(notifyWindow, notifyMessage);
    CMSetCurrentCapture(capture);
    HWND window = capture->Create(nullptr, L"", WS_POPUP | WS_CLIPCHILDREN,
                                  WS_EX_TOPMOST | WS_EX_TOOLWINDOW, bounds);
    if (window) return 1;
    // A window that got as far as WM_NCCREATE has already deleted its object in
    // OnFinalMessage and cleared the current capture; one that never existed has not.
    if (CMGetCurrentCapture() == capture) {
        CMSetCurrentCapture(nullptr);
        delete capture;
    }
    return 0;
}
