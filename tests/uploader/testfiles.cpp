#include "testfiles.h"

#include <winsock2.h>
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>
#include <vector>

#include "common/util/ntimage.h"

namespace {

// GDI+ saves JPEG at quality 75 when it is not told otherwise.
constexpr long kPictureQuality = 75;

struct FindCloser {
    void operator()(HANDLE h) const { FindClose(h); }
};

}  // namespace

bool WritePicture(const std::wstring& path, int width, int height, const wchar_t* type) {
    Gdiplus::Bitmap bitmap(width, height, PixelFormat24bppRGB);
    {
        Gdiplus::Graphics g(&bitmap);
        Gdiplus::SolidBrush red(Gdiplus::Color(255, 200, 30, 30));
        Gdiplus::SolidBrush blue(Gdiplus::Color(255, 30, 30, 200));
        g.FillRectangle(&red, 0, 0, width, height);
        g.FillEllipse(&blue, width / 4, height / 4, width / 2 + 1, height / 2 + 1);
    }
    return NTSaveImageToFile(&bitmap, path.c_str(), type, kPictureQuality) != 0;
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
