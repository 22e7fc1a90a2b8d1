#include "support/screenbitmap.h"

ScreenBitmap::ScreenBitmap(const RECT& screen) {
    const int width = screen.right - screen.left, height = screen.bottom - screen.top;
    HDC screenDC = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screenDC);
    m_bitmap = ::CreateCompatibleBitmap(screenDC, width, height);
    HGDIOBJ old = ::SelectObject(memory, m_bitmap);
    ::BitBlt(memory, 0, 0, width, height, screenDC, screen.left, screen.top, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screenDC);
}

ScreenBitmap::~ScreenBitmap() {
    if (m_bitmap) ::DeleteObject(m_bitmap);
}

BITMAPINFO TopDownPixelsInfo(SIZE size) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    return info;
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info = {};
    ::GetObjectW(bitmap, sizeof(info), &info);
    return SIZE{info.bmWidth, info.bmHeight};
}

std::vector<DWORD> BitmapPixels(HBITMAP bitmap) {
    SIZE size = BitmapSize(bitmap);
    BITMAPINFO info = TopDownPixelsInfo(size);
    std::vector<DWORD> pixels(static_cast<size_t>(size.cx) * size.cy);
    HDC screen = ::GetDC(nullptr);
    ::GetDIBits(screen, bitmap, 0, size.cy, pixels.data(), &info, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    for (DWORD& p : pixels) p &= 0xFFFFFF;
    return pixels;
}
