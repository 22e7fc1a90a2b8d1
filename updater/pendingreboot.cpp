#include "updater/pendingreboot.h"

#include <windows.h>

#include <cstdlib>
#include <memory>

namespace {

struct HandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

std::wstring MarkerPath(const std::wstring& updateFolder) {
    return updateFolder + L"reboot.pending";
}

FileHandle OpenMarker(const std::wstring& updateFolder, DWORD access, DWORD disposition) {
    HANDLE h = CreateFileW(MarkerPath(updateFolder).c_str(), access, FILE_SHARE_READ, nullptr,
                           disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return FileHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

}  // namespace

int ReadPendingReboot(const std::wstring& updateFolder) {
    FileHandle file = OpenMarker(updateFolder, GENERIC_READ, OPEN_EXISTING);
    char text[16] = {};
    DWORD got = 0;
    if (!file || !ReadFile(file.get(), text, sizeof(text) - 1, &got, nullptr)) return 0;
    return static_cast<int>(std::strtol(text, nullptr, 10));
}

bool KeepPendingReboot(const std::wstring& updateFolder, int reboot) {
    FileHandle file = OpenMarker(updateFolder, GENERIC_WRITE, CREATE_ALWAYS);
    std::string text = std::to_string(reboot);
    DWORD written = 0;
    return file &&
           WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

void ClearPendingReboot(const std::wstring& updateFolder) {
    DeleteFileW(MarkerPath(updateFolder).c_str());
}
