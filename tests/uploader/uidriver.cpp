#include "uidriver.h"

#include <vector>

#include <gtest/gtest.h>

#include "uploader/ui/feltrinewindow.h"

namespace {

struct FindContext {
    const wchar_t* className;
    DWORD pid;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hWnd, LPARAM lParam) {
    auto* c = reinterpret_cast<FindContext*>(lParam);
    wchar_t name[128] = {};
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    if (pid != c->pid || !IsWindowVisible(hWnd)) return TRUE;
    GetClassNameW(hWnd, name, 128);
    if (wcscmp(name, c->className) != 0) return TRUE;
    c->found = hWnd;
    return FALSE;
}

void SendKey(WORD vk, wchar_t unit, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = unit;
    input.ki.dwFlags = (unit ? KEYEVENTF_UNICODE : 0) | (up ? KEYEVENTF_KEYUP : 0);
    SendInput(1, &input, sizeof(input));
}

}  // namespace

bool CUiDriver::PumpUntil(const std::function<bool()>& done, DWORD ms) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return done();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                m_quit = true;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void CUiDriver::Settle(DWORD ms) {
    DWORD start = GetTickCount();
    PumpUntil([start, ms] { return GetTickCount() - start > ms; }, ms + 1000);
}

void CUiDriver::MoveMouse(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = screen.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = screen.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof(input));
    Settle();
}

void CUiDriver::MouseButton(bool down) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof(input));
    Settle(60);
}

void CUiDriver::Click(POINT screen) {
    MoveMouse(screen);
    MouseButton(true);
    MouseButton(false);
    Settle();
}

void CUiDriver::DoubleClick(POINT screen) {
    MoveMouse(screen);
    for (int i = 0; i < 2; ++i) {
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_MOUSE;
        input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, input, sizeof(INPUT));
    }
    Settle(300);
}

void CUiDriver::TypeText(const std::wstring& text) {
    for (wchar_t c : text) {
        SendKey(0, c, false);
        SendKey(0, c, true);
    }
    Settle();
}

void CUiDriver::PressKey(WORD vk) {
    SendKey(vk, 0, false);
    SendKey(vk, 0, true);
    Settle();
}

CFeltrineWindow* WindowObject(HWND hWnd) {
    if (!IsWindow(hWnd)) return nullptr;
    auto* object = reinterpret_cast<CNTWindow*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    return dynamic_cast<CFeltrineWindow*>(object);
}

HWND FindAppWindow(const wchar_t* className, DWORD pid) {
    FindContext c{className, pid ? pid : GetCurrentProcessId(), nullptr};
    EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&c));
    return c.found;
}

POINT ControlCenter(CFeltrineWindow* window, const wchar_t* name) {
    CControlUI* control = window ? window->FindControl(name) : nullptr;
    if (!control) return POINT{-1, -1};
    RECT rc = control->GetPos();
    POINT pt{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    ClientToScreen(window->GetHWND(), &pt);
    return pt;
}

std::wstring ControlText(CFeltrineWindow* window, const wchar_t* name) {
    CControlUI* control = window ? window->FindControl(name) : nullptr;
    return control ? control->GetText() : L"<no control>";
}

bool ControlEnabled(CFeltrineWindow* window, const wchar_t* name) {
    CControlUI* control = window ? window->FindControl(name) : nullptr;
    // A misspelt name must not pass for a disabled control.
    if (!control) ADD_FAILURE() << "no control named " << name;
    return control && control->IsEnabled();
}

DWORD ScreenPixel(POINT screen) {
    HDC dc = GetDC(nullptr);
    COLORREF c = GetPixel(dc, screen.x, screen.y);
    ReleaseDC(nullptr, dc);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

CDialogAnswer::CDialogAnswer(std::wstring path)
    : m_path(std::move(path)), m_thread(&CDialogAnswer::Run, this) {}

CDialogAnswer::~CDialogAnswer() {
    m_stop = true;
    m_thread.join();
}

void CDialogAnswer::Run() {
    HWND dialog = nullptr;
    while (!m_stop && !dialog) {
        dialog = FindAppWindow(L"#32770");
        if (!dialog) Sleep(50);
    }
    if (!dialog) return;
    Sleep(300);
    if (m_path.empty()) {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    } else {
        // The name box: a combo box in the Explorer-style dialog, an edit in the old one.
        HWND name = GetDlgItem(dialog, 0x47C);
        if (!name) name = GetDlgItem(dialog, 0x480);
        SetWindowTextW(name, m_path.c_str());
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    }
    m_answered = true;
}
