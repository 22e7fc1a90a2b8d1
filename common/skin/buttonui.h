#pragma once

#include "common/skin/labelui.h"

// A clickable label with normal, hot, pushed and disabled looks, each an image and/or a
// background and text colour. Sends "click" when pressed and released over it.
class NT_API CButtonUI : public CLabelUI {
public:
    CButtonUI();
    const wchar_t* GetClass() const override;
    bool IsInteractive() const override { return true; }
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void DoEvent(TEventUI& event) override;
    void SetEnabled(bool enabled = true) override;

    // What a click does; a button sends "click". false when the control cannot act.
    virtual bool Activate();

protected:
    void PaintBkColor(HDC hdc) override;
    void PaintStatusImage(HDC hdc) override;
    // The state picture, then the icon drawn over it.
    virtual void PaintStateImage(HDC hdc);
    virtual void PaintForeImage(HDC hdc);
    DWORD CurrentTextColor() const override;

    bool m_hot = false;
    bool m_pushed = false;
    std::wstring m_normalImage, m_hotImage, m_pushedImage, m_disabledImage, m_foreImage;
    DWORD m_hotBkColor = 0, m_pushedBkColor = 0, m_disabledBkColor = 0;
    DWORD m_hotTextColor = 0, m_pushedTextColor = 0;
};
