#pragma once

#include <windows.h>

#include "capture/gdiowner.h"

class CCMDrawObj;

// What the capture window lends its document. The window implements it; object tests can
// implement it without a window. Every rectangle is in screen coordinates.
class ICMDocumentSite {
public:
    // The capture window (text hosts use it for caret, timers, capture and focus).
    virtual HWND GetSiteWindow() const = 0;
    // The virtual screen the window covers: client = screen - its top-left.
    virtual RECT GetScreenRect() const = 0;
    virtual RECT GetSelectionRect() const = 0;
    // Repaints that screen area of the window (no erase).
    virtual void InvalidateScreenRect(const RECT& rc) = 0;
    // New 24-bit bottom-up DIB section of rc: the snapshot with the annotations up to (not
    // including) stop; mosaics are left out unless allObjects. Null on failure.
    virtual CMBitmapPtr ComposeImage(const RECT& rc, bool allObjects, const CCMDrawObj* stop) = 0;
    // The option bar's current font size in points; 0 when there is none.
    virtual int GetOptionFontSize() const { return 0; }

protected:
    ~ICMDocumentSite() = default;
};

// The context every annotation object draws and reports through: the capture window behind a
// narrow face, and a device context of the window's client area held for the document's life.
class CCMDocument {
public:
    // Takes a DC of the site's window (none when the site has no window). Defined here so the
    // object libraries and their tests need nothing else of the capture library.
    explicit CCMDocument(ICMDocumentSite* site) : m_site(site), m_hWnd(site->GetSiteWindow()) {
        if (m_hWnd) m_hDC = ::GetDC(m_hWnd);
    }
    virtual ~CCMDocument() {
        if (m_hDC) ::ReleaseDC(m_hWnd, m_hDC);
    }
    CCMDocument(const CCMDocument&) = delete;
    CCMDocument& operator=(const CCMDocument&) = delete;

    HWND GetWindow() const { return m_hWnd; }
    // The client-area DC; null when the window gave none.
    HDC GetDC() const { return m_hDC; }
    // Top-left of the virtual screen: client = screen - origin.
    POINT GetScreenOrigin() const {
        RECT screen = m_site->GetScreenRect();
        return POINT{screen.left, screen.top};
    }
    RECT GetScreenRect() const { return m_site->GetScreenRect(); }
    RECT GetSelection() const { return m_site->GetSelectionRect(); }
    void Invalidate(const RECT& screenRect) { m_site->InvalidateScreenRect(screenRect); }
    // The picture under rc without mosaics and without stop and everything after it: what a
    // mosaic stroke pixelates. Null on failure.
    // What pasted text takes (points); 0 when there is none.
    int GetOptionFontSize() const { return m_site->GetOptionFontSize(); }
    CMBitmapPtr ComposeWithoutMosaics(const RECT& rc, const CCMDrawObj* stop) {
        return m_site->ComposeImage(rc, false, stop);
    }

private:
    ICMDocumentSite* m_site;
    HWND m_hWnd;
    HDC m_hDC = nullptr;
};
