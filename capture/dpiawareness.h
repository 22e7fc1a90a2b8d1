#pragma once

#include <windows.h>

// Runs the calling thread per-monitor DPI aware while it lives, whatever the host process
// declared, so that the snapshot, window rectangles, the pointer and the monitors' work areas
// are all physical pixels. Per-monitor V2 where the system has it, V1 otherwise; the thread's
// previous context comes back when it ends. Systems without thread contexts (before Windows 10
// 1607) are left as they are: the process's one coordinate system then holds throughout.
class CMThreadDpiAwareness {
public:
    CMThreadDpiAwareness();
    ~CMThreadDpiAwareness();
    CMThreadDpiAwareness(const CMThreadDpiAwareness&) = delete;
    CMThreadDpiAwareness& operator=(const CMThreadDpiAwareness&) = delete;

    // 2 for per-monitor V2, 1 for V1, 0 when the thread's context was not changed.
    int GetLevel() const { return m_level; }

private:
    using SetContext = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
    SetContext m_setContext = nullptr;
    DPI_AWARENESS_CONTEXT m_previous = nullptr;
    int m_level = 0;
};
