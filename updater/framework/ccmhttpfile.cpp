#include "updater/framework/ccmhttpfile.h"

namespace {

// A numeric response header of the request; 0 when it is absent or not a number.
DWORD QueryNumber(HINTERNET request, DWORD what) {
    DWORD value = 0, size = sizeof(value);
    if (!HttpQueryInfoW(request, what | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr)) return 0;
    return value;
}

}  // namespace

bool CCMHttpFile::AddRequestHeaders(const std::wstring& headers) {
    return m_handle &&
           HttpAddRequestHeadersW(m_handle.Get(), headers.c_str(),
                                  static_cast<DWORD>(headers.size()), HTTP_ADDREQ_FLAG_ADD_IF_NEW);
}

bool CCMHttpFile::SendRequest(const void* body, DWORD len) {
    return m_handle && HttpSendRequestW(m_handle.Get(), nullptr, 0, const_cast<void*>(body), len);
}

DWORD CCMHttpFile::QueryStatusCode() const {
    return m_handle ? QueryNumber(m_handle.Get(), HTTP_QUERY_STATUS_CODE) : 0;
}

DWORD CCMHttpFile::QueryContentLength() const {
    return m_handle ? QueryNumber(m_handle.Get(), HTTP_QUERY_CONTENT_LENGTH) : 0;
}

std::wstring CCMHttpFile::QueryContentRange() const {
    wchar_t value[128] = {};
    DWORD size = sizeof(value);
    if (!m_handle ||
        !HttpQueryInfoW(m_handle.Get(), HTTP_QUERY_CONTENT_RANGE, value, &size, nullptr))
        return std::wstring();
    return value;
}

long CCMHttpFile::Read(void* buffer, DWORD len) {
    DWORD got = 0;
    if (!m_handle || !InternetReadFile(m_handle.Get(), buffer, len, &got)) return -1;
    return static_cast<long>(got);
}
