#include "capture/objects/objecttestsite.h"

#include <cstring>

#include "capture/objects/ccmshapeobj.h"

void PatternPixel(int x, int y, BYTE bgr[3]) {
    bgr[0] = static_cast<BYTE>((x * 7 + y * 3) & 0xFF);
    bgr[1] = static_cast<BYTE>((x * 2 + y * 11) & 0xFF);
    bgr[2] = static_cast<BYTE>((x * 13 + y * 5 + 40) & 0xFF);
}

CMBitmapPtr ObjectTestSite::ComposeImage(const RECT& rc, bool allObjects, const CCMDrawObj* stop) {
    const int width = rc.right - rc.left, height = rc.bottom - rc.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    CMBitmapPtr section(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section) return nullptr;
    const int stride = (width * 3 + 3) / 4 * 4;
    for (int row = 0; row < height; ++row) {
        BYTE* line = static_cast<BYTE*>(bits) + (height - 1 - row) * stride;
        for (int col = 0; col < width; ++col)
            PatternPixel(rc.left + col, rc.top + row, line + col * 3);
    }
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, section.get());
    {
        Gdiplus::Graphics graphics(dc);
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        graphics.TranslateTransform(static_cast<Gdiplus::REAL>(-rc.left),
                                    static_cast<Gdiplus::REAL>(-rc.top));
        const Gdiplus::Rect clip(rc.left, rc.top, width, height);
        for (const auto& object : objects) {
            if (object.get() == stop) break;
            if (!allObjects && object->IsKindOf(L"CCMShapeObj") &&
                static_cast<CCMShapeObj*>(object.get())->GetKind() == SHAPE_MOSAIC)
                continue;
            object->Draw(graphics, clip, POINT{rc.left, rc.top});
        }
    }
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return section;
}

bool ObjectTestSite::ComposeSelection() {
    CMBitmapPtr section = ComposeImage(selection, true, nullptr);
    DIBSECTION dib{};
    if (!section || ::GetObjectW(section.get(), sizeof(dib), &dib) != sizeof(dib)) return false;
    const int width = dib.dsBm.bmWidth, height = dib.dsBm.bmHeight;
    m_picture.assign(static_cast<size_t>(width) * height * 3, 0);
    for (int row = 0; row < height; ++row)
        std::memcpy(
            &m_picture[static_cast<size_t>(row) * width * 3],
            static_cast<BYTE*>(dib.dsBm.bmBits) + (height - 1 - row) * dib.dsBm.bmWidthBytes,
            static_cast<size_t>(width) * 3);
    return true;
}

DWORD ObjectTestSite::Pixel(int x, int y) const {
    const int width = selection.right - selection.left;
    const BYTE* p =
        &m_picture[(static_cast<size_t>(y - selection.top) * width + (x - selection.left)) * 3];
    return (DWORD(p[2]) << 16) | (DWORD(p[1]) << 8) | p[0];
}
