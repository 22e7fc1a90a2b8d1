#include "updater/framework/ccmhttpfile.h"

bool CCMHttpFile::AddRequestHeaders(const std::wstring& headers) {
    return m_handle &&
           HttpAddRequestHeadersW(m_handle.Get(), headers.c_str(),
                                  static_cast<DWORD>(headers.size()), HTTP_ADDREQ_FLAG_ADD_IF_NEW);
}

bool CCMHttpFile::SendRequest(const void* body, DWORD len) {
    return m_handle && HttpSendRequestW(m_handle.Get(), nullptr, 0, const_cast<void*>(body), len);
}

DWORD CCMHttpFile::QueryStatusCode() const {
    DWORD value = 0, size = sizeof(value);
    if (!m_handle ||
        !HttpQueryInfoW(m_handle.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &value,
                        &size, nullptr))
        return 0;
    return value;
}

DWORD CCMHttpFile::QueryContentLength() const {
    DWORD value = 0, size = sizeof(value);
    if (!m_handle ||
        !HttpQueryInfoW(m_handle.Get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &value,
                        &size, nullptr))
        return 0;
    return value;
}

long CCMHttpFile::Read(void* buffer, DWORD len) {
    DWORD got = 0;
    if (!m_handle || !InternetReadFile(m_handle.Get(), buffer, len, &got)) return -1;
    return static_cast<long>(got);
}
