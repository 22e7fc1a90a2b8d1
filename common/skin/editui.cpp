#include "common/skin/editui.h"

#include <algorithm>

#include "common/skin/editwnd.h"
#include "common/skin/paintmanagerui.h"
#include "common/skin/uiparse.h"
#include "common/skin/uirender.h"

void CEditUI::BrushDeleter::operator()(HBRUSH brush) const { ::DeleteObject(brush); }

CEditUI::CEditUI() {
    m_mouseEnabled = true;
    m_bkColor = 0xFFFFFFFF;
    m_textPadding = RECT{8, 0, 8, 0};
}

CEditUI::~CEditUI() {
    if (m_native && ::IsWindow(m_native->GetHWND())) ::DestroyWindow(m_native->GetHWND());
}

const wchar_t* CEditUI::GetClass() const { return L"Edit"; }

void CEditUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    std::wstring n = name;
    bool b;
    int i;
    if (n == L"password") {
        if (UIParseBool(value, b)) m_password = b;
    } else if (n == L"readonly") {
        if (UIParseBool(value, b)) m_readOnly = b;
    } else if (n == L"maxchar") {
        if (UIParseInt(value, i) && i > 0) m_maxChar = i;
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

HWND CEditUI::GetNativeWindow() const { return m_native ? m_native->GetHWND() : nullptr; }

void CEditUI::Init() {
    if (m_native || !m_manager || !m_manager->GetPaintWindow()) return;
    m_native = std::make_unique<CEditWnd>(this);
    DWORD style = WS_CHILD | WS_TABSTOP | ES_AUTOHSCROLL | (IsVisible() ? WS_VISIBLE : 0);
    if (m_password) style |= ES_PASSWORD;
    if (m_readOnly) style |= ES_READONLY;
    if (!m_native->Create(m_manager->GetPaintWindow(), m_text.c_str(), style, 0, 0, 0, 0, 0)) {
        m_native.reset();
        return;
    }
    HWND hWnd = m_native->GetHWND();
    ::SendMessageW(hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetFontHandle()), FALSE);
    ::SendMessageW(hWnd, EM_LIMITTEXT, static_cast<WPARAM>(m_maxChar), 0);
    if (m_password) ::SendMessageW(hWnd, EM_SETPASSWORDCHAR, 0x25CF, 0);
    ::SendMessageW(hWnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    ::EnableWindow(hWnd, IsEnabled());
    SetPos(m_rcItem);
}

void CEditUI::SetPos(const RECT& rc) {
    CLabelUI::SetPos(rc);
    if (!m_native) return;
    RECT text = TextRect();
    // A single-line edit draws its text at the top, so it gets one line's height, centred.
    int line = m_manager ? m_manager->GetFontHeight(m_font) + 2 : 18;
    int top = (text.top + text.bottom - line) / 2;
    if (top < text.top) top = text.top;
    ::SetWindowPos(m_native->GetHWND(), nullptr, text.left, top, text.right - text.left,
                   std::min<LONG>(line, text.bottom - top), SWP_NOZORDER | SWP_NOACTIVATE);
}

void CEditUI::SetEnabled(bool enabled) {
    CLabelUI::SetEnabled(enabled);
    if (m_native) ::EnableWindow(m_native->GetHWND(), enabled);
}

void CEditUI::SetFocus() {
    if (m_native && IsVisible() && IsEnabled())
        ::SetFocus(m_native->GetHWND());
    else
        CLabelUI::SetFocus();
}

void CEditUI::DoEvent(TEventUI& event) {
    // A press on the frame around the edit child puts the caret into it as well.
    if (event.Type == UIEVENT_BUTTONDOWN) SetFocus();
}

std::wstring CEditUI::GetText() const {
    if (!m_native) return m_text;
    HWND hWnd = m_native->GetHWND();
    int len = ::GetWindowTextLengthW(hWnd);
    std::wstring text(static_cast<size_t>(len) + 1, L'\0');
    int got = ::GetWindowTextW(hWnd, &text[0], len + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

void CEditUI::SetText(const wchar_t* text) {
    m_text = text ? text : L"";
    // The edit child reports the change itself, which sends "textchanged".
    if (m_native)
        ::SetWindowTextW(m_native->GetHWND(), m_text.c_str());
    else
        Invalidate();
}

void CEditUI::OnNativeChange() {
    m_text = GetText();
    if (m_manager) m_manager->SendNotify(this, kNotifyTextChanged);
}

void CEditUI::OnNativeFocus(bool focused, HWND other) {
    if (!m_manager) return;
    Invalidate();
    if (focused) {
        m_manager->SetFocus(this);
        return;
    }
    // Focus that moves on inside the window ends this control's focus; focus that leaves the
    // window (another window activated) is given back by the manager on WM_SETFOCUS.
    HWND window = m_manager->GetPaintWindow();
    bool inside = other && window && (other == window || ::IsChild(window, other));
    if (inside && m_manager->GetFocus() == this) m_manager->SetFocus(nullptr);
}

void CEditUI::PaintBorder(HDC hdc) {
    bool caret = IsFocused() && m_native && ::GetFocus() == m_native->GetHWND();
    UIDrawBorder(hdc, m_rcItem, caret && m_focusBorderColor ? m_focusBorderColor : m_borderColor,
                 m_borderSize, m_borderRound);
}

HBRUSH CEditUI::OnNativeColor(HDC hdc) {
    DWORD bk = m_bkColor >> 24 ? m_bkColor : 0xFFFFFFFF;
    if (!m_brush || m_brushColor != bk) {
        m_brush.reset(::CreateSolidBrush(RGB((bk >> 16) & 0xFF, (bk >> 8) & 0xFF, bk & 0xFF)));
        m_brushColor = bk;
    }
    DWORD fg = IsEnabled() ? m_textColor : m_disabledTextColor;
    ::SetTextColor(hdc, RGB((fg >> 16) & 0xFF, (fg >> 8) & 0xFF, fg & 0xFF));
    ::SetBkColor(hdc, RGB((bk >> 16) & 0xFF, (bk >> 8) & 0xFF, bk & 0xFF));
    return m_brush.get();
}

void CEditUI::OnVisibilityChanged() {
    if (m_native) ::ShowWindow(m_native->GetHWND(), IsVisible() ? SW_SHOWNA : SW_HIDE);
}
