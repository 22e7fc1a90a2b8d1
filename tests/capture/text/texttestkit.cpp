#include "capture/text/texttestkit.h"

#include <cstdlib>

namespace {

bool Near(DWORD a, DWORD b) {
    for (int shift = 0; shift <= 16; shift += 8) {
        int ca = (a >> shift) & 0xFF;
        int cb = (b >> shift) & 0xFF;
        if (std::abs(ca - cb) > 60) return false;
    }
    return true;
}

LRESULT CALLBACK WhiteProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC hdc = ::BeginPaint(hWnd, &ps);
        ::FillRect(hdc, &ps.rcPaint, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        ::EndPaint(hWnd, &ps);
        return 0;
    }
    return ::DefWindowProcW(hWnd, msg, wParam, lParam);
}

}  // namespace

TestCanvas::TestCanvas(int width, int height) : m_width(width), m_height(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    m_bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_bits = static_cast<const DWORD*>(bits);
    m_hdc = ::CreateCompatibleDC(nullptr);
    m_old = ::SelectObject(m_hdc, m_bitmap);
    RECT all = {0, 0, width, height};
    ::FillRect(m_hdc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
}

TestCanvas::~TestCanvas() {
    ::SelectObject(m_hdc, m_old);
    ::DeleteDC(m_hdc);
    ::DeleteObject(m_bitmap);
}

DWORD TestCanvas::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
    ::GdiFlush();
    return m_bits[y * m_width + x] & 0xFFFFFF;
}

int TestCanvas::CountNear(const RECT& rc, DWORD rgb) const {
    int count = 0;
    for (int y = rc.top < 0 ? 0 : rc.top; y < rc.bottom && y < m_height; ++y)
        for (int x = rc.left < 0 ? 0 : rc.left; x < rc.right && x < m_width; ++x)
            if (Near(Pixel(x, y), rgb)) ++count;
    return count;
}

int TestCanvas::CountNearOutside(const RECT& rc, DWORD rgb) const {
    RECT all = {0, 0, m_width, m_height};
    return CountNear(all, rgb) - CountNear(rc, rgb);
}

HWND CreateTextTestWindow(const RECT& screen) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WhiteProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"CCMTextTestWindow";
    ::RegisterClassW(&wc);
    HWND hWnd =
        ::CreateWindowExW(0, wc.lpszClassName, L"text", WS_POPUP | WS_VISIBLE, screen.left,
                          screen.top, screen.right - screen.left, screen.bottom - screen.top,
                          nullptr, nullptr, wc.hInstance, nullptr);
    ::SetForegroundWindow(hWnd);
    ::SetFocus(hWnd);
    PumpMessages();
    return hWnd;
}

void PumpMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}
