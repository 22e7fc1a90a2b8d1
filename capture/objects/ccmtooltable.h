#pragma once

#include <windows.h>

// The drawing tools. A shape tool's object kind is its id minus one (CCMShapeObj).
enum CaptureTool {
    TOOL_NONE = 0,
    TOOL_RECTANGLE = 1,
    TOOL_ELLIPSE = 2,
    TOOL_ARROW = 3,
    TOOL_BRUSH = 4,
    TOOL_MOSAIC = 5,
    TOOL_TEXT = 6,
};

// Which control groups of the option bar a tool shows.
enum OptionLayout {
    OPTIONS_NONE = 0,
    OPTIONS_SHAPE = 1,
    OPTIONS_MOSAIC = 2,
    OPTIONS_TEXT = 3,
};

// Everything that is particular to one tool: its toolbar (and menu) button, the registry values
// that remember its choices, its stroke widths by size index and its option layout.
struct CCMToolInfo {
    int tool;
    const wchar_t* buttonName;
    const wchar_t* sizeValue;   // nullptr: the tool has no size choice (text)
    const wchar_t* colorValue;  // nullptr: the tool has no colour choice (mosaic)
    int widths[3];              // by size index; 0 for the text tool
    int layout;
};

inline constexpr int kToolCount = 6;
inline constexpr int kSizeCount = 3;
inline constexpr int kColorCount = 16;

// HKEY_CURRENT_USER key of the capture settings (also "SavePicPath").
inline constexpr wchar_t kCaptureSettingsKey[] = L"Software\\QUORBEL\\QUORBEL";
inline constexpr wchar_t kMosaicFuzzinessValue[] = L"MosaicFuzziness";
inline constexpr wchar_t kTextFontSizeIndexValue[] = L"TextFontSizeIndex";
inline constexpr int kDefaultMosaicBlock = 6;
inline constexpr int kDefaultFontSizeIndex = 1;

// The six tools in toolbar order.
const CCMToolInfo* AllTools();
// The tool with that id, or nullptr (also for TOOL_NONE).
const CCMToolInfo* FindTool(int tool);
// The tool whose button has that name, or nullptr.
const CCMToolInfo* FindToolByButton(const wchar_t* buttonName);
// The colour of a colour index as ARGB; black for an index outside 0..15.
DWORD ToolColor(int colorIndex);
// The stroke width of a tool at a size index; an index outside 0..2 gives index 0's width, no
// tool or the text tool 0.
int ToolWidth(int tool, int sizeIndex);
// The option layout of a tool; OPTIONS_NONE for no tool.
int ToolLayout(int tool);
// A usable mosaic block size: anything below 1 (a damaged setting or skin) would divide by zero
// and becomes the default 6.
int MosaicBlockSize(int value);
