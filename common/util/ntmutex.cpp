#include "common/util/ntmutex.h"

#include <utility>

CNTMutex::CNTMutex() : m_hMutex(::CreateMutexW(nullptr, FALSE, nullptr)) {}

CNTMutex::~CNTMutex() { Release(); }

CNTMutex::CNTMutex(CNTMutex&& other) noexcept
    : m_hMutex(std::exchange(other.m_hMutex, nullptr)),
      m_bHeld(std::exchange(other.m_bHeld, false)) {}

CNTMutex& CNTMutex::operator=(CNTMutex&& other) noexcept {
    if (this != &other) {
        Release();
        m_hMutex = std::exchange(other.m_hMutex, nullptr);
        m_bHeld = std::exchange(other.m_bHeld, false);
    }
    return *this;
}

void CNTMutex::Lock() {
    if (m_hMutex && ::WaitForSingleObject(m_hMutex, INFINITE) != WAIT_FAILED) m_bHeld = true;
}

void CNTMutex::Unlock() {
    if (m_hMutex) ::ReleaseMutex(m_hMutex);
    m_bHeld = false;
}

void CNTMutex::Release() {
    if (!m_hMutex) return;
    if (m_bHeld) ::ReleaseMutex(m_hMutex);
    ::CloseHandle(m_hMutex);
    m_hMutex = nullptr;
    m_bHeld = false;
}
