#include "uploader/service/textconv.h"

#include <winsock2.h>  // before windows.h, as libcurl needs
#include <windows.h>

namespace {

std::wstring ToWide(UINT codePage, const std::string& text) {
    if (text.empty()) return std::wstring();
    int count =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (count <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], count);
    return out;
}

}  // namespace

std::string WideToAnsi(const std::wstring& text) {
    if (text.empty()) return std::string();
    int count = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
    if (count <= 0) return std::string();
    std::string out(static_cast<size_t>(count), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], count,
                        nullptr, nullptr);
    return out;
}

std::wstring AnsiToWide(const std::string& text) { return ToWide(CP_ACP, text); }

std::wstring Utf8ToWide(const std::string& text) { return ToWide(CP_UTF8, text); }
