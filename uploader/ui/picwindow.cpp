#include "uploader/ui/picwindow.h"

#include "common/window/ntmemdc.h"

namespace {

// The preview's fixed size; it does not follow the client size.
constexpr int kPreviewSide = 220;
constexpr Gdiplus::ARGB kFrameColour = 0xFFC6CFD8;

}  // namespace

RECT PreviewPlacement(int width, int height) {
    if (width <= 0 || height <= 0) return RECT{};
    int drawnWidth = kPreviewSide, drawnHeight = kPreviewSide;
    if (width < height)
        drawnWidth = MulDiv(kPreviewSide, width, height);
    else
        drawnHeight = MulDiv(kPreviewSide, height, width);
    int x = (kPreviewSide - drawnWidth) / 2, y = (kPreviewSide - drawnHeight) / 2;
    return RECT{x, y, x + drawnWidth, y + drawnHeight};
}

LRESULT CPicWindow::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_PAINT) {
        Paint();
        return 0;
    }
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void CPicWindow::SetImage(std::unique_ptr<Gdiplus::Image> image) {
    m_image = std::move(image);
    if (::IsWindow(m_hWnd)) ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CPicWindow::Paint() {
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    {
        CNTMemDC mem(hdc, client, 0xFFFFFF);
        if (mem.IsValid()) {
            Gdiplus::Graphics graphics(mem.GetSafeHdc());
            graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
            if (m_image) {
                RECT at = PreviewPlacement(static_cast<int>(m_image->GetWidth()),
                                           static_cast<int>(m_image->GetHeight()));
                graphics.DrawImage(m_image.get(), static_cast<INT>(at.left),
                                   static_cast<INT>(at.top), static_cast<INT>(at.right - at.left),
                                   static_cast<INT>(at.bottom - at.top));
            }
            // The outline's right and bottom lines run through the last pixel column and row;
            // drawn with the full client size they would fall outside the window.
            Gdiplus::Pen pen(Gdiplus::Color(kFrameColour), 1);
            graphics.DrawRectangle(&pen, 0, 0, static_cast<INT>(client.right - 1),
                                   static_cast<INT>(client.bottom - 1));
        }
    }
    ::EndPaint(m_hWnd, &ps);
}
