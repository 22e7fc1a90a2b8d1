#include "uploader/ui/picwindow.h"

#include "common/window/ntmemdc.h"
#include "uploader/service/filehandle.h"
#include "uploader/service/uploadworker.h"

namespace {

// The preview's fixed size; it does not follow the client size.
constexpr int kPreviewSide = 220;
constexpr Gdiplus::ARGB kFrameColour = 0xFFC6CFD8;

struct StreamReleaser {
    void operator()(IStream* stream) const { stream->Release(); }
};
using StreamHandle = std::unique_ptr<IStream, StreamReleaser>;

// The whole file in a memory stream; null when it cannot be read, is larger than the
// compressed-photo cap (read on the UI thread, a huge file would freeze the window and could
// exhaust the process), or the memory is not there.
StreamHandle ReadIntoMemory(const std::wstring& path) {
    CFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file.IsValid() || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 ||
        size.QuadPart > static_cast<LONGLONG>(kMaxCompressedPhotoBytes)) {
        return nullptr;
    }
    DWORD length = static_cast<DWORD>(size.QuadPart);
    // Global memory, so that a picture too large for the process fails here instead of
    // throwing; the stream owns it from its creation on.
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, length);
    if (!memory) return nullptr;
    IStream* raw = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, &raw))) {
        ::GlobalFree(memory);
        return nullptr;
    }
    StreamHandle stream(raw);
    auto* bytes = static_cast<char*>(::GlobalLock(memory));
    DWORD total = 0, done = 0;
    while (bytes && total < length &&
           ::ReadFile(file.Get(), bytes + total, length - total, &done, nullptr) && done > 0) {
        total += done;
    }
    if (bytes) ::GlobalUnlock(memory);
    if (total != length) return nullptr;
    return stream;
}

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

std::unique_ptr<Gdiplus::Bitmap> LoadPreviewPicture(const std::wstring& path) {
    StreamHandle stream = ReadIntoMemory(path);
    if (!stream) return nullptr;
    Gdiplus::Image picture(stream.get());
    if (picture.GetLastStatus() != Gdiplus::Ok || picture.GetFlags() == 0) return nullptr;
    int width = static_cast<int>(picture.GetWidth());
    int height = static_cast<int>(picture.GetHeight());
    RECT at = PreviewPlacement(width, height);
    if (::IsRectEmpty(&at)) return nullptr;

    auto copy = std::make_unique<Gdiplus::Bitmap>(static_cast<INT>(at.right - at.left),
                                                  static_cast<INT>(at.bottom - at.top),
                                                  PixelFormat32bppPARGB);
    if (copy->GetLastStatus() != Gdiplus::Ok) return nullptr;
    Gdiplus::Graphics graphics(copy.get());
    // Scaled once, so the best filter costs nothing at repaints; the mirrored edges keep the
    // filter from fading the border into transparency.
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    Gdiplus::ImageAttributes edges;
    edges.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    Gdiplus::Status drawn =
        graphics.DrawImage(&picture, Gdiplus::Rect(0, 0, at.right - at.left, at.bottom - at.top), 0,
                           0, width, height, Gdiplus::UnitPixel, &edges);
    if (drawn != Gdiplus::Ok) return nullptr;
    return copy;
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
