#pragma once

#include <windows.h>

// The library runs inside its host's process, so no C++ exception (a failed allocation above
// all) may leave one of its window procedures: the message it came from fails alone and the
// capture stays usable.
template <typename Handle>
LRESULT CMGuardMessage(HWND window, UINT msg, Handle&& handle) noexcept {
    try {
        return handle();
    } catch (...) {
        // A paint that failed is not asked for again and again.
        if (msg == WM_PAINT) ::ValidateRect(window, nullptr);
        return msg == WM_CREATE ? -1 : 0;
    }
}
