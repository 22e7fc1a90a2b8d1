#pragma once

#include <winsock2.h>  // before windows.h, as libcurl needs
#include <windows.h>

#include <atomic>

// The two flags a window raises when it closes: `abort` ends a running transfer at its next
// progress callback, `closing` makes the worker skip its remaining steps.
struct WorkerFlags {
    std::atomic<int> abort{0};
    std::atomic<int> closing{0};
};

// libcurl progress function of the lookups: aborts when the WorkerFlags at `flags` have
// their abort flag raised (or are missing).
int AbortOnFlag(void* flags, double, double, double, double);

// Owner of one worker thread handle. A window holds one and starts no second worker while
// IsRunning(). Copying is deleted so that the handle is closed exactly once.
class CWorkerThread {
public:
    CWorkerThread() = default;
    ~CWorkerThread();
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;
    CWorkerThread(CWorkerThread&& other) noexcept;
    CWorkerThread& operator=(CWorkerThread&& other) noexcept;

    // Clears both flags, then starts `proc(argument)`, unless a worker still runs. Clearing
    // here rather than in the worker means a close that comes before the worker's first step
    // is not forgotten. Returns false when a worker runs or the thread cannot be created.
    bool Start(LPTHREAD_START_ROUTINE proc, void* argument, WorkerFlags& flags);
    // True while the thread has not ended.
    bool IsRunning() const;
    // Waits without limit for the thread to end, then closes its handle. No-op without one.
    void Join();
    // What a closing window does: raises both flags so the worker ends its transfer and skips
    // its remaining steps, then Join()s.
    void Stop(WorkerFlags& flags);

private:
    HANDLE m_thread = nullptr;
};
