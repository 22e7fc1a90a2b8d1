#pragma once

#include <winsock2.h>  // before windows.h, as libcurl needs
#include <windows.h>

#include <string>
#include <vector>

// Owner of one Win32 file handle (INVALID_HANDLE_VALUE when empty).
class CFileHandle {
public:
    explicit CFileHandle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
    ~CFileHandle();
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;
    CFileHandle(CFileHandle&& other) noexcept;
    CFileHandle& operator=(CFileHandle&& other) noexcept;

    HANDLE Get() const { return m_handle; }
    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle;
};

// Reads a whole existing file (shared read). Returns false when it cannot be opened, sized
// or read, or holds more than maxBytes; `bytes` is then empty.
bool ReadWholeFile(const std::wstring& path, size_t maxBytes, std::vector<char>& bytes);
