#include "uploader/service/compressphoto.h"

#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "common/util/ntimage.h"

namespace {

// Quality of the compressed photo the archive servers receive.
constexpr long kJpegQuality = 80;

std::wstring CompressedName(const std::wstring& source) {
    size_t dot = source.rfind(L'.');
    return (dot == std::wstring::npos ? source : source.substr(0, dot)) + L"_CompPic.jpg";
}

std::wstring InTempFolder(const std::wstring& path) {
    wchar_t temp[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) return std::wstring();
    size_t slash = path.find_last_of(L"\\/");
    return std::wstring(temp, length) +
           (slash == std::wstring::npos ? path : path.substr(slash + 1));
}

// Saves the JPEG at `path` after removing what an earlier attempt left there, so that a
// failed save never leaves an older photo to be taken for this one. A half-written file is
// removed as well.
bool SaveFresh(Gdiplus::Bitmap& bitmap, const std::wstring& path) {
    if (!DeleteFileW(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) return false;
    if (NTSaveImageToFile(&bitmap, path.c_str(), L"jpeg", kJpegQuality)) return true;
    DeleteFileW(path.c_str());
    return false;
}

}  // namespace

SIZE CompressedSize(int width, int height) {
    if (width < height) return SIZE{MulDiv(1000, width, height), 1000};
    return SIZE{1000, MulDiv(1000, height, width)};
}

int CompressPhoto(const std::wstring& source, std::wstring& compressed) {
    compressed.clear();
    std::unique_ptr<Gdiplus::Image> image(Gdiplus::Image::FromFile(source.c_str()));
    if (!image || image->GetLastStatus() != Gdiplus::Ok || image->GetFlags() == 0) return -1;

    SIZE size =
        CompressedSize(static_cast<int>(image->GetWidth()), static_cast<int>(image->GetHeight()));
    Gdiplus::Bitmap bitmap(size.cx, size.cy, PixelFormat24bppRGB);
    {
        Gdiplus::Graphics graphics(&bitmap);
        graphics.DrawImage(image.get(), 0, 0, size.cx, size.cy);
    }
    // The source stays open inside GDI+ until the image is released.
    image.reset();

    std::wstring target = CompressedName(source);
    if (SaveFresh(bitmap, target)) {
        compressed = target;
        return 0;
    }
    // The photo's folder may be read-only (a CD, a share): the temporary folder still lets
    // the upload go ahead instead of failing later on a missing file.
    std::wstring fallback = InTempFolder(target);
    if (!fallback.empty() && SaveFresh(bitmap, fallback)) {
        compressed = fallback;
        return 0;
    }
    return -1;
}
