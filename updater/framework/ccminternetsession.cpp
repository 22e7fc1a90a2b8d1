#include "updater/framework/ccminternetsession.h"

#include <vector>

bool CCMParseUrl(const std::wstring& url, std::wstring& server, INTERNET_PORT& port,
                 std::wstring& object, bool& secure) {
    std::vector<wchar_t> host(url.size() + 1), path(url.size() + 1), extra(url.size() + 1);
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host.data();
    parts.dwHostNameLength = static_cast<DWORD>(host.size());
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = static_cast<DWORD>(path.size());
    parts.lpszExtraInfo = extra.data();
    parts.dwExtraInfoLength = static_cast<DWORD>(extra.size());
    if (url.empty() || !InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts))
        return false;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
        return false;
    if (parts.dwHostNameLength == 0) return false;
    server.assign(host.data(), parts.dwHostNameLength);
    port = parts.nPort;
    secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    object.assign(path.data(), parts.dwUrlPathLength);
    object.append(extra.data(), parts.dwExtraInfoLength);
    if (object.empty()) object = L"/";
    return true;
}

CCMInternetSession::CCMInternetSession()
    : m_handle(InternetOpenW(L"trevasko", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)) {}

bool CCMInternetSession::SetOption(DWORD option, DWORD value) {
    return m_handle && InternetSetOptionW(m_handle.Get(), option, &value, sizeof(value));
}

CCMHttpConnection CCMInternetSession::GetHttpConnection(const std::wstring& server,
                                                        INTERNET_PORT port) {
    if (!m_handle) return CCMHttpConnection();
    return CCMHttpConnection(InternetConnectW(m_handle.Get(), server.c_str(), port, nullptr,
                                              nullptr, INTERNET_SERVICE_HTTP, 0, 1));
}

CCMHttpFile CCMInternetSession::OpenUrl(const std::wstring& url, DWORD flags,
                                        const std::wstring& headers) {
    if (!m_handle) return CCMHttpFile();
    return CCMHttpFile(InternetOpenUrlW(m_handle.Get(), url.c_str(), headers.c_str(),
                                        static_cast<DWORD>(headers.size()), flags, 1));
}
