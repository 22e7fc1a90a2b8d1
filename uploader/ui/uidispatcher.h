#pragma once

#include <winsock2.h>  // before windows.h, as libcurl needs
#include <windows.h>

#include <functional>
#include <mutex>
#include <vector>

// Hands control updates from a worker to the window's UI thread without waiting for it: the
// update is queued and one private message asks the window to run the queue. Called on the
// UI thread itself, an update runs at once, so it keeps its order with direct changes. What is
// still queued when the window goes is dropped with the dispatcher; nothing leaks.
class CUiDispatcher {
public:
    // `message` is the private message the window answers by calling RunPending().
    explicit CUiDispatcher(UINT message) : m_message(message) {}
    CUiDispatcher(const CUiDispatcher&) = delete;
    CUiDispatcher& operator=(const CUiDispatcher&) = delete;

    // Binds the window and its thread (the calling thread).
    void Attach(HWND window);
    // Runs or queues the update. A queued update is dropped when the window cannot be told.
    void Post(std::function<void()> update);
    // UI thread: runs every queued update in arrival order.
    void RunPending();
    UINT Message() const { return m_message; }

private:
    const UINT m_message;
    HWND m_window = nullptr;
    DWORD m_uiThread = 0;
    std::mutex m_mutex;
    std::vector<std::function<void()>> m_pending;
};
