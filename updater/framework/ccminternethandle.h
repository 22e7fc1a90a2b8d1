#pragma once

#include <windows.h>
#include <wininet.h>

// Owns one WinINet handle (session, connection or request).
class CCMInternetHandle {
public:
    CCMInternetHandle() = default;
    explicit CCMInternetHandle(HINTERNET h) : m_h(h) {}
    ~CCMInternetHandle() { Close(); }
    CCMInternetHandle(const CCMInternetHandle&) = delete;
    CCMInternetHandle& operator=(const CCMInternetHandle&) = delete;
    CCMInternetHandle(CCMInternetHandle&& other) noexcept : m_h(other.m_h) { other.m_h = nullptr; }
    CCMInternetHandle& operator=(CCMInternetHandle&& other) noexcept {
        if (this != &other) {
            Close();
            m_h = other.m_h;
            other.m_h = nullptr;
        }
        return *this;
    }

    HINTERNET Get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }
    void Close() {
        if (m_h) InternetCloseHandle(m_h);
        m_h = nullptr;
    }

private:
    HINTERNET m_h = nullptr;
};
