// Quantizes a 3840x2160 screenshot-like picture and compares the rate with merely locking and
// reading every pixel of the same bitmap (the memory-read limit).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "common/util/ntcolorquantizer.h"
#include "common/util/ntimage.h"
#include "common/util/ntsystem.h"

namespace {

constexpr int kWidth = 3840, kHeight = 2160, kRounds = 5;

// Desktop-like content: flat window backgrounds and title bars, rows of small text-like glyphs
// in a few colours, a gradient panel and, with `photo`, a noisy photo-like region (a quarter of
// the picture) instead of a flat one.
std::unique_ptr<Gdiplus::Bitmap> MakeScreenshot(bool photo) {
    auto bitmap = std::make_unique<Gdiplus::Bitmap>(kWidth, kHeight, PixelFormat24bppRGB);
    Gdiplus::Rect all(0, 0, kWidth, kHeight);
    Gdiplus::BitmapData data;
    bitmap->LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat24bppRGB, &data);
    unsigned seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    for (int y = 0; y < kHeight; ++y) {
        BYTE* row = static_cast<BYTE*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
        for (int x = 0; x < kWidth; ++x) {
            BYTE r, g, b;
            if (y < 40) {  // task bar
                r = 32, g = 40, b = 56;
            } else if (x < 1900 && y % 400 < 30) {  // title bars
                r = 0, g = 120, b = 215;
            } else if (x < 1900) {  // text on white: glyph-like strokes every line
                bool ink = (y % 20) < 12 && (x % 9) < 5 && ((x / 9 + y / 20) % 7) != 0 &&
                           ((x * 7 + y * 3) % 11) < 4;
                r = g = b = ink ? static_cast<BYTE>(20 + (x + y) % 3 * 40) : 255;
            } else if (y < 1200) {  // gradient panel
                r = static_cast<BYTE>(x * 255 / kWidth), g = static_cast<BYTE>(y * 255 / 1200);
                b = 160;
            } else if (!photo) {  // flat panel
                r = g = b = 200;
            } else {  // photo-like region
                unsigned n = next();
                r = static_cast<BYTE>((x / 4 + (n & 15)) & 0xFF);
                g = static_cast<BYTE>((y / 3 + (n >> 4 & 15)) & 0xFF);
                b = static_cast<BYTE>(((x + y) / 8 + (n >> 8 & 15)) & 0xFF);
            }
            row[3 * x] = b, row[3 * x + 1] = g, row[3 * x + 2] = r;
        }
    }
    bitmap->UnlockBits(&data);
    return bitmap;
}

// Locks the bitmap for reading and sums every byte; the sum keeps the reads from vanishing.
unsigned ReadAll(Gdiplus::Bitmap& bitmap) {
    Gdiplus::Rect all(0, 0, kWidth, kHeight);
    Gdiplus::BitmapData data;
    bitmap.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat24bppRGB, &data);
    unsigned sum = 0;
    for (int y = 0; y < kHeight; ++y) {
        const BYTE* row =
            static_cast<const BYTE*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
        for (int i = 0; i < 3 * kWidth; ++i) sum += row[i];
    }
    bitmap.UnlockBits(&data);
    return sum;
}

// Creates the 8-bit result a quantization returns and writes every pixel once: a new bitmap's
// memory is fresh, and touching it first costs far more than reading memory already in use.
double NewResultTime() {
    ULONGLONG start = NTGetTime();
    Gdiplus::Bitmap result(kWidth, kHeight, PixelFormat8bppIndexed);
    Gdiplus::Rect all(0, 0, kWidth, kHeight);
    Gdiplus::BitmapData data;
    if (result.LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat8bppIndexed, &data) ==
        Gdiplus::Ok) {
        for (int y = 0; y < kHeight; ++y)
            std::memset(static_cast<BYTE*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride,
                        y & 0xFF, kWidth);
        result.UnlockBits(&data);
    }
    return double(NTGetTime() - start) / 1e6;
}

void Measure(const char* name, bool photo) {
    auto source = MakeScreenshot(photo);
    const double mpixels = double(kWidth) * kHeight / 1e6;
    double bestRead = 1e30, bestQuantize = 1e30;
    unsigned checksum = 0;
    for (int i = 0; i < kRounds; ++i) {
        ULONGLONG start = NTGetTime();
        checksum += ReadAll(*source);
        bestRead = std::min(bestRead, double(NTGetTime() - start) / 1e6);
    }
    double bestNew = 1e30;
    for (int i = 0; i < kRounds; ++i) bestNew = std::min(bestNew, NewResultTime());
    INT paletteBytes = 0;
    for (int i = 0; i < kRounds; ++i) {
        ULONGLONG start = NTGetTime();
        std::unique_ptr<Gdiplus::Bitmap> result(CNTColorQuantizer().Quantize(source.get()));
        bestQuantize = std::min(bestQuantize, double(NTGetTime() - start) / 1e6);
        if (!result) {
            std::printf("%s: quantize failed\n", name);
            return;
        }
        paletteBytes = result->GetPaletteSize();
    }
    UINT colours =
        static_cast<UINT>(paletteBytes - sizeof(Gdiplus::ColorPalette)) / sizeof(Gdiplus::ARGB) + 1;
    std::printf("%s: %dx%d (%.1f Mpixel, checksum %u), best of %d\n", name, kWidth, kHeight,
                mpixels, checksum, kRounds);
    std::printf("  lock+read        %8.1f ms  %8.1f Mpixel/s\n", bestRead * 1e3,
                mpixels / bestRead);
    std::printf("  quantize         %8.1f ms  %8.1f Mpixel/s  (%u colours)\n", bestQuantize * 1e3,
                mpixels / bestQuantize, colours);
    std::printf("  new 8-bit result %8.1f ms  (allocate and write once)\n", bestNew * 1e3);
    std::printf("  quantize / read  %8.2fx\n", bestQuantize / bestRead);
    std::printf("  quantize / (read + new result) %6.2fx\n", bestQuantize / (bestRead + bestNew));
}

}  // namespace

int main() {
    NTInitializeGdiplus();
    Measure("desktop", false);
    Measure("desktop with photo", true);
    NTUninitializeGdiplus();
    return 0;
}
