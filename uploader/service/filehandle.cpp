#include "uploader/service/filehandle.h"

#include <utility>

CFileHandle::~CFileHandle() {
    if (IsValid()) CloseHandle(m_handle);
}

CFileHandle::CFileHandle(CFileHandle&& other) noexcept
    : m_handle(std::exchange(other.m_handle, INVALID_HANDLE_VALUE)) {}

CFileHandle& CFileHandle::operator=(CFileHandle&& other) noexcept {
    if (this != &other) {
        if (IsValid()) CloseHandle(m_handle);
        m_handle = std::exchange(other.m_handle, INVALID_HANDLE_VALUE);
    }
    return *this;
}

bool ReadWholeFile(const std::wstring& path, size_t maxBytes, std::vector<char>& bytes) {
    bytes.clear();
    CFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file.IsValid() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
        return false;
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD done = 0;
    size_t total = 0;
    while (total < bytes.size()) {
        DWORD want = static_cast<DWORD>(bytes.size() - total);
        if (!ReadFile(file.Get(), bytes.data() + total, want, &done, nullptr) || done == 0) {
            bytes.clear();
            return false;
        }
        total += done;
    }
    return true;
}
