#include "common/window/ntmemdc.h"

void CNTMemDC::Init(HDC target, const RECT& rc, COLORREF fill) {
    m_hTarget = target;
    m_rc = rc;
    if (::IsRectEmpty(&m_rc)) ::GetClipBox(target, &m_rc);
    m_hMemDC = ::CreateCompatibleDC(target);
    if (!m_hMemDC) return;
    m_bValid = true;
    ::SetMapMode(m_hMemDC, ::GetMapMode(target));
    int width = m_rc.right - m_rc.left, height = m_rc.bottom - m_rc.top;
    m_hBitmap = ::CreateCompatibleBitmap(target, width, height);
    if (m_hBitmap) m_hOldBitmap = ::SelectObject(m_hMemDC, m_hBitmap);
    if (fill != CLR_INVALID) {
        RECT all = {0, 0, width, height};
        HBRUSH brush = ::CreateSolidBrush(fill);
        ::FillRect(m_hMemDC, &all, brush);
        ::DeleteObject(brush);
    }
}

CNTMemDC::~CNTMemDC() {
    if (!m_hMemDC) return;
    if (m_bValid && m_hBitmap)
        ::BitBlt(m_hTarget, m_rc.left, m_rc.top, m_rc.right - m_rc.left, m_rc.bottom - m_rc.top,
                 m_hMemDC, 0, 0, SRCCOPY);
    if (m_hOldBitmap) ::SelectObject(m_hMemDC, m_hOldBitmap);
    if (m_hBitmap) ::DeleteObject(m_hBitmap);
    ::DeleteDC(m_hMemDC);
}
