#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <array>

// The arrow from start to tip as a closed seven-point polygon: a shaft that narrows to a point at
// the start and a head headSize long (at most half the arrow's length) and headSize wide.
std::array<Gdiplus::PointF, 7> ArrowPolygon(Gdiplus::PointF start, Gdiplus::PointF tip,
                                            float headSize);

// The rectangle a mosaic stroke of that width over points with these bounds pixelates: whole
// blocks from a multiple of the block size, reaching more than a stroke width past the points
// on every side. Empty (width or height 0) when there is nothing to do. A block size below 1 is
// taken as the default.
Gdiplus::Rect MosaicBlockRect(const Gdiplus::Rect& pointBounds, int width, int blockSize);

// Replaces every blockSize x blockSize block of a 24-bit picture (rows of stride bytes,
// blue-green-red), counted from its top-left corner, by its average colour; the blocks cut by
// the right and bottom edges average the pixels they hold, so no pixel keeps its own colour.
// A block size below 1 is taken as the default.
void Pixelate(BYTE* bits, int width, int height, int stride, int blockSize);
