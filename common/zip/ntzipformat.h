#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/ntapi.h"
#include "common/zip/ntzipentry.h"

// Longest entry name kept, in UTF-16 units.
constexpr size_t NT_ZIP_MAX_NAME = 259;

// Cleans an entry name for use below an unpack folder: drive prefixes, leading separators and
// everything up to a "\..\" style climb are removed until nothing changes; what still names a
// parent or the current folder ("..", "." components, empty components) is dropped, so the
// result never leaves the folder. Separators become "\". Empty when nothing usable remains.
NT_API std::wstring NTZipCleanName(const std::wstring& name);

// True for entries that stand for a folder (name ending in a separator or the folder attribute).
NT_API bool NTZipIsDirectory(const NTZipEntry& entry);

// DOS attribute bits (read-only 1, hidden 2, system 4, folder 0x10, archive 0x20) for the
// entry: taken as stored for DOS-like hosts, derived from the Unix mode for the others.
NT_API uint32_t NTZipDosAttributes(const NTZipEntry& entry);

// Reads the "UT" extended-timestamp field out of an extra block; false when there is none.
NT_API bool NTZipParseUnixTimes(const unsigned char* extra, size_t len, NTZipUnixTimes& times);
