#pragma once

#include <winsock2.h>  // before windows.h, as libcurl needs
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "common/skin/windowwnd.h"

// Where a width x height picture is drawn in the 220 x 220 preview: the longer side becomes
// 220, the other follows MulDiv, and the picture is centred (integer halves). Empty for a
// picture without size.
RECT PreviewPlacement(int width, int height);

// The 220 x 220 photo preview, a child of the upload window. Owns the image it shows.
class CPicWindow : public CWindowWnd {
public:
    CPicWindow() = default;
    ~CPicWindow() override = default;

    const wchar_t* GetWindowClassName() const override { return L"CPicWindow"; }
    UINT GetClassStyle() const override { return CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

    // Shows image (or nothing for null), releasing the one held before.
    void SetImage(std::unique_ptr<Gdiplus::Image> image);
    bool HasImage() const { return m_image != nullptr; }

private:
    void Paint();

    std::unique_ptr<Gdiplus::Image> m_image;
};
