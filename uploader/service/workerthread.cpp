#include "uploader/service/workerthread.h"

#include <utility>

int AbortOnFlag(void* flags, double, double, double, double) {
    auto* f = static_cast<WorkerFlags*>(flags);
    return (f == nullptr || f->abort.load() != 0) ? -1 : 0;
}

CWorkerThread::~CWorkerThread() { Join(); }

CWorkerThread::CWorkerThread(CWorkerThread&& other) noexcept
    : m_thread(std::exchange(other.m_thread, nullptr)) {}

CWorkerThread& CWorkerThread::operator=(CWorkerThread&& other) noexcept {
    if (this != &other) {
        Join();
        m_thread = std::exchange(other.m_thread, nullptr);
    }
    return *this;
}

bool CWorkerThread::Start(LPTHREAD_START_ROUTINE proc, void* argument, WorkerFlags& flags) {
    if (IsRunning()) return false;
    Join();
    flags.abort = 0;
    flags.closing = 0;
    m_thread = CreateThread(nullptr, 0, proc, argument, 0, nullptr);
    return m_thread != nullptr;
}

bool CWorkerThread::IsRunning() const {
    return m_thread != nullptr && WaitForSingleObject(m_thread, 0) == WAIT_TIMEOUT;
}

void CWorkerThread::Join() {
    if (m_thread == nullptr) return;
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    m_thread = nullptr;
}

void CWorkerThread::Stop(WorkerFlags& flags) {
    flags.abort = 1;
    flags.closing = 1;
    Join();
}
