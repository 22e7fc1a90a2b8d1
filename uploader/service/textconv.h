#pragma once

#include <string>

// Conversions between the tool's three text forms: UTF-16 for what is shown or typed, the
// system's ANSI code page for paths and URL values, UTF-8 in server replies.
// Each returns an empty string when the input is empty or cannot be converted.
std::string WideToAnsi(const std::wstring& text);
std::wstring AnsiToWide(const std::string& text);
std::wstring Utf8ToWide(const std::string& text);
