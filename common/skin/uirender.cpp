#include "common/skin/uirender.h"

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>

namespace {

void AddRoundRect(Gdiplus::GraphicsPath& path, Gdiplus::REAL x, Gdiplus::REAL y, Gdiplus::REAL w,
                  Gdiplus::REAL h, Gdiplus::REAL r) {
    Gdiplus::REAL d = std::min(r * 2, std::min(w, h));
    path.AddArc(x, y, d, d, 180, 90);
    path.AddArc(x + w - d, y, d, d, 270, 90);
    path.AddArc(x + w - d, y + h - d, d, d, 0, 90);
    path.AddArc(x, y + h - d, d, d, 90, 90);
    path.CloseFigure();
}

}  // namespace

void UIFillRect(HDC hdc, const RECT& rc, DWORD argb, int round) {
    if ((argb >> 24) == 0 || rc.right <= rc.left || rc.bottom <= rc.top) return;
    Gdiplus::Graphics g(hdc);
    Gdiplus::SolidBrush brush{Gdiplus::Color(argb)};
    if (round <= 0) {
        g.FillRectangle(&brush, static_cast<INT>(rc.left), static_cast<INT>(rc.top),
                        static_cast<INT>(rc.right - rc.left), static_cast<INT>(rc.bottom - rc.top));
        return;
    }
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    Gdiplus::GraphicsPath path;
    AddRoundRect(path, static_cast<Gdiplus::REAL>(rc.left), static_cast<Gdiplus::REAL>(rc.top),
                 static_cast<Gdiplus::REAL>(rc.right - rc.left),
                 static_cast<Gdiplus::REAL>(rc.bottom - rc.top), static_cast<Gdiplus::REAL>(round));
    g.FillPath(&brush, &path);
}

void UIDrawBorder(HDC hdc, const RECT& rc, DWORD argb, int size, int round) {
    if ((argb >> 24) == 0 || size <= 0 || rc.right <= rc.left || rc.bottom <= rc.top) return;
    if (round <= 0) {
        // Four bands: a stroked rectangle lands half a pixel off at the right and bottom edges
        // on some GDI+ implementations and is clipped away there.
        UIFillRect(hdc, RECT{rc.left, rc.top, rc.right, rc.top + size}, argb, 0);
        UIFillRect(hdc, RECT{rc.left, rc.bottom - size, rc.right, rc.bottom}, argb, 0);
        UIFillRect(hdc, RECT{rc.left, rc.top + size, rc.left + size, rc.bottom - size}, argb, 0);
        UIFillRect(hdc, RECT{rc.right - size, rc.top + size, rc.right, rc.bottom - size}, argb, 0);
        return;
    }
    Gdiplus::Graphics g(hdc);
    const auto penWidth = static_cast<Gdiplus::REAL>(size);
    Gdiplus::Pen pen{Gdiplus::Color(argb), penWidth};
    // The stroke is centred on the path, so the path runs half a pen inside rc.
    Gdiplus::REAL half = penWidth / 2;
    Gdiplus::REAL x = static_cast<Gdiplus::REAL>(rc.left) + half;
    Gdiplus::REAL y = static_cast<Gdiplus::REAL>(rc.top) + half;
    Gdiplus::REAL w = static_cast<Gdiplus::REAL>(rc.right - rc.left) - penWidth;
    Gdiplus::REAL h = static_cast<Gdiplus::REAL>(rc.bottom - rc.top) - penWidth;
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    Gdiplus::GraphicsPath path;
    AddRoundRect(path, x, y, w, h, static_cast<Gdiplus::REAL>(round));
    g.DrawPath(&pen, &path);
}

void UIFillEllipse(HDC hdc, const RECT& rc, DWORD argb) {
    if ((argb >> 24) == 0) return;
    Gdiplus::Graphics g(hdc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    Gdiplus::SolidBrush brush{Gdiplus::Color(argb)};
    g.FillEllipse(&brush, static_cast<INT>(rc.left), static_cast<INT>(rc.top),
                  static_cast<INT>(rc.right - rc.left), static_cast<INT>(rc.bottom - rc.top));
}

void UIDrawImage(HDC hdc, Gdiplus::Bitmap* image, const RECT& rc, const UIImageSpec& imageSpec) {
    if (!image) return;
    RECT src = imageSpec.hasSource ? imageSpec.source
                              : RECT{0, 0, static_cast<LONG>(image->GetWidth()),
                                     static_cast<LONG>(image->GetHeight())};
    RECT dst = rc;
    if (imageSpec.hasDest) {
        dst = RECT{rc.left + imageSpec.dest.left, rc.top + imageSpec.dest.top, rc.left + imageSpec.dest.right,
                   rc.top + imageSpec.dest.bottom};
    }
    if (dst.right <= dst.left || dst.bottom <= dst.top || src.right <= src.left ||
        src.bottom <= src.top)
        return;
    Gdiplus::Graphics g(hdc);
    g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    Gdiplus::ImageAttributes attrs;
    // Tiling the edge pixels keeps stretched borders from fading into transparency.
    attrs.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    const RECT& c = imageSpec.corner;
    // Nine slices: the corners keep their size, edges stretch one way, the middle both ways.
    int sx[4] = {src.left, src.left + c.left, src.right - c.right, src.right};
    int sy[4] = {src.top, src.top + c.top, src.bottom - c.bottom, src.bottom};
    int dx[4] = {dst.left, dst.left + c.left, dst.right - c.right, dst.right};
    int dy[4] = {dst.top, dst.top + c.top, dst.bottom - c.bottom, dst.bottom};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            int sw = sx[col + 1] - sx[col], sh = sy[row + 1] - sy[row];
            int dw = dx[col + 1] - dx[col], dh = dy[row + 1] - dy[row];
            if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) continue;
            g.DrawImage(image, Gdiplus::Rect(dx[col], dy[row], dw, dh), sx[col], sy[row], sw, sh,
                        Gdiplus::UnitPixel, &attrs);
        }
    }
}

void UIDrawText(HDC hdc, const RECT& rc, const std::wstring& text, DWORD argb, HFONT font,
                UINT format) {
    if (text.empty() || (argb >> 24) == 0) return;
    HGDIOBJ oldFont = font ? ::SelectObject(hdc, font) : nullptr;
    int oldMode = ::SetBkMode(hdc, TRANSPARENT);
    COLORREF oldColor =
        ::SetTextColor(hdc, RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF));
    RECT r = rc;
    ::DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &r, format | DT_NOPREFIX);
    ::SetTextColor(hdc, oldColor);
    ::SetBkMode(hdc, oldMode);
    if (oldFont) ::SelectObject(hdc, oldFont);
}
