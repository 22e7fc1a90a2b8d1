#pragma once

#include <string>

#include "common/ntapi.h"

// Conversions between the system ANSI code page, UTF-8 and UTF-16, and in-place text edits.
// Characters the target cannot hold become the platform's default character; null input gives
// an empty result.
class NT_API CNTStringConvert {
public:
    static std::wstring AnsiToUnicode(const char* text);
    static std::string UnicodeToAnsi(const wchar_t* text);
    static std::wstring UTF8ToUnicode(const char* text);
    static std::string UTF8ToANSI(const char* text);
    static std::string UnicodeToUTF8(const wchar_t* text);

    // Per unit, through the C runtime's wide case conversion.
    static void MakeLower(std::wstring& text);
    static void MakeUpper(std::wstring& text);

    // Replaces the first occurrence again and again until none is left. Leaves text unchanged
    // and returns false when search is empty or occurs in replacement (it would never end).
    static bool ReplaceAll(std::wstring& text, const std::wstring& search,
                           const std::wstring& replacement);
    // Replaces each occurrence once, searching on after the inserted text; false for an empty
    // search text.
    static bool ReplaceAllDistinct(std::wstring& text, const std::wstring& search,
                                   const std::wstring& replacement);

    // Developer self-check of the members above: a message box names each check that fails;
    // false when any did.
    static bool Test();
};
