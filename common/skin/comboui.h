#pragma once

#include <string>
#include <vector>

#include "common/skin/buttonui.h"

class CComboWnd;

// A drop-down choice: shows the current item's text with an arrow; a click opens the list
// below it. Choosing another item sends "itemselect" (wParam the new index, lParam the old).
// Items come from the skin's Item children (text attribute); cursel picks the first one shown.
class NT_API CComboUI : public CButtonUI {
public:
    CComboUI();
    ~CComboUI() override;

    const wchar_t* GetClass() const override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    bool Activate() override;

    void AddItem(const wchar_t* text);
    int GetCount() const { return static_cast<int>(m_items.size()); }
    // Empty when out of range.
    std::wstring GetItemText(int index) const;
    // -1 when there are no items.
    int GetCurSel() const { return m_curSel; }
    // Makes that item current; false when out of range. Sends "itemselect" when it changed
    // and notify is true.
    bool SelectItem(int index, bool notify = true);
    // The current item's text.
    std::wstring GetText() const override;
    int GetItemHeight() const { return m_itemHeight; }
    bool IsDropped() const { return m_dropDown != nullptr; }
    // Called by the list when it goes away.
    void OnDropDownClosed() { m_dropDown = nullptr; }
    DWORD GetAccentColor() const { return m_accentColor; }
    HFONT GetItemFont() const { return GetFontHandle(); }

protected:
    void PaintText(HDC hdc) override;
    void PaintStatusImage(HDC hdc) override;

private:
    std::vector<std::wstring> m_items;
    int m_curSel = -1;
    int m_itemHeight = 28;
    DWORD m_accentColor = 0xFF1E88E5;
    CComboWnd* m_dropDown = nullptr;
};
