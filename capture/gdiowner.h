#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

// Owners for the GDI handles of the capture: each deletes its handle exactly once.
struct CMGdiObjectDeleter {
    void operator()(HGDIOBJ object) const {
        if (object) ::DeleteObject(object);
    }
};
using CMBitmapPtr = std::unique_ptr<std::remove_pointer_t<HBITMAP>, CMGdiObjectDeleter>;
using CMRegionPtr = std::unique_ptr<std::remove_pointer_t<HRGN>, CMGdiObjectDeleter>;

struct CMMemoryDCDeleter {
    void operator()(HDC dc) const {
        if (dc) ::DeleteDC(dc);
    }
};
using CMMemoryDCPtr = std::unique_ptr<std::remove_pointer_t<HDC>, CMMemoryDCDeleter>;

// A bitmap selected into a memory DC for the life of the scope; the DC's old bitmap returns.
class CMSelectBitmap {
public:
    CMSelectBitmap(HDC dc, HBITMAP bitmap) : m_dc(dc), m_old(::SelectObject(dc, bitmap)) {}
    ~CMSelectBitmap() {
        if (m_old) ::SelectObject(m_dc, m_old);
    }
    CMSelectBitmap(const CMSelectBitmap&) = delete;
    CMSelectBitmap& operator=(const CMSelectBitmap&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};
