#include "common/util/ntcolorquantizer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "common/util/ntimage.h"

namespace {

constexpr int32_t kNone = -1;
constexpr uint8_t kFreeLevel = 0xFF;

inline int ChildIndex(uint32_t rgb, int level) {
    return (((rgb >> (16 + level)) & 1) << 2) | (((rgb >> (8 + level)) & 1) << 1) |
           ((rgb >> level) & 1);
}

// The tree never splits on bit 0, so colours with the same upper 7 bits per channel always
// share a leaf: this key identifies that leaf's colour cell.
inline uint32_t CellKey(uint32_t rgb) {
    return ((rgb >> 3) & 0x1FC000u) | ((rgb >> 2) & 0x3F80u) | ((rgb >> 1) & 0x7Fu);
}

// Octree in index-addressed arrays (the walk touches only the small child table), with
// interleaved reduction.
//
// Every pixel that passes through a node ends in a leaf below it, so a node's pixel count is
// the sum of the counts of the leaves below it. Only leaves are counted while pixels are
// added; a reduction, which only ever compares nodes whose children are all leaves, sums
// their counts when it needs them.
class Octree {
public:
    explicit Octree(UINT maxColors) : m_max(maxColors) {
        size_t reserve = 8 * (static_cast<size_t>(maxColors) + 8);
        m_child.reserve(reserve);
        m_count.reserve(reserve);
        NewNode(7);
    }

    // Leaf that a colour ends in, kNone when its path is incomplete.
    int32_t FindLeaf(uint32_t rgb) const {
        int32_t node = 0;
        for (int level = 7; !m_leaf[node]; --level) {
            node = m_child[node].at[ChildIndex(rgb, level)];
            if (node == kNone) return kNone;
        }
        return node;
    }

    void AddToLeaf(int32_t leaf, uint32_t rgb, uint64_t n) {
        m_count[leaf] += n;
        m_red[leaf] += ((rgb >> 16) & 0xFF) * n;
        m_green[leaf] += ((rgb >> 8) & 0xFF) * n;
        m_blue[leaf] += (rgb & 0xFF) * n;
    }

    // Adds one pixel of a colour without a leaf: creates its path down to a new leaf, then
    // reduces the tree back to the palette size. Returns the leaf the pixel ended in.
    int32_t AddNew(uint32_t rgb) {
        int32_t node = 0;
        for (int level = 7; !m_leaf[node]; --level) {
            int idx = ChildIndex(rgb, level);
            int32_t child = m_child[node].at[idx];
            if (child == kNone) {
                child = NewNode(level - 1);
                m_child[node].at[idx] = child;
            }
            node = child;
        }
        AddToLeaf(node, rgb, 1);
        if (m_leaves > m_max) Reduce();
        return FindLeaf(rgb);
    }

    // Changes whenever a reduction has merged leaves (a new leaf leaves other paths as they
    // were).
    uint32_t Shape() const { return m_shape; }

    // Depth-first, children in index order; returns the number of entries written.
    UINT BuildPalette(Gdiplus::ARGB* entries) {
        UINT count = 0;
        Number(0, entries, count);
        return count;
    }

    // Palette index for a colour; colours never added map along their existing path.
    uint8_t IndexOf(uint32_t rgb) const {
        int32_t node = 0;
        for (int level = 7; !m_leaf[node]; --level) {
            int32_t child = m_child[node].at[ChildIndex(rgb, level)];
            if (child == kNone) break;
            node = child;
        }
        return m_index[node];
    }

private:
    struct Children {
        int32_t at[8] = {kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone};
    };

    int32_t NewNode(int level) {
        int32_t id;
        if (!m_free.empty()) {
            id = m_free.back();
            m_free.pop_back();
        } else {
            id = static_cast<int32_t>(m_child.size());
            m_child.emplace_back();
            m_count.push_back(0);
            m_red.push_back(0);
            m_green.push_back(0);
            m_blue.push_back(0);
            m_level.push_back(0);
            m_leaf.push_back(0);
            m_index.push_back(0);
        }
        m_child[id] = Children();
        m_count[id] = m_red[id] = m_green[id] = m_blue[id] = 0;
        m_level[id] = static_cast<uint8_t>(level);
        m_leaf[id] = level == 0;
        m_index[id] = 0;
        if (level == 0) ++m_leaves;
        return id;
    }

    // Pixel count of a node whose children are all leaves.
    uint64_t LeafSum(int32_t node) const {
        uint64_t sum = 0;
        for (int32_t child : m_child[node].at)
            if (child != kNone) sum += m_count[child];
        return sum;
    }

    bool Reducible(int32_t id) const { return !m_leaf[id] && m_level[id] != kFreeLevel; }

    // The first node of the reducible list (inner nodes below the root): the deepest level,
    // then the smallest count, then the lowest index. Nothing lies between the deepest inner
    // nodes and the leaves, so their counts are the sums of their leaves.
    int32_t FirstReducible() const {
        const int32_t size = static_cast<int32_t>(m_child.size());
        uint8_t deepest = kFreeLevel;
        for (int32_t id = 1; id < size; ++id)
            if (Reducible(id) && m_level[id] < deepest) deepest = m_level[id];
        int32_t best = kNone;
        uint64_t bestCount = 0;
        for (int32_t id = 1; id < size; ++id) {
            if (!Reducible(id) || m_level[id] != deepest) continue;
            uint64_t count = LeafSum(id);
            if (best == kNone || count < bestCount) {
                best = id;
                bestCount = count;
            }
        }
        return best;
    }

    void Reduce() {
        ++m_shape;
        while (m_leaves > m_max) {
            int32_t node = FirstReducible();
            if (node == kNone) return;
            m_count[node] = LeafSum(node);
            for (int32_t& child : m_child[node].at) {
                if (child == kNone) continue;
                m_red[node] += m_red[child];
                m_green[node] += m_green[child];
                m_blue[node] += m_blue[child];
                m_level[child] = kFreeLevel;  // never a candidate again until reused
                m_leaf[child] = 0;
                m_free.push_back(child);
                --m_leaves;
                child = kNone;
            }
            m_leaf[node] = 1;
            ++m_leaves;
        }
    }

    void Number(int32_t node, Gdiplus::ARGB* entries, UINT& count) {
        if (m_leaf[node]) {
            uint64_t c = m_count[node] ? m_count[node] : 1;
            m_index[node] = static_cast<uint8_t>(count);
            entries[count++] = 0xFF000000u | (uint32_t(m_red[node] / c) << 16) |
                               (uint32_t(m_green[node] / c) << 8) | uint32_t(m_blue[node] / c);
            return;
        }
        for (int32_t child : m_child[node].at)
            if (child != kNone) Number(child, entries, count);
    }

    UINT m_max;
    UINT m_leaves = 0;
    uint32_t m_shape = 0;
    std::vector<Children> m_child;
    std::vector<uint64_t> m_count, m_red, m_green, m_blue;
    std::vector<uint8_t> m_level, m_leaf, m_index;
    std::vector<int32_t> m_free;
};

// Adds runs of pixels, remembering for recently seen colour cells which leaf they end in
// until the tree changes shape.
class Builder {
public:
    explicit Builder(Octree& tree) : m_tree(tree), m_slots(1u << kBits) {}

    void AddRun(uint32_t rgb, uint64_t n) {
        uint32_t key = CellKey(rgb);
        Slot& slot = m_slots[(key * 2654435761u) >> (32 - kBits)];
        if (slot.key != key || slot.shape != m_tree.Shape()) {
            slot.leaf = m_tree.FindLeaf(rgb);
            if (slot.leaf == kNone) {
                // The run's first pixel may cause a reduction; the rest then follows the
                // path as it is afterwards.
                slot.leaf = m_tree.AddNew(rgb);
                --n;
            }
            slot.key = key;
            slot.shape = m_tree.Shape();
        }
        if (n) m_tree.AddToLeaf(slot.leaf, rgb, n);
    }

private:
    static constexpr int kBits = 14;
    struct Slot {
        uint32_t key = 0xFFFFFFFFu;
        uint32_t shape = 0;
        int32_t leaf = kNone;
    };

    Octree& m_tree;
    std::vector<Slot> m_slots;
};

// Palette index per colour cell, filled on first use.
class IndexTable {
public:
    // Only the bitmap of known cells is cleared: the index pages are touched as cells are used.
    explicit IndexTable(const Octree& tree)
        : m_tree(tree), m_index(new uint8_t[1u << 21]), m_known(1u << 15) {}

    uint8_t IndexOf(uint32_t rgb) {
        uint32_t key = CellKey(rgb);
        uint64_t& word = m_known[key >> 6];
        uint64_t bit = uint64_t(1) << (key & 63);
        if (!(word & bit)) {
            m_index[key] = m_tree.IndexOf(rgb);
            word |= bit;
        }
        return m_index[key];
    }

private:
    const Octree& m_tree;
    std::unique_ptr<uint8_t[]> m_index;
    std::vector<uint64_t> m_known;
};

inline uint32_t PixelAt(const BYTE* p) {
    return p[0] | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
}

// Length of the run of pixels equal to the first one, at most `left` pixels. Whole 32-bit
// loads compare a pixel and one byte beyond it, so the last pixel is compared bytewise.
inline UINT RunLength(const BYTE* p, UINT left) {
    uint32_t first = PixelAt(p);
    UINT n = 1;
    for (; n + 1 < left; ++n) {
        uint32_t next;
        std::memcpy(&next, p + 3 * n, 4);
        if ((next & 0xFFFFFFu) != first) return n;
    }
    if (n < left && PixelAt(p + 3 * n) == first) ++n;
    return n;
}

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
    if (!source || !NTInitializeGdiplus()) return nullptr;
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

    // Pixels go in run by run: a run of one colour creates no leaf after its first pixel.
    Octree tree(maxColors);
    {
        Builder builder(tree);
        for (UINT y = 0; y < height; ++y) {
            const BYTE* p = src.Row(y);
            for (UINT x = 0; x < width;) {
                UINT run = RunLength(p, width - x);
                builder.AddRun(PixelAt(p), run);
                x += run;
                p += 3 * run;
            }
        }
    }

    std::vector<BYTE> paletteBytes(sizeof(Gdiplus::ColorPalette) + 256 * sizeof(Gdiplus::ARGB));
    auto* palette = reinterpret_cast<Gdiplus::ColorPalette*>(paletteBytes.data());
    palette->Flags = Gdiplus::PaletteFlagsHasAlpha;
    palette->Count = tree.BuildPalette(palette->Entries);
    if (target->SetPalette(palette) != Gdiplus::Ok) return false;

    BitsLock dst(target, Gdiplus::ImageLockModeWrite, PixelFormat8bppIndexed);
    if (!dst.Ok()) return false;
    IndexTable table(tree);
    for (UINT y = 0; y < height; ++y) {
        const BYTE* p = src.Row(y);
        BYTE* out = dst.Row(y);
        for (UINT x = 0; x < width;) {
            UINT run = RunLength(p, width - x);
            uint8_t index = table.IndexOf(PixelAt(p));
            if (run < 16) {
                for (UINT i = 0; i < run; ++i) out[x + i] = index;
            } else {
                std::memset(out + x, index, run);
            }
            x += run;
            p += 3 * run;
        }
    }
    return true;
}
