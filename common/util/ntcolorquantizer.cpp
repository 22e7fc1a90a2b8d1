#include "common/util/ntcolorquantizer.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr int32_t kNone = -1;
constexpr int kLevels = 8;

// Nodes and count groups live in index-addressed pools so that the tree costs no allocation
// per pixel once it has reached its bounded size.
struct Node {
    uint64_t red = 0, green = 0, blue = 0;  // leaf colour sums
    uint32_t count = 0;                     // pixels that passed through or ended here
    int32_t child[8] = {kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone};
    int32_t prev = kNone, next = kNone, group = kNone;  // place in the reducible list
    int level = 0;
    bool leaf = false;
    uint8_t index = 0;  // palette index of a leaf
};

// Nodes of one level with one count, oldest first; the groups of a level are sorted by count.
struct Group {
    uint32_t count = 0;
    int32_t head = kNone, tail = kNone, prev = kNone, next = kNone;
};

class Octree {
public:
    explicit Octree(UINT maxColors) : m_max(maxColors) {
        m_nodes.reserve(8 * (maxColors + 8));
        for (int32_t& head : m_levels) head = kNone;
        NewNode(7);
    }

    // Adds n pixels of one colour, then reduces the tree back to the palette size.
    void Add(BYTE r, BYTE g, BYTE b, uint32_t n) {
        int32_t node = 0;
        m_nodes[0].count += n;
        bool newLeaf = false;
        for (int level = 7; !m_nodes[node].leaf; --level) {
            int idx = (((r >> level) & 1) << 2) | (((g >> level) & 1) << 1) | ((b >> level) & 1);
            int32_t child = m_nodes[node].child[idx];
            if (child == kNone) {
                child = NewNode(level - 1);
                m_nodes[node].child[idx] = child;
                m_nodes[child].count = n;
                if (m_nodes[child].leaf)
                    newLeaf = true;
                else
                    Enter(child);
            } else {
                m_nodes[child].count += n;
                if (!m_nodes[child].leaf) Grow(child, n);
            }
            node = child;
        }
        Node& leaf = m_nodes[node];
        leaf.red += uint64_t(r) * n;
        leaf.green += uint64_t(g) * n;
        leaf.blue += uint64_t(b) * n;
        if (newLeaf) Reduce();
    }

    // Depth-first, children in index order; returns the number of entries written.
    UINT BuildPalette(Gdiplus::ARGB* entries) {
        UINT count = 0;
        Number(0, entries, count);
        return count;
    }

    uint8_t IndexOf(BYTE r, BYTE g, BYTE b) const {
        int32_t node = 0;
        for (int level = 7; !m_nodes[node].leaf; --level) {
            int idx = (((r >> level) & 1) << 2) | (((g >> level) & 1) << 1) | ((b >> level) & 1);
            int32_t child = m_nodes[node].child[idx];
            if (child == kNone) break;  // only for colours never added
            node = child;
        }
        return m_nodes[node].index;
    }

private:
    int32_t NewNode(int level) {
        int32_t id;
        if (!m_freeNodes.empty()) {
            id = m_freeNodes.back();
            m_freeNodes.pop_back();
            m_nodes[id] = Node();
        } else {
            id = static_cast<int32_t>(m_nodes.size());
            m_nodes.emplace_back();
        }
        m_nodes[id].level = level;
        m_nodes[id].leaf = level == 0;
        if (level == 0) ++m_leaves;
        return id;
    }

    int32_t NewGroup(uint32_t count) {
        int32_t id;
        if (!m_freeGroups.empty()) {
            id = m_freeGroups.back();
            m_freeGroups.pop_back();
            m_groups[id] = Group();
        } else {
            id = static_cast<int32_t>(m_groups.size());
            m_groups.emplace_back();
        }
        m_groups[id].count = count;
        return id;
    }

    // Links a new group after prev (kNone: at the front of the level).
    int32_t InsertGroup(int level, int32_t prev, uint32_t count) {
        int32_t id = NewGroup(count);
        int32_t next = prev == kNone ? m_levels[level] : m_groups[prev].next;
        m_groups[id].prev = prev;
        m_groups[id].next = next;
        if (prev == kNone)
            m_levels[level] = id;
        else
            m_groups[prev].next = id;
        if (next != kNone) m_groups[next].prev = id;
        return id;
    }

    void AppendToGroup(int32_t group, int32_t node) {
        Group& g = m_groups[group];
        Node& n = m_nodes[node];
        n.group = group;
        n.prev = g.tail;
        n.next = kNone;
        if (g.tail == kNone)
            g.head = node;
        else
            m_nodes[g.tail].next = node;
        g.tail = node;
    }

    // Behind every node of its level whose count is not larger than its own, starting the
    // search after group `after` (kNone: from the front).
    void Place(int32_t node, int32_t after) {
        int level = m_nodes[node].level;
        uint32_t count = m_nodes[node].count;
        int32_t prev = after;
        int32_t next = after == kNone ? m_levels[level] : m_groups[after].next;
        while (next != kNone && m_groups[next].count < count) {
            prev = next;
            next = m_groups[next].next;
        }
        int32_t group =
            next != kNone && m_groups[next].count == count ? next : InsertGroup(level, prev, count);
        AppendToGroup(group, node);
    }

    void Enter(int32_t node) { Place(node, kNone); }

    // Unlinks a node; returns the group before its group (kNone when it was the first).
    int32_t Leave(int32_t node) {
        Node& n = m_nodes[node];
        int32_t group = n.group;
        Group& g = m_groups[group];
        if (n.prev == kNone)
            g.head = n.next;
        else
            m_nodes[n.prev].next = n.next;
        if (n.next == kNone)
            g.tail = n.prev;
        else
            m_nodes[n.next].prev = n.prev;
        n.prev = n.next = n.group = kNone;
        int32_t before = g.prev;
        if (g.head != kNone) return group;
        if (before == kNone)
            m_levels[n.level] = g.next;
        else
            m_groups[before].next = g.next;
        if (g.next != kNone) m_groups[g.next].prev = before;
        m_freeGroups.push_back(group);
        return before;
    }

    void Grow(int32_t node, uint32_t n) {
        int32_t group = m_nodes[node].group;
        // Already the last of the last group with a count small enough: stays where it is.
        if (m_nodes[node].next == kNone) {
            int32_t next = m_groups[group].next;
            if (m_groups[group].head == node &&
                (next == kNone || m_groups[next].count > m_nodes[node].count)) {
                m_groups[group].count = m_nodes[node].count;
                return;
            }
        }
        Place(node, Leave(node));
    }

    void Reduce() {
        while (m_leaves > m_max) {
            int level = 1;
            while (level < kLevels && m_levels[level] == kNone) ++level;
            if (level == kLevels) return;
            int32_t node = m_groups[m_levels[level]].head;
            Leave(node);
            Node merged = m_nodes[node];
            for (int32_t& child : merged.child) {
                if (child == kNone) continue;
                merged.red += m_nodes[child].red;
                merged.green += m_nodes[child].green;
                merged.blue += m_nodes[child].blue;
                m_freeNodes.push_back(child);
                --m_leaves;
                child = kNone;
            }
            merged.leaf = true;
            m_nodes[node] = merged;
            ++m_leaves;
        }
    }

    void Number(int32_t node, Gdiplus::ARGB* entries, UINT& count) {
        Node& n = m_nodes[node];
        if (n.leaf) {
            uint32_t c = n.count ? n.count : 1;
            n.index = static_cast<uint8_t>(count);
            entries[count++] = 0xFF000000u | (uint32_t(n.red / c) << 16) |
                               (uint32_t(n.green / c) << 8) | uint32_t(n.blue / c);
            return;
        }
        for (int32_t child : n.child)
            if (child != kNone) Number(child, entries, count);
    }

    UINT m_max;
    UINT m_leaves = 0;
    std::vector<Node> m_nodes;
    std::vector<int32_t> m_freeNodes;
    std::vector<Group> m_groups;
    std::vector<int32_t> m_freeGroups;
    int32_t m_levels[kLevels];  // first (smallest-count) group of each level
};

// Releases LockBits on every path.
class BitsLock {
public:
    BitsLock(Gdiplus::Bitmap* bitmap, UINT mode, Gdiplus::PixelFormat format) : m_bitmap(bitmap) {
        Gdiplus::Rect rc(0, 0, bitmap->GetWidth(), bitmap->GetHeight());
        m_ok = bitmap->LockBits(&rc, mode, format, &m_data) == Gdiplus::Ok;
    }
    ~BitsLock() {
        if (m_ok) m_bitmap->UnlockBits(&m_data);
    }
    BitsLock(const BitsLock&) = delete;
    BitsLock& operator=(const BitsLock&) = delete;

    bool Ok() const { return m_ok; }
    BYTE* Row(UINT y) const {
        return static_cast<BYTE*>(m_data.Scan0) + static_cast<ptrdiff_t>(y) * m_data.Stride;
    }

private:
    Gdiplus::Bitmap* m_bitmap;
    Gdiplus::BitmapData m_data = {};
    bool m_ok = false;
};

}  // namespace

Gdiplus::Bitmap* CNTColorQuantizer::Quantize(Gdiplus::Image* source) {
    if (!source) return nullptr;
    UINT width = source->GetWidth(), height = source->GetHeight();
    if (width == 0 || height == 0) return nullptr;
    Gdiplus::Bitmap* rgb = nullptr;
    std::unique_ptr<Gdiplus::Bitmap> copy;
    if (source->GetType() == Gdiplus::ImageTypeBitmap &&
        source->GetPixelFormat() == PixelFormat24bppRGB) {
        rgb = static_cast<Gdiplus::Bitmap*>(source);
    } else {
        copy = std::make_unique<Gdiplus::Bitmap>(static_cast<INT>(width), static_cast<INT>(height),
                                                 PixelFormat24bppRGB);
        if (copy->GetLastStatus() != Gdiplus::Ok) return nullptr;
        Gdiplus::Graphics graphics(copy.get());
        if (graphics.GetLastStatus() != Gdiplus::Ok ||
            graphics.DrawImage(source, 0, 0, static_cast<INT>(width), static_cast<INT>(height)) !=
                Gdiplus::Ok)
            return nullptr;
        rgb = copy.get();
    }
    auto target = std::make_unique<Gdiplus::Bitmap>(
        static_cast<INT>(width), static_cast<INT>(height), PixelFormat8bppIndexed);
    if (target->GetLastStatus() != Gdiplus::Ok || !QuantizeBitmap(rgb, target.get(), 256))
        return nullptr;
    return target.release();
}

bool CNTColorQuantizer::QuantizeBitmap(Gdiplus::Bitmap* source, Gdiplus::Bitmap* target,
                                       UINT maxColors) {
    if (!source || !target || maxColors < 8 || maxColors > 256) return false;
    UINT width = source->GetWidth(), height = source->GetHeight();
    if (width == 0 || height == 0 || target->GetWidth() != width || target->GetHeight() != height)
        return false;
    BitsLock src(source, Gdiplus::ImageLockModeRead, PixelFormat24bppRGB);
    if (!src.Ok()) return false;

    // A run of one colour creates no leaf after its first pixel, so once that pixel (and the
    // reduction it may cause) is in, the rest of the run is added in one step with the same
    // result as pixel by pixel.
    Octree tree(maxColors);
    for (UINT y = 0; y < height; ++y) {
        const BYTE* p = src.Row(y);
        const BYTE* end = p + 3 * width;
        while (p < end) {
            const BYTE* run = p + 3;
            while (run < end && run[0] == p[0] && run[1] == p[1] && run[2] == p[2]) run += 3;
            uint32_t count = static_cast<uint32_t>((run - p) / 3);
            tree.Add(p[2], p[1], p[0], 1);
            if (count > 1) tree.Add(p[2], p[1], p[0], count - 1);
            p = run;
        }
    }

    std::vector<BYTE> paletteBytes(sizeof(Gdiplus::ColorPalette) + 256 * sizeof(Gdiplus::ARGB));
    auto* palette = reinterpret_cast<Gdiplus::ColorPalette*>(paletteBytes.data());
    palette->Flags = Gdiplus::PaletteFlagsHasAlpha;
    palette->Count = tree.BuildPalette(palette->Entries);
    if (target->SetPalette(palette) != Gdiplus::Ok) return false;

    BitsLock dst(target, Gdiplus::ImageLockModeWrite, PixelFormat8bppIndexed);
    if (!dst.Ok()) return false;
    for (UINT y = 0; y < height; ++y) {
        const BYTE* p = src.Row(y);
        BYTE* out = dst.Row(y);
        uint32_t last = 0xFFFFFFFFu;
        BYTE index = 0;
        for (UINT x = 0; x < width; ++x, p += 3) {
            uint32_t colour = p[0] | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
            if (colour != last) {
                last = colour;
                index = tree.IndexOf(p[2], p[1], p[0]);
            }
            out[x] = index;
        }
    }
    return true;
}
