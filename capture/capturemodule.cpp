#include "capture/capturemodule.h"

#include <memory>
#include <new>
#include <string>

#include "capture/capturegeometry.h"
#include "capture/captureresources.h"
#include "capture/ccmcapturescreenwnd.h"
#include "capture/dpiawareness.h"
#include "common/skin/uilib.h"
#include "common/util/ntimage.h"
#include "common/window/ntwindow.h"

namespace {

HINSTANCE g_module = nullptr;
CCMCaptureScreenWnd* g_capture = nullptr;
HFONT g_labelFont = nullptr;
// The awareness switch of a capture that has just ended, until its timer restores the context.
std::unique_ptr<CMThreadDpiAwareness> g_endingAwareness;

void CALLBACK EndAwareness(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    g_endingAwareness.reset();
}

}  // namespace

bool CMModuleStartup(HINSTANCE instance) {
    g_module = instance;
    wchar_t path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameW(instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    std::wstring folder(path, length);
    folder.erase(folder.rfind(L'\\') == std::wstring::npos ? 0 : folder.rfind(L'\\'));
    CPaintManagerUI::SetInstance(instance);
    CPaintManagerUI::SetResourcePath((folder + L"\\skin").c_str());
    CPaintManagerUI::SetResourceZip(L"glimter.zip", false);
    CNTWindow::InitInstance(instance);
    return true;
}

int CMStartCapture(const RECT& bounds, HWND notifyWindow, UINT notifyMessage) {
    if (g_capture || ::IsRectEmpty(&bounds)) return 0;
    // Started here rather than at load: GDI+ must not start or stop under the loader lock.
    if (!NTInitializeGdiplus()) return 0;
    auto* capture = new (std::nothrow) CCMCaptureScreenWnd(notifyWindow, notifyMessage);
    if (!capture) return 0;
    g_capture = capture;
    HWND window = capture->Create(nullptr, L"", WS_POPUP | WS_CLIPCHILDREN,
                                  WS_EX_TOPMOST | WS_EX_TOOLWINDOW, bounds);
    if (window) return 1;
    // A window that got as far as WM_NCCREATE has already deleted its object in
    // OnFinalMessage and cleared the current capture; one that never existed has not.
    if (g_capture == capture) {
        g_capture = nullptr;
        delete capture;
    }
    return 0;
}

int CMStartScreenCapture(HWND notifyWindow, UINT notifyMessage) {
    if (g_capture) return 0;
    // Before the displays are measured, so bounds, window and snapshot are all physical pixels.
    auto awareness = std::make_unique<CMThreadDpiAwareness>();
    RECT bounds = {};
    GetDisplaysBounds(&bounds);
    if (CMStartCapture(bounds, notifyWindow, notifyMessage) != 1) return 0;
    g_capture->KeepDpiAwareness(std::move(awareness));
    return 1;
}

void CMRestoreDpiAwarenessLater(std::unique_ptr<CMThreadDpiAwareness> awareness) {
    g_endingAwareness = std::move(awareness);
    UINT_PTR timer = ::SetTimer(nullptr, 0, 0, &EndAwareness);
    // Without a timer it ends now, which still leaves the thread as the system restores it.
    if (!timer) g_endingAwareness.reset();
}

HINSTANCE CMGetModule() { return g_module; }

CCMCaptureScreenWnd* CMGetCurrentCapture() { return g_capture; }

void CMSetCurrentCapture(CCMCaptureScreenWnd* capture) { g_capture = capture; }

HFONT CMGetLabelFont() {
    if (g_labelFont) return g_labelFont;
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    LOGFONTW font = metrics.lfMenuFont;
    font.lfHeight = -12;
    wchar_t face[LF_FACESIZE] = {};
    if (::LoadStringW(g_module, IDS_LABEL_FONT, face, LF_FACESIZE) > 0) {
        Gdiplus::FontFamily family(face);
        if (family.IsAvailable()) ::lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
    }
    g_labelFont = ::CreateFontIndirectW(&font);
    return g_labelFont;
}
