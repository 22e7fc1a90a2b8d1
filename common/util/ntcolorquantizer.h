#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include "common/ntapi.h"

// Reduces a true-colour image to a 256-colour palette image for GIF saving (octree with
// interleaved reduction: the tree never holds more leaves than the palette has entries).
class NT_API CNTColorQuantizer {
public:
    CNTColorQuantizer() = default;
    virtual ~CNTColorQuantizer() = default;

    // New 8-bit indexed bitmap of the source's size, owned by the caller; null on failure.
    // A source that is not 24-bit RGB is first drawn into one, so transparency is lost.
    Gdiplus::Bitmap* Quantize(Gdiplus::Image* source);

    // Fills target (8-bit indexed, the source's size) from a 24-bit RGB source with at most
    // maxColors palette entries (8 to 256); false on any GDI+ failure or a maximum below 8.
    bool QuantizeBitmap(Gdiplus::Bitmap* source, Gdiplus::Bitmap* target, UINT maxColors);
};
