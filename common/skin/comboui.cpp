#include "common/skin/comboui.h"

#include "common/skin/combownd.h"
#include "common/skin/paintmanagerui.h"
#include "common/skin/uiparse.h"
#include "common/skin/uirender.h"

CComboUI::CComboUI() {
    m_textStyle = DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS;
    m_textPadding = RECT{10, 0, 28, 0};
}

CComboUI::~CComboUI() {
    if (m_dropDown) m_dropDown->Detach();
}

const wchar_t* CComboUI::GetClass() const { return L"Combo"; }

void CComboUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    std::wstring n = name;
    int i;
    DWORD c;
    if (n == L"cursel") {
        if (UIParseInt(value, i)) SelectItem(i, false);
    } else if (n == L"itemheight") {
        if (UIParseInt(value, i) && i > 0) m_itemHeight = i;
    } else if (n == L"accentcolor") {
        if (UIParseColor(value, c)) m_accentColor = c;
    } else {
        CButtonUI::SetAttribute(name, value);
    }
}

bool CComboUI::Activate() {
    if (!CButtonUI::Activate()) return false;
    if (!m_dropDown && !m_items.empty()) CComboWnd::Open(this, m_dropDown);
    return true;
}

void CComboUI::AddItem(const wchar_t* text) {
    m_items.emplace_back(text ? text : L"");
    if (m_curSel < 0) m_curSel = 0;
    Invalidate();
}

std::wstring CComboUI::GetItemText(int index) const {
    if (index < 0 || index >= GetCount()) return std::wstring();
    return m_items[static_cast<size_t>(index)];
}

bool CComboUI::SelectItem(int index, bool notify) {
    if (index < 0 || index >= GetCount()) return false;
    int old = m_curSel;
    if (old == index) return true;
    m_curSel = index;
    Invalidate();
    if (notify && m_manager)
        m_manager->SendNotify(this, kNotifyItemSelect, static_cast<WPARAM>(index),
                              static_cast<LPARAM>(old));
    return true;
}

std::wstring CComboUI::GetText() const { return GetItemText(m_curSel); }

void CComboUI::PaintText(HDC hdc) {
    UIDrawText(hdc, TextRect(), GetText(), CurrentTextColor(), GetFontHandle(), m_textStyle);
}

void CComboUI::PaintStatusImage(HDC hdc) {
    CButtonUI::PaintStatusImage(hdc);
    // The arrow: a small chevron drawn as two strokes of a filled triangle.
    int cx = m_rcItem.right - 16, cy = (m_rcItem.top + m_rcItem.bottom) / 2;
    DWORD color = IsEnabled() ? (IsDropped() ? m_accentColor : 0xFF707070) : m_disabledTextColor;
    for (int row = 0; row < 4; ++row) {
        RECT line{cx - 4 + row, cy - 2 + row, cx + 5 - row, cy - 1 + row};
        UIFillRect(hdc, line, color, 0);
    }
}
