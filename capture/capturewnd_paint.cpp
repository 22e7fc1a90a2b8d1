// The overlay: the frozen screen dimmed outside the selection, the annotations inside it (from
// the kept scene), the size label, the border and the handles, painted through a buffer of the
// clip box only.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "capture/capturegeometry.h"
#include "capture/capturemodule.h"
#include "capture/ccmcapturescreenwnd.h"
#include "capture/objects/ccmdrawobj.h"
#include "common/window/ntmemdc.h"

namespace {

Gdiplus::Rect ToGdiplus(const RECT& rc) {
    return Gdiplus::Rect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
}

// "%d x %d" on a black box above the selection's top-left corner.
void DrawSizeLabel(Gdiplus::Graphics& graphics, const Gdiplus::Font& font, const RECT& selection) {
    wchar_t text[64];
    std::swprintf(text, 64, L"%d x %d", static_cast<int>(selection.right - selection.left),
                  static_cast<int>(selection.bottom - selection.top));
    Gdiplus::RectF measured;
    graphics.MeasureString(text, -1, &font, Gdiplus::PointF(0, 0), &measured);
    Gdiplus::RectF box(static_cast<Gdiplus::REAL>(selection.left),
                       static_cast<Gdiplus::REAL>(selection.top) - 18 - measured.Height,
                       measured.Width + 8, measured.Height + 8);
    Gdiplus::SolidBrush black(Gdiplus::Color(0xFF000000));
    graphics.FillRectangle(&black, box);
    Gdiplus::RectF layout = box;
    layout.Y += 4;
    Gdiplus::StringFormat format;
    format.SetAlignment(Gdiplus::StringAlignmentCenter);
    Gdiplus::SolidBrush white(Gdiplus::Color(0xFFFFFFFF));
    graphics.DrawString(text, -1, &font, layout, &format, &white);
}

// The rectangles of the window's update region, so thin invalidated strips are painted as
// strips and not as their bounding box; empty when the region cannot be read.
std::vector<RECT> UpdateRects(HWND window) {
    std::vector<RECT> rects;
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    if (::GetUpdateRgn(window, region, FALSE) > NULLREGION) {
        DWORD size = ::GetRegionData(region, 0, nullptr);
        std::vector<BYTE> data(size);
        auto* header = reinterpret_cast<RGNDATA*>(data.data());
        if (size && ::GetRegionData(region, size, header)) {
            // A region of many small pieces paints faster as one box.
            const DWORD kMostPieces = 16;
            auto* first = reinterpret_cast<const RECT*>(header->Buffer);
            if (header->rdh.nCount <= kMostPieces)
                rects.assign(first, first + header->rdh.nCount);
            else
                rects.push_back(header->rdh.rcBound);
        }
    }
    ::DeleteObject(region);
    return rects;
}

// Copies part (client coordinates) of a snapshot-sized bitmap into a buffer whose pixel (0, 0)
// is the client point bufferOrigin.
void CopySnapshot(HDC buffer, POINT bufferOrigin, HBITMAP from, const RECT& part) {
    CMMemoryDCPtr source(::CreateCompatibleDC(buffer));
    if (!source) return;
    CMSelectBitmap select(source.get(), from);
    ::BitBlt(buffer, part.left - bufferOrigin.x, part.top - bufferOrigin.y,
             part.right - part.left, part.bottom - part.top, source.get(), part.left, part.top,
             SRCCOPY);
}

}  // namespace

void CCMCaptureScreenWnd::OnPaint() {
    std::vector<RECT> parts = UpdateRects(m_hWnd);
    PAINTSTRUCT ps;
    HDC target = ::BeginPaint(m_hWnd, &ps);
    if (parts.empty()) {
        RECT clip;
        ::GetClipBox(target, &clip);
        parts.push_back(clip);
    }
    for (const RECT& part : parts) PaintPart(target, part);
    ::EndPaint(m_hWnd, &ps);
}

void CCMCaptureScreenWnd::PaintPart(HDC target, const RECT& clip) {
    CNTMemDC buffer(target, clip, 0xFFFFFF);
    if (!buffer.IsValid()) return;
    // Shaded snapshot outside the selection, the annotated snapshot inside it.
    const POINT bufferOrigin{clip.left, clip.top};
    CopySnapshot(buffer, bufferOrigin, m_dimmed ? m_dimmed.get() : m_snapshot.get(), clip);
    RECT inside, selection = m_rcSelection;
    ::OffsetRect(&selection, -m_rcWindow.left, -m_rcWindow.top);
    if (::IntersectRect(&inside, &selection, &clip)) {
        if (UpdateScene(inside))
            CopySnapshot(buffer, bufferOrigin, m_scene.get(), inside);
        else
            DrawScene(buffer, bufferOrigin, inside, ObjectsOver(inside, true, nullptr));
    }
    // Screen coordinates land at buffer = screen - window origin - clip origin.
    POINT origin{m_rcWindow.left + clip.left, m_rcWindow.top + clip.top};
    RECT screenClip = clip;
    ::OffsetRect(&screenClip, m_rcWindow.left, m_rcWindow.top);
    Gdiplus::Graphics graphics(buffer.GetSafeHdc());
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    graphics.TranslateTransform(static_cast<Gdiplus::REAL>(-origin.x),
                                static_cast<Gdiplus::REAL>(-origin.y));
    RECT overlap;
    if (!m_dimmed) {  // no memory for the shaded copy: shade while painting
        RECT shaded = screenClip;
        ::InflateRect(&shaded, 2, 2);
        Gdiplus::Region dim(ToGdiplus(m_rcSelection));
        dim.Xor(ToGdiplus(shaded));
        Gdiplus::SolidBrush shade(Gdiplus::Color(0x7F000000));
        graphics.FillRegion(&shade, &dim);
    }

    RECT loupeArea;
    const bool loupe = ::IntersectRect(&loupeArea, &m_rcLoupe, &screenClip) != FALSE;
    RECT labelArea = {m_rcSelection.left - 6, m_rcSelection.top - 48, m_rcSelection.left + 200,
                      m_rcSelection.top};
    if (!::IsRectEmpty(&m_rcSelection) && ::IntersectRect(&overlap, &labelArea, &screenClip))
        DrawSizeLabel(graphics, LabelFont(), m_rcSelection);

    graphics.Flush();
    if (::IntersectRect(&overlap, &m_rcSelection, &screenClip) &&
        m_rcSelection.right - m_rcSelection.left >= 4 &&
        m_rcSelection.bottom - m_rcSelection.top >= 4)
        PaintFrame(buffer.GetSafeHdc(), origin);
    // The loupe lies over everything else, the selection's frame included.
    if (loupe) PaintLoupe(buffer.GetSafeHdc(), origin);
}

void CCMCaptureScreenWnd::PaintFrame(HDC dc, POINT origin) {
    POINT oldOrigin;
    ::SetViewportOrgEx(dc, -origin.x, -origin.y, &oldOrigin);
    HPEN pen = ::CreatePen(PS_SOLID, 1, RGB(0, 153, 255));
    HGDIOBJ oldPen = ::SelectObject(dc, pen);
    HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
    ::Rectangle(dc, m_rcSelection.left, m_rcSelection.top, m_rcSelection.right,
                m_rcSelection.bottom);
    if (m_nMode != MODE_SELECTING) {
        ::SelectObject(dc, ::GetStockObject(WHITE_BRUSH));
        for (int handle = 1; handle <= 8; ++handle) {
            RECT rc = CMGetHandleRect(m_rcSelection, handle);
            ::Rectangle(dc, rc.left, rc.top, rc.right, rc.bottom);
        }
    }
    ::SelectObject(dc, oldBrush);
    ::SelectObject(dc, oldPen);
    ::DeleteObject(pen);
    ::SetViewportOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
}

void CCMCaptureScreenWnd::PaintLoupe(HDC dc, POINT origin) {
    const int saved = ::SaveDC(dc);
    ::SetViewportOrgEx(dc, -origin.x, -origin.y, nullptr);
    const RECT& box = m_rcLoupe;
    const int zoomed = kLoupeCells * kLoupeZoom;
    RECT picture = {box.left + 1, box.top + 1, box.left + 1 + zoomed, box.top + 1 + zoomed};
    ::FillRect(dc, &box, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    // The pointer's pixel and its neighbours from the frozen screen, each as a square.
    const POINT client{m_ptLoupe.x - m_rcWindow.left, m_ptLoupe.y - m_rcWindow.top};
    COLORREF colour = 0;
    CMMemoryDCPtr source(::CreateCompatibleDC(dc));
    if (source && m_snapshot) {
        CMSelectBitmap select(source.get(), m_snapshot.get());
        ::SetStretchBltMode(dc, COLORONCOLOR);
        ::StretchBlt(dc, picture.left, picture.top, zoomed, zoomed, source.get(),
                     client.x - kLoupeCells / 2, client.y - kLoupeCells / 2, kLoupeCells,
                     kLoupeCells, SRCCOPY);
        colour = ::GetPixel(source.get(), client.x, client.y);
    }
    // The cross: the centre row and column, and the pointer's own square outlined.
    HPEN pen = ::CreatePen(PS_SOLID, 1, RGB(0, 153, 255));
    HGDIOBJ oldPen = ::SelectObject(dc, pen);
    const int centre = kLoupeCells / 2 * kLoupeZoom;
    const int middle = centre + kLoupeZoom / 2;
    ::MoveToEx(dc, picture.left, picture.top + middle, nullptr);
    ::LineTo(dc, picture.left + centre, picture.top + middle);
    ::MoveToEx(dc, picture.left + centre + kLoupeZoom, picture.top + middle, nullptr);
    ::LineTo(dc, picture.right, picture.top + middle);
    ::MoveToEx(dc, picture.left + middle, picture.top, nullptr);
    ::LineTo(dc, picture.left + middle, picture.top + centre);
    ::MoveToEx(dc, picture.left + middle, picture.top + centre + kLoupeZoom, nullptr);
    ::LineTo(dc, picture.left + middle, picture.bottom);
    ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
    ::Rectangle(dc, picture.left + centre - 1, picture.top + centre - 1,
                picture.left + centre + kLoupeZoom + 1, picture.top + centre + kLoupeZoom + 1);
    ::SelectObject(dc, oldPen);
    ::DeleteObject(pen);
    // The position and the colour under the picture.
    wchar_t text[64];
    std::swprintf(text, 64, L"(%ld, %ld)\nRGB(%d, %d, %d)", static_cast<long>(m_ptLoupe.x),
                  static_cast<long>(m_ptLoupe.y), GetRValue(colour), GetGValue(colour),
                  GetBValue(colour));
    RECT textBox = {box.left, picture.bottom + 2, box.right, box.bottom};
    ::SelectObject(dc, CMGetLabelFont());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(255, 255, 255));
    ::DrawTextW(dc, text, -1, &textBox, DT_CENTER | DT_NOPREFIX);
    ::RestoreDC(dc, saved);
}

void CCMCaptureScreenWnd::UpdateLoupe() {
    RECT before = m_rcLoupe;
    RECT after = {};
    if (m_nMode == MODE_SELECTING || m_nMode == MODE_RESIZING) {
        const POINT pointer = m_ptCurrent;
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof(monitor);
        RECT area = m_rcWindow;
        if (::GetMonitorInfoW(::MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor))
            ::IntersectRect(&area, &monitor.rcMonitor, &m_rcWindow);
        const int zoomed = kLoupeCells * kLoupeZoom;
        after = CMPlaceLoupe(pointer, SIZE{zoomed + 2, zoomed + kLoupeTextHeight}, area);
        if (::EqualRect(&before, &after) && pointer.x == m_ptLoupe.x && pointer.y == m_ptLoupe.y)
            return;
        m_ptLoupe = pointer;
    }
    m_rcLoupe = after;
    if (!::IsRectEmpty(&before)) RepaintScreenRect(before);
    if (!::IsRectEmpty(&after)) RepaintScreenRect(after);
}

void CCMCaptureScreenWnd::DrawScene(HDC dc, POINT dcOrigin, const RECT& clip,
                                    const std::vector<CCMDrawObj*>& objects) {
    const int saved = ::SaveDC(dc);
    // Text is drawn through GDI, so the clip is set on the DC, where GDI+ honours it as well.
    ::IntersectClipRect(dc, clip.left - dcOrigin.x, clip.top - dcOrigin.y, clip.right - dcOrigin.x,
                        clip.bottom - dcOrigin.y);
    CopySnapshot(dc, dcOrigin, m_snapshot.get(), clip);
    // Screen coordinates land at dc = screen - window origin - dcOrigin.
    const POINT origin{m_rcWindow.left + dcOrigin.x, m_rcWindow.top + dcOrigin.y};
    RECT screenClip = clip;
    ::OffsetRect(&screenClip, m_rcWindow.left, m_rcWindow.top);
    {
        Gdiplus::Graphics graphics(dc);
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        graphics.TranslateTransform(static_cast<Gdiplus::REAL>(-origin.x),
                                    static_cast<Gdiplus::REAL>(-origin.y));
        const Gdiplus::Rect gdiClip = ToGdiplus(screenClip);
        for (CCMDrawObj* object : objects) object->Draw(graphics, gdiClip, origin);
    }
    ::RestoreDC(dc, saved);
}

bool CCMCaptureScreenWnd::UpdateScene(const RECT& clip) {
    if (!m_scene || !m_sceneStale) return false;
    CMRegionPtr stale(::CreateRectRgnIndirect(&clip));
    if (!stale || ::CombineRgn(stale.get(), stale.get(), m_sceneStale.get(), RGN_AND) == ERROR)
        return false;
    RECT box;
    if (::GetRgnBox(stale.get(), &box) == NULLREGION) return true;
    CMMemoryDCPtr dc(::CreateCompatibleDC(nullptr));
    if (!dc) return false;
    {
        CMSelectBitmap select(dc.get(), m_scene.get());
        // A mosaic drawn here may compose its picture from the snapshot, which is never the
        // bitmap selected into this DC.
        DrawScene(dc.get(), POINT{0, 0}, box, ObjectsOver(box, true, nullptr));
    }
    ::CombineRgn(m_sceneStale.get(), m_sceneStale.get(), stale.get(), RGN_DIFF);
    return true;
}

void CCMCaptureScreenWnd::MarkSceneChanged(const RECT* client) {
    if (!m_sceneStale) return;
    RECT all = {0, 0, m_rcWindow.right - m_rcWindow.left, m_rcWindow.bottom - m_rcWindow.top};
    CMRegionPtr part(::CreateRectRgnIndirect(client ? client : &all));
    if (!part || ::CombineRgn(m_sceneStale.get(), m_sceneStale.get(), part.get(), RGN_OR) == ERROR)
        m_scene.reset();  // an out-of-date copy must never be shown: draw without one
}

void CCMCaptureScreenWnd::InvalidateSelection() {
    if (::IsRectEmpty(&m_rcSelection)) return;
    RECT grown = m_rcSelection;
    ::InflateRect(&grown, 6, 6);
    RepaintScreenRect(grown);
    RECT label = {m_rcSelection.left - 6, m_rcSelection.top - 48, m_rcSelection.left + 200,
                  m_rcSelection.top};
    RepaintScreenRect(label);
}

void CCMCaptureScreenWnd::InvalidateObject(CCMDrawObj* object) {
    if (object) InvalidateScreenRect(object->GetBoundsRect());
}

void CCMCaptureScreenWnd::InvalidateSelectionChange(const RECT& before) {
    const RECT& after = m_rcSelection;
    if (::EqualRect(&before, &after)) return;
    // Only the bands the edges swept over change (dimming, border, handles), plus the labels.
    constexpr LONG kMargin = 6;
    LONG left = std::min(before.left, after.left) - kMargin;
    LONG top = std::min(before.top, after.top) - kMargin;
    LONG right = std::max(before.right, after.right) + kMargin;
    LONG bottom = std::max(before.bottom, after.bottom) + kMargin;
    auto band = [](LONG a, LONG b) {
        return std::make_pair(std::min(a, b) - kMargin, std::max(a, b) + kMargin);
    };
    auto [leftFrom, leftTo] = band(before.left, after.left);
    auto [rightFrom, rightTo] = band(before.right, after.right);
    auto [topFrom, topTo] = band(before.top, after.top);
    auto [bottomFrom, bottomTo] = band(before.bottom, after.bottom);
    RepaintScreenRect(RECT{leftFrom, top, leftTo, bottom});
    RepaintScreenRect(RECT{rightFrom, top, rightTo, bottom});
    RepaintScreenRect(RECT{left, topFrom, right, topTo});
    RepaintScreenRect(RECT{left, bottomFrom, right, bottomTo});
    for (const RECT* rc : {&before, &after})
        RepaintScreenRect(RECT{rc->left - kMargin, rc->top - 48, rc->left + 200, rc->top});
}

const Gdiplus::Font& CCMCaptureScreenWnd::LabelFont() {
    // Looking the face up costs more than drawing the label, so it is done once.
    if (!m_labelFont) {
        LOGFONTW logFont = {};
        ::GetObjectW(CMGetLabelFont(), sizeof(logFont), &logFont);
        m_labelFont = std::make_unique<Gdiplus::Font>(
            logFont.lfFaceName, 9.0f, Gdiplus::FontStyleRegular, Gdiplus::UnitPoint);
    }
    return *m_labelFont;
}
