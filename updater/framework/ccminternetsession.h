#pragma once

#include <string>

#include "updater/framework/ccmhttpconnection.h"
#include "updater/framework/ccmhttpfile.h"

// Parts of an http(s) address (secure: the scheme is https); false when the address cannot be
// parsed.
bool CCMParseUrl(const std::wstring& url, std::wstring& server, INTERNET_PORT& port,
                 std::wstring& object, bool& secure);

// An internet session with the system's preconfigured proxy settings and context 1.
class CCMInternetSession {
public:
    CCMInternetSession();
    CCMInternetSession(CCMInternetSession&&) = default;
    CCMInternetSession& operator=(CCMInternetSession&&) = default;

    bool IsOpen() const { return static_cast<bool>(m_handle); }
    // False when the option cannot be set.
    bool SetOption(DWORD option, DWORD value);
    // A closed connection on failure.
    CCMHttpConnection GetHttpConnection(const std::wstring& server, INTERNET_PORT port);
    // Opens the address with flags and extra header lines; a closed file on failure.
    CCMHttpFile OpenUrl(const std::wstring& url, DWORD flags, const std::wstring& headers);
    void Close() { m_handle.Close(); }

private:
    CCMInternetHandle m_handle;
};
