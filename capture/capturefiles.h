#pragma once

#include <windows.h>

#include <string>

// File naming of saved captures, free of the window so it can be tested directly.

// The encoder for a chosen path by its extension, any case: "png" for .png, "jpeg" for .jpg and
// .jpeg, "bmp" for everything else.
const wchar_t* CMImageFormatForPath(const std::wstring& path);

// "IME截图YYYYMMDDhhmmss" for that local time.
std::wstring CMDefaultSaveName(const SYSTEMTIME& time);

// The folder to remember for a chosen path: everything up to its last backslash plus a
// backslash (the whole path and a backslash when it has none).
std::wstring CMSaveFolderOf(const std::wstring& path);
