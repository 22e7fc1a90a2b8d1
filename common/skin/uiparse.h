#pragma once

#include <windows.h>

#include <string>

#include "common/ntapi.h"

// Attribute value parsing for skin files. Every parser returns false and leaves its output
// untouched when the text is not in the expected form.

// "l,t,r,b" (four integers, spaces allowed).
NT_API bool UIParseRect(const wchar_t* text, RECT& out);
// "w,h" or "x,y".
NT_API bool UIParseSize(const wchar_t* text, SIZE& out);
// A decimal integer, optionally negative.
NT_API bool UIParseInt(const wchar_t* text, int& out);
// "true"/"false" (also "1"/"0").
NT_API bool UIParseBool(const wchar_t* text, bool& out);
// "#AARRGGBB" or "#RRGGBB" (opaque); the result is ARGB.
NT_API bool UIParseColor(const wchar_t* text, DWORD& out);

// An image reference: either a bare file name or "file='a.png' source='l,t,r,b'
// corner='l,t,r,b' dest='l,t,r,b'" (single or double quotes, any order). source cuts a part
// of the picture, corner gives borders that are not stretched, dest places the image inside
// the control instead of filling it.
struct UIImageSpec {
    std::wstring file;
    RECT source = {};
    RECT corner = {};
    RECT dest = {};
    bool hasSource = false;
    bool hasDest = false;
};
NT_API bool UIParseImageSpec(const std::wstring& text, UIImageSpec& out);
