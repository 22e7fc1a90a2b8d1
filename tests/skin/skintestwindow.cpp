#include "skin/skintestwindow.h"

#include <atomic>
#include <thread>

void SkinTestWindow::Notify(TNotifyUI& msg) {
    log.Notify(msg);
    if (handleWindowButtons && msg.sType == kNotifyClick && msg.pSender) {
        const std::wstring& name = msg.pSender->GetName();
        if (name == L"closebtn") ShowWindow(false, false);
        if (name == L"minbtn") SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
        msg.bHandled = name == L"closebtn" || name == L"minbtn";
    }
    // The base closes on closebtn and answers nothing else the tests use.
    WindowImplBase::Notify(msg);
}

LRESULT SkinTestWindow::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM, bool& bHandled) {
    if (consumeEscape && uMsg == WM_KEYDOWN && wParam == VK_ESCAPE) bHandled = true;
    return 0;
}

LRESULT SkinTestWindow::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_NCLBUTTONDBLCLK && ignoreCaptionDoubleClick) return 0;
    return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

LRESULT SkinTestWindow::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    LRESULT result = WindowImplBase::OnCreate(uMsg, wParam, lParam, bHandled);
    return failAfterBuild ? -1 : result;
}

LRESULT SkinTestWindow::OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    ++closeRequests;
    if (!keepOpenOnClose) return WindowImplBase::OnClose(uMsg, wParam, lParam, bHandled);
    bHandled = TRUE;
    return 0;
}

LRESULT SkinTestWindow::OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    if ((wParam & 0xFFF0) == SC_MINIMIZE) ++minimizeCommands;
    return WindowImplBase::OnSysCommand(uMsg, wParam, lParam, bHandled);
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
    if (uMsg == WM_MOVE && onMove) onMove();
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

void UseTestSkinFolder() {
    CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
    CPaintManagerUI::SetResourcePath(SkinDataDir().c_str());
    CPaintManagerUI::SetResourceZip(L"");
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

void DragThroughMoveLoop(POINT from, POINT to) {
    MoveMouse(from);
    std::atomic<bool> released{false};
    std::thread user([&] {
        ::Sleep(300);
        for (int step = 1; step <= 4; ++step) {
            ::SetCursorPos(from.x + (to.x - from.x) * step / 4,
                           from.y + (to.y - from.y) * step / 4);
            ::Sleep(100);
        }
        INPUT input = {};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = MOUSEEVENTF_LEFTUP;
        ::SendInput(1, &input, sizeof(input));
        released = true;
    });
    INPUT down = {};
    down.type = INPUT_MOUSE;
    down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    ::SendInput(1, &down, sizeof(down));
    PumpUntil([&] { return released.load(); });
    user.join();
    Settle();
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
