#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>
#include <string>
#include <vector>

class CCMDocument;

// Handle ids: 1..8 are the corners and edge midpoints (1 top-left, 2 top, 3 top-right, 4 right,
// 5 bottom-right, 6 bottom, 7 bottom-left, 8 left); kFirstPointHandle + n is point n of a point
// shape.
inline constexpr int kFirstPointHandle = 9;

// One annotation on the capture. Coordinates are screen coordinates; the two points need not be
// ordered until Normalize runs. Objects are drawn with GDI+ onto the capture window and into the
// composed picture alike, so both look the same.
//
// Drawing contract: Draw gets a graphics whose world transform already maps screen coordinates to
// the target (the caller translates by -origin); origin is the target's screen top-left, for
// drawing that goes through graphics.GetHDC(), which the world transform does not reach.
class CCMDrawObj {
public:
    explicit CCMDrawObj(CCMDocument* document);
    virtual ~CCMDrawObj();
    CCMDrawObj(const CCMDrawObj&) = delete;
    CCMDrawObj& operator=(const CCMDrawObj&) = delete;

    // 0 outside; objects with a body and a frame answer -1 (body) and -2 (frame).
    virtual int HitTest(POINT pt) const { return 0; }
    // Whether the object overlaps rc; false for objects that cannot be picked.
    virtual bool Intersects(const RECT& rc) const { return false; }
    // Point shapes grow by AddPoint instead of by handles.
    virtual bool IsPointShape() const { return false; }
    virtual bool FinishOnButtonUp() const { return true; }
    virtual void UpdateBoundsFromPoints() {}
    // Orders the points so that x1 <= x2 and y1 <= y2.
    virtual void Normalize();
    virtual void SetObjectRect(int x, int y, int width, int height);
    // An 8 x 8 box at the start point.
    virtual void SetDefaultSize();
    // False for an object of zero width or height.
    virtual bool IsValid() const;
    // The handle id of the added point; 0 when the object takes no points.
    virtual int AddPoint(POINT pt) { return 0; }
    virtual bool AcceptsPoint(POINT pt) const { return true; }
    virtual bool AddsPointsWhileDragging() const { return true; }
    // Moves the edges a handle names to pt; an axis that would collapse to the minimum size or
    // less keeps its previous edges.
    virtual void MoveHandle(int id, POINT pt);
    virtual SIZE GetMinSize() const { return SIZE{0, 0}; }
    // The cached picture when there is one, else BuildPath, FillPath and StrokePath.
    virtual void Draw(Gdiplus::Graphics& graphics, const Gdiplus::Rect& clip, POINT origin);
    virtual void BuildPath(Gdiplus::GraphicsPath& path, const Gdiplus::Rect& rect) const {}
    virtual void FillPath(Gdiplus::Graphics& graphics, const Gdiplus::Rect& rect,
                          Gdiplus::GraphicsPath& path, const Gdiplus::Rect& clip, POINT origin) {}
    virtual void StrokePath(Gdiplus::Graphics& graphics, const Gdiplus::Rect& rect,
                            Gdiplus::GraphicsPath& path, const Gdiplus::Rect& clip, POINT origin) {}
    // Everything the object may paint: the normalised rectangle grown by 8 on every side.
    virtual Gdiplus::Rect GetBounds() const;
    virtual void Activate() {}
    virtual void Deactivate() {}
    // A window message offered to the active object; handled stays false when it is not used.
    virtual LRESULT HandleObjectMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
        return 0;
    }
    // The cursor to show at pt, or nullptr for the window's own.
    virtual HCURSOR GetCursorAt(POINT pt) const { return nullptr; }
    virtual void Offset(int dx, int dy);

    // Whether one of the classes this object is built from has exactly that name.
    bool IsKindOf(const wchar_t* className) const;
    bool IsActive() const { return m_active; }
    CCMDocument* GetDocument() const { return m_document; }
    // (min x, min y, |x2 - x1|, |y2 - y1|).
    Gdiplus::Rect GetNormalRect() const;
    // GetBounds as a RECT (left, top, right, bottom), for invalidation.
    RECT GetBoundsRect() const;
    bool HasCachedImage() const { return m_cache != nullptr; }

protected:
    // Each class of the hierarchy adds its name in its constructor.
    void AddClassName(const wchar_t* className) { m_classNames.emplace_back(className); }
    void SetActive(bool active) { m_active = active; }
    // Replaces the cached picture (nullptr drops it); Draw paints it at GetBounds from then on.
    void SetCachedImage(std::unique_ptr<Gdiplus::Bitmap> image);

    int m_x1 = 0, m_y1 = 0, m_x2 = 0, m_y2 = 0;

private:
    std::vector<std::wstring> m_classNames;
    std::unique_ptr<Gdiplus::Bitmap> m_cache;
    CCMDocument* m_document;
    bool m_active = false;
};
