#include "capture/window/skinprobe.h"

POINT SkinProbe::ControlCenter(HWND bar, const wchar_t* skinFile, const wchar_t* control,
                               std::initializer_list<const wchar_t*> hidden) {
    RECT barRect;
    if (!::GetWindowRect(bar, &barRect)) return POINT{-1, -1};
    SkinProbe probe(skinFile);
    if (!probe.Create(nullptr, L"", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0)) return POINT{-1, -1};
    for (const wchar_t* name : hidden) {
        if (CControlUI* gone = probe.m_pm.FindControl(name)) gone->SetVisible(false);
    }
    ::SetWindowPos(probe.GetHWND(), nullptr, 0, 0, barRect.right - barRect.left,
                   barRect.bottom - barRect.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    POINT center{-1, -1};
    if (CControlUI* found = probe.m_pm.FindControl(control)) {
        RECT rc = found->GetPos();
        center =
            POINT{barRect.left + (rc.left + rc.right) / 2, barRect.top + (rc.top + rc.bottom) / 2};
    }
    ::DestroyWindow(probe.GetHWND());
    return center;
}
