#include "uploader/ui/feltrinewindow.h"

namespace {

// Private message that runs the dispatcher's queued updates (WM_WORKER_DONE is WM_USER + 1).
constexpr UINT WM_RUN_UPDATES = WM_USER + 2;

}  // namespace

CFeltrineWindow::CFeltrineWindow() : m_dispatcher(WM_RUN_UPDATES) {}

UINT CFeltrineWindow::GetClassStyle() const { return CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS; }

LRESULT CFeltrineWindow::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    // A double click on the caption neither maximizes nor restores.
    if (uMsg == WM_NCLBUTTONDBLCLK) return 0;
    if (uMsg == m_dispatcher.Message()) {
        m_dispatcher.RunPending();
        return 0;
    }
    return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

LRESULT CFeltrineWindow::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) {
    if (uMsg == WM_KEYDOWN && wParam == VK_ESCAPE) {
        bHandled = true;
        return 0;
    }
    return WindowImplBase::MessageHandler(uMsg, wParam, lParam, bHandled);
}

void CFeltrineWindow::OnFinalMessage(HWND hWnd) {
    WindowImplBase::OnFinalMessage(hWnd);
    delete this;
}

LRESULT CFeltrineWindow::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    m_dispatcher.Attach(m_hWnd);
    return WindowImplBase::OnCreate(uMsg, wParam, lParam, bHandled);
}

LRESULT CFeltrineWindow::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam,
                                             BOOL& bHandled) {
    if (uMsg != WM_WORKER_DONE) {
        bHandled = FALSE;
        return 0;
    }
    bHandled = TRUE;
    OnWorkerDone(wParam);
    return 0;
}

LRESULT CFeltrineWindow::OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    if ((wParam & 0xFFF0) == SC_CLOSE) {
        bHandled = FALSE;
        return 0;
    }
    bool wasZoomed = ::IsZoomed(m_hWnd) != FALSE;
    LRESULT result = CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    bool zoomed = ::IsZoomed(m_hWnd) != FALSE;
    if (zoomed != wasZoomed) {
        if (CControlUI* max = m_pm.FindControl(L"maxbtn")) max->SetVisible(!zoomed);
        if (CControlUI* restore = m_pm.FindControl(L"restorebtn")) restore->SetVisible(zoomed);
    }
    return result;
}

void CFeltrineWindow::ShowBusyCursor(bool busy) {
    HCURSOR cursor = ::LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW);
    ::SetClassLongPtrW(m_hWnd, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
    // The class cursor shows at the next mouse move; the pointer over the window changes now.
    POINT pt;
    if (::GetCursorPos(&pt) && ::WindowFromPoint(pt) == m_hWnd) ::SetCursor(cursor);
}

void CFeltrineWindow::SetControlText(CControlUI* control, const std::wstring& text) {
    if (control) control->SetText(text.c_str());
}

void CFeltrineWindow::EnableControl(CControlUI* control, bool enabled) {
    if (control) control->SetEnabled(enabled);
}
