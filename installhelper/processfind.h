#pragma once

#include <windows.h>

// Whether a process whose executable has base name baseName is meant by name: the same name,
// or a full path ending in "\" + baseName. ASCII letters compare without case.
bool ProcessNameMatches(const wchar_t* name, const wchar_t* baseName);

// Id of the first listed process matched by name, 0 when none (or when listing fails).
DWORD FindProcessByName(const wchar_t* name);
