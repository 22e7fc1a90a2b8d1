#pragma once

#include <string>

#include "updater/framework/ccmhttpfile.h"

// A connection to one HTTP server and port.
class CCMHttpConnection {
public:
    CCMHttpConnection() = default;
    explicit CCMHttpConnection(HINTERNET h) : m_handle(h) {}
    CCMHttpConnection(CCMHttpConnection&&) = default;
    CCMHttpConnection& operator=(CCMHttpConnection&&) = default;

    bool IsOpen() const { return static_cast<bool>(m_handle); }
    // Opens a request (no referrer, no accept types, default HTTP version); a closed file on
    // failure.
    CCMHttpFile OpenRequest(const wchar_t* verb, const std::wstring& object, DWORD flags);
    void Close() { m_handle.Close(); }

private:
    CCMInternetHandle m_handle;
};
