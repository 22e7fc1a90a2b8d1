#pragma once

#include <windows.h>

#include <string>

#include "common/ntapi.h"
#include "common/skin/uidefs.h"

// Base of every skin control: a named rectangle with a background (colour, image, border),
// text, visibility and enabled state. The paint manager owns the tree and routes mouse events
// to the control under the pointer; containers place their children on SetPos.
class NT_API CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    // The element name this control is built from ("Control", "Button", ...).
    virtual const wchar_t* GetClass() const;

    const std::wstring& GetName() const { return m_name; }
    void SetName(const wchar_t* name);
    virtual std::wstring GetText() const;
    virtual void SetText(const wchar_t* text);

    CPaintManagerUI* GetManager() const { return m_manager; }
    CControlUI* GetParent() const { return m_parent; }
    // Attaches the control (and a container's children) to a window.
    virtual void SetManager(CPaintManagerUI* manager, CControlUI* parent);
    // Called once the whole tree is attached to a window that exists.
    virtual void Init() {}

    const RECT& GetPos() const { return m_rcItem; }
    virtual void SetPos(const RECT& rc);
    int GetFixedWidth() const { return m_fixedSize.cx; }
    int GetFixedHeight() const { return m_fixedSize.cy; }
    void SetFixedWidth(int width);
    void SetFixedHeight(int height);
    const RECT& GetPadding() const { return m_padding; }
    // Float controls are placed by their own pos attribute relative to the parent, outside
    // the parent's run of children.
    bool IsFloat() const { return m_float; }
    const RECT& GetFloatPos() const { return m_floatPos; }
    // Size the control asks for; 0 in a direction means "whatever the parent gives".
    virtual SIZE EstimateSize() const { return m_fixedSize; }

    // Visible only when the control and all its parents are.
    bool IsVisible() const { return m_visible && m_internVisible; }
    virtual void SetVisible(bool visible = true);
    // Told by the parent when an ancestor was shown or hidden.
    virtual void SetInternVisible(bool visible);
    bool IsEnabled() const { return m_enabled; }
    virtual void SetEnabled(bool enabled = true);
    bool IsFocused() const;
    virtual void SetFocus();
    // Whether clicks on the control do something (so the caption area does not drag there).
    virtual bool IsInteractive() const { return false; }

    std::wstring GetBkImage() const { return m_bkImage; }
    void SetBkImage(const wchar_t* image);
    DWORD GetBkColor() const { return m_bkColor; }
    void SetBkColor(DWORD argb);
    DWORD GetTextColor() const { return m_textColor; }
    void SetTextColor(DWORD argb);

    // Applies one skin attribute; unknown names are ignored.
    virtual void SetAttribute(const wchar_t* name, const wchar_t* value);

    // The deepest visible control at pt (in client coordinates), or nullptr.
    virtual CControlUI* FindControlAt(POINT pt);
    // The control with that name in this subtree, or nullptr.
    virtual CControlUI* FindControlByName(const std::wstring& name);

    virtual void DoEvent(TEventUI& event) {}
    // Draws the control where it meets rcPaint.
    virtual void DoPaint(HDC hdc, const RECT& rcPaint);

    void Invalidate();
    // Asks the window to lay the tree out again (sizes or visibility changed).
    void NeedParentUpdate();

protected:
    virtual void PaintBkColor(HDC hdc);
    virtual void PaintBkImage(HDC hdc);
    virtual void PaintStatusImage(HDC hdc) {}
    virtual void PaintText(HDC hdc) {}
    virtual void PaintBorder(HDC hdc);
    virtual void OnVisibilityChanged() {}
    // Draws an image reference inside the control; false when it names no loadable image.
    bool DrawImage(HDC hdc, const std::wstring& image);
    HFONT GetFontHandle() const;

    CPaintManagerUI* m_manager = nullptr;
    CControlUI* m_parent = nullptr;
    std::wstring m_name;
    std::wstring m_text;
    RECT m_rcItem = {};
    SIZE m_fixedSize = {};
    RECT m_padding = {};
    RECT m_floatPos = {};
    bool m_float = false;
    bool m_visible = true;
    bool m_internVisible = true;
    bool m_enabled = true;
    bool m_mouseEnabled = true;
    std::wstring m_bkImage;
    DWORD m_bkColor = 0;
    DWORD m_borderColor = 0;
    DWORD m_focusBorderColor = 0;
    int m_borderSize = 0;
    int m_borderRound = 0;
    DWORD m_textColor = 0xFF333333;
    DWORD m_disabledTextColor = 0xFFA0A0A0;
    int m_font = -1;
};
