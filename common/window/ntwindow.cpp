#include "common/window/ntwindow.h"

#include <initializer_list>

namespace {

const wchar_t kObjectProp[] = L"WndX";

}  // namespace

HINSTANCE CNTWindow::m_hInstance = nullptr;

int CNTWindow::InvalidateRect(const RECT* rect, BOOL erase) {
    return ::InvalidateRect(m_hWnd, rect, erase);
}

HWND CNTWindow::Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle, int x, int y,
                       int width, int height, HMENU menu) {
    bool registered = GetSuperClassName() ? RegisterSuperclass() : RegisterWindowClass();
    if (!registered) return nullptr;
    // The handle is stored on WM_NCCREATE; when creation fails the object may already have
    // deleted itself in OnFinalMessage, so it is not touched afterwards.
    HWND hWnd = ::CreateWindowExW(exStyle, GetWindowClassName(), name, style, x, y, width, height,
                                  parent, menu, m_hInstance, this);
    if (hWnd) ::UpdateWindow(hWnd);
    return hWnd;
}

HWND CNTWindow::Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle, const RECT& rc,
                       HMENU menu) {
    return Create(parent, name, style, exStyle, rc.left, rc.top, rc.right - rc.left,
                  rc.bottom - rc.top, menu);
}

HWND CNTWindow::Subclass(HWND hWnd) {
    if (!::IsWindow(hWnd)) return nullptr;
    // Stored first so that the messages the swap itself causes reach this object.
    ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    LONG_PTR old =
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CNTWindow::WindowProc));
    if (!old) {
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        return nullptr;
    }
    m_pfnOldWndProc = reinterpret_cast<WNDPROC>(old);
    m_bSubclassed = true;
    m_hWnd = hWnd;
    return m_hWnd;
}

void CNTWindow::Unsubclass() {
    if (!m_bSubclassed) return;
    if (::IsWindow(m_hWnd))
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnOldWndProc));
    m_pfnOldWndProc = ::DefWindowProcW;
    m_bSubclassed = false;
}

void CNTWindow::ShowWindow(bool show, bool takeFocus) {
    if (!::IsWindow(m_hWnd)) return;
    ::ShowWindow(m_hWnd, show ? (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

UINT CNTWindow::ShowModal() {
    // Only locals after the window is gone: OnFinalMessage may have deleted this object.
    HWND hWnd = m_hWnd;
    if (!::IsWindow(hWnd)) return 0;
    UINT result = 0;
    HWND owner = ::GetWindow(hWnd, GW_OWNER);
    ::ShowWindow(hWnd, SW_SHOWNORMAL);
    if (owner) ::EnableWindow(owner, FALSE);
    MSG msg = {};
    bool quit = false;
    while (::IsWindow(hWnd)) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            quit = got == 0;
            break;
        }
        if (msg.message == WM_CLOSE && msg.hwnd == hWnd) {
            result = static_cast<UINT>(msg.wParam);
            // The owner must be active again before this window goes, or another
            // application's window would come to the front.
            if (owner) {
                ::EnableWindow(owner, TRUE);
                ::SetFocus(owner);
            }
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    if (owner) {
        ::EnableWindow(owner, TRUE);
        ::SetFocus(owner);
    }
    if (quit) ::PostQuitMessage(static_cast<int>(msg.wParam));
    return result;
}

void CNTWindow::Close(UINT code) {
    if (::IsWindow(m_hWnd)) ::PostMessageW(m_hWnd, WM_CLOSE, code, 0);
}

void CNTWindow::CenterWindow() {
    if (!::IsWindow(m_hWnd)) return;
    RECT rcWnd;
    ::GetWindowRect(m_hWnd, &rcWnd);
    int width = rcWnd.right - rcWnd.left, height = rcWnd.bottom - rcWnd.top;
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoW(::MonitorFromWindow(owner ? owner : m_hWnd, MONITOR_DEFAULTTONEAREST), &mi);
    RECT work = mi.rcWork;
    RECT ref = work;
    if (owner) ::GetWindowRect(owner, &ref);
    int x = (ref.left + ref.right) / 2 - width / 2;
    int y = (ref.top + ref.bottom) / 2 - height / 2;
    if (x < work.left)
        x = work.left;
    else if (x + width > work.right)
        x = work.right - width;
    if (y < work.top)
        y = work.top;
    else if (y + height > work.bottom)
        y = work.bottom - height;
    ::SetWindowPos(m_hWnd, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CNTWindow::SetIcon(HICON hIcon, WPARAM which) {
    ::SendMessageW(m_hWnd, WM_SETICON, which, reinterpret_cast<LPARAM>(hIcon));
}

void CNTWindow::SetIcon(UINT resourceId) {
    int cx = (::GetSystemMetrics(SM_CXICON) + 15) & ~15;
    int cy = (::GetSystemMetrics(SM_CYICON) + 15) & ~15;
    for (WPARAM which : {static_cast<WPARAM>(ICON_BIG), static_cast<WPARAM>(ICON_SMALL)}) {
        HANDLE icon = ::LoadImageW(m_hInstance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, cx, cy,
                                   LR_DEFAULTCOLOR);
        SetIcon(static_cast<HICON>(icon), which);
    }
}

void CNTWindow::ResizeClient(int width, int height) {
    RECT rc;
    if (!::GetClientRect(m_hWnd, &rc)) return;
    if (width != -1) rc.right = width;
    if (height != -1) rc.bottom = height;
    DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE));
    BOOL hasMenu = !(style & WS_CHILD) && ::GetMenu(m_hWnd) != nullptr;
    if (!::AdjustWindowRectEx(&rc, style, hasMenu, exStyle)) return;
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CNTWindow::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageW(m_hWnd, msg, wParam, lParam);
}

BOOL CNTWindow::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageW(m_hWnd, msg, wParam, lParam);
}

BOOL CNTWindow::ScreenToClient(POINT* pt) const { return ::ScreenToClient(m_hWnd, pt); }

BOOL CNTWindow::ScreenToClient(RECT* rc) const {
    return ::ScreenToClient(m_hWnd, reinterpret_cast<POINT*>(&rc->left)) &&
           ::ScreenToClient(m_hWnd, reinterpret_cast<POINT*>(&rc->right));
}

BOOL CNTWindow::ClientToScreen(POINT* pt) const { return ::ClientToScreen(m_hWnd, pt); }

BOOL CNTWindow::ClientToScreen(RECT* rc) const {
    return ::ClientToScreen(m_hWnd, reinterpret_cast<POINT*>(&rc->left)) &&
           ::ClientToScreen(m_hWnd, reinterpret_cast<POINT*>(&rc->right));
}

HDC CNTWindow::GetDC() const { return ::GetDC(m_hWnd); }

int CNTWindow::ReleaseDC(HDC hdc) const { return ::ReleaseDC(m_hWnd, hdc); }

UINT_PTR CNTWindow::SetTimer(UINT_PTR id, UINT interval, TIMERPROC callback) {
    return ::SetTimer(m_hWnd, id, interval, callback);
}

BOOL CNTWindow::KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

LRESULT CNTWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcW(m_pfnOldWndProc, m_hWnd, msg, wParam, lParam);
}

bool CNTWindow::RegisterWindowClass() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = GetClassStyle();
    wc.lpfnWndProc = &CNTWindow::WindowProc;
    wc.hInstance = m_hInstance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = GetWindowClassName();
    return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CNTWindow::RegisterSuperclass() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (!::GetClassInfoExW(nullptr, GetSuperClassName(), &wc) &&
        !::GetClassInfoExW(m_hInstance, GetSuperClassName(), &wc))
        return false;
    m_pfnOldWndProc = wc.lpfnWndProc;
    wc.lpfnWndProc = &CNTWindow::ControlProc;
    wc.hInstance = m_hInstance;
    wc.lpszClassName = GetWindowClassName();
    return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

LRESULT CALLBACK CNTWindow::WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CNTWindow* self = nullptr;
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<CNTWindow*>(cs->lpCreateParams);
        if (self) {
            self->m_hWnd = hWnd;
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    } else {
        self = reinterpret_cast<CNTWindow*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    }
    return Dispatch(self, hWnd, msg, wParam, lParam, false);
}

LRESULT CALLBACK CNTWindow::ControlProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CNTWindow* self = nullptr;
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<CNTWindow*>(cs->lpCreateParams);
        if (self) {
            self->m_hWnd = hWnd;
            ::SetPropW(hWnd, kObjectProp, self);
        }
    } else {
        self = static_cast<CNTWindow*>(::GetPropW(hWnd, kObjectProp));
    }
    return Dispatch(self, hWnd, msg, wParam, lParam, true);
}

LRESULT CNTWindow::Dispatch(CNTWindow* self, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam,
                            bool property) {
    if (!self) return ::DefWindowProcW(hWnd, msg, wParam, lParam);
    if (msg != WM_NCDESTROY) return self->HandleMessage(msg, wParam, lParam);
    LRESULT result = ::CallWindowProcW(self->m_pfnOldWndProc, hWnd, msg, wParam, lParam);
    if (property)
        ::RemovePropW(hWnd, kObjectProp);
    else
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
    if (self->m_bSubclassed) self->Unsubclass();
    self->m_hWnd = nullptr;
    self->OnFinalMessage(hWnd);
    return result;
}
