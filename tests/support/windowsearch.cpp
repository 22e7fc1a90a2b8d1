#include "support/windowsearch.h"

#include <cwchar>

#include "support/messagepump.h"

namespace {

struct Search {
    const wchar_t* className;
    DWORD pid;
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hWnd, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    if (!::IsWindowVisible(hWnd)) return TRUE;
    if (search->pid) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hWnd, &pid);
        if (pid != search->pid) return TRUE;
    }
    if (search->owner && ::GetWindow(hWnd, GW_OWNER) != search->owner) return TRUE;
    wchar_t name[128] = {};
    ::GetClassNameW(hWnd, name, 128);
    if (std::wcscmp(name, search->className) != 0) return TRUE;
    search->found = hWnd;
    return FALSE;
}

}  // namespace

HWND FindVisibleWindow(const wchar_t* className, DWORD pid, HWND owner) {
    Search search{className, pid, owner, nullptr};
    ::EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindAppWindow(const wchar_t* className, DWORD pid) {
    return FindVisibleWindow(className, pid ? pid : ::GetCurrentProcessId());
}

HWND WaitForWindow(const wchar_t* className, DWORD limitMs, DWORD pid, HWND owner) {
    HWND found = nullptr;
    PumpMessagesUntil([&] { return (found = FindVisibleWindow(className, pid, owner)) != nullptr; },
                      limitMs);
    return found;
}

bool WindowThreadCaughtUp(HWND hWnd, DWORD limitMs) {
    // A sent message is handled when the thread next asks for a message: the first answer
    // comes before it takes what was already queued, the second after.
    for (int round = 0; round < 2; ++round) {
        DWORD_PTR result = 0;
        if (!::SendMessageTimeoutW(hWnd, WM_NULL, 0, 0, SMTO_NORMAL, limitMs, &result))
            return false;
    }
    return true;
}
