#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/util/ntimage.h"
#include "testdir.h"

namespace {

using Gdiplus::Bitmap;
using Gdiplus::Color;

std::unique_ptr<Bitmap> FourPixels() {
    auto bitmap = std::make_unique<Bitmap>(2, 2, PixelFormat24bppRGB);
    bitmap->SetPixel(0, 0, Color(255, 0, 0));
    bitmap->SetPixel(1, 0, Color(0, 255, 0));
    bitmap->SetPixel(0, 1, Color(0, 0, 255));
    bitmap->SetPixel(1, 1, Color(255, 255, 255));
    return bitmap;
}

Gdiplus::ARGB PixelAt(Gdiplus::Bitmap& bitmap, int x, int y) {
    Color c;
    bitmap.GetPixel(x, y, &c);
    return c.GetValue();
}

TEST(BitmapHeaderTest, SizeByBitCountAndCompression) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biBitCount = 8;
    EXPECT_EQ(NTGetBitmapHeaderSize(&info), 1064);
    info.bmiHeader.biBitCount = 24;
    EXPECT_EQ(NTGetBitmapHeaderSize(&info), 40);
    info.bmiHeader.biBitCount = 16;
    EXPECT_EQ(NTGetBitmapHeaderSize(&info), 40);
    info.bmiHeader.biCompression = BI_BITFIELDS;
    EXPECT_EQ(NTGetBitmapHeaderSize(&info), 52);
    info.bmiHeader.biBitCount = 32;
    EXPECT_EQ(NTGetBitmapHeaderSize(&info), 40);
    info.bmiHeader.biBitCount = 4;
    info.bmiHeader.biCompression = BI_RGB;
    EXPECT_EQ(NTGetBitmapHeaderSize(&info), 40);
    EXPECT_EQ(NTGetBitmapHeaderSize(nullptr), 0);
}

TEST(ResourceImageTest, DecodesAnEmbeddedPng) {
    std::unique_ptr<Gdiplus::Image> image(
        NTLoadImageFromResource(101, RT_RCDATA, ::GetModuleHandleW(nullptr)));
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->GetWidth(), 2u);
    ASSERT_EQ(image->GetHeight(), 2u);
    // Drawn into a bitmap so that the stream is read after the loader has returned.
    Bitmap copy(2, 2, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics g(&copy);
        ASSERT_EQ(g.DrawImage(image.get(), 0, 0, 2, 2), Gdiplus::Ok);
    }
    EXPECT_EQ(PixelAt(copy, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(PixelAt(copy, 1, 0), 0xFF00FF00u);
    EXPECT_EQ(PixelAt(copy, 0, 1), 0xFF0000FFu);
    EXPECT_EQ(PixelAt(copy, 1, 1), 0xFFFFFFFFu);
}

TEST(ResourceImageTest, MissingOrUndecodableResourceGivesNull) {
    HMODULE self = ::GetModuleHandleW(nullptr);
    EXPECT_EQ(NTLoadImageFromResource(999, RT_RCDATA, self), nullptr);
    EXPECT_EQ(NTLoadImageFromResource(102, RT_RCDATA, self), nullptr);
    EXPECT_EQ(NTLoadImageFromResource(101, RT_BITMAP, self), nullptr);
    EXPECT_EQ(NTLoadImageFromResource(101, nullptr, self), nullptr);
}

TEST(SaveImageTest, PngInAnyCaseRoundTripsExactly) {
    TestDir dir(L"ntsave-png");
    auto bitmap = FourPixels();
    std::wstring path = dir / L"out.png";
    ASSERT_TRUE(NTSaveImageToFile(bitmap.get(), path.c_str(), L"PNG", 0));
    EXPECT_EQ(ReadFileBytes(path).substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    Bitmap loaded(path.c_str());
    ASSERT_EQ(loaded.GetLastStatus(), Gdiplus::Ok);
    EXPECT_EQ(PixelAt(loaded, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(PixelAt(loaded, 1, 1), 0xFFFFFFFFu);
}

TEST(SaveImageTest, JpegAndBmpUseTheirEncoders) {
    TestDir dir(L"ntsave-jpeg");
    auto bitmap = FourPixels();
    ASSERT_TRUE(NTSaveImageToFile(bitmap.get(), (dir / L"q.jpg").c_str(), L"jpeg", 90));
    EXPECT_EQ(ReadFileBytes(dir / L"q.jpg").substr(0, 3), "\xFF\xD8\xFF");
    ASSERT_TRUE(NTSaveImageToFile(bitmap.get(), (dir / L"b.bmp").c_str(), L"bmp", 0));
    EXPECT_EQ(ReadFileBytes(dir / L"b.bmp").substr(0, 2), "BM");
}

TEST(SaveImageTest, UnknownTypesAndBadArgumentsFail) {
    TestDir dir(L"ntsave-bad");
    auto bitmap = FourPixels();
    EXPECT_FALSE(NTSaveImageToFile(bitmap.get(), (dir / L"a.jpg").c_str(), L"jpg", 90));
    EXPECT_FALSE(NTSaveImageToFile(bitmap.get(), (dir / L"a.x").c_str(), L"", 0));
    EXPECT_FALSE(NTSaveImageToFile(bitmap.get(), (dir / L"a.x").c_str(), nullptr, 0));
    EXPECT_FALSE(NTSaveImageToFile(nullptr, (dir / L"a.png").c_str(), L"png", 0));
    EXPECT_FALSE(NTSaveImageToFile(bitmap.get(), L"", L"png", 0));
    EXPECT_FALSE(NTSaveImageToFile(bitmap.get(), (dir / L"no\\such\\a.png").c_str(), L"png", 0));
    EXPECT_FALSE(NTSaveImageToFile(bitmap.get(), (dir / L"a.emf").c_str(), L"emf", 0));
    EXPECT_EQ(::GetFileAttributesW((dir / L"a.emf").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(SaveImageTest, GifKeepsAFewColoursExactly) {
    TestDir dir(L"ntsave-gif");
    auto bitmap = FourPixels();
    std::wstring path = dir / L"four.gif";
    ASSERT_TRUE(NTSaveImageToFile(bitmap.get(), path.c_str(), L"Gif", 0));
    EXPECT_EQ(ReadFileBytes(path).substr(0, 4), "GIF8");
    Bitmap loaded(path.c_str());
    ASSERT_EQ(loaded.GetLastStatus(), Gdiplus::Ok);
    EXPECT_EQ(loaded.GetPixelFormat(), PixelFormat8bppIndexed);
    EXPECT_EQ(PixelAt(loaded, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(PixelAt(loaded, 1, 0), 0xFF00FF00u);
    EXPECT_EQ(PixelAt(loaded, 0, 1), 0xFF0000FFu);
    EXPECT_EQ(PixelAt(loaded, 1, 1), 0xFFFFFFFFu);
}

TEST(SaveImageTest, EmfWritesTheMetafileBits) {
    TestDir dir(L"ntsave-emf");
    HDC recorder = ::CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(recorder, nullptr);
    ::Rectangle(recorder, 0, 0, 40, 30);
    HENHMETAFILE hemf = ::CloseEnhMetaFile(recorder);
    UINT expected = ::GetEnhMetaFileBits(hemf, 0, nullptr);
    Gdiplus::Metafile metafile(hemf, TRUE);
    ASSERT_EQ(metafile.GetLastStatus(), Gdiplus::Ok);
    std::wstring path = dir / L"pic.emf";
    ASSERT_TRUE(NTSaveImageToFile(&metafile, path.c_str(), L"EMF", 0));
    std::string bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), expected);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x01\0\0\0", 4));
    EXPECT_EQ(bytes.substr(40, 4), " EMF");
}

TEST(SystemFontTest, CreatedOnceWithHeightMinus12) {
    HFONT font = NTGetSystemFont();
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(NTGetSystemFont(), font);
    LOGFONTW lf = {};
    ASSERT_EQ(::GetObjectW(font, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
    EXPECT_EQ(lf.lfHeight, -12);
}

}  // namespace
