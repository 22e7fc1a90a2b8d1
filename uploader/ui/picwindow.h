#pragma once

#include <winsock2.h>  // before windows.h, as libcurl needs
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>
#include <string>

#include "common/skin/windowwnd.h"

// Where a width x height picture is drawn in the 220 x 220 preview: the longer side becomes
// 220, the other follows MulDiv, and the picture is centred (integer halves). Empty for a
// picture without size.
RECT PreviewPlacement(int width, int height);

// The picture at `path` as the preview shows it: read into memory (the file is closed again at
// once, so the user may rename, replace or delete it meanwhile), decoded, and scaled once to
// its size in the preview. Null when the file cannot be read, is larger than
// kMaxCompressedPhotoBytes, or GDI+ cannot load it.
std::unique_ptr<Gdiplus::Bitmap> LoadPreviewPicture(const std::wstring& path);

// The 220 x 220 photo preview, a child of the upload window. Owns the image it shows.
class CPicWindow : public CWindowWnd {
public:
    CPicWindow() = default;
    ~CPicWindow() override = default;

    const wchar_t* GetWindowClassName() const override { return L"CPicWindow"; }
    UINT GetClassStyle() const override { return CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

    // Shows image (or nothing for null), releasing the one held before. Painting draws it
    // fitted into the square; one from LoadPreviewPicture is drawn at its own size.
    void SetImage(std::unique_ptr<Gdiplus::Image> image);
    // The image shown, or null.
    Gdiplus::Image* Image() const { return m_image.get(); }

private:
    void Paint();

    std::unique_ptr<Gdiplus::Image> m_image;
};
