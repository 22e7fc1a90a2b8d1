#include "capture/capturemodule.h"

#include <objbase.h>

#include <memory>
#include <string>

#include "capture/captureresources.h"
#include "common/skin/uilib.h"
#include "common/util/ntimage.h"
#include "common/window/ntwindow.h"

namespace {

HINSTANCE g_module = nullptr;
CCMCaptureScreenWnd* g_capture = nullptr;
HFONT g_labelFont = nullptr;
bool g_comStarted = false;

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
    g_comStarted = SUCCEEDED(::CoInitialize(nullptr));
    CNTWindow::InitInstance(instance);
    return NTInitializeGdiplus() != 0;
}

void CMModuleShutdown() {
    if (g_labelFont) ::DeleteObject(g_labelFont);
    g_labelFont = nullptr;
    NTUninitializeGdiplus();
    if (g_comStarted) ::CoUninitialize();
    g_comStarted = false;
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
