#pragma once

#include <memory>
#include <type_traits>

#include "common/skin/labelui.h"

class CEditWnd;

// A single-line edit box: a real Win32 edit child placed inside the control's frame, which
// the skin draws (with focusbordercolor while it has the focus). Attributes: password,
// readonly, maxchar, textpadding. Every change of the text sends "textchanged".
class NT_API CEditUI : public CLabelUI {
public:
    CEditUI();
    ~CEditUI() override;

    const wchar_t* GetClass() const override;
    bool IsInteractive() const override { return true; }
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void Init() override;
    void SetPos(const RECT& rc) override;
    void SetEnabled(bool enabled = true) override;
    void SetFocus() override;
    void DoEvent(TEventUI& event) override;

    std::wstring GetText() const override;
    void SetText(const wchar_t* text) override;
    bool IsPasswordMode() const { return m_password; }
    // The edit child, or null before the window exists.
    HWND GetNativeWindow() const;

    // Called by the manager for the edit child's notifications and colour query.
    void OnNativeChange();
    HBRUSH OnNativeColor(HDC hdc);
    // Called by the edit child when it gains or loses the keyboard focus; other is the window
    // that loses or gains it (null: one of another thread). Focus that leaves the whole window
    // stays remembered here, so the caret comes back when the window is activated again.
    void OnNativeFocus(bool focused, HWND other = nullptr);

protected:
    void OnVisibilityChanged() override;
    void PaintText(HDC hdc) override {}
    // The focus colour only while the caret is really here (not in an inactive window).
    void PaintBorder(HDC hdc) override;

private:
    struct BrushDeleter {
        void operator()(HBRUSH brush) const;
    };

    std::unique_ptr<CEditWnd> m_native;
    std::unique_ptr<std::remove_pointer_t<HBRUSH>, BrushDeleter> m_brush;
    DWORD m_brushColor = 0;
    bool m_password = false;
    bool m_readOnly = false;
    int m_maxChar = 255;
};
