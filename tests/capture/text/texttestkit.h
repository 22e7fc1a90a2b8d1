#pragma once

#include <windows.h>

#include <string>

// A 32-bit top-down DIB section on a memory DC, filled white: the surface text is drawn into.
class TestCanvas {
public:
    TestCanvas(int width, int height);
    ~TestCanvas();
    TestCanvas(const TestCanvas&) = delete;
    TestCanvas& operator=(const TestCanvas&) = delete;

    HDC GetDC() const { return m_hdc; }
    // 0xRRGGBB at (x, y); 0 outside.
    DWORD Pixel(int x, int y) const;
    // Pixels inside rc (clipped to the canvas) whose colour is near rgb (each channel within 60).
    int CountNear(const RECT& rc, DWORD rgb) const;
    // Pixels of that colour outside rc.
    int CountNearOutside(const RECT& rc, DWORD rgb) const;
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    int m_width;
    int m_height;
    HDC m_hdc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    const DWORD* m_bits = nullptr;
};

// A plain visible top-level window at a given screen rectangle that keeps nothing but paints
// white; the text shows its caret, timers and capture on it.
HWND CreateTextTestWindow(const RECT& screen);
// Dispatches everything waiting for this thread.
void PumpMessages();
// Types text through send as the message loop delivers it: WM_CHAR per UTF-16 unit, and for
// '\r' the Enter key's WM_KEYDOWN, WM_CHAR and WM_KEYUP.
template <typename Send>
void TypeChars(const std::wstring& text, Send send) {
    for (wchar_t ch : text) {
        if (ch == L'\r') send(WM_KEYDOWN, VK_RETURN, 1);
        send(WM_CHAR, static_cast<WPARAM>(ch), 1);
        if (ch == L'\r') send(WM_KEYUP, VK_RETURN, 0xC0000001);
    }
}
