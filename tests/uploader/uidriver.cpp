#include "uidriver.h"

#include <gtest/gtest.h>

#include "uploader/ui/feltrinewindow.h"

CFeltrineWindow* WindowObject(HWND hWnd) {
    if (!IsWindow(hWnd)) return nullptr;
    auto* object = reinterpret_cast<CNTWindow*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    return dynamic_cast<CFeltrineWindow*>(object);
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
