// Built with NT_MEMDC_FIXED_FILL as glimter is: the fill colour argument is ignored.
#include <gtest/gtest.h>

#include "common/window/ntmemdc.h"

namespace {

TEST(FixedFillMemDCTest, AlwaysFillsWithTheDeliverablesColour) {
    HDC target = ::CreateCompatibleDC(nullptr);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = 8;
    bi.bmiHeader.biHeight = 8;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    HBITMAP bitmap = ::CreateDIBSection(target, &bi, DIB_RGB_COLORS, nullptr, nullptr, 0);
    HGDIOBJ old = ::SelectObject(target, bitmap);
    const COLORREF asked[] = {RGB(1, 2, 3), CLR_INVALID};
    for (COLORREF colour : asked) {
        { CNTMemDC mem(target, RECT{0, 0, 8, 8}, colour); }
        EXPECT_EQ(::GetPixel(target, 3, 3), static_cast<COLORREF>(NT_MEMDC_FIXED_FILL));
    }
    ::SelectObject(target, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(target);
}

}  // namespace
