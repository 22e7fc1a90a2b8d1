#include "capture/objects/ccmdrawobj.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

constexpr int kBoundsMargin = 8;
constexpr int kDefaultSize = 8;

}  // namespace

CCMDrawObj::CCMDrawObj(CCMDocument* document) : m_document(document) {
    AddClassName(L"CCMDrawObj");
}

CCMDrawObj::~CCMDrawObj() = default;

void CCMDrawObj::Normalize() {
    if (m_x1 > m_x2) std::swap(m_x1, m_x2);
    if (m_y1 > m_y2) std::swap(m_y1, m_y2);
}

void CCMDrawObj::SetObjectRect(int x, int y, int width, int height) {
    m_x1 = x;
    m_y1 = y;
    m_x2 = x + width;
    m_y2 = y + height;
    Normalize();
}

void CCMDrawObj::SetDefaultSize() { SetObjectRect(m_x1, m_y1, kDefaultSize, kDefaultSize); }

bool CCMDrawObj::IsValid() const { return std::abs(m_x2 - m_x1) > 0 && std::abs(m_y2 - m_y1) > 0; }

void CCMDrawObj::MoveHandle(int id, POINT pt) {
    const int x1 = m_x1, y1 = m_y1, x2 = m_x2, y2 = m_y2;
    switch (id) {
        case 1:
            m_x1 = pt.x;
            m_y1 = pt.y;
            break;
        case 2:
            m_y1 = pt.y;
            break;
        case 3:
            m_x2 = pt.x;
            m_y1 = pt.y;
            break;
        case 4:
            m_x2 = pt.x;
            break;
        case 5:
            m_x2 = pt.x;
            m_y2 = pt.y;
            break;
        case 6:
            m_y2 = pt.y;
            break;
        case 7:
            m_x1 = pt.x;
            m_y2 = pt.y;
            break;
        case 8:
            m_x1 = pt.x;
            break;
        default:
            return;
    }
    const SIZE minimum = GetMinSize();
    if (std::abs(m_x2 - m_x1) <= minimum.cx) {
        m_x1 = x1;
        m_x2 = x2;
    }
    if (std::abs(m_y2 - m_y1) <= minimum.cy) {
        m_y1 = y1;
        m_y2 = y2;
    }
}

void CCMDrawObj::Draw(Gdiplus::Graphics& graphics, const Gdiplus::Rect& clip, POINT origin) {
    if (m_cache) {
        const Gdiplus::Rect bounds = GetBounds();
        graphics.DrawImage(m_cache.get(), bounds.X, bounds.Y, bounds.Width, bounds.Height);
        return;
    }
    Gdiplus::GraphicsPath path;
    const Gdiplus::Rect rect = GetNormalRect();
    BuildPath(path, rect);
    FillPath(graphics, rect, path, clip, origin);
    StrokePath(graphics, rect, path, clip, origin);
}

Gdiplus::Rect CCMDrawObj::GetBounds() const {
    Gdiplus::Rect rect = GetNormalRect();
    rect.Inflate(kBoundsMargin, kBoundsMargin);
    return rect;
}

void CCMDrawObj::Offset(int dx, int dy) {
    m_x1 += dx;
    m_x2 += dx;
    m_y1 += dy;
    m_y2 += dy;
}

bool CCMDrawObj::IsKindOf(const wchar_t* className) const {
    if (!className) return false;
    return std::find(m_classNames.begin(), m_classNames.end(), className) != m_classNames.end();
}

Gdiplus::Rect CCMDrawObj::GetNormalRect() const {
    return Gdiplus::Rect(std::min(m_x1, m_x2), std::min(m_y1, m_y2), std::abs(m_x2 - m_x1),
                         std::abs(m_y2 - m_y1));
}

RECT CCMDrawObj::GetBoundsRect() const {
    const Gdiplus::Rect bounds = GetBounds();
    return RECT{bounds.X, bounds.Y, bounds.X + bounds.Width, bounds.Y + bounds.Height};
}

void CCMDrawObj::SetCachedImage(std::unique_ptr<Gdiplus::Bitmap> image) {
    m_cache = std::move(image);
}
