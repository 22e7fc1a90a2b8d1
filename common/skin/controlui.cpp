#include "common/skin/controlui.h"

#include <cwchar>

#include "common/skin/paintmanagerui.h"
#include "common/skin/uiparse.h"
#include "common/skin/uirender.h"

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    if (m_manager) m_manager->ReapObjects(this);
}

const wchar_t* CControlUI::GetClass() const { return L"Control"; }

void CControlUI::SetName(const wchar_t* name) { m_name = name ? name : L""; }

std::wstring CControlUI::GetText() const { return m_text; }

void CControlUI::SetText(const wchar_t* text) {
    std::wstring value = text ? text : L"";
    if (value == m_text) return;
    m_text = value;
    Invalidate();
}

void CControlUI::SetManager(CPaintManagerUI* manager, CControlUI* parent) {
    m_manager = manager;
    m_parent = parent;
}

void CControlUI::SetPos(const RECT& rc) {
    RECT old = m_rcItem;
    m_rcItem = rc;
    if (!::EqualRect(&old, &rc)) {
        if (m_manager) {
            m_manager->Invalidate(old);
            m_manager->Invalidate(rc);
        }
    }
}

void CControlUI::SetFixedWidth(int width) {
    if (width < 0 || width == m_fixedSize.cx) return;
    m_fixedSize.cx = width;
    NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int height) {
    if (height < 0 || height == m_fixedSize.cy) return;
    m_fixedSize.cy = height;
    NeedParentUpdate();
}

void CControlUI::SetVisible(bool visible) {
    if (m_visible == visible) return;
    m_visible = visible;
    OnVisibilityChanged();
    if (!IsVisible() && m_manager) m_manager->ReapObjects(this);
    NeedParentUpdate();
}

void CControlUI::SetInternVisible(bool visible) {
    if (m_internVisible == visible) return;
    m_internVisible = visible;
    OnVisibilityChanged();
    if (!IsVisible() && m_manager) m_manager->ReapObjects(this);
}

void CControlUI::SetEnabled(bool enabled) {
    if (m_enabled == enabled) return;
    m_enabled = enabled;
    Invalidate();
    // A control enabled under a still pointer shows its hover look at once.
    if (m_manager) m_manager->RefreshHot();
}

bool CControlUI::IsFocused() const { return m_manager && m_manager->GetFocus() == this; }

void CControlUI::SetFocus() {
    if (m_manager) m_manager->SetFocus(this);
}

void CControlUI::SetBkImage(const wchar_t* image) {
    std::wstring value = image ? image : L"";
    if (value == m_bkImage) return;
    m_bkImage = value;
    Invalidate();
}

void CControlUI::SetBkColor(DWORD argb) {
    if (argb == m_bkColor) return;
    m_bkColor = argb;
    Invalidate();
}

void CControlUI::SetTextColor(DWORD argb) {
    if (argb == m_textColor) return;
    m_textColor = argb;
    Invalidate();
}

void CControlUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    std::wstring n = name;
    RECT rc;
    SIZE sz;
    int i;
    bool b;
    DWORD c;
    if (n == L"name") {
        SetName(value);
    } else if (n == L"text") {
        SetText(value);
    } else if (n == L"width") {
        if (UIParseInt(value, i)) SetFixedWidth(i);
    } else if (n == L"height") {
        if (UIParseInt(value, i)) SetFixedHeight(i);
    } else if (n == L"padding") {
        if (UIParseRect(value, rc)) m_padding = rc;
    } else if (n == L"pos") {
        // Relative to the parent's top-left corner; also fixes the size.
        if (UIParseRect(value, rc)) {
            m_floatPos = rc;
            m_fixedSize = SIZE{rc.right - rc.left, rc.bottom - rc.top};
        }
    } else if (n == L"float") {
        if (UIParseBool(value, b)) m_float = b;
    } else if (n == L"visible") {
        if (UIParseBool(value, b)) SetVisible(b);
    } else if (n == L"enabled") {
        if (UIParseBool(value, b)) SetEnabled(b);
    } else if (n == L"mouse") {
        if (UIParseBool(value, b)) m_mouseEnabled = b;
    } else if (n == L"bkcolor") {
        if (UIParseColor(value, c)) m_bkColor = c;
    } else if (n == L"bkimage") {
        SetBkImage(value);
    } else if (n == L"bordercolor") {
        if (UIParseColor(value, c)) m_borderColor = c;
    } else if (n == L"focusbordercolor") {
        if (UIParseColor(value, c)) m_focusBorderColor = c;
    } else if (n == L"bordersize") {
        if (UIParseInt(value, i) && i >= 0) m_borderSize = i;
    } else if (n == L"borderround") {
        if (UIParseSize(value, sz))
            m_borderRound = sz.cx;
        else if (UIParseInt(value, i))
            m_borderRound = i;
    } else if (n == L"textcolor") {
        if (UIParseColor(value, c)) m_textColor = c;
    } else if (n == L"disabledtextcolor") {
        if (UIParseColor(value, c)) m_disabledTextColor = c;
    } else if (n == L"font") {
        if (UIParseInt(value, i)) m_font = i;
    }
}

CControlUI* CControlUI::FindControlAt(POINT pt) {
    if (!IsVisible() || !::PtInRect(&m_rcItem, pt)) return nullptr;
    return m_mouseEnabled ? this : nullptr;
}

CControlUI* CControlUI::FindControlByName(const std::wstring& name) {
    return !name.empty() && m_name == name ? this : nullptr;
}

void CControlUI::DoPaint(HDC hdc, const RECT& rcPaint) {
    RECT tmp;
    if (!::IntersectRect(&tmp, &rcPaint, &m_rcItem)) return;
    PaintBkColor(hdc);
    PaintBkImage(hdc);
    PaintStatusImage(hdc);
    PaintText(hdc);
    PaintBorder(hdc);
}

void CControlUI::Invalidate() {
    if (m_manager && IsVisible()) m_manager->Invalidate(m_rcItem);
}

void CControlUI::NeedParentUpdate() {
    if (m_manager) m_manager->NeedUpdate();
}

void CControlUI::PaintBkColor(HDC hdc) { UIFillRect(hdc, m_rcItem, m_bkColor, m_borderRound); }

void CControlUI::PaintBkImage(HDC hdc) {
    if (!m_bkImage.empty()) DrawImage(hdc, m_bkImage);
}

void CControlUI::PaintBorder(HDC hdc) {
    DWORD color = IsFocused() && m_focusBorderColor ? m_focusBorderColor : m_borderColor;
    UIDrawBorder(hdc, m_rcItem, color, m_borderSize, m_borderRound);
}

bool CControlUI::DrawImage(HDC hdc, const std::wstring& image) {
    if (!m_manager || image.empty()) return false;
    UIImageSpec imageSpec;
    if (!UIParseImageSpec(image, imageSpec)) return false;
    Gdiplus::Bitmap* bitmap = m_manager->GetImage(imageSpec.file);
    if (!bitmap) return false;
    UIDrawImage(hdc, bitmap, m_rcItem, imageSpec);
    return true;
}

HFONT CControlUI::GetFontHandle() const { return m_manager ? m_manager->GetFont(m_font) : nullptr; }
