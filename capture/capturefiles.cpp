#include "capture/capturefiles.h"

#include <cwchar>
#include <cwctype>

namespace {

bool EndsWithNoCase(const std::wstring& text, const wchar_t* suffix) {
    size_t length = std::wcslen(suffix);
    if (text.size() < length) return false;
    for (size_t i = 0; i < length; ++i) {
        if (std::towlower(text[text.size() - length + i]) != suffix[i]) return false;
    }
    return true;
}

}  // namespace

const wchar_t* CMImageFormatForPath(const std::wstring& path) {
    if (EndsWithNoCase(path, L".png")) return L"png";
    // ".jpeg" is as much a JPEG name as ".jpg"; writing BMP bytes under it would give a file
    // that image viewers refuse.
    if (EndsWithNoCase(path, L".jpg") || EndsWithNoCase(path, L".jpeg")) return L"jpeg";
    return L"bmp";
}

std::wstring CMDefaultSaveName(const SYSTEMTIME& t) {
    wchar_t name[64];
    std::swprintf(name, 64, L"IME截图%04d%02d%02d%02d%02d%02d", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond);
    return name;
}

std::wstring CMSaveFolderOf(const std::wstring& path) {
    size_t slash = path.rfind(L'\\');
    return (slash == std::wstring::npos ? path : path.substr(0, slash)) + L"\\";
}
