#pragma once

#include <windows.h>

#include <string>

// What a text host asks of the object it edits for. The text object implements it; the host's
// own tests implement it over a plain window.
class CCMTextHostOwner {
public:
    // The window that shows the text: caret, timers, mouse capture and repaints go to it. Null
    // when there is none (then those calls do nothing).
    virtual HWND GetTextWindow() const = 0;
    // Screen position of that window's client origin: client = screen - origin.
    virtual POINT GetTextOrigin() const = 0;
    // Repaints that part (client coordinates) of the text window; the window may keep a drawn
    // copy of the text, so the services' repaints go through the owner.
    virtual void InvalidateText(const RECT& client) = 0;
    // Every notification of the text services (EN_CHANGE, ...).
    virtual void OnTextNotify(DWORD code, void* data) = 0;

protected:
    ~CCMTextHostOwner() = default;
};

// The formats and limits a host starts with.
struct CCMTextDefaults {
    DWORD argb = 0xFF000000;
    int fontSize = 14;  // points
    bool rich = true;
    LONG maxLength = 0x7FFF;
    std::wstring initialText;
};
