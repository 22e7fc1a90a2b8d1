#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "capture/ccmdocument.h"
#include "capture/objects/ccmdrawobj.h"

// The blue, green and red bytes of the test screen at a screen point: a pattern that differs
// from pixel to pixel, so averages and copies can be told apart.
void PatternPixel(int x, int y, BYTE bgr[3]);

// A capture without a window: a patterned "screen", a selection and an annotation list. It
// composes pictures the way the capture window does, so objects can be drawn and checked by pixel.
class ObjectTestSite : public ICMDocumentSite {
public:
    ObjectTestSite() : document(this) {}

    HWND GetSiteWindow() const override { return nullptr; }
    RECT GetScreenRect() const override { return RECT{0, 0, 400, 300}; }
    RECT GetSelectionRect() const override { return selection; }
    void InvalidateScreenRect(const RECT& rc) override { invalidated.push_back(rc); }
    CMBitmapPtr ComposeImage(const RECT& rc, bool allObjects, const CCMDrawObj* stop) override;

    // Composes the selection with every object; false when that fails.
    bool ComposeSelection();
    // The composed selection's pixel at a screen point, as 0xRRGGBB.
    DWORD Pixel(int x, int y) const;

    RECT selection{0, 0, 400, 300};
    std::vector<RECT> invalidated;
    std::vector<std::unique_ptr<CCMDrawObj>> objects;
    CCMDocument document;

private:
    std::vector<BYTE> m_picture;  // top-down rows of the last composed selection, 3 bytes a pixel
};
