#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <array>

// The arrow from start to tip as a closed seven-point polygon: a shaft that narrows to a point at
// the start and a head headSize long (at most half the arrow's length) and headSize wide.
std::array<Gdiplus::PointF, 7> ArrowPolygon(Gdiplus::PointF start, Gdiplus::PointF tip,
                                            float headSize);

// The rectangle a mosaic stroke of that width over points with these bounds pixelates, aligned
// to whole blocks (and one block beyond). Empty (width or height 0) when there is nothing to do.
// A block size below 1 is taken as the default.
Gdiplus::Rect MosaicBlockRect(const Gdiplus::Rect& pointBounds, int width, int blockSize);

// Replaces every whole blockSize x blockSize block of a 24-bit picture (rows of stride bytes,
// blue-green-red) by its average colour. Blocks that would reach the right or bottom edge stay
// as they are. A block size below 1 is taken as the default.
void Pixelate(BYTE* bits, int width, int height, int stride, int blockSize);
