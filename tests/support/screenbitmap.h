#pragma once

#include <windows.h>

#include <vector>

// A copy of a rectangle of the screen (screen coordinates), as the user sees it now.
class ScreenBitmap {
public:
    explicit ScreenBitmap(const RECT& screen);
    ~ScreenBitmap();
    ScreenBitmap(const ScreenBitmap&) = delete;
    ScreenBitmap& operator=(const ScreenBitmap&) = delete;

    // Null when the copy could not be made.
    HBITMAP Get() const { return m_bitmap; }

private:
    HBITMAP m_bitmap = nullptr;
};

// The layout of 32-bit 0xRRGGBB pixels in top-down rows, for GetDIBits and SetDIBitsToDevice.
BITMAPINFO TopDownPixelsInfo(SIZE size);
// The bitmap's size; 0 x 0 for no bitmap.
SIZE BitmapSize(HBITMAP bitmap);
// The whole bitmap as top-down 0xRRGGBB rows; empty for no bitmap.
std::vector<DWORD> BitmapPixels(HBITMAP bitmap);
