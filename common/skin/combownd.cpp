#include "common/skin/combownd.h"

#include "common/skin/comboui.h"
#include "common/skin/paintmanagerui.h"
#include "common/skin/uirender.h"
#include "common/window/ntmemdc.h"

namespace {

constexpr int kBorder = 1;

}  // namespace

bool CComboWnd::Open(CComboUI* owner, CComboWnd*& out) {
    CPaintManagerUI* manager = owner->GetManager();
    if (!manager || !manager->GetPaintWindow()) return false;
    RECT rc = owner->GetPos();
    POINT topLeft{rc.left, rc.bottom + 2};
    ::ClientToScreen(manager->GetPaintWindow(), &topLeft);
    int width = rc.right - rc.left;
    int height = owner->GetCount() * owner->GetItemHeight() + 2 * kBorder;
    // Open upwards when the list would leave the monitor's work area.
    MONITORINFO mi{sizeof(mi)};
    ::GetMonitorInfoW(::MonitorFromPoint(topLeft, MONITOR_DEFAULTTONEAREST), &mi);
    if (topLeft.y + height > mi.rcWork.bottom) {
        POINT above{rc.left, rc.top - 2};
        ::ClientToScreen(manager->GetPaintWindow(), &above);
        topLeft.y = above.y - height;
    }
    auto* list = new CComboWnd(owner);
    if (!list->Create(manager->GetPaintWindow(), L"", WS_POPUP,
                      WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, topLeft.x, topLeft.y,
                      width, height)) {
        delete list;
        return false;
    }
    out = list;
    ::ShowWindow(list->GetHWND(), SW_SHOWNOACTIVATE);
    ::SetCapture(list->GetHWND());
    return true;
}

void CComboWnd::Detach() {
    m_owner = nullptr;
    if (::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

int CComboWnd::ItemAt(POINT pt) const {
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    if (!m_owner || !::PtInRect(&rc, pt) || pt.y < kBorder) return -1;
    int index = (pt.y - kBorder) / m_owner->GetItemHeight();
    return index < m_owner->GetCount() ? index : -1;
}

LRESULT CComboWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_MOUSEMOVE: {
            int hot = ItemAt(
                POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
            if (hot != m_hot) {
                m_hot = hot;
                ::InvalidateRect(m_hWnd, nullptr, FALSE);
            }
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            if (ItemAt(POINT{static_cast<short>(LOWORD(lParam)),
                             static_cast<short>(HIWORD(lParam))}) < 0)
                ::DestroyWindow(m_hWnd);
            return 0;
        case WM_LBUTTONUP: {
            int index = ItemAt(
                POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
            if (index < 0) return 0;
            CComboUI* owner = m_owner;
            // Closed first: the choice may lead the window to hide or destroy the combo box.
            ::DestroyWindow(m_hWnd);
            if (owner) owner->SelectItem(index);
            return 0;
        }
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != m_hWnd) ::DestroyWindow(m_hWnd);
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) ::DestroyWindow(m_hWnd);
            return 0;
    }
    return CNTWindow::HandleMessage(msg, wParam, lParam);
}

void CComboWnd::OnFinalMessage(HWND) {
    if (m_owner) {
        m_owner->OnDropDownClosed();
        m_owner->Invalidate();
    }
    delete this;
}

void CComboWnd::Paint() {
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    {
        CNTMemDC mem(hdc, client, 0xFFFFFF);
        HDC dc = mem.GetSafeHdc();
        UIFillRect(dc, client, 0xFFFFFFFF, 0);
        if (m_owner) {
            int h = m_owner->GetItemHeight();
            for (int i = 0; i < m_owner->GetCount(); ++i) {
                RECT item{kBorder, kBorder + i * h, client.right - kBorder, kBorder + (i + 1) * h};
                bool current = i == m_owner->GetCurSel();
                if (i == m_hot) UIFillRect(dc, item, 0xFFE8F1FC, 0);
                RECT text{item.left + 10, item.top, item.right - 10, item.bottom};
                UIDrawText(dc, text, m_owner->GetItemText(i),
                           current ? m_owner->GetAccentColor() : 0xFF333333, m_owner->GetItemFont(),
                           DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS);
            }
        }
        UIDrawBorder(dc, client, 0xFFC9D3DD, kBorder, 0);
    }
    ::EndPaint(m_hWnd, &ps);
}
