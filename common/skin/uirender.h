#pragma once

#include <windows.h>

#include <string>

#include "common/ntapi.h"
#include "common/skin/uiparse.h"

namespace Gdiplus {
class Bitmap;
}

// Drawing helpers shared by the controls. Colours are ARGB; an alpha of 0 draws nothing.

// Fills rc, with anti-aliased corners of that radius when round > 0.
NT_API void UIFillRect(HDC hdc, const RECT& rc, DWORD argb, int round);
// Strokes a border of that width inside rc.
NT_API void UIDrawBorder(HDC hdc, const RECT& rc, DWORD argb, int size, int round);
// Fills an anti-aliased ellipse inside rc.
NT_API void UIFillEllipse(HDC hdc, const RECT& rc, DWORD argb);
// Draws the part of image that imageSpec.source names (the whole image without one) into rc, or
// into imageSpec.dest taken relative to rc's top-left corner; corner borders are not stretched.
NT_API void UIDrawImage(HDC hdc, Gdiplus::Bitmap* image, const RECT& rc, const UIImageSpec& imageSpec);
// Draws text with DrawText flags (DT_SINGLELINE etc.) in that colour and font.
NT_API void UIDrawText(HDC hdc, const RECT& rc, const std::wstring& text, DWORD argb, HFONT font,
                       UINT format);
