#pragma once

#include <memory>
#include <vector>

#include "capture/objects/ccmdrawobj.h"

// Shape kinds; always the tool id minus one.
enum ShapeKind {
    SHAPE_RECTANGLE = 0,
    SHAPE_ELLIPSE = 1,
    SHAPE_ARROW = 2,
    SHAPE_BRUSH = 3,
    SHAPE_MOSAIC = 4,
};

// Rectangle, ellipse, arrow, free brush and mosaic. Rectangle and ellipse grow by handle 1;
// the arrow keeps exactly two points (start and tip); brush and mosaic collect points.
// A mosaic strokes its path with the pixelated picture of what lies under it, composed without
// any mosaic and without itself or later objects.
class CCMShapeObj : public CCMDrawObj {
public:
    CCMShapeObj(CCMDocument* document, int kind, int x, int y, int width, int height);
    ~CCMShapeObj() override;

    bool IsPointShape() const override;
    void UpdateBoundsFromPoints() override;
    bool IsValid() const override;
    // Arrow: replaces the tip once there are two points. The id of the new (or moved) point.
    int AddPoint(POINT pt) override;
    // Brush and mosaic refuse a point closer than the width to the last one in both axes.
    bool AcceptsPoint(POINT pt) const override;
    void MoveHandle(int id, POINT pt) override;
    void BuildPath(Gdiplus::GraphicsPath& path, const Gdiplus::Rect& rect) const override;
    void FillPath(Gdiplus::Graphics& graphics, const Gdiplus::Rect& rect,
                  Gdiplus::GraphicsPath& path, const Gdiplus::Rect& clip, POINT origin) override;
    void StrokePath(Gdiplus::Graphics& graphics, const Gdiplus::Rect& rect,
                    Gdiplus::GraphicsPath& path, const Gdiplus::Rect& clip, POINT origin) override;
    // Point shapes: the bounds of their path grown by width / 2 + 8.
    Gdiplus::Rect GetBounds() const override;

    // A mosaic makes its picture once and from then on paints that (after it was finished and
    // after its block size changed). Other shapes are always vector-drawn.
    void RenderCache();

    int GetKind() const { return m_kind; }
    DWORD GetColor() const { return m_color; }
    void SetColor(DWORD argb) { m_color = argb; }
    int GetWidth() const { return m_width; }
    void SetWidth(int width) { m_width = width; }
    int GetBlockSize() const { return m_blockSize; }
    // Below 1 becomes the default block size.
    void SetBlockSize(int blockSize);
    int GetPointCount() const { return static_cast<int>(m_points.size()); }
    // Point index of a point shape; (0, 0) out of range.
    POINT GetPoint(int index) const;

private:
    // The mosaic as a picture of bounds: the pixelated picture under it where the stroke covers
    // it, clear elsewhere. Null when nothing lies under it (or composing fails).
    std::unique_ptr<Gdiplus::Bitmap> MosaicImage(const Gdiplus::Rect& bounds) const;
    // How much the stroke covers each pixel of bounds (row by row, 0..255, anti-aliased at its
    // edges). Kept while the points, the width and bounds stay, so a new block size does not
    // stroke the path again. Null when it cannot be drawn.
    const std::vector<BYTE>* Coverage(const Gdiplus::Rect& bounds) const;

    struct StrokeCoverage {
        std::vector<POINT> points;
        int width = 0;
        Gdiplus::Rect bounds;
        std::vector<BYTE> alpha;
    };

    int m_kind;
    DWORD m_color = 0xFF000000;
    int m_width = 1;
    int m_blockSize;
    std::vector<POINT> m_points;
    mutable StrokeCoverage m_coverage;
};

// Every mosaic among objects takes the block size (below 1: the default) and is drawn from a new
// cache from then on; its bounds are invalidated through its document. Other objects are left
// alone. Used while the fuzziness slider is dragged, so all mosaics follow it.
void ApplyMosaicBlock(const std::vector<std::unique_ptr<CCMDrawObj>>& objects, int blockSize);
