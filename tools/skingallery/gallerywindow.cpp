#include "tools/skingallery/gallerywindow.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cwchar>
#include <memory>

#include "common/util/ntimage.h"

namespace {

constexpr UINT_PTR kTimerStates = 1;
constexpr UINT_PTR kTimerShot = 2;

// Sends a control the events the mouse would, to show a state without moving the pointer.
void SendEvent(CControlUI* control, UIEventType type) {
    if (!control) return;
    TEventUI event;
    event.Type = type;
    RECT rc = control->GetPos();
    event.ptMouse = POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    control->DoEvent(event);
}

}  // namespace

void CGalleryWindow::InitWindow() {
    // The colour choices: 16 grouped options cut from the swatch strip, eight to a row.
    for (int i = 0; i < 16; ++i) {
        auto* row =
            dynamic_cast<CContainerUI*>(m_pm.FindControl(i < 8 ? L"color_row1" : L"color_row2"));
        if (!row) return;
        auto* option = new COptionUI;
        wchar_t name[16], image[96];
        swprintf(name, 16, L"btn_color%d", i + 1);
        swprintf(image, 96, L"file='colorlarge.png' source='%d,0,%d,28' dest='3,3,19,19'", i * 28,
                 i * 28 + 28);
        option->SetAttribute(L"name", name);
        option->SetAttribute(L"group", L"color");
        option->SetAttribute(L"width", L"22");
        option->SetAttribute(L"height", L"22");
        option->SetAttribute(L"borderround", L"5");
        option->SetAttribute(L"hotbkcolor", L"#FFB8C2CE");
        option->SetAttribute(L"selectedbkcolor", L"#FF1E88E5");
        option->SetAttribute(L"bkimage", image);
        option->SetAttribute(L"selected", i == 5 ? L"true" : L"false");
        row->Add(option);
    }
    if (!m_shotPath.empty()) SetTimer(kTimerStates, 600);
}

void CGalleryWindow::Notify(TNotifyUI& msg) {
    std::wstring sender = msg.pSender ? msg.pSender->GetName() : std::wstring();
    if (msg.sType == kNotifySelectChanged && sender == L"more_opt") {
        if (CControlUI* group = m_pm.FindControl(L"more_group"))
            group->SetVisible(static_cast<COptionUI*>(msg.pSender)->IsSelected());
    } else if (msg.sType == kNotifySelectChanged && sender.rfind(L"btn_color", 0) == 0) {
        int n = _wtoi(sender.c_str() + 9);
        wchar_t image[64];
        swprintf(image, 64, L"file='colorlarge.png' source='%d,0,%d,28'", (n - 1) * 28, n * 28);
        if (CControlUI* preview = m_pm.FindControl(L"colorlarge")) preview->SetBkImage(image);
    }
    if (msg.sType != kNotifyWindowInit) {
        std::wstring line = msg.sType + L"  " + sender;
        if (msg.sType == kNotifyTextChanged || msg.sType == kNotifyItemSelect)
            line += L"  \"" + msg.pSender->GetText() + L"\"";
        if (msg.sType == kNotifyValueChanged || msg.sType == kNotifyValueChangedMove)
            line += L"  " + std::to_wstring(static_cast<CSliderUI*>(msg.pSender)->GetValue());
        ShowEvent(line);
    }
    WindowImplBase::Notify(msg);
}

void CGalleryWindow::ShowEvent(const std::wstring& text) {
    if (CControlUI* events = m_pm.FindControl(L"event_txt")) events->SetText(text.c_str());
}

void CGalleryWindow::OpenMenu(POINT screenPoint) {
    (new CMenuWnd(m_hWnd))->Init(nullptr, kMenuMessage, L"menu.xml", L"xml", screenPoint);
}

void CGalleryWindow::ShowStates() {
    SendEvent(m_pm.FindControl(L"hot_btn"), UIEVENT_MOUSEENTER);
    SendEvent(m_pm.FindControl(L"pushed_btn"), UIEVENT_MOUSEENTER);
    SendEvent(m_pm.FindControl(L"pushed_btn"), UIEVENT_BUTTONDOWN);
    SendEvent(m_pm.FindControl(L"arrow_btn"), UIEVENT_MOUSEENTER);
    SendEvent(m_pm.FindControl(L"auto_opt"), UIEVENT_MOUSEENTER);
    if (CControlUI* more = m_pm.FindControl(L"more_opt"))
        static_cast<COptionUI*>(more)->Selected(true);
    if (CControlUI* user = m_pm.FindControl(L"user_edt")) user->SetFocus();
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    OpenMenu(POINT{rc.left + 300, rc.top + 330});
}

bool CGalleryWindow::SaveShot() {
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    int width = rc.right - rc.left, height = rc.bottom - rc.top;
    HDC screen = ::GetDC(nullptr);
    HDC mem = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(mem, bitmap);
    // The screen, not the window: the menu and the edit children are part of the picture.
    ::BitBlt(mem, 0, 0, width, height, screen, rc.left, rc.top, SRCCOPY);
    ::SelectObject(mem, old);
    ::DeleteDC(mem);
    ::ReleaseDC(nullptr, screen);
    bool saved = false;
    {
        Gdiplus::Bitmap image(bitmap, nullptr);
        saved = NTSaveImageToFile(&image, m_shotPath.c_str(), L"png", 0) != 0;
    }
    ::DeleteObject(bitmap);
    return saved;
}

LRESULT CGalleryWindow::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam,
                                            BOOL& bHandled) {
    if (uMsg == WM_RBUTTONUP) {
        POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ::ClientToScreen(m_hWnd, &pt);
        OpenMenu(pt);
        bHandled = TRUE;
        return 0;
    }
    if (uMsg == kMenuMessage) {
        auto* msg = reinterpret_cast<TNotifyUI*>(wParam);
        auto* menu = reinterpret_cast<CPaintManagerUI*>(lParam);
        // The menu offers whichever of hide and show fits, as the capture menu does.
        if (msg->sType == kNotifyWindowInit) {
            if (CControlUI* item = menu->FindControl(L"showtool_btn")) item->SetVisible(false);
        } else if (msg->sType == kNotifyItemClick && msg->pSender) {
            ShowEvent(L"menu  " + msg->pSender->GetName());
        }
        bHandled = TRUE;
        return 0;
    }
    if (uMsg == WM_TIMER && wParam == kTimerStates) {
        KillTimer(kTimerStates);
        ShowStates();
        SetTimer(kTimerShot, 500);
        bHandled = TRUE;
        return 0;
    }
    if (uMsg == WM_TIMER && wParam == kTimerShot) {
        KillTimer(kTimerShot);
        ::PostQuitMessage(SaveShot() ? 0 : 1);
        bHandled = TRUE;
        return 0;
    }
    bHandled = FALSE;
    return 0;
}

void CGalleryWindow::OnFinalMessage(HWND hWnd) {
    WindowImplBase::OnFinalMessage(hWnd);
    ::PostQuitMessage(0);
    delete this;
}
