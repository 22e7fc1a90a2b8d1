#pragma once

#include <string>

// Reads a UTF-16LE file as raw 16-bit units, without a leading byte-order mark; false when the
// file cannot be read.
bool ReadUtf16File(const std::wstring& path, std::wstring& text);

// Installed version and update base from version.xml (the last Version and Update children of
// Config count); false when the file or its Config root is missing.
bool ReadVersionFile(const std::wstring& path, std::wstring& version, std::wstring& updateBase);

// Sets the text of the last Config/Version (the one ReadVersionFile takes) and replaces the file
// with the new document (UTF-16LE with a byte-order mark). The new text is written beside the file
// and moved over it in one step, so the old file stays whole when anything fails; false then.
bool WriteVersionFile(const std::wstring& path, const std::wstring& newVersion);
