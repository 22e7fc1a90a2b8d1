#include "updater/framework/ccmhttpconnection.h"

CCMHttpFile CCMHttpConnection::OpenRequest(const wchar_t* verb, const std::wstring& object,
                                           DWORD flags) {
    if (!m_handle) return CCMHttpFile();
    return CCMHttpFile(HttpOpenRequestW(m_handle.Get(), verb, object.c_str(), nullptr, nullptr,
                                        nullptr, flags, 1));
}
