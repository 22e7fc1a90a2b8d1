#pragma once

#include <string>

#include "updater/framework/ccminternethandle.h"

// One HTTP request and its reply: a POST opened on a connection or a URL opened directly.
class CCMHttpFile {
public:
    CCMHttpFile() = default;
    explicit CCMHttpFile(HINTERNET h) : m_handle(h) {}
    CCMHttpFile(CCMHttpFile&&) = default;
    CCMHttpFile& operator=(CCMHttpFile&&) = default;

    bool IsOpen() const { return static_cast<bool>(m_handle); }
    // Adds header lines ("Name: value\r\n" each) unless already present; false on failure.
    bool AddRequestHeaders(const std::wstring& headers);
    // Sends the request with that body; false when it could not be sent.
    bool SendRequest(const void* body, DWORD len);
    // HTTP status of the reply; 0 when unknown.
    DWORD QueryStatusCode() const;
    // Content-Length of the reply; 0 when absent or unreadable.
    DWORD QueryContentLength() const;
    // Content-Range of the reply as it stands; empty when absent or unreadable.
    std::wstring QueryContentRange() const;
    // Bytes read into buffer (0 at the end of the body); -1 on failure.
    long Read(void* buffer, DWORD len);
    void Close() { m_handle.Close(); }

private:
    CCMInternetHandle m_handle;
};
