#pragma once

// Pictures and folder listings for the upload tests; scratch folders and plain file reads and
// writes come from tests/support.

#include <string>
#include <vector>

// Writes a width x height picture as type ("png", "bmp", "jpeg"...); false on failure.
bool WritePicture(const std::wstring& path, int width, int height, const wchar_t* type);
// Names of the files in a folder, in listing order, without "." and "..".
std::vector<std::wstring> ListNames(const std::wstring& folder);
// Width and height of the picture at `path`; 0 x 0 when it cannot be loaded.
void PictureSize(const std::wstring& path, int& width, int& height);
