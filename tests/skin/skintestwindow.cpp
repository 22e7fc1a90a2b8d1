#include "skin/skintestwindow.h"

void SkinTestWindow::Notify(TNotifyUI& msg) {
    log.Notify(msg);
    // The base closes on closebtn and answers nothing else the tests use.
    WindowImplBase::Notify(msg);
}

POINT SkinTestWindow::ScreenCenter(const wchar_t* name) {
    CControlUI* control = Find(name);
    if (!control) return POINT{-1, -1};
    RECT rc = control->GetPos();
    POINT pt{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    ::ClientToScreen(m_hWnd, &pt);
    return pt;
}

LRESULT SkinTestWindow::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam,
                                            BOOL& bHandled) {
    if (uMsg != kMenuMessage) {
        bHandled = FALSE;
        return 0;
    }
    auto* msg = reinterpret_cast<TNotifyUI*>(wParam);
    auto* menu = reinterpret_cast<CPaintManagerUI*>(lParam);
    menuEvents.push_back(msg->sType + L":" + (msg->pSender ? msg->pSender->GetName() : L""));
    if (msg->sType == kNotifyWindowInit && onMenuInit) onMenuInit(*menu);
    return 0;
}

void SkinTestWindow::OnFinalMessage(HWND hWnd) {
    WindowImplBase::OnFinalMessage(hWnd);
    ++finalMessages;
}

bool PumpUntil(const std::function<bool()>& done) {
    DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > 5000) return false;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void Settle() {
    DWORD start = ::GetTickCount();
    PumpUntil([start] { return ::GetTickCount() - start > 150; });
}

void MoveMouse(POINT screen) {
    ::SetCursorPos(screen.x, screen.y);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = screen.x * 65535 / (::GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = screen.y * 65535 / (::GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &input, sizeof(input));
    Settle();
}

void MouseButton(bool down) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    ::SendInput(1, &input, sizeof(input));
    Settle();
}

void Click(POINT screen) {
    MoveMouse(screen);
    MouseButton(true);
    MouseButton(false);
}

void TypeText(const std::wstring& text) {
    for (wchar_t c : text) {
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_KEYBOARD;
        input[0].ki.wScan = input[1].ki.wScan = c;
        input[0].ki.dwFlags = KEYEVENTF_UNICODE;
        input[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        ::SendInput(2, input, sizeof(INPUT));
    }
    Settle();
}

void PressKey(WORD vk) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = vk;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, input, sizeof(INPUT));
    Settle();
}

DWORD ScreenPixel(POINT screen) {
    HDC dc = ::GetDC(nullptr);
    COLORREF c = ::GetPixel(dc, screen.x, screen.y);
    ::ReleaseDC(nullptr, dc);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}
