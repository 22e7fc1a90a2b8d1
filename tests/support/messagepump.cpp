#include "support/messagepump.h"

namespace {

// The loop takes WM_QUIT out of the queue; a test asks afterwards whether one came.
thread_local bool quitSeen = false;

}  // namespace

void PumpPending() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quitSeen = true;
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

bool PumpMessagesUntil(const std::function<bool()>& done, DWORD limitMs) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > limitMs) return done();
        PumpPending();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void Settle(DWORD ms) {
    const DWORD start = ::GetTickCount();
    PumpMessagesUntil([&] { return ::GetTickCount() - start >= ms; }, ms + 1000);
}

bool QuitPosted() { return quitSeen; }

void ForgetQuit() { quitSeen = false; }
