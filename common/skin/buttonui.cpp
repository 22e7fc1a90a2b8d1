#include "common/skin/buttonui.h"

#include "common/skin/paintmanagerui.h"
#include "common/skin/uiparse.h"
#include "common/skin/uirender.h"

CButtonUI::CButtonUI() {
    m_mouseEnabled = true;
    m_textStyle = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
}

const wchar_t* CButtonUI::GetClass() const { return L"Button"; }

void CButtonUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    std::wstring n = name;
    DWORD c;
    if (n == L"normalimage")
        m_normalImage = value;
    else if (n == L"hotimage")
        m_hotImage = value;
    else if (n == L"pushedimage")
        m_pushedImage = value;
    else if (n == L"disabledimage")
        m_disabledImage = value;
    else if (n == L"foreimage")
        m_foreImage = value;
    else if (n == L"hotbkcolor") {
        if (UIParseColor(value, c)) m_hotBkColor = c;
    } else if (n == L"pushedbkcolor") {
        if (UIParseColor(value, c)) m_pushedBkColor = c;
    } else if (n == L"disabledbkcolor") {
        if (UIParseColor(value, c)) m_disabledBkColor = c;
    } else if (n == L"hottextcolor") {
        if (UIParseColor(value, c)) m_hotTextColor = c;
    } else if (n == L"pushedtextcolor") {
        if (UIParseColor(value, c)) m_pushedTextColor = c;
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

void CButtonUI::DoEvent(TEventUI& event) {
    if (!IsEnabled()) return;
    switch (event.Type) {
        case UIEVENT_MOUSEENTER:
            m_hot = true;
            Invalidate();
            break;
        case UIEVENT_MOUSELEAVE:
            m_hot = false;
            Invalidate();
            break;
        case UIEVENT_BUTTONDOWN:
            m_pushed = true;
            Invalidate();
            break;
        case UIEVENT_MOUSEMOVE: {
            // While the button holds the mouse it looks pushed (and hot) only with the pointer over
            // it.
            bool inside = ::PtInRect(&m_rcItem, event.ptMouse) != FALSE;
            if (m_manager && m_manager->GetCaptureControl() == this && inside != m_pushed) {
                m_pushed = m_hot = inside;
                Invalidate();
            }
            break;
        }
        case UIEVENT_BUTTONUP: {
            bool wasPushed = m_pushed;
            m_pushed = false;
            m_hot = ::PtInRect(&m_rcItem, event.ptMouse) != FALSE;
            Invalidate();
            if (wasPushed && m_hot) Activate();
            break;
        }
        case UIEVENT_CAPTURELOST:
            m_pushed = false;
            m_hot = false;
            Invalidate();
            break;
        default:
            break;
    }
}

void CButtonUI::SetEnabled(bool enabled) {
    if (!enabled) m_hot = m_pushed = false;
    CLabelUI::SetEnabled(enabled);
}

bool CButtonUI::Activate() {
    if (!IsEnabled() || !IsVisible() || !m_manager) return false;
    m_manager->SendNotify(this, kNotifyClick);
    return true;
}

void CButtonUI::PaintBkColor(HDC hdc) {
    DWORD color = m_bkColor;
    if (!IsEnabled()) {
        if (m_disabledBkColor) color = m_disabledBkColor;
    } else if (m_pushed) {
        if (m_pushedBkColor) color = m_pushedBkColor;
    } else if (m_hot) {
        if (m_hotBkColor) color = m_hotBkColor;
    }
    UIFillRect(hdc, m_rcItem, color, m_borderRound);
}

void CButtonUI::PaintStatusImage(HDC hdc) {
    PaintStateImage(hdc);
    PaintForeImage(hdc);
}

void CButtonUI::PaintForeImage(HDC hdc) { DrawImage(hdc, m_foreImage); }

void CButtonUI::PaintStateImage(HDC hdc) {
    bool drawn = false;
    if (!IsEnabled())
        drawn = DrawImage(hdc, m_disabledImage);
    else if (m_pushed)
        drawn = DrawImage(hdc, m_pushedImage) || DrawImage(hdc, m_hotImage);
    else if (m_hot)
        drawn = DrawImage(hdc, m_hotImage);
    if (!drawn) DrawImage(hdc, m_normalImage);
}

DWORD CButtonUI::CurrentTextColor() const {
    if (!IsEnabled()) return m_disabledTextColor;
    if (m_pushed && m_pushedTextColor) return m_pushedTextColor;
    if ((m_hot || m_pushed) && m_hotTextColor) return m_hotTextColor;
    return m_textColor;
}
