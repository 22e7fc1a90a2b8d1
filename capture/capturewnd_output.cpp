// The capture's results: the composed picture, the clipboard hand-over and the saved file.
#include <shlobj.h>

#include <memory>

#include "capture/capturefiles.h"
#include "capture/capturemodule.h"
#include "capture/captureresources.h"
#include "capture/ccmcapturescreenwnd.h"
#include "capture/objects/ccmdrawobj.h"
#include "capture/objects/ccmshapeobj.h"
#include "capture/objects/ccmtooltable.h"
#include "common/util/ntimage.h"
#include "common/util/ntregedit.h"
#include "common/util/ntsystem.h"

namespace {

const wchar_t kSaveFolderValue[] = L"SavePicPath";

bool IsMosaic(CCMDrawObj* object) {
    return object->IsKindOf(L"CCMShapeObj") &&
           static_cast<CCMShapeObj*>(object)->GetKind() == SHAPE_MOSAIC;
}

// A GDI+ copy of a composed section (which is then no longer needed).
std::unique_ptr<Gdiplus::Bitmap> ToGdiplus(CMBitmapPtr section) {
    if (!section) return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromHBITMAP(section.get(), nullptr));
    if (bitmap && bitmap->GetLastStatus() != Gdiplus::Ok) bitmap.reset();
    return bitmap;
}

std::wstring LoadText(UINT id) {
    const wchar_t* text = nullptr;
    int length = ::LoadStringW(CMGetModule(), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 ? std::wstring(text, length) : std::wstring();
}

std::wstring DesktopFolder() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, path)))
        return std::wstring();
    return path;
}

}  // namespace

CMBitmapPtr CCMCaptureScreenWnd::ComposeImage(const RECT& rc, bool allObjects,
                                              const CCMDrawObj* stop) {
    int width = rc.right - rc.left, height = rc.bottom - rc.top;
    if (width <= 0 || height <= 0 || !m_snapshot) return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    // Every row is padded to a multiple of four bytes.
    info.bmiHeader.biSizeImage = static_cast<DWORD>((width * 3 + 3) / 4 * 4 * height);
    info.bmiHeader.biXPelsPerMeter = info.bmiHeader.biYPelsPerMeter = 96;
    CMMemoryDCPtr imageDC(::CreateCompatibleDC(nullptr));
    CMMemoryDCPtr drawDC(::CreateCompatibleDC(nullptr));
    void* bits = nullptr;
    CMBitmapPtr image(::CreateDIBSection(imageDC.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!image || !imageDC || !drawDC) return nullptr;
    RECT client = rc, whole = {0, 0, m_rcWindow.right - m_rcWindow.left,
                               m_rcWindow.bottom - m_rcWindow.top};
    ::OffsetRect(&client, -m_rcWindow.left, -m_rcWindow.top);
    RECT inside;
    // The picture comes from a bitmap that holds it already (the kept scene, or the snapshot
    // when nothing is drawn over rc), or is drawn for this call.
    HBITMAP source = nullptr;
    POINT from{client.left, client.top};
    std::vector<CCMDrawObj*> objects;
    if (allObjects && !stop && ::IntersectRect(&inside, &client, &whole) &&
        ::EqualRect(&inside, &client) && UpdateScene(client)) {
        source = m_scene.get();
    } else {
        objects = ObjectsOver(client, allObjects, stop);
        if (objects.empty()) source = m_snapshot.get();
    }
    CMBitmapPtr drawing;
    if (!source) {
        // Drawn in the snapshot's own format, which the copy from the snapshot and GDI+ handle
        // fastest, and converted to the 24-bit result once at the end.
        HDC screen = ::GetDC(nullptr);
        drawing.reset(::CreateCompatibleBitmap(screen, width, height));
        ::ReleaseDC(nullptr, screen);
        if (!drawing) return nullptr;
        CMSelectBitmap selectDrawing(drawDC.get(), drawing.get());
        DrawScene(drawDC.get(), from, client, objects);
        source = drawing.get();
        from = POINT{0, 0};
    }
    CMSelectBitmap selectSource(drawDC.get(), source);
    CMSelectBitmap selectImage(imageDC.get(), image.get());
    ::BitBlt(imageDC.get(), 0, 0, width, height, drawDC.get(), from.x, from.y, SRCCOPY);
    return image;
}

std::vector<CCMDrawObj*> CCMCaptureScreenWnd::ObjectsOver(const RECT& client, bool allObjects,
                                                          const CCMDrawObj* stop) const {
    RECT screen = client;
    ::OffsetRect(&screen, m_rcWindow.left, m_rcWindow.top);
    std::vector<CCMDrawObj*> over;
    for (const auto& object : m_objects) {
        if (object.get() == stop) break;
        if (!allObjects && IsMosaic(object.get())) continue;
        const RECT bounds = object->GetBoundsRect();
        RECT overlap;
        if (::IntersectRect(&overlap, &bounds, &screen)) over.push_back(object.get());
    }
    return over;
}

void CCMCaptureScreenWnd::CompleteToClipboard() {
    DeactivateCurrentObject();
    std::unique_ptr<Gdiplus::Bitmap> picture =
        ToGdiplus(ComposeImage(m_rcSelection, true, nullptr));
    if (!picture) return;
    int width = static_cast<int>(picture->GetWidth()),
        height = static_cast<int>(picture->GetHeight());
    HDC screen = ::GetDC(nullptr);
    CMBitmapPtr result(::CreateCompatibleBitmap(screen, width, height));
    CMMemoryDCPtr memory(::CreateCompatibleDC(screen));
    ::ReleaseDC(nullptr, screen);
    if (!result || !memory) return;
    {
        CMSelectBitmap select(memory.get(), result.get());
        Gdiplus::Graphics graphics(memory.get());
        graphics.DrawImage(picture.get(), 0, 0, width, height);
    }
    picture.reset();
    if (!::OpenClipboard(m_hWnd)) return;  // busy: the user can try again
    ::EmptyClipboard();
    // The clipboard owns the bitmap once it took it.
    const bool handedOver = ::SetClipboardData(CF_BITMAP, result.get()) != nullptr;
    if (handedOver) result.release();
    ::CloseClipboard();
    if (!handedOver) {
        // The picture is not on the clipboard: closing now would lose it, and telling the
        // client would send it to an empty clipboard. The user may try again or save it.
        std::wstring message = LoadText(IDS_CLIPBOARD_FAILED);
        ::MessageBoxW(m_hWnd, message.c_str(), nullptr, MB_OK | MB_ICONWARNING);
        return;
    }
    // Told only after the clipboard is closed, so the client can read it at once. A null
    // window is posted to as well: the message then reaches this thread's queue.
    ::PostMessageW(m_hNotifyWindow, m_nNotifyMessage, 0, 0);
    CloseCapture();
}

bool CCMCaptureScreenWnd::SaveToFile() {
    DeactivateCurrentObject();
    std::wstring filter = LoadText(IDS_SAVE_FILTER);
    std::wstring desktop = DesktopFolder();
    CNTRegEdit key(kCaptureSettingsKey);
    std::wstring folder = key.ReadString(kSaveFolderValue, desktop.c_str());
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    std::wstring fileName = CMDefaultSaveName(now), path;
    if (!NTSaveFileDlg(m_hWnd, path, fileName, filter.c_str(), folder.c_str(), L"jpg"))
        return false;
    key.WriteString(kSaveFolderValue, CMSaveFolderOf(path).c_str());
    std::unique_ptr<Gdiplus::Bitmap> picture =
        ToGdiplus(ComposeImage(m_rcSelection, true, nullptr));
    if (picture &&
        NTSaveImageToFile(picture.get(), path.c_str(), CMImageFormatForPath(path), 100) != 0)
        return true;
    // Nothing was written (read-only folder, full disk, no encoder): the capture stays open so
    // the picture is not lost, and the user learns why nothing happened.
    std::wstring message = LoadText(IDS_SAVE_FAILED) + L"\n" + path;
    ::MessageBoxW(m_hWnd, message.c_str(), nullptr, MB_OK | MB_ICONWARNING);
    return false;
}
