#include "capture/objects/ccmshapeobj.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "capture/ccmdocument.h"
#include "capture/objects/ccmtooltable.h"
#include "capture/objects/shapegeometry.h"

namespace {

constexpr int kPointGrowth = 256;
constexpr int kBoundsMargin = 8;

// The top row of a 24-bit DIB section, the step from a row to the one below (negative when the
// section is stored bottom-up) and its size; false when it is no such section.
bool TopDownRows(HBITMAP section, BYTE** top, int* stride, int* width, int* height) {
    DIBSECTION dib{};
    if (::GetObjectW(section, sizeof(dib), &dib) != sizeof(dib) || !dib.dsBm.bmBits ||
        dib.dsBm.bmBitsPixel != 24)
        return false;
    *width = dib.dsBm.bmWidth;
    *height = dib.dsBm.bmHeight;
    *stride = dib.dsBm.bmWidthBytes;
    *top = static_cast<BYTE*>(dib.dsBm.bmBits);
    if (dib.dsBmih.biHeight > 0) {  // bottom-up: walk backwards from the last stored row
        *top += static_cast<ptrdiff_t>(*height - 1) * *stride;
        *stride = -*stride;
    }
    return true;
}

}  // namespace

CCMShapeObj::CCMShapeObj(CCMDocument* document, int kind, int x, int y, int width, int height)
    : CCMDrawObj(document), m_kind(kind), m_blockSize(kDefaultMosaicBlock) {
    AddClassName(L"CCMShapeObj");
    m_x1 = x;
    m_y1 = y;
    m_x2 = x + width;
    m_y2 = y + height;
    Normalize();
}

CCMShapeObj::~CCMShapeObj() = default;

bool CCMShapeObj::IsPointShape() const {
    return m_kind == SHAPE_ARROW || m_kind == SHAPE_BRUSH || m_kind == SHAPE_MOSAIC;
}

void CCMShapeObj::UpdateBoundsFromPoints() {
    if ((m_kind != SHAPE_BRUSH && m_kind != SHAPE_MOSAIC) || m_points.empty()) return;
    m_x1 = m_x2 = m_points[0].x;
    m_y1 = m_y2 = m_points[0].y;
    for (const POINT& pt : m_points) {
        m_x1 = std::min<int>(m_x1, pt.x);
        m_y1 = std::min<int>(m_y1, pt.y);
        m_x2 = std::max<int>(m_x2, pt.x);
        m_y2 = std::max<int>(m_y2, pt.y);
    }
}

bool CCMShapeObj::IsValid() const {
    return IsPointShape() ? m_points.size() > 1 : CCMDrawObj::IsValid();
}

int CCMShapeObj::AddPoint(POINT pt) {
    if (m_points.size() == m_points.capacity()) m_points.reserve(m_points.size() + kPointGrowth);
    const int count = GetPointCount();
    if (m_kind == SHAPE_ARROW && count > 1) {
        m_points.back() = pt;
        return count - 1 + kFirstPointHandle;
    }
    m_points.push_back(pt);
    return count + kFirstPointHandle;
}

bool CCMShapeObj::AcceptsPoint(POINT pt) const {
    if ((m_kind != SHAPE_BRUSH && m_kind != SHAPE_MOSAIC) || m_points.empty()) return true;
    const POINT& last = m_points.back();
    return !(std::abs(last.x - pt.x) < m_width && std::abs(last.y - pt.y) < m_width);
}

void CCMShapeObj::MoveHandle(int id, POINT pt) {
    if (id < kFirstPointHandle) {
        CCMDrawObj::MoveHandle(id, pt);
        return;
    }
    const size_t index = static_cast<size_t>(id - kFirstPointHandle);
    if (index < m_points.size()) m_points[index] = pt;
}

void CCMShapeObj::BuildPath(Gdiplus::GraphicsPath& path, const Gdiplus::Rect& rect) const {
    switch (m_kind) {
        case SHAPE_RECTANGLE:
            path.AddRectangle(rect);
            break;
        case SHAPE_ELLIPSE:
            path.AddEllipse(rect);
            break;
        case SHAPE_ARROW:
            if (m_points.size() >= 2) {
                const auto polygon =
                    ArrowPolygon(Gdiplus::PointF(static_cast<float>(m_points[0].x),
                                                 static_cast<float>(m_points[0].y)),
                                 Gdiplus::PointF(static_cast<float>(m_points[1].x),
                                                 static_cast<float>(m_points[1].y)),
                                 static_cast<float>(m_width));
                path.AddLines(polygon.data(), static_cast<INT>(polygon.size()));
            }
            break;
        case SHAPE_BRUSH:
        case SHAPE_MOSAIC:
            if (m_points.size() > 1) {
                std::vector<Gdiplus::Point> points;
                points.reserve(m_points.size());
                for (const POINT& pt : m_points) points.emplace_back(pt.x, pt.y);
                path.AddLines(points.data(), static_cast<INT>(points.size()));
            }
            break;
        default:
            break;
    }
}

void CCMShapeObj::FillPath(Gdiplus::Graphics& graphics, const Gdiplus::Rect&,
                           Gdiplus::GraphicsPath& path, const Gdiplus::Rect&, POINT) {
    if (m_kind != SHAPE_ARROW) return;
    Gdiplus::SolidBrush brush{Gdiplus::Color(m_color)};
    graphics.FillPath(&brush, &path);
}

void CCMShapeObj::StrokePath(Gdiplus::Graphics& graphics, const Gdiplus::Rect&,
                             Gdiplus::GraphicsPath& path, const Gdiplus::Rect&, POINT) {
    switch (m_kind) {
        case SHAPE_RECTANGLE:
        case SHAPE_ELLIPSE:
        case SHAPE_BRUSH: {
            Gdiplus::Pen pen(Gdiplus::Color(m_color), static_cast<Gdiplus::REAL>(m_width));
            pen.SetAlignment(Gdiplus::PenAlignmentCenter);
            pen.SetDashStyle(Gdiplus::DashStyleSolid);
            pen.SetStartCap(Gdiplus::LineCapRound);
            pen.SetEndCap(Gdiplus::LineCapRound);
            graphics.DrawPath(&pen, &path);
            break;
        }
        case SHAPE_MOSAIC:
            if (m_points.size() > 1) {
                const Gdiplus::Rect bounds = GetBounds();
                if (std::unique_ptr<Gdiplus::Bitmap> image = MosaicImage(bounds))
                    graphics.DrawImage(image.get(), bounds.X, bounds.Y, bounds.Width,
                                       bounds.Height);
            }
            break;
        default:
            break;
    }
}

std::unique_ptr<Gdiplus::Bitmap> CCMShapeObj::MosaicImage(const Gdiplus::Rect& bounds) const {
    CCMDocument* document = GetDocument();
    if (!document || m_points.size() < 2 || bounds.Width <= 0 || bounds.Height <= 0)
        return nullptr;
    int minX = m_points[0].x, minY = m_points[0].y, maxX = minX, maxY = minY;
    for (const POINT& pt : m_points) {
        minX = std::min<int>(minX, pt.x);
        minY = std::min<int>(minY, pt.y);
        maxX = std::max<int>(maxX, pt.x);
        maxY = std::max<int>(maxY, pt.y);
    }
    const Gdiplus::Rect blocks =
        MosaicBlockRect(Gdiplus::Rect(minX, minY, maxX - minX, maxY - minY), m_width, m_blockSize);
    if (blocks.Width <= 0 || blocks.Height <= 0) return nullptr;
    const RECT aligned{blocks.X, blocks.Y, blocks.X + blocks.Width, blocks.Y + blocks.Height};
    const RECT selection = document->GetSelection();
    RECT area;
    if (!::IntersectRect(&area, &aligned, &selection)) return nullptr;
    CMBitmapPtr composed = document->ComposeWithoutMosaics(area, this);
    BYTE* picture = nullptr;
    int stride = 0, width = 0, height = 0;
    if (!composed || !TopDownRows(composed.get(), &picture, &stride, &width, &height))
        return nullptr;
    // The grid starts at the area's top-left corner.
    Pixelate(picture, width, height, stride, m_blockSize);

    // Each pixel the stroke covers takes the pixelated colour under it at the stroke's
    // opacity there (a stroke with a texture brush looks the same but costs several times as
    // much); the rest stays clear.
    const std::vector<BYTE>* coverage = Coverage(bounds);
    if (!coverage) return nullptr;
    auto image =
        std::make_unique<Gdiplus::Bitmap>(bounds.Width, bounds.Height, PixelFormat32bppPARGB);
    Gdiplus::Rect all(0, 0, bounds.Width, bounds.Height);
    Gdiplus::BitmapData data{};
    if (image->GetLastStatus() != Gdiplus::Ok ||
        image->LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat32bppPARGB, &data) !=
            Gdiplus::Ok)
        return nullptr;
    const int top = std::max<int>(area.top, bounds.Y), bottom = std::min<int>(area.bottom, bounds.Y + bounds.Height);
    const int left = std::max<int>(area.left, bounds.X), right = std::min<int>(area.right, bounds.X + bounds.Width);
    for (int y = bounds.Y; y < bounds.Y + bounds.Height; ++y) {
        auto* out = reinterpret_cast<UINT32*>(static_cast<BYTE*>(data.Scan0) +
                                              static_cast<ptrdiff_t>(y - bounds.Y) * data.Stride);
        std::fill(out, out + bounds.Width, 0u);
        if (y < top || y >= bottom) continue;
        const BYTE* in = picture + static_cast<ptrdiff_t>(y - area.top) * stride;
        const BYTE* cover = coverage->data() + static_cast<ptrdiff_t>(y - bounds.Y) * bounds.Width;
        for (int x = left; x < right; ++x) {
            const UINT32 alpha = cover[x - bounds.X];
            if (!alpha) continue;
            const BYTE* bgr = in + (x - area.left) * 3;
            out[x - bounds.X] = (alpha << 24) | (bgr[2] * alpha / 255 << 16) |
                                (bgr[1] * alpha / 255 << 8) | (bgr[0] * alpha / 255);
        }
    }
    image->UnlockBits(&data);
    return image;
}

const std::vector<BYTE>* CCMShapeObj::Coverage(const Gdiplus::Rect& bounds) const {
    const bool samePoints = std::equal(
        m_points.begin(), m_points.end(), m_coverage.points.begin(), m_coverage.points.end(),
        [](const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; });
    if (samePoints && m_coverage.width == m_width && m_coverage.bounds.Equals(bounds) &&
        !m_coverage.alpha.empty())
        return &m_coverage.alpha;
    m_coverage = StrokeCoverage{};
    Gdiplus::Bitmap stroke(bounds.Width, bounds.Height, PixelFormat32bppPARGB);
    if (stroke.GetLastStatus() != Gdiplus::Ok) return nullptr;
    {
        Gdiplus::Graphics graphics(&stroke);
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        graphics.TranslateTransform(static_cast<Gdiplus::REAL>(-bounds.X),
                                    static_cast<Gdiplus::REAL>(-bounds.Y));
        Gdiplus::GraphicsPath path;
        BuildPath(path, GetNormalRect());
        Gdiplus::Pen pen(Gdiplus::Color(0xFFFFFFFF), static_cast<Gdiplus::REAL>(m_width));
        graphics.DrawPath(&pen, &path);
    }
    Gdiplus::Rect all(0, 0, bounds.Width, bounds.Height);
    Gdiplus::BitmapData data{};
    if (stroke.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &data) !=
        Gdiplus::Ok)
        return nullptr;
    std::vector<BYTE> alpha(static_cast<size_t>(bounds.Width) * static_cast<size_t>(bounds.Height));
    for (int y = 0; y < bounds.Height; ++y) {
        const auto* row = reinterpret_cast<const UINT32*>(static_cast<const BYTE*>(data.Scan0) +
                                                          static_cast<ptrdiff_t>(y) * data.Stride);
        BYTE* to = alpha.data() + static_cast<ptrdiff_t>(y) * bounds.Width;
        for (int x = 0; x < bounds.Width; ++x) to[x] = static_cast<BYTE>(row[x] >> 24);
    }
    stroke.UnlockBits(&data);
    m_coverage = StrokeCoverage{m_points, m_width, bounds, std::move(alpha)};
    return &m_coverage.alpha;
}

Gdiplus::Rect CCMShapeObj::GetBounds() const {
    if (!IsPointShape() || m_points.empty()) return CCMDrawObj::GetBounds();
    Gdiplus::GraphicsPath path;
    BuildPath(path, GetNormalRect());
    Gdiplus::Rect bounds;
    if (path.GetPointCount() > 0) {
        path.GetBounds(&bounds);
    } else {
        bounds = Gdiplus::Rect(m_points[0].x, m_points[0].y, 0, 0);
    }
    const int grow = m_width / 2 + kBoundsMargin;
    bounds.Inflate(grow, grow);
    return bounds;
}

void CCMShapeObj::RenderCache() {
    SetCachedImage(nullptr);
    if (m_kind == SHAPE_MOSAIC && m_points.size() > 1) SetCachedImage(MosaicImage(GetBounds()));
}

void CCMShapeObj::SetBlockSize(int blockSize) { m_blockSize = MosaicBlockSize(blockSize); }

POINT CCMShapeObj::GetPoint(int index) const {
    if (index < 0 || index >= GetPointCount()) return POINT{0, 0};
    return m_points[static_cast<size_t>(index)];
}

void ApplyMosaicBlock(const std::vector<std::unique_ptr<CCMDrawObj>>& objects, int blockSize) {
    for (const auto& object : objects) {
        if (!object->IsKindOf(L"CCMShapeObj")) continue;
        auto* shape = static_cast<CCMShapeObj*>(object.get());
        if (shape->GetKind() != SHAPE_MOSAIC) continue;
        shape->SetBlockSize(blockSize);
        shape->RenderCache();
        if (CCMDocument* document = shape->GetDocument())
            document->Invalidate(shape->GetBoundsRect());
    }
}
