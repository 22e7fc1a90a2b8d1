#include "common/skin/labelui.h"

#include "common/skin/uiparse.h"
#include "common/skin/uirender.h"

// Labels are text only; clicks go to whatever lies beneath.
CLabelUI::CLabelUI() { m_mouseEnabled = false; }

const wchar_t* CLabelUI::GetClass() const { return L"Label"; }

void CLabelUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    std::wstring n = name, v = value;
    RECT rc;
    bool b;
    if (n == L"align") {
        m_textStyle &= ~(DT_LEFT | DT_CENTER | DT_RIGHT);
        m_textStyle |= v == L"center" ? DT_CENTER : v == L"right" ? DT_RIGHT : DT_LEFT;
    } else if (n == L"valign") {
        m_textStyle &= ~(DT_TOP | DT_VCENTER | DT_BOTTOM);
        m_textStyle |= v == L"top" ? DT_TOP : v == L"bottom" ? DT_BOTTOM : DT_VCENTER;
    } else if (n == L"textpadding") {
        if (UIParseRect(value, rc)) m_textPadding = rc;
    } else if (n == L"endellipsis") {
        if (UIParseBool(value, b)) {
            if (b)
                m_textStyle |= DT_END_ELLIPSIS;
            else
                m_textStyle &= ~DT_END_ELLIPSIS;
        }
    } else if (n == L"multiline") {
        if (UIParseBool(value, b)) {
            if (b) {
                m_textStyle &= ~(DT_SINGLELINE | DT_VCENTER | DT_BOTTOM);
                m_textStyle |= DT_WORDBREAK;
            } else {
                m_textStyle &= ~DT_WORDBREAK;
                m_textStyle |= DT_SINGLELINE;
            }
        }
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

DWORD CLabelUI::CurrentTextColor() const { return IsEnabled() ? m_textColor : m_disabledTextColor; }

RECT CLabelUI::TextRect() const {
    return RECT{m_rcItem.left + m_textPadding.left, m_rcItem.top + m_textPadding.top,
                m_rcItem.right - m_textPadding.right, m_rcItem.bottom - m_textPadding.bottom};
}

void CLabelUI::PaintText(HDC hdc) {
    UIDrawText(hdc, TextRect(), m_text, CurrentTextColor(), GetFontHandle(), m_textStyle);
}
