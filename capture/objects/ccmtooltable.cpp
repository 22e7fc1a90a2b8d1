#include "capture/objects/ccmtooltable.h"

#include <cwchar>

namespace {

const CCMToolInfo kTools[kToolCount] = {
    {TOOL_RECTANGLE,
     L"rectangle_btn",
     L"RectangleSizeIndex",
     L"RectangleColorIndex",
     {1, 2, 4},
     OPTIONS_SHAPE},
    {TOOL_ELLIPSE,
     L"ellipse_btn",
     L"EllipseSizeIndex",
     L"EllipseColorIndex",
     {1, 2, 4},
     OPTIONS_SHAPE},
    {TOOL_ARROW, L"arrow_btn", L"ArrowSizeIndex", L"ArrowColorIndex", {10, 16, 22}, OPTIONS_SHAPE},
    {TOOL_BRUSH, L"brush_btn", L"BrushSizeIndex", L"BrushColorIndex", {1, 2, 4}, OPTIONS_SHAPE},
    {TOOL_MOSAIC, L"mosaic_btn", L"MosaicSizeIndex", nullptr, {10, 20, 32}, OPTIONS_MOSAIC},
    {TOOL_TEXT, L"text_btn", nullptr, L"TextColorIndex", {0, 0, 0}, OPTIONS_TEXT},
};

const DWORD kColors[kColorCount] = {
    0xFF000000, 0xFF808080, 0xFF800000, 0xFFF7883A, 0xFF308430, 0xFF385AD3, 0xFF800080, 0xFF009999,
    0xFFFFFFFF, 0xFFC0C0C0, 0xFFFB3838, 0xFFFFFF00, 0xFF99CC00, 0xFF3894E4, 0xFFF31BF3, 0xFF16DCDC,
};

}  // namespace

const CCMToolInfo* AllTools() { return kTools; }

const CCMToolInfo* FindTool(int tool) {
    for (const CCMToolInfo& info : kTools)
        if (info.tool == tool) return &info;
    return nullptr;
}

const CCMToolInfo* FindToolByButton(const wchar_t* buttonName) {
    if (!buttonName) return nullptr;
    for (const CCMToolInfo& info : kTools)
        if (std::wcscmp(info.buttonName, buttonName) == 0) return &info;
    return nullptr;
}

DWORD ToolColor(int colorIndex) {
    return colorIndex >= 0 && colorIndex < kColorCount ? kColors[colorIndex] : kColors[0];
}

int ToolWidth(int tool, int sizeIndex) {
    const CCMToolInfo* info = FindTool(tool);
    if (!info) return 0;
    return info->widths[sizeIndex >= 0 && sizeIndex < kSizeCount ? sizeIndex : 0];
}

int ToolLayout(int tool) {
    const CCMToolInfo* info = FindTool(tool);
    return info ? info->layout : OPTIONS_NONE;
}

int MosaicBlockSize(int value) { return value < 1 ? kDefaultMosaicBlock : value; }
