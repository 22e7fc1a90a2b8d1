#include "support/realinput.h"

#include <atomic>
#include <thread>

#include "support/messagepump.h"
#include "support/windowsearch.h"

namespace {

// How long the hand waits for the move loop to start and to take each step.
constexpr DWORD kMoveLoopLimitMs = 3000;

INPUT MouseInput(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    return input;
}

INPUT KeyInput(WORD vk, wchar_t unit, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = unit;
    input.ki.dwFlags = (unit ? KEYEVENTF_UNICODE : 0) | (up ? KEYEVENTF_KEYUP : 0);
    return input;
}

void Send(INPUT input) { ::SendInput(1, &input, sizeof(input)); }

// The window a thread's move loop is moving; null while it runs no such loop.
HWND MoveLoopWindow(DWORD threadId) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!::GetGUIThreadInfo(threadId, &info) || !(info.flags & GUI_INMOVESIZE)) return nullptr;
    return info.hwndMoveSize;
}

}  // namespace

void MoveMouse(POINT screen) {
    ::SetCursorPos(screen.x, screen.y);
    INPUT input = MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE);
    input.mi.dx = screen.x * 65535 / (::GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = screen.y * 65535 / (::GetSystemMetrics(SM_CYSCREEN) - 1);
    Send(input);
    Settle();
}

void MouseButton(bool down) {
    Send(MouseInput(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP));
    Settle();
}

void Click(POINT screen) {
    MoveMouse(screen);
    MouseButton(true);
    MouseButton(false);
}

void DoubleClick(POINT screen) {
    MoveMouse(screen);
    // All four at once, well inside the double-click time.
    INPUT input[4] = {MouseInput(MOUSEEVENTF_LEFTDOWN), MouseInput(MOUSEEVENTF_LEFTUP),
                      MouseInput(MOUSEEVENTF_LEFTDOWN), MouseInput(MOUSEEVENTF_LEFTUP)};
    ::SendInput(4, input, sizeof(INPUT));
    Settle();
}

void RightClick(POINT screen) {
    MoveMouse(screen);
    INPUT input[2] = {MouseInput(MOUSEEVENTF_RIGHTDOWN), MouseInput(MOUSEEVENTF_RIGHTUP)};
    ::SendInput(2, input, sizeof(INPUT));
    Settle();
}

void Drag(POINT from, POINT to) {
    MoveMouse(from);
    MouseButton(true);
    MoveMouse(POINT{(from.x + to.x) / 2, (from.y + to.y) / 2});
    MoveMouse(to);
    MouseButton(false);
}

void DragThroughMoveLoop(POINT from, POINT to) {
    MoveMouse(from);
    const DWORD loopThread = ::GetCurrentThreadId();
    std::atomic<bool> released{false};
    std::thread hand([&] {
        HWND moving = nullptr;
        PumpMessagesUntil([&] { return (moving = MoveLoopWindow(loopThread)) != nullptr; },
                          kMoveLoopLimitMs);
        for (int step = 1; step <= 4; ++step) {
            ::SetCursorPos(from.x + (to.x - from.x) * step / 4,
                           from.y + (to.y - from.y) * step / 4);
            // The loop has taken the move once it has come back for its next message.
            if (moving) WindowThreadCaughtUp(moving, kMoveLoopLimitMs);
        }
        Send(MouseInput(MOUSEEVENTF_LEFTUP));
        released = true;
    });
    Send(MouseInput(MOUSEEVENTF_LEFTDOWN));
    PumpMessagesUntil([&] { return released.load(); }, 4 * kMoveLoopLimitMs);
    hand.join();
    Settle();
}

void TypeText(const std::wstring& text) {
    for (wchar_t unit : text) {
        Send(KeyInput(0, unit, false));
        Send(KeyInput(0, unit, true));
    }
    Settle();
}

void PressKey(WORD vk) {
    Send(KeyInput(vk, 0, false));
    Send(KeyInput(vk, 0, true));
    Settle();
}

void KeyCombo(WORD modifier, WORD key) {
    INPUT input[4] = {KeyInput(modifier, 0, false), KeyInput(key, 0, false), KeyInput(key, 0, true),
                      KeyInput(modifier, 0, true)};
    ::SendInput(4, input, sizeof(INPUT));
    Settle();
}

void HoldKey(WORD vk, bool down) {
    Send(KeyInput(vk, 0, !down));
    Settle();
}

DWORD ScreenPixel(POINT screen) {
    HDC dc = ::GetDC(nullptr);
    COLORREF c = ::GetPixel(dc, screen.x, screen.y);
    ::ReleaseDC(nullptr, dc);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}
