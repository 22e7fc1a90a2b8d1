#include "capture/dpiawareness.h"

CMThreadDpiAwareness::CMThreadDpiAwareness() {
    // Looked up at run time: older systems do not have it, and the library must load there.
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    FARPROC found = user32 ? ::GetProcAddress(user32, "SetThreadDpiAwarenessContext") : nullptr;
    if (!found) return;
    m_setContext = reinterpret_cast<SetContext>(reinterpret_cast<void (*)()>(found));
    const DPI_AWARENESS_CONTEXT wanted[] = {DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2,
                                            DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE};
    for (int i = 0; i < 2; ++i) {
        if ((m_previous = m_setContext(wanted[i])) != nullptr) {
            m_level = 2 - i;
            return;
        }
    }
}

CMThreadDpiAwareness::~CMThreadDpiAwareness() {
    if (m_level) m_setContext(m_previous);
}
