#pragma once

#include <windows.h>

#include "common/ntapi.h"

// Lock shared by the threads of one process. A kernel mutex, so the owning thread may take
// it again; every Lock needs its Unlock.
class NT_API CNTMutex {
public:
    CNTMutex();
    virtual ~CNTMutex();
    CNTMutex(const CNTMutex&) = delete;
    CNTMutex& operator=(const CNTMutex&) = delete;
    CNTMutex(CNTMutex&& other) noexcept;
    CNTMutex& operator=(CNTMutex&& other) noexcept;

    // Waits without time-out. Does nothing when the mutex could not be created.
    void Lock();
    // Releases one Lock of the calling thread.
    void Unlock();

private:
    void Release();

    HANDLE m_hMutex = nullptr;
    bool m_bHeld = false;
};
