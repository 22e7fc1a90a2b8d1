#include "common/skin/uilayout.h"

#include <algorithm>

namespace {

int AlignOffset(UIAlign align, int free) {
    if (free <= 0) return 0;
    if (align == UIALIGN_CENTER) return free / 2;
    if (align == UIALIGN_END) return free;
    return 0;
}

}  // namespace

std::vector<RECT> UILayoutLinear(const RECT& rc, const RECT& inset, int childPadding, bool vertical,
                                 UIAlign mainAlign, UIAlign crossAlign,
                                 const std::vector<UILayoutItem>& items) {
    std::vector<RECT> result(items.size(), RECT{});
    // Work in (main, cross) coordinates so one code path serves both directions.
    const int mainStart = vertical ? rc.top + inset.top : rc.left + inset.left;
    const int mainEnd = vertical ? rc.bottom - inset.bottom : rc.right - inset.right;
    const int crossStart = vertical ? rc.left + inset.left : rc.top + inset.top;
    const int crossEnd = vertical ? rc.right - inset.right : rc.bottom - inset.bottom;
    const int mainSpace = std::max(0, mainEnd - mainStart);
    const int crossSpace = std::max(0, crossEnd - crossStart);

    int fixedTotal = 0;
    int stretchCount = 0;
    int visibleCount = 0;
    for (const UILayoutItem& item : items) {
        if (!item.visible) continue;
        ++visibleCount;
        int fixed = vertical ? item.fixedHeight : item.fixedWidth;
        int margins = vertical ? item.padding.top + item.padding.bottom
                               : item.padding.left + item.padding.right;
        fixedTotal += margins + std::max(0, fixed);
        if (fixed <= 0) ++stretchCount;
    }
    if (visibleCount > 1) fixedTotal += childPadding * (visibleCount - 1);
    int remaining = std::max(0, mainSpace - fixedTotal);
    int stretchEach = stretchCount ? remaining / stretchCount : 0;
    int stretchExtra = stretchCount ? remaining % stretchCount : 0;

    int cursor = mainStart + (stretchCount ? 0 : AlignOffset(mainAlign, mainSpace - fixedTotal));
    bool first = true;
    for (size_t i = 0; i < items.size(); ++i) {
        const UILayoutItem& item = items[i];
        if (!item.visible) continue;
        if (!first) cursor += childPadding;
        first = false;
        int fixed = vertical ? item.fixedHeight : item.fixedWidth;
        int lead = vertical ? item.padding.top : item.padding.left;
        int trail = vertical ? item.padding.bottom : item.padding.right;
        int size = fixed > 0 ? fixed : stretchEach;
        if (fixed <= 0 && stretchExtra > 0) {
            // The last pixels go to the first stretching children so the run fills exactly.
            ++size;
            --stretchExtra;
        }
        int a = std::min(cursor + lead, mainEnd);
        int b = std::min(a + size, mainEnd);
        cursor += lead + size + trail;

        int crossFixed = vertical ? item.fixedWidth : item.fixedHeight;
        int crossLead = vertical ? item.padding.left : item.padding.top;
        int crossTrail = vertical ? item.padding.right : item.padding.bottom;
        int crossRoom = std::max(0, crossSpace - crossLead - crossTrail);
        int c, d;
        if (crossFixed > 0) {
            int w = std::min(crossFixed, crossRoom);
            c = crossStart + crossLead + AlignOffset(crossAlign, crossRoom - w);
            d = c + w;
        } else {
            c = crossStart + crossLead;
            d = c + crossRoom;
        }
        result[i] = vertical ? RECT{c, a, d, b} : RECT{a, c, b, d};
    }
    return result;
}
