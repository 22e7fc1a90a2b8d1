#include "testfiles.h"

#include <winsock2.h>
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>
#include <vector>

#include "common/util/ntimage.h"

namespace {

struct FindCloser {
    void operator()(HANDLE h) const { FindClose(h); }
};

}  // namespace

bool WritePicture(const std::wstring& path, int width, int height, const wchar_t* type,
                  long quality) {
    Gdiplus::Bitmap bitmap(width, height, PixelFormat24bppRGB);
    {
        Gdiplus::Graphics g(&bitmap);
        Gdiplus::SolidBrush red(Gdiplus::Color(255, 200, 30, 30));
        Gdiplus::SolidBrush blue(Gdiplus::Color(255, 30, 30, 200));
        g.FillRectangle(&red, 0, 0, width, height);
        g.FillEllipse(&blue, width / 4, height / 4, width / 2 + 1, height / 2 + 1);
    }
    return NTSaveImageToFile(&bitmap, path.c_str(), type, quality) != 0;
}

bool WriteNoisePicture(const std::wstring& path, int width, int height) {
    Gdiplus::Bitmap bitmap(width, height, PixelFormat24bppRGB);
    Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData data;
    if (bitmap.LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat24bppRGB, &data) !=
        Gdiplus::Ok) {
        return false;
    }
    unsigned state = 12345;
    for (int y = 0; y < height; ++y) {
        auto* row = static_cast<unsigned char*>(data.Scan0) + y * data.Stride;
        for (int x = 0; x < width * 3; ++x) {
            state = state * 1103515245u + 12345u;
            row[x] = static_cast<unsigned char>(state >> 23);
        }
    }
    bitmap.UnlockBits(&data);
    return NTSaveImageToFile(&bitmap, path.c_str(), L"bmp", 0) != 0;
}

bool ReadJpegLayout(const std::string& bytes, JpegLayout& layout) {
    layout = JpegLayout();
    auto byte = [&](size_t i) {
        return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0;
    };
    // Segments follow the start marker FF D8 up to the start of the scan (FF DA).
    for (size_t i = 2; i + 4 <= bytes.size() && byte(i) == 0xFF && byte(i + 1) != 0xDA;) {
        unsigned marker = byte(i + 1);
        size_t length = byte(i + 2) << 8 | byte(i + 3);
        if (marker == 0xDB && layout.firstTable.empty() && (byte(i + 4) >> 4) == 0) {
            for (size_t k = 0; k < 64; ++k) layout.firstTable.push_back(byte(i + 5 + k));
        }
        if (marker >= 0xC0 && marker <= 0xC2) {
            layout.precision = byte(i + 4);
            layout.components = byte(i + 9);
        }
        i += 2 + length;
    }
    return layout.components != 0 && layout.firstTable.size() == 64;
}

std::vector<std::wstring> ListNames(const std::wstring& folder) {
    std::vector<std::wstring> out;
    WIN32_FIND_DATAW entry;
    HANDLE first = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (first == INVALID_HANDLE_VALUE) return out;
    std::unique_ptr<void, FindCloser> find(first);
    do {
        std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") out.push_back(name);
    } while (FindNextFileW(find.get(), &entry));
    return out;
}

void PictureSize(const std::wstring& path, int& width, int& height) {
    width = height = 0;
    std::unique_ptr<Gdiplus::Image> image(Gdiplus::Image::FromFile(path.c_str()));
    if (!image || image->GetLastStatus() != Gdiplus::Ok) return;
    width = static_cast<int>(image->GetWidth());
    height = static_cast<int>(image->GetHeight());
}
