#include "common/util/ntimage.h"

#include <cwchar>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/util/ntcolorquantizer.h"

namespace {

ULONG_PTR g_gdiplusToken = 0;
std::mutex g_gdiplusLock;
HFONT g_hSystemFont = nullptr;

bool FindEncoder(const std::wstring& mime, CLSID* clsid) {
    UINT count = 0, size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
    std::vector<BYTE> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && ::_wcsicmp(codecs[i].MimeType, mime.c_str()) == 0) {
            *clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

bool SaveMetafile(Gdiplus::Image* image, const wchar_t* path) {
    if (image->GetType() != Gdiplus::ImageTypeMetafile) return false;
    HENHMETAFILE hemf = static_cast<Gdiplus::Metafile*>(image)->GetHENHMETAFILE();
    if (!hemf) return false;
    std::vector<BYTE> bits(::GetEnhMetaFileBits(hemf, 0, nullptr));
    if (!bits.empty()) ::GetEnhMetaFileBits(hemf, static_cast<UINT>(bits.size()), bits.data());
    ::DeleteEnhMetaFile(hemf);
    HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = ::WriteFile(file, bits.data(), static_cast<DWORD>(bits.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bits.size();
}

}  // namespace

int NTInitializeGdiplus() {
    std::lock_guard<std::mutex> hold(g_gdiplusLock);
    if (g_gdiplusToken) return TRUE;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return FALSE;
    g_gdiplusToken = token;
    // GDI+ may not be shut down while the loader lock is held, so a library that started it
    // cannot stop it when it is unloaded. It stays loaded instead: GDI+ then never outlives the
    // code that started it, and whatever it registered (window classes) stays valid.
    HMODULE self = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                         reinterpret_cast<LPCWSTR>(&NTInitializeGdiplus), &self);
    return TRUE;
}

void NTUninitializeGdiplus() {
    std::lock_guard<std::mutex> hold(g_gdiplusLock);
    if (!g_gdiplusToken) return;
    Gdiplus::GdiplusShutdown(g_gdiplusToken);
    g_gdiplusToken = 0;
}

int NTGetBitmapHeaderSize(const BITMAPINFO* info) {
    if (!info) return 0;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    int size = sizeof(BITMAPINFOHEADER);
    if (h.biBitCount == 16 && h.biCompression == BI_BITFIELDS) size += 3 * sizeof(DWORD);
    if (h.biBitCount == 8) size += 256 * sizeof(RGBQUAD);
    return size;
}

Gdiplus::Image* NTLoadImageFromResource(UINT id, const wchar_t* type, HMODULE module) {
    if (!type || !NTInitializeGdiplus()) return nullptr;
    HRSRC res = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!res) return nullptr;
    DWORD size = ::SizeofResource(module, res);
    HGLOBAL loaded = ::LoadResource(module, res);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes || size == 0) return nullptr;
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory) return nullptr;
    void* dest = ::GlobalLock(memory);
    if (!dest) {
        ::GlobalFree(memory);
        return nullptr;
    }
    ::memcpy(dest, bytes, size);
    ::GlobalUnlock(memory);
    // The stream owns the memory and the image keeps the stream: both go with the image.
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        ::GlobalFree(memory);
        return nullptr;
    }
    auto* image = new Gdiplus::Image(stream);
    stream->Release();
    if (image->GetLastStatus() != Gdiplus::Ok) {
        delete image;
        return nullptr;
    }
    return image;
}

int NTSaveImageToFile(Gdiplus::Image* image, const wchar_t* path, const wchar_t* type,
                      long quality) {
    if (!image || !path || !*path || !type || !NTInitializeGdiplus()) return FALSE;
    std::wstring kind = type;
    for (wchar_t& c : kind) c = static_cast<wchar_t>(::towlower(c));
    if (kind == L"emf") return SaveMetafile(image, path) ? TRUE : FALSE;

    CLSID encoder;
    if (!FindEncoder(L"image/" + kind, &encoder)) return FALSE;
    if (kind == L"gif") {
        std::unique_ptr<Gdiplus::Bitmap> reduced(CNTColorQuantizer().Quantize(image));
        return reduced && reduced->Save(path, &encoder, nullptr) == Gdiplus::Ok;
    }
    if (kind == L"jpeg") {
        ULONG value = static_cast<ULONG>(quality);
        Gdiplus::EncoderParameters params;
        params.Count = 1;
        params.Parameter[0].Guid = Gdiplus::EncoderQuality;
        params.Parameter[0].Type = Gdiplus::EncoderParameterValueTypeLong;
        params.Parameter[0].NumberOfValues = 1;
        params.Parameter[0].Value = &value;
        return image->Save(path, &encoder, &params) == Gdiplus::Ok;
    }
    return image->Save(path, &encoder, nullptr) == Gdiplus::Ok;
}

HFONT NTGetSystemFont() {
    if (g_hSystemFont) return g_hSystemFont;
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    LOGFONTW font = metrics.lfMenuFont;
    font.lfHeight = -12;
    if (NTInitializeGdiplus()) {
        Gdiplus::FontFamily family(L"新宋体");
        if (family.GetLastStatus() == Gdiplus::Ok) ::wcscpy(font.lfFaceName, L"新宋体");
    }
    g_hSystemFont = ::CreateFontIndirectW(&font);
    return g_hSystemFont;
}
