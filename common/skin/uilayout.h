#pragma once

#include <windows.h>

#include <vector>

#include "common/ntapi.h"

// How a container places the children that do not fill its cross direction.
enum UIAlign { UIALIGN_START, UIALIGN_CENTER, UIALIGN_END };

// One child as the linear layout sees it. A fixed size of 0 means "stretch": in the main
// direction stretching children share what the fixed ones leave, in the cross direction they
// fill the container. padding is the margin kept around the child.
struct UILayoutItem {
    bool visible = true;
    int fixedWidth = 0;
    int fixedHeight = 0;
    RECT padding = {};
};

// Places children one after another inside rc less inset, childPadding apart, top to bottom
// (vertical) or left to right. Hidden children take no room and get an empty rectangle. When
// no child stretches, mainAlign places the whole run; crossAlign places each child that is
// narrower than the container. Sizes never go negative; an overfull run is cut at the end.
NT_API std::vector<RECT> UILayoutLinear(const RECT& rc, const RECT& inset, int childPadding,
                                        bool vertical, UIAlign mainAlign, UIAlign crossAlign,
                                        const std::vector<UILayoutItem>& items);
