#pragma once

#include <windows.h>

#include <string>

#include "capture/objects/ccmdrawobj.h"
#include "capture/text/ccmtexthostowner.h"

class CCMTextHost;

// An editable text box on the selection. The system's text services keep and edit the text
// through a windowless host; the box grows with its lines (never past the selection) and shows
// a dashed frame while it is being edited. Screen coordinates like every annotation.
class CCMTextObj : public CCMDrawObj, public CCMTextHostOwner {
public:
    // The capture window creates it at the press point as (x, y, 100, 50).
    CCMTextObj(CCMDocument* document, int x, int y, int width, int height);
    ~CCMTextObj() override;

    void SetColor(DWORD argb) { m_color = argb; }
    DWORD GetColor() const { return m_color; }
    // Points; the size the text starts with and AutoSize measures with.
    void SetFontSize(int points) { m_fontSize = points; }
    int GetFontSize() const { return m_fontSize; }
    // Text the services start with; set before CreateHost.
    void SetInitialText(const std::wstring& text) { m_initialText = text; }

    // Starts the text services on the document's device context. False when they are missing
    // (no "msftedit.dll", no CreateTextServices or no ITextServices): the box then has no host,
    // draws only its frame and leaves every message to the window.
    bool CreateHost();
    // The host and through it the text services; null without them.
    CCMTextHost* GetHost() const { return m_host; }

    // The layout rectangle: the normalised rectangle shrunk by 8 on every side (screen).
    RECT GetLayoutRect() const;
    // All the text as the services hold it; empty without a host.
    std::wstring GetText() const;
    // Fits the box to its text: width of the widest line + 16 (at least 100), height of the
    // lines + 16 (at least 50), never past the selection's right or bottom edge.
    void AutoSize();
    // The whole text takes this size (points) or colour (ARGB); the selection is kept. A new
    // size also becomes the box's own, and the box is fitted to the text again.
    void ApplyFontSize(int points);
    void ApplyColor(DWORD argb);

    // CCMDrawObj
    int HitTest(POINT pt) const override;
    bool Intersects(const RECT& rc) const override;
    void SetObjectRect(int x, int y, int width, int height) override;
    void BuildPath(Gdiplus::GraphicsPath& path, const Gdiplus::Rect& rect) const override;
    void FillPath(Gdiplus::Graphics& graphics, const Gdiplus::Rect& rect,
                  Gdiplus::GraphicsPath& path, const Gdiplus::Rect& clip, POINT origin) override;
    void StrokePath(Gdiplus::Graphics& graphics, const Gdiplus::Rect& rect,
                    Gdiplus::GraphicsPath& path, const Gdiplus::Rect& clip, POINT origin) override;
    void Activate() override;
    void Deactivate() override;
    // Keyboard, mouse and the start of a composition while active; see the .cpp.
    LRESULT HandleObjectMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    HCURSOR GetCursorAt(POINT pt) const override;
    void Offset(int dx, int dy) override;

    // CCMTextHostOwner
    HWND GetTextWindow() const override;
    POINT GetTextOrigin() const override;
    void InvalidateText(const RECT& client) override;
    // EN_CHANGE fits the box to the text; other notifications are ignored.
    void OnTextNotify(DWORD code, void* data) override;

private:
    LRESULT HandleMouse(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT HandleKey(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    void PlaceCompositionWindow() const;
    void InvalidateSelf();

    DWORD m_color = 0xFF000000;
    int m_fontSize = 14;
    std::wstring m_initialText;
    CCMTextHost* m_host = nullptr;  // one reference, released with the object
    RECT m_insets = {8, 8, 8, 8};
    bool m_rich = true;
    LONG m_maxLength = 0x7FFF;
};
