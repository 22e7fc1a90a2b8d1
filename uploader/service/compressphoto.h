#pragma once

#include <winsock2.h>  // before windows.h, as libcurl needs
#include <windows.h>

#include <string>

// Size of the rescaled photo: the longer side becomes 1000 pixels (MulDiv rounding), the
// shorter one keeps the proportion; smaller photos are enlarged.
SIZE CompressedSize(int width, int height);

// Rescales the photo at `source` (GDI+ must be running) to CompressedSize in 24-bit RGB and
// saves it as a JPEG of quality 80 named like the source cut at its last "." plus
// "_CompPic.jpg", next to the source; when that folder cannot be written the copy goes to the
// user's temporary folder under the same name. A file of that name left by an earlier attempt
// is deleted first. Returns 0 with the path written in `compressed`, or -1 with `compressed`
// empty when the photo cannot be loaded or no copy could be written.
int CompressPhoto(const std::wstring& source, std::wstring& compressed);
