#pragma once

#include <string>

// Whole-file reads and writes for checks on what code under test left on disk.

// The file's bytes; "<missing>" when it cannot be opened, so that a missing file never
// compares equal to an empty one.
std::string ReadFileBytes(const std::wstring& path);
// Creates or replaces the file; false when it cannot be written completely.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
// UTF-16LE with a byte order mark; false like WriteFileBytes.
bool WriteUtf16File(const std::wstring& path, const std::wstring& text);
// True for files and folders alike.
bool FileExists(const std::wstring& path);
