#pragma once

// Pictures and folder listings for the upload tests; scratch folders and plain file reads and
// writes come from tests/support.

#include <string>
#include <vector>

// Writes a width x height picture as type ("png", "bmp", "jpeg"...), JPEG at `quality`; false
// on failure.
bool WritePicture(const std::wstring& path, int width, int height, const wchar_t* type,
                  long quality = 75);
// Writes a width x height BMP of random pixels (the same for the same size), which JPEG cannot
// shrink much; false on failure.
bool WriteNoisePicture(const std::wstring& path, int width, int height);
// What a JPEG file says about itself: sample precision and component count of its frame, and
// its first quantisation table (64 entries in file order). False when no frame or table is found.
struct JpegLayout {
    int precision = 0;
    int components = 0;
    std::vector<int> firstTable;
};
bool ReadJpegLayout(const std::string& bytes, JpegLayout& layout);
// Names of the files in a folder, in listing order, without "." and "..".
std::vector<std::wstring> ListNames(const std::wstring& folder);
// Width and height of the picture at `path`; 0 x 0 when it cannot be loaded.
void PictureSize(const std::wstring& path, int& width, int& height);
