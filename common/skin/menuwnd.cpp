#include "common/skin/menuwnd.h"

#include <algorithm>

#include "common/skin/containerui.h"
#include "common/skin/menuelementui.h"

namespace {

// The window a menu opened at point without a named owner is for.
HWND OwnerAt(POINT point) {
    HWND at = ::WindowFromPoint(point);
    HWND root = at ? ::GetAncestor(at, GA_ROOT) : nullptr;
    if (root && ::GetWindowThreadProcessId(root, nullptr) == ::GetCurrentThreadId()) return root;
    return ::GetActiveWindow();
}

}  // namespace

bool CMenuWnd::Init(CMenuElementUI* ownerElement, UINT message, const wchar_t* skinFile,
                    const wchar_t* skinType, POINT point) {
    if (ownerElement && ownerElement->GetManager() && ownerElement->GetManager()->GetPaintWindow())
        m_owner = ownerElement->GetManager()->GetPaintWindow();
    m_message = message;
    m_skinFile = skinFile ? skinFile : L"";
    if ((skinType && *skinType && std::wstring(skinType) != L"xml") || m_skinFile.empty()) {
        delete this;
        return false;
    }
    if (!m_owner) m_owner = OwnerAt(point);
    // Owned by its window, the menu is destroyed with it. A failed creation has run
    // OnFinalMessage, which deleted the object.
    if (!Create(m_owner, L"", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE,
                point.x, point.y, 0, 0))
        return false;
    m_pm.SetPopupMode(true);
    Place(point);
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    ::SetCapture(m_hWnd);
    return true;
}

void CMenuWnd::Place(POINT point) {
    SIZE size = m_pm.GetInitSize();
    if (auto* root = dynamic_cast<CContainerUI*>(m_pm.GetRoot())) {
        SIZE wrapped = root->WrapSize();
        if (size.cx <= 0) size.cx = wrapped.cx;
        if (size.cy <= 0) size.cy = wrapped.cy;
    }
    // Opens to the left of or above the point when it would leave the work area.
    MONITORINFO mi{sizeof(mi)};
    ::GetMonitorInfoW(::MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &mi);
    int x = point.x, y = point.y;
    if (x + size.cx > mi.rcWork.right) x = std::max<int>(mi.rcWork.left, point.x - size.cx);
    if (y + size.cy > mi.rcWork.bottom) y = std::max<int>(mi.rcWork.top, point.y - size.cy);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, x, y, size.cx, size.cy, SWP_NOACTIVATE);
    m_pm.NeedUpdate();
}

void CMenuWnd::Notify(TNotifyUI& msg) {
    // An owner that is a child window can go before the menu does; a menu for nobody closes.
    if (!::IsWindow(m_owner)) {
        Close(IDCANCEL);
        return;
    }
    if (m_message)
        ::SendMessageW(m_owner, m_message, reinterpret_cast<WPARAM>(&msg),
                       reinterpret_cast<LPARAM>(&m_pm));
    if (msg.sType == kNotifyItemClick) Close(IDOK);
}

LRESULT CMenuWnd::ResponseDefaultKeyEvent(WPARAM wParam) {
    if (wParam != VK_ESCAPE) return 0;
    Close(IDCANCEL);
    return 1;
}

LRESULT CMenuWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            RECT client;
            ::GetClientRect(m_hWnd, &client);
            if (!::PtInRect(&client, pt)) {
                Close(IDCANCEL);
                return 0;
            }
            break;
        }
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != m_hWnd) Close(IDCANCEL);
            return 0;
    }
    return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

void CMenuWnd::OnFinalMessage(HWND hWnd) {
    WindowImplBase::OnFinalMessage(hWnd);
    delete this;
}
