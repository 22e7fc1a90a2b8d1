#pragma once

#include "common/skin/buttonui.h"

// A button with a selected state. Options sharing a group name keep exactly one selected:
// clicking one selects it and unselects the others. Without a group a click toggles. Each
// change of the state sends "selectchanged" from the option whose state changed, except the
// members a group selection unselects.
class NT_API COptionUI : public CButtonUI {
public:
    const wchar_t* GetClass() const override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    bool Activate() override;

    bool IsSelected() const { return m_selected; }
    // Changes the state; notify false changes it silently.
    void Selected(bool selected, bool notify = true);
    const std::wstring& GetGroup() const { return m_group; }

protected:
    void PaintBkColor(HDC hdc) override;
    void PaintStateImage(HDC hdc) override;
    void PaintForeImage(HDC hdc) override;
    DWORD CurrentTextColor() const override;

    bool m_selected = false;
    std::wstring m_group;
    std::wstring m_selectedImage, m_selectedHotImage, m_selectedForeImage;
    DWORD m_selectedBkColor = 0, m_selectedTextColor = 0;
};
