#pragma once

#include "common/skin/controlui.h"

// A line of text in the window's fonts; align, valign, textpadding and endellipsis place it.
class NT_API CLabelUI : public CControlUI {
public:
    CLabelUI();
    const wchar_t* GetClass() const override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

protected:
    void PaintText(HDC hdc) override;
    // The text colour for the current state.
    virtual DWORD CurrentTextColor() const;
    // The area the text is drawn in: the control less textpadding.
    RECT TextRect() const;

    UINT m_textStyle = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
    RECT m_textPadding = {};
};
