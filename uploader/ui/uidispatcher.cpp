#include "uploader/ui/uidispatcher.h"

#include <utility>

void CUiDispatcher::Attach(HWND window) {
    m_window = window;
    m_uiThread = GetCurrentThreadId();
}

void CUiDispatcher::Post(std::function<void()> update) {
    if (GetCurrentThreadId() == m_uiThread) {
        update();
        return;
    }
    bool first;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        first = m_pending.empty();
        m_pending.push_back(std::move(update));
    }
    // One message covers every update queued before it is answered.
    if (first && !PostMessageW(m_window, m_message, 0, 0)) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pending.clear();
    }
}

void CUiDispatcher::RunPending() {
    std::vector<std::function<void()>> updates;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        updates.swap(m_pending);
    }
    for (auto& update : updates) update();
}
