#include "common/skin/optionui.h"

#include "common/skin/paintmanagerui.h"
#include "common/skin/uiparse.h"
#include "common/skin/uirender.h"

const wchar_t* COptionUI::GetClass() const { return L"Option"; }

void COptionUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    std::wstring n = name;
    DWORD c;
    bool b;
    if (n == L"group") {
        m_group = value;
    } else if (n == L"selected") {
        if (UIParseBool(value, b)) Selected(b, false);
    } else if (n == L"selectedimage") {
        m_selectedImage = value;
    } else if (n == L"selectedhotimage") {
        m_selectedHotImage = value;
    } else if (n == L"selectedforeimage") {
        m_selectedForeImage = value;
    } else if (n == L"selectedbkcolor") {
        if (UIParseColor(value, c)) m_selectedBkColor = c;
    } else if (n == L"selectedtextcolor") {
        if (UIParseColor(value, c)) m_selectedTextColor = c;
    } else {
        CButtonUI::SetAttribute(name, value);
    }
}

bool COptionUI::Activate() {
    if (!CButtonUI::Activate()) return false;
    // A grouped option cannot be clicked off: one of the group always stays selected.
    Selected(m_group.empty() ? !m_selected : true);
    return true;
}

void COptionUI::Selected(bool selected, bool notify) {
    if (m_selected == selected) return;
    m_selected = selected;
    Invalidate();
    if (!m_manager) return;
    if (!m_group.empty() && selected) {
        for (COptionUI* other : m_manager->GetOptionGroup(m_group)) {
            if (other != this) other->Selected(false, false);
        }
    }
    if (notify && (m_group.empty() || selected)) m_manager->SendNotify(this, kNotifySelectChanged);
}

void COptionUI::PaintBkColor(HDC hdc) {
    if (m_selected && m_selectedBkColor && IsEnabled() && !m_pushed)
        UIFillRect(hdc, m_rcItem, m_selectedBkColor, m_borderRound);
    else
        CButtonUI::PaintBkColor(hdc);
}

void COptionUI::PaintStateImage(HDC hdc) {
    if (m_selected && IsEnabled() &&
        ((m_hot && DrawImage(hdc, m_selectedHotImage)) || DrawImage(hdc, m_selectedImage)))
        return;
    CButtonUI::PaintStateImage(hdc);
}

void COptionUI::PaintForeImage(HDC hdc) {
    if (m_selected && IsEnabled() && DrawImage(hdc, m_selectedForeImage)) return;
    CButtonUI::PaintForeImage(hdc);
}

DWORD COptionUI::CurrentTextColor() const {
    if (m_selected && m_selectedTextColor && IsEnabled()) return m_selectedTextColor;
    return CButtonUI::CurrentTextColor();
}
