#pragma once

#include <windows.h>

#include "common/ntapi.h"

// Off-screen surface for one paint: draw into it with coordinates relative to the rectangle's
// top-left corner; the destructor copies it to the target.
//
// The fill colour is fixed per deliverable by a compile definition on its target, because each
// program paints its own background colour under every surface:
//   NT_MEMDC_FIXED_FILL=0xFFFFFF  glimter: always white, the third argument is ignored;
//   NT_MEMDC_FIXED_FILL=0xEFEFEF  feltrine: always light grey, the third argument is ignored;
//   (not defined)                 trevasko and tests: the given colour; CLR_INVALID (-1) leaves
//                                 the new surface unfilled.
class NT_API CNTMemDC {
public:
    // An empty rectangle means the target's clip box. On failure IsValid() is false and
    // drawing goes nowhere.
    CNTMemDC(HDC target, const RECT& rc, COLORREF fill) { Init(target, rc, ResolveFill(fill)); }
    virtual ~CNTMemDC();
    CNTMemDC(const CNTMemDC&) = delete;
    CNTMemDC& operator=(const CNTMemDC&) = delete;

    bool IsValid() const { return m_bValid; }
    HDC GetSafeHdc() const { return m_hMemDC; }
    operator HDC() const { return m_hMemDC; }
    // The covered rectangle in target coordinates.
    const RECT& GetRect() const { return m_rc; }

private:
    static constexpr COLORREF ResolveFill(COLORREF given) {
#ifdef NT_MEMDC_FIXED_FILL
        (void)given;
        return static_cast<COLORREF>(NT_MEMDC_FIXED_FILL);
#else
        return given;
#endif
    }
    void Init(HDC target, const RECT& rc, COLORREF fill);

    HDC m_hTarget = nullptr;
    RECT m_rc = {};
    HDC m_hMemDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOldBitmap = nullptr;
    bool m_bValid = false;
};
