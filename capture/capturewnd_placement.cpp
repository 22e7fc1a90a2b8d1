// Where the toolbar and the option bar appear once a selection settles.
#include "capture/capturegeometry.h"
#include "capture/ccmcapturescreenwnd.h"

void CCMCaptureScreenWnd::PlaceToolbar() {
    HWND toolbar = m_toolbar.GetHWND();
    RECT current;
    ::GetWindowRect(toolbar, &current);
    SIZE size = {current.right - current.left, current.bottom - current.top};
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromRect(&m_rcSelection, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT place = CMPlaceToolbarRect(m_rcSelection, size, monitor.rcWork);
    ::SetWindowPos(toolbar, nullptr, place.left - m_rcWindow.left, place.top - m_rcWindow.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    ::ShowWindow(toolbar, SW_SHOWNOACTIVATE);
    m_toolbar.UpdateOptionBar(true);
}

void CCMCaptureScreenWnd::HideBars() {
    ::ShowWindow(m_toolbar.GetHWND(), SW_HIDE);
    m_optionBar.Hide();
}
