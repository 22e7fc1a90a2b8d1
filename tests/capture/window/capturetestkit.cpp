#include "capture/window/capturetestkit.h"

#include <cstdlib>

#include "capture/capturemodule.h"
#include "capture/glimter.h"

namespace {

LRESULT CALLBACK PatternProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hWnd, &ps);
        RECT rc;
        ::GetClientRect(hWnd, &rc);
        BITMAPINFO info = TopDownPixelsInfo(SIZE{rc.right, rc.bottom});
        std::vector<DWORD> pixels(static_cast<size_t>(rc.right) * rc.bottom);
        for (int y = 0; y < rc.bottom; ++y)
            for (int x = 0; x < rc.right; ++x)
                pixels[y * rc.right + x] = PatternWindow::ColorAt(x, y);
        ::SetDIBitsToDevice(dc, 0, 0, rc.right, rc.bottom, 0, 0, 0, rc.bottom, pixels.data(), &info,
                            DIB_RGB_COLORS);
        ::EndPaint(hWnd, &ps);
        return 0;
    }
    return ::DefWindowProcW(hWnd, msg, wParam, lParam);
}

std::wstring WindowsPath(const char* unixPath) {
    std::wstring path = L"Z:";
    for (const char* c = unixPath ? unixPath : ""; *c; ++c)
        path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path;
}

}  // namespace

PatternWindow::PatternWindow(const RECT& rc, const wchar_t* className) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = PatternProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    ::RegisterClassW(&wc);
    m_hWnd = ::CreateWindowExW(WS_EX_TOOLWINDOW, className, L"pattern", WS_POPUP, rc.left, rc.top,
                               rc.right - rc.left, rc.bottom - rc.top, nullptr, nullptr,
                               wc.hInstance, nullptr);
    ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
    ::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::UpdateWindow(m_hWnd);
    Settle();
}

PatternWindow::~PatternWindow() {
    if (m_hWnd) ::DestroyWindow(m_hWnd);
}

DWORD PatternWindow::ColorAt(int x, int y) {
    DWORD red = (x * 3) & 0xFF, green = (y * 5) & 0xFF;
    DWORD blue = ((x / 16 + y / 16) % 2) ? 200 : 40;
    return (red << 16) | (green << 8) | blue;
}

NotifyWindow::NotifyWindow() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"CaptureTestClient";
    ::RegisterClassW(&wc);
    m_hWnd = ::CreateWindowExW(0, wc.lpszClassName, L"client", WS_POPUP, 0, 0, 1, 1, nullptr,
                               nullptr, wc.hInstance, this);
}

NotifyWindow::~NotifyWindow() { ::DestroyWindow(m_hWnd); }

LRESULT CALLBACK NotifyWindow::Proc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<NotifyWindow*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (self && msg == kMessage && wParam == 0 && lParam == 0) {
        ++self->count;
        // Opening succeeds only when the capture window has closed the clipboard.
        if (::OpenClipboard(hWnd)) {
            ++self->clipboardClosed;
            ::CloseClipboard();
        }
        return 0;
    }
    return ::DefWindowProcW(hWnd, msg, wParam, lParam);
}

CCMCaptureScreenWnd* Capture() { return CMGetCurrentCapture(); }

int StartCapture(HWND notify) {
    int result = CaptureScreenToClipboard(notify, NotifyWindow::kMessage);
    Settle();
    return result;
}

void EndCapture() {
    if (CCMCaptureScreenWnd* capture = Capture()) capture->CloseCapture();
    Settle();
}

std::wstring BinaryDir() { return WindowsPath(std::getenv("NT_BINARY_DIR")) + L"\\"; }

std::wstring DistSkinDir() { return BinaryDir() + L"dist\\skin\\"; }

DWORD BitmapPixel(HBITMAP bitmap, int x, int y) {
    SIZE size = BitmapSize(bitmap);
    if (x < 0 || y < 0 || x >= size.cx || y >= size.cy) return 0xFFFFFFFF;
    return BitmapPixels(bitmap)[static_cast<size_t>(y) * size.cx + x];
}

void CaptureTest::SetUpTestSuite() {
    static bool started = false;
    if (started) return;
    started = CMModuleStartup(::GetModuleHandleW(nullptr));
    CPaintManagerUI::SetResourcePath(DistSkinDir().c_str());
    CPaintManagerUI::SetResourceZip(L"glimter.zip");
}

void CaptureTest::SetUp() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QUORBEL\\QUORBEL");
    CPaintManagerUI::SetResourcePath(DistSkinDir().c_str());
    MoveMouse(POINT{5, 5});
    pattern = std::make_unique<PatternWindow>(kPattern);
}

void CaptureTest::TearDown() {
    EndCapture();
    pattern.reset();
    Settle();
}

bool CaptureTest::SelectArea(const RECT& rc) {
    if (StartCapture(client.GetHWND()) != 1 || !Capture()) return false;
    Drag(POINT{rc.left, rc.top}, POINT{rc.right, rc.bottom});
    CCMCaptureScreenWnd* capture = Capture();
    if (!capture || capture->GetMode() != CCMCaptureScreenWnd::MODE_SELECTED) return false;
    RECT selection = capture->GetSelectionRect();
    return ::EqualRect(&selection, &rc) != FALSE;
}

std::vector<DWORD> CaptureTest::ComposedSelection() {
    CMBitmapPtr picture = Capture()->ComposeImage(Capture()->GetSelectionRect(), true, nullptr);
    return picture ? BitmapPixels(picture.get()) : std::vector<DWORD>();
}

DWORD CaptureTest::PatternAtScreen(POINT pt) {
    return PatternWindow::ColorAt(pt.x - kPattern.left, pt.y - kPattern.top);
}
