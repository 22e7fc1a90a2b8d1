#include "capture/objects/shapegeometry.h"

#include <algorithm>
#include <cmath>

#include "capture/objects/ccmtooltable.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
// Below this angle (degrees) the arrow counts as pointing right and is not rotated.
constexpr double kMinAngle = 1e-5;

}  // namespace

std::array<Gdiplus::PointF, 7> ArrowPolygon(Gdiplus::PointF start, Gdiplus::PointF tip,
                                            float headSize) {
    const double dx = tip.X - start.X, dy = tip.Y - start.Y;
    const double length = std::sqrt(dx * dx + dy * dy);
    const double h = std::min<double>(headSize, length * 0.5);
    double angle = std::atan2(dy, dx) * 180.0 / kPi;
    if (angle < 0) angle += 360.0;
    const bool rotate = angle > kMinAngle;
    // Built pointing right from the start, then turned back onto the real direction.
    const double tx = rotate ? start.X + length : tip.X;
    const double ty = rotate ? start.Y : tip.Y;
    const double a = h * 0.5;
    const double b = a - (h + 3) * 0.25;
    const double u = tx - h;
    const double xs[7] = {start.X, u, u, tx, u, u, start.X};
    const double ys[7] = {start.Y, ty - b, ty - a, ty, ty + a, ty + b, start.Y};
    const double radians = angle * kPi / 180.0;
    const double c = rotate ? std::cos(radians) : 1.0, s = rotate ? std::sin(radians) : 0.0;
    std::array<Gdiplus::PointF, 7> points;
    for (int i = 0; i < 7; ++i) {
        const double px = xs[i] - start.X, py = ys[i] - start.Y;
        points[i] = Gdiplus::PointF(static_cast<float>(start.X + px * c - py * s),
                                    static_cast<float>(start.Y + px * s + py * c));
    }
    return points;
}

Gdiplus::Rect MosaicBlockRect(const Gdiplus::Rect& pointBounds, int width, int blockSize) {
    const int n = MosaicBlockSize(blockSize);
    // The grid is anchored at a multiple of the block size at least one stroke width left of
    // and above the points; it reaches at least one stroke width beyond them on the right and
    // at the bottom, so the whole stroke, round ends included, lies on blocks.
    const int left = ((pointBounds.X - width) / n - 1) * n;
    const int top = ((pointBounds.Y - width) / n - 1) * n;
    const int right = pointBounds.X + pointBounds.Width + width;
    const int bottom = pointBounds.Y + pointBounds.Height + width;
    const int w = ((right - left) / n + 1) * n;
    const int h = ((bottom - top) / n + 1) * n;
    if (w <= 0 || h <= 0) return Gdiplus::Rect();
    return Gdiplus::Rect(left, top, w, h);
}

void Pixelate(BYTE* bits, int width, int height, int stride, int blockSize) {
    const int n = MosaicBlockSize(blockSize);
    for (int y = 0; y < height; y += n) {
        const int rows = std::min(n, height - y);
        for (int x = 0; x < width; x += n) {
            // Blocks cut by the right or bottom edge average the pixels they hold.
            const int cols = std::min(n, width - x);
            const long count = static_cast<long>(rows) * cols;
            long sum[3] = {0, 0, 0};
            for (int row = y; row < y + rows; ++row) {
                const BYTE* p = bits + static_cast<ptrdiff_t>(row) * stride + x * 3;
                for (int col = 0; col < cols; ++col, p += 3) {
                    sum[0] += p[0];
                    sum[1] += p[1];
                    sum[2] += p[2];
                }
            }
            const BYTE average[3] = {static_cast<BYTE>(sum[0] / count),
                                     static_cast<BYTE>(sum[1] / count),
                                     static_cast<BYTE>(sum[2] / count)};
            for (int row = y; row < y + rows; ++row) {
                BYTE* p = bits + static_cast<ptrdiff_t>(row) * stride + x * 3;
                for (int col = 0; col < cols; ++col, p += 3) {
                    p[0] = average[0];
                    p[1] = average[1];
                    p[2] = average[2];
                }
            }
        }
    }
}
