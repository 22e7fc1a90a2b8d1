#include "common/skin/editwnd.h"

#include "common/skin/editui.h"
#include "common/skin/paintmanagerui.h"

LRESULT CEditWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    CPaintManagerUI* manager = m_owner ? m_owner->GetManager() : nullptr;
    if (manager) {
        if (msg == WM_KEYDOWN && wParam == VK_TAB) {
            manager->MoveFocus(::GetKeyState(VK_SHIFT) < 0);
            return 0;
        }
        if (msg == WM_KEYDOWN && manager->FilterChildKey(msg, wParam, lParam)) return 0;
        // The edit beeps at characters it cannot take; these keys belong to the window.
        if (msg == WM_CHAR && (wParam == L'\t' || wParam == L'\r' || wParam == 0x1B)) return 0;
    }
    return CNTWindow::HandleMessage(msg, wParam, lParam);
}
