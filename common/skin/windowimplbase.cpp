#include "common/skin/windowimplbase.h"

#include <vector>

#include "common/skin/buttonui.h"
#include "common/skin/controlui.h"
#include "common/skin/dialogbuilder.h"

WindowImplBase::~WindowImplBase() {
    // An object that goes before its window (a child bar held by value, say) takes the window
    // with it, or the window's later messages would reach a dead object. Only the base's
    // handlers run now.
    if (::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

HWND WindowImplBase::Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle, int x,
                            int y, int width, int height, HMENU menu) {
    bool reached = false;
    m_createReached = &reached;
    HWND hWnd = CWindowWnd::Create(parent, name, style, exStyle, x, y, width, height, menu);
    // Once the window existed, a failure has run OnFinalMessage and the object may be gone.
    if (reached) return hWnd;
    m_createReached = nullptr;
    // No window ever existed (class or parent refused): the same end as a failed WM_CREATE.
    if (!hWnd) OnFinalMessage(nullptr);
    return hWnd;
}

HWND WindowImplBase::Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle,
                            const RECT& rc, HMENU menu) {
    return Create(parent, name, style, exStyle, rc.left, rc.top, rc.right - rc.left,
                  rc.bottom - rc.top, menu);
}

void WindowImplBase::DropQueuedCloses() {
    // The filter also yields the closes of child windows; those are put back.
    std::vector<MSG> others;
    MSG queued;
    while (::PeekMessageW(&queued, m_hWnd, WM_CLOSE, WM_CLOSE, PM_REMOVE)) {
        if (queued.hwnd != m_hWnd) others.push_back(queued);
    }
    for (const MSG& msg : others) ::PostMessageW(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

bool WindowImplBase::IsChildWindow() const {
    return (::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_CHILD) != 0;
}

void WindowImplBase::Notify(TNotifyUI& msg) {
    if (msg.sType == kNotifyClick && !msg.bHandled) OnClick(msg);
}

void WindowImplBase::OnClick(TNotifyUI& msg) {
    if (!msg.pSender) return;
    const std::wstring& name = msg.pSender->GetName();
    if (name == L"closebtn")
        Close(IDCANCEL);
    else if (name == L"minbtn")
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    else if (name == L"maxbtn")
        SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    else if (name == L"restorebtn")
        SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
}

LRESULT WindowImplBase::MessageHandler(UINT, WPARAM, LPARAM, bool&) { return 0; }

LRESULT WindowImplBase::ResponseDefaultKeyEvent(WPARAM wParam) {
    if (wParam == VK_RETURN) {
        auto* button = dynamic_cast<CButtonUI*>(m_pm.GetDefaultButton());
        return button && button->Activate() ? 1 : 0;
    }
    if (wParam == VK_ESCAPE) {
        Close(IDCANCEL);
        return 1;
    }
    return 0;
}

LRESULT WindowImplBase::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    BOOL handled = TRUE;
    switch (uMsg) {
        case WM_NCCREATE:
            if (m_createReached) *m_createReached = true;
            m_createReached = nullptr;
            handled = FALSE;
            break;
        case WM_CREATE:
            result = OnCreate(uMsg, wParam, lParam, handled);
            break;
        case WM_CLOSE: {
            // Several closes queued at once (Escape and the close button in quick succession,
            // say) are one request: a window that asks before closing asks once.
            DropQueuedCloses();
            result = OnClose(uMsg, wParam, lParam, handled);
            break;
        }
        case WM_DESTROY:
            result = OnDestroy(uMsg, wParam, lParam, handled);
            break;
        case WM_NCACTIVATE:
            result = OnNcActivate(uMsg, wParam, lParam, handled);
            break;
        case WM_NCCALCSIZE:
            result = OnNcCalcSize(uMsg, wParam, lParam, handled);
            break;
        case WM_NCPAINT:
            result = OnNcPaint(uMsg, wParam, lParam, handled);
            break;
        case WM_NCHITTEST:
            result = OnNcHitTest(uMsg, wParam, lParam, handled);
            break;
        case WM_GETMINMAXINFO:
            result = OnGetMinMaxInfo(uMsg, wParam, lParam, handled);
            break;
        case WM_SIZE:
            result = OnSize(uMsg, wParam, lParam, handled);
            break;
        case WM_SYSCOMMAND:
            result = OnSysCommand(uMsg, wParam, lParam, handled);
            break;
        default:
            handled = FALSE;
            break;
    }
    if (handled) return result;
    result = HandleCustomMessage(uMsg, wParam, lParam, handled);
    if (handled) return result;
    if (m_pm.MessageHandler(uMsg, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void WindowImplBase::OnFinalMessage(HWND) {
    if (m_createReached) *m_createReached = true;
    m_createReached = nullptr;
    m_pm.RemoveNotifier(this);
    m_pm.RemoveMessageFilter(this);
    m_pm.SetDefaultKeyHandler(nullptr);
    m_pm.Init(nullptr);
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = TRUE;
    LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    // The skin draws the whole window: no system frame, and children are not painted over.
    if (!(style & WS_CHILD)) style &= ~(WS_CAPTION | WS_THICKFRAME);
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, style | WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
    m_pm.Init(m_hWnd);
    m_pm.SetSkinFolder(GetSkinFolder());
    CDialogBuilder builder;
    CControlUI* root = builder.Create(GetSkinFile(), this, &m_pm);
    if (!root) return -1;
    m_pm.AttachDialog(root);
    m_pm.AddNotifier(this);
    m_pm.AddMessageFilter(this);
    m_pm.SetDefaultKeyHandler(this);
    SIZE size = m_pm.GetInitSize();
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_NOMOVE;
    if (size.cx <= 0 || size.cy <= 0) flags |= SWP_NOSIZE;
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, size.cx, size.cy, flags);
    m_pm.NeedUpdate();
    InitWindow();
    m_pm.SendNotify(root, kNotifyWindowInit);
    return 0;
}

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    // No system caption to repaint; a minimized window still needs the default.
    if (::IsIconic(m_hWnd) || IsChildWindow()) bHandled = FALSE;
    return wParam == 0 ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    // The client area is the whole window.
    if (!wParam || IsChildWindow()) bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    if (IsChildWindow()) bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, BOOL& bHandled) {
    POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ::ScreenToClient(m_hWnd, &pt);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    if (!::PtInRect(&client, pt)) {
        bHandled = FALSE;
        return 0;
    }
    const RECT& caption = m_pm.GetCaptionRect();
    if (pt.x >= client.left + caption.left && pt.x < client.right - caption.right &&
        pt.y >= client.top + caption.top && pt.y < client.top + caption.bottom) {
        CControlUI* control = m_pm.FindControl(pt);
        if (!control || !control->IsInteractive()) return HTCAPTION;
    }
    return HTCLIENT;
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL& bHandled) {
    // Maximized, a frameless window covers the work area, not the taskbar.
    MONITORINFO mi{sizeof(mi)};
    if (!::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &mi)) {
        bHandled = FALSE;
        return 0;
    }
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMaxPosition =
        POINT{mi.rcWork.left - mi.rcMonitor.left, mi.rcWork.top - mi.rcMonitor.top};
    info->ptMaxSize = POINT{mi.rcWork.right - mi.rcWork.left, mi.rcWork.bottom - mi.rcWork.top};
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    SIZE round = m_pm.GetRoundCorner();
    if (round.cx > 0 && round.cy > 0 && wParam != SIZE_MINIMIZED) {
        int width = LOWORD(lParam), height = HIWORD(lParam);
        bool maximized = wParam == SIZE_MAXIMIZED;
        HRGN region = maximized
                          ? nullptr
                          : ::CreateRoundRectRgn(0, 0, width + 1, height + 1, round.cx, round.cy);
        // The system owns the region from here on.
        ::SetWindowRgn(m_hWnd, region, TRUE);
    }
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    return 0;
}
