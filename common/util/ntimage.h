#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include "common/ntapi.h"

// GDI+ start-up, once per process and safe from any thread; non-zero when GDI+ runs (at once
// when already started). The functions below that draw or decode call it themselves. The module
// that started GDI+ stays loaded until the process ends (GDI+ cannot be stopped while a
// library unloads), so never call this from DllMain.
NT_API int NTInitializeGdiplus();
// Shuts GDI+ down when NTInitializeGdiplus started it; for programs ending, never from DllMain.
NT_API void NTUninitializeGdiplus();

// Bytes of header plus palette before the pixels of a packed DIB: 40, 52 for 16-bit
// bit-field bitmaps, plus 1024 for 8-bit ones; 0 for null.
NT_API int NTGetBitmapHeaderSize(const BITMAPINFO* info);

// New image decoded from a resource of module, owned by the caller; null when any step fails.
NT_API Gdiplus::Image* NTLoadImageFromResource(UINT id, const wchar_t* type, HMODULE module);

// Saves image as type ("bmp", "jpeg", "png", "gif", "tiff", "emf"; any case). "gif" goes
// through the 256-colour quantizer, "jpeg" uses quality (0-100), "emf" needs a metafile.
// Non-zero on success; GDI+ failures stay recorded in the image that failed.
NT_API int NTSaveImageToFile(Gdiplus::Image* image, const wchar_t* path, const wchar_t* type,
                             long quality);

// The process's UI font: the menu font at height -12, face "新宋体" when GDI+ knows it.
// Created once and cached; never delete it.
NT_API HFONT NTGetSystemFont();
