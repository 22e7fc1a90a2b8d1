// Quantizes a 3840x2160 screenshot-like picture and compares the rate with merely locking and
// reading every pixel of the same bitmap (the memory-read limit).
#include <windows.h>

#include <cstdio>
#include <memory>

#include "common/util/ntcolorquantizer.h"
#include "common/util/ntimage.h"
#include "common/util/ntsystem.h"

namespace {

constexpr int kWidth = 3840, kHeight = 2160, kRounds = 5;

// Desktop-like content: flat window backgrounds and title bars, rows of small text-like glyph
// noise in a few colours, an anti-aliased gradient panel and a photo-like noisy region.
std::unique_ptr<Gdiplus::Bitmap> MakeScreenshot() {
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

}  // namespace

int main() {
    NTInitializeGdiplus();
    {
        auto source = MakeScreenshot();
        const double mpixels = double(kWidth) * kHeight / 1e6;

        double bestRead = 1e30;
        unsigned checksum = 0;
        for (int i = 0; i < kRounds; ++i) {
            ULONGLONG start = NTGetTime();
            checksum += ReadAll(*source);
            bestRead = std::min(bestRead, double(NTGetTime() - start) / 1e6);
        }

        double bestQuantize = 1e30;
        UINT colours = 0;
        for (int i = 0; i < kRounds; ++i) {
            ULONGLONG start = NTGetTime();
            std::unique_ptr<Gdiplus::Bitmap> result(CNTColorQuantizer().Quantize(source.get()));
            bestQuantize = std::min(bestQuantize, double(NTGetTime() - start) / 1e6);
            if (!result) {
                std::printf("quantize failed\n");
                return 1;
            }
            colours = static_cast<UINT>(result->GetPaletteSize() - sizeof(Gdiplus::ColorPalette)) /
                          sizeof(Gdiplus::ARGB) +
                      1;
        }

        std::printf("image            %dx%d (%.1f Mpixel), checksum %u\n", kWidth, kHeight, mpixels,
                    checksum);
        std::printf("lock+read        %8.1f ms  %8.1f Mpixel/s\n", bestRead * 1e3,
                    mpixels / bestRead);
        std::printf("quantize         %8.1f ms  %8.1f Mpixel/s  (%u colours)\n", bestQuantize * 1e3,
                    mpixels / bestQuantize, colours);
        std::printf("quantize / read  %8.2fx\n", bestQuantize / bestRead);
    }
    NTUninitializeGdiplus();
    return 0;
}
