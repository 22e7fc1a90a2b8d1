#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "common/util/ntcolorquantizer.h"
#include "common/util/ntimage.h"
#include "testdir.h"

namespace {

using Gdiplus::ARGB;
using Gdiplus::Bitmap;

// A 24-bit bitmap from rows of colours (0xRRGGBB), all rows of equal length.
std::unique_ptr<Bitmap> Make24(const std::vector<std::vector<uint32_t>>& rows) {
    auto bitmap = std::make_unique<Bitmap>(static_cast<INT>(rows[0].size()),
                                           static_cast<INT>(rows.size()), PixelFormat24bppRGB);
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            bitmap->SetPixel(static_cast<INT>(x), static_cast<INT>(y),
                             Gdiplus::Color(0xFF000000u | rows[y][x]));
    return bitmap;
}

std::vector<uint32_t> Row(std::initializer_list<std::pair<uint32_t, int>> runs) {
    std::vector<uint32_t> row;
    for (auto& run : runs) row.insert(row.end(), run.second, run.first);
    return row;
}

std::vector<ARGB> PaletteOf(Bitmap& bitmap) {
    INT size = bitmap.GetPaletteSize();
    std::vector<BYTE> bytes(size > 0 ? size : sizeof(Gdiplus::ColorPalette));
    auto* palette = reinterpret_cast<Gdiplus::ColorPalette*>(bytes.data());
    if (size <= 0 || bitmap.GetPalette(palette, size) != Gdiplus::Ok) return {};
    return std::vector<ARGB>(palette->Entries, palette->Entries + palette->Count);
}

std::vector<BYTE> IndicesOf(Bitmap& bitmap) {
    Gdiplus::Rect rc(0, 0, bitmap.GetWidth(), bitmap.GetHeight());
    Gdiplus::BitmapData data;
    std::vector<BYTE> out;
    if (bitmap.LockBits(&rc, Gdiplus::ImageLockModeRead, PixelFormat8bppIndexed, &data) !=
        Gdiplus::Ok)
        return out;
    for (UINT y = 0; y < data.Height; ++y) {
        const BYTE* row = static_cast<const BYTE*>(data.Scan0) + static_cast<INT>(y) * data.Stride;
        out.insert(out.end(), row, row + data.Width);
    }
    bitmap.UnlockBits(&data);
    return out;
}

// Octant colours: 0x40 or 0xC0 per channel by the bits of k (red 4, green 2, blue 1).
uint32_t Octant(int k) {
    return ((k & 4) ? 0xC00000u : 0x400000u) | ((k & 2) ? 0xC000u : 0x4000u) |
           ((k & 1) ? 0xC0u : 0x40u);
}

TEST(QuantizerTest, UpTo256DistinctColoursAreKeptExactly) {
    std::vector<std::vector<uint32_t>> rows(16, std::vector<uint32_t>(16));
    for (int i = 0; i < 256; ++i)
        rows[i / 16][i % 16] = (uint32_t((i & 15) << 4) << 16) | (uint32_t(i & 0xF0) << 8) | 0x82;
    auto source = Make24(rows);
    std::unique_ptr<Bitmap> result(CNTColorQuantizer().Quantize(source.get()));
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->GetPixelFormat(), PixelFormat8bppIndexed);
    std::vector<ARGB> palette = PaletteOf(*result);
    ASSERT_EQ(palette.size(), 256u);
    std::vector<BYTE> indices = IndicesOf(*result);
    ASSERT_EQ(indices.size(), 256u);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(palette[indices[i]], 0xFF000000u | rows[i / 16][i % 16]) << i;
}

TEST(QuantizerTest, SingleColourGivesOneEntryAndIndexZero) {
    auto source = Make24(std::vector<std::vector<uint32_t>>(3, Row({{0x123456, 5}})));
    std::unique_ptr<Bitmap> result(CNTColorQuantizer().Quantize(source.get()));
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(PaletteOf(*result), std::vector<ARGB>{0xFF123456u});
    EXPECT_EQ(IndicesOf(*result), std::vector<BYTE>(15, 0));
}

TEST(QuantizerTest, AlphaIsFlattenedByDrawing) {
    Bitmap source(2, 1, PixelFormat32bppARGB);
    source.SetPixel(0, 0, Gdiplus::Color(255, 0, 0, 255));
    source.SetPixel(1, 0, Gdiplus::Color(0, 255, 255, 255));
    std::unique_ptr<Bitmap> result(CNTColorQuantizer().Quantize(&source));
    ASSERT_NE(result, nullptr);
    std::vector<ARGB> palette = PaletteOf(*result);
    std::vector<BYTE> indices = IndicesOf(*result);
    ASSERT_EQ(indices.size(), 2u);
    ASSERT_EQ(palette.size(), 2u);
    EXPECT_EQ(palette[indices[0]], 0xFF0000FFu);
    EXPECT_EQ(palette[indices[1]], 0xFF000000u);
}

// Eight leaves fill an 8-entry palette; the ninth colour forces a reduction. The deepest
// reducible nodes go first, the one with the fewest pixels among them before the others.
TEST(QuantizerTest, ReductionMergesTheDeepestSmallestNodeFirst) {
    const uint32_t p = 0x404040, p2 = 0x424040;  // octant 0, differ in bit 1 of red
    const uint32_t q = 0x4040C0, q2 = 0x4240C0;  // octant 1, likewise
    auto source = Make24({
        Row({{p, 10}}),
        Row({{p2, 10}}),
        Row({{q, 3}, {q2, 3}, {Octant(2), 4}}),
        Row({{Octant(2), 10}}),
        Row({{Octant(3), 10}}),
        Row({{Octant(4), 10}}),
        Row({{Octant(5), 10}}),
        Row({{Octant(6), 10}}),
    });
    Bitmap target(10, 8, PixelFormat8bppIndexed);
    ASSERT_TRUE(CNTColorQuantizer().QuantizeBitmap(source.get(), &target, 8));
    std::vector<ARGB> expected = {0xFF404040u,
                                  0xFF424040u,
                                  0xFF4140C0u,
                                  0xFF000000u | Octant(2),
                                  0xFF000000u | Octant(3),
                                  0xFF000000u | Octant(4),
                                  0xFF000000u | Octant(5),
                                  0xFF000000u | Octant(6)};
    EXPECT_EQ(PaletteOf(target), expected);
    std::vector<BYTE> indices = IndicesOf(target);
    ASSERT_EQ(indices.size(), 80u);
    EXPECT_EQ(indices[0], 0);
    EXPECT_EQ(indices[10], 1);
    EXPECT_EQ(indices[20], 2);
    EXPECT_EQ(indices[25], 2);
    EXPECT_EQ(indices[79], 7);
}

TEST(QuantizerTest, ManyColoursStayWithinThePaletteAndClose) {
    std::vector<std::vector<uint32_t>> rows(64, std::vector<uint32_t>(64));
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            rows[y][x] = (uint32_t(x * 4) << 16) | (uint32_t(y * 4) << 8) | uint32_t((x ^ y) * 4);
    auto source = Make24(rows);
    std::unique_ptr<Bitmap> result(CNTColorQuantizer().Quantize(source.get()));
    ASSERT_NE(result, nullptr);
    std::vector<ARGB> palette = PaletteOf(*result);
    ASSERT_GE(palette.size(), 8u);
    ASSERT_LE(palette.size(), 256u);
    std::vector<BYTE> indices = IndicesOf(*result);
    int worst = 0;
    for (int i = 0; i < 64 * 64; ++i) {
        ASSERT_LT(indices[i], palette.size());
        uint32_t want = rows[i / 64][i % 64], got = palette[indices[i]];
        for (int shift = 0; shift < 24; shift += 8) {
            int d = int((want >> shift) & 0xFF) - int((got >> shift) & 0xFF);
            worst = std::max(worst, d < 0 ? -d : d);
        }
    }
    EXPECT_LE(worst, 64);
}

TEST(QuantizerTest, RefusesBadArguments) {
    auto source = Make24({Row({{0x010203, 4}})});
    Bitmap target(4, 1, PixelFormat8bppIndexed);
    CNTColorQuantizer quantizer;
    EXPECT_FALSE(quantizer.QuantizeBitmap(source.get(), &target, 7));
    EXPECT_FALSE(quantizer.QuantizeBitmap(source.get(), &target, 257));
    EXPECT_FALSE(quantizer.QuantizeBitmap(nullptr, &target, 256));
    Bitmap wrongSize(3, 1, PixelFormat8bppIndexed);
    EXPECT_FALSE(quantizer.QuantizeBitmap(source.get(), &wrongSize, 256));
    EXPECT_TRUE(quantizer.QuantizeBitmap(source.get(), &target, 8));
    EXPECT_EQ(quantizer.Quantize(nullptr), nullptr);
}

TEST(QuantizerTest, GifSavedAndReloadedHasTheExpectedPalette) {
    TestDir dir(L"ntgif");
    auto source =
        Make24({Row({{0xFF0000, 3}, {0x00FF00, 3}}), Row({{0x0000FF, 2}, {0xFFFFFF, 4}})});
    std::wstring path = dir / L"p.gif";
    ASSERT_TRUE(NTSaveImageToFile(source.get(), path.c_str(), L"gif", 0));
    Bitmap loaded(path.c_str());
    ASSERT_EQ(loaded.GetLastStatus(), Gdiplus::Ok);
    std::vector<ARGB> palette = PaletteOf(loaded);
    ASSERT_GE(palette.size(), 4u);
    // Depth-first order of the octree leaves: blue (001), green (010), red (100), white (111).
    EXPECT_EQ(std::vector<ARGB>(palette.begin(), palette.begin() + 4),
              (std::vector<ARGB>{0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u, 0xFFFFFFFFu}));
    std::vector<BYTE> indices = IndicesOf(loaded);
    EXPECT_EQ(indices, (std::vector<BYTE>{2, 2, 2, 1, 1, 1, 0, 0, 3, 3, 3, 3}));
}

}  // namespace
