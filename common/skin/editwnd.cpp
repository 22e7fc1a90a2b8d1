#include "common/skin/editwnd.h"

#include "common/skin/editui.h"
#include "common/skin/paintmanagerui.h"

LRESULT CEditWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    CPaintManagerUI* manager = m_owner ? m_owner->GetManager() : nullptr;
    if (manager) {
        if (msg == WM_KEYDOWN && manager->HandleChildKey(msg, wParam, lParam)) return 0;
        // The edit beeps at characters it cannot take; these keys belong to the window.
        if (msg == WM_CHAR && (wParam == L'\t' || wParam == L'\r' || wParam == 0x1B)) return 0;
    }
    if (msg == WM_SETFOCUS || msg == WM_KILLFOCUS) {
        // Only here is it known where the focus goes (wParam of WM_KILLFOCUS).
        LRESULT result = CNTWindow::HandleMessage(msg, wParam, lParam);
        if (m_owner) m_owner->OnNativeFocus(msg == WM_SETFOCUS, reinterpret_cast<HWND>(wParam));
        return result;
    }
    return CNTWindow::HandleMessage(msg, wParam, lParam);
}
