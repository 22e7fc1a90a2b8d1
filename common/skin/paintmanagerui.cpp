#include "common/skin/paintmanagerui.h"

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>

#include "common/skin/containerui.h"
#include "common/skin/controlui.h"
#include "common/skin/editui.h"
#include "common/skin/optionui.h"
#include "common/util/ntdebug.h"
#include "common/util/ntimage.h"
#include "common/window/ntmemdc.h"
#include "common/window/ntwindow.h"
#include "common/zip/ntziparchive.h"

namespace {

POINT PointFromLParam(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

bool ReadWholeFile(const std::wstring& path, std::vector<unsigned char>& out) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::unique_ptr<void, decltype(&::CloseHandle)> owner(file, &::CloseHandle);
    LARGE_INTEGER size;
    // Skin files are small; anything past 64 MB is not one.
    if (!::GetFileSizeEx(file, &size) || size.QuadPart > (64 << 20)) return false;
    out.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!out.empty() &&
        (!::ReadFile(file, out.data(), static_cast<DWORD>(out.size()), &got, nullptr) ||
         got != out.size()))
        return false;
    return true;
}

}  // namespace

struct CPaintManagerUI::FontEntry {
    HFONT font = nullptr;
    int height = 0;
    ~FontEntry() {
        if (font) ::DeleteObject(font);
    }
};

void CPaintManagerUI::BitmapDeleter::operator()(Gdiplus::Bitmap* bitmap) const { delete bitmap; }

HINSTANCE CPaintManagerUI::s_instance = nullptr;
std::wstring CPaintManagerUI::s_resourcePath;
std::wstring CPaintManagerUI::s_resourceZip;

CPaintManagerUI::CPaintManagerUI() = default;

// The tree goes before the fonts and images its controls use.
CPaintManagerUI::~CPaintManagerUI() { m_root.reset(); }

void CPaintManagerUI::SetInstance(HINSTANCE instance) {
    s_instance = instance;
    CNTWindow::InitInstance(instance);
}

HINSTANCE CPaintManagerUI::GetInstance() { return s_instance; }

void CPaintManagerUI::SetResourcePath(const wchar_t* path) {
    s_resourcePath = path ? path : L"";
    if (!s_resourcePath.empty() && s_resourcePath.back() != L'\\' && s_resourcePath.back() != L'/')
        s_resourcePath += L'\\';
}

const std::wstring& CPaintManagerUI::GetResourcePath() { return s_resourcePath; }

void CPaintManagerUI::SetResourceZip(const wchar_t* name, bool) {
    s_resourceZip = name ? name : L"";
}

const std::wstring& CPaintManagerUI::GetResourceZip() { return s_resourceZip; }

bool CPaintManagerUI::ReadSkinFile(const std::wstring& name, std::vector<unsigned char>& out) {
    if (name.empty()) return false;
    if (s_resourceZip.empty()) return ReadWholeFile(s_resourcePath + name, out);
    CNTZipArchive zip;
    if (!zip.Open(s_resourcePath + s_resourceZip)) return false;
    int index = zip.FindItem(name);
    return index >= 0 && !zip.IsDirectory(index) && zip.ExtractToMemory(index, out);
}

void CPaintManagerUI::MessageLoop() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void CPaintManagerUI::Init(HWND hWnd) {
    m_hWnd = hWnd;
    NTInitializeGdiplus();
}

bool CPaintManagerUI::AttachDialog(CControlUI* root) {
    if (!root) return false;
    m_focus = m_hot = m_captured = nullptr;
    m_root.reset(root);
    root->SetManager(this, nullptr);
    root->Init();
    NeedUpdate();
    return true;
}

CControlUI* CPaintManagerUI::FindControl(const wchar_t* name) const {
    if (!m_root || !name || !*name) return nullptr;
    return m_root->FindControlByName(name);
}

CControlUI* CPaintManagerUI::FindControl(POINT pt) const {
    return m_root ? m_root->FindControlAt(pt) : nullptr;
}

std::vector<COptionUI*> CPaintManagerUI::GetOptionGroup(const std::wstring& group) const {
    std::vector<COptionUI*> result;
    auto* box = dynamic_cast<CContainerUI*>(m_root.get());
    if (!box || group.empty()) return result;
    box->ForEach([&](CControlUI* control) {
        auto* option = dynamic_cast<COptionUI*>(control);
        if (option && option->GetGroup() == group) result.push_back(option);
    });
    return result;
}

std::vector<CEditUI*> CPaintManagerUI::Edits() const {
    std::vector<CEditUI*> result;
    if (auto* edit = dynamic_cast<CEditUI*>(m_root.get())) result.push_back(edit);
    if (auto* box = dynamic_cast<CContainerUI*>(m_root.get())) {
        box->ForEach([&](CControlUI* control) {
            if (auto* edit = dynamic_cast<CEditUI*>(control)) result.push_back(edit);
        });
    }
    return result;
}

CEditUI* CPaintManagerUI::FindEdit(HWND hWnd) const {
    if (!hWnd) return nullptr;
    for (CEditUI* edit : Edits()) {
        if (edit->GetNativeWindow() == hWnd) return edit;
    }
    return nullptr;
}

void CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
    if (notifier &&
        std::find(m_notifiers.begin(), m_notifiers.end(), notifier) == m_notifiers.end())
        m_notifiers.push_back(notifier);
}

void CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) {
    m_notifiers.erase(std::remove(m_notifiers.begin(), m_notifiers.end(), notifier),
                      m_notifiers.end());
}

void CPaintManagerUI::AddMessageFilter(IMessageFilterUI* filter) {
    if (filter && std::find(m_filters.begin(), m_filters.end(), filter) == m_filters.end())
        m_filters.push_back(filter);
}

void CPaintManagerUI::RemoveMessageFilter(IMessageFilterUI* filter) {
    m_filters.erase(std::remove(m_filters.begin(), m_filters.end(), filter), m_filters.end());
}

void CPaintManagerUI::SendNotify(CControlUI* sender, const wchar_t* type, WPARAM wParam,
                                 LPARAM lParam) {
    TNotifyUI msg;
    msg.sType = type ? type : L"";
    msg.pSender = sender;
    msg.wParam = wParam;
    msg.lParam = lParam;
    ::GetCursorPos(&msg.ptMouse);
    if (m_hWnd) ::ScreenToClient(m_hWnd, &msg.ptMouse);
    msg.dwTimestamp = ::GetTickCount();
    // A copy: a notifier may remove itself (or its window) while being told.
    std::vector<INotifyUI*> notifiers = m_notifiers;
    for (INotifyUI* notifier : notifiers) notifier->Notify(msg);
}

bool CPaintManagerUI::FilterChildKey(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    std::vector<IMessageFilterUI*> filters = m_filters;
    for (IMessageFilterUI* filter : filters) {
        bool handled = false;
        filter->MessageHandler(uMsg, wParam, lParam, handled);
        if (handled) return true;
    }
    return false;
}

bool CPaintManagerUI::HandleChildKey(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (FilterChildKey(uMsg, wParam, lParam)) return true;
    return uMsg == WM_KEYDOWN && DefaultKey(wParam);
}

bool CPaintManagerUI::DefaultKey(WPARAM key) {
    if (key == VK_TAB) return MoveFocus(::GetKeyState(VK_SHIFT) < 0);
    if (key == VK_RETURN || key == VK_ESCAPE)
        return m_defaultKeys && m_defaultKeys->ResponseDefaultKeyEvent(key) != 0;
    return false;
}

bool CPaintManagerUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!m_hWnd) return false;
    {
        std::vector<IMessageFilterUI*> filters = m_filters;
        for (IMessageFilterUI* filter : filters) {
            bool handled = false;
            LRESULT r = filter->MessageHandler(uMsg, wParam, lParam, handled);
            if (handled) {
                result = r;
                return true;
            }
        }
    }
    switch (uMsg) {
        case WM_ERASEBKGND:
            // Everything is painted off-screen in WM_PAINT; erasing would only flicker.
            result = 1;
            return true;
        case WM_PAINT:
            Paint();
            result = 0;
            return true;
        case WM_SIZE:
            NeedUpdate();
            return false;
        case WM_MOUSEMOVE:
            OnMouseMove(PointFromLParam(lParam), wParam);
            result = 0;
            return true;
        case WM_MOUSELEAVE:
            m_trackingLeave = false;
            if (!m_captured) SetHot(nullptr, POINT{-1, -1});
            result = 0;
            return true;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            OnButtonDown(PointFromLParam(lParam), wParam);
            result = 0;
            return true;
        case WM_LBUTTONUP:
            OnButtonUp(PointFromLParam(lParam), wParam);
            result = 0;
            return true;
        case WM_CAPTURECHANGED:
            if (m_captured && !m_popup) {
                CControlUI* lost = m_captured;
                m_captured = nullptr;
                TEventUI event;
                event.Type = UIEVENT_CAPTURELOST;
                lost->DoEvent(event);
            }
            return false;
        case WM_COMMAND: {
            CEditUI* edit = FindEdit(reinterpret_cast<HWND>(lParam));
            if (!edit) return false;
            switch (HIWORD(wParam)) {
                case EN_CHANGE:
                    edit->OnNativeChange();
                    break;
            }
            result = 0;
            return true;
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC: {
            CEditUI* edit = FindEdit(reinterpret_cast<HWND>(lParam));
            if (!edit) return false;
            result = reinterpret_cast<LRESULT>(edit->OnNativeColor(reinterpret_cast<HDC>(wParam)));
            return true;
        }
        case WM_SETFOCUS:
            // Coming back to the window puts the caret back into the edit box that had it.
            if (auto* edit = dynamic_cast<CEditUI*>(m_focus)) edit->SetFocus();
            return false;
        case WM_MOUSEWHEEL: {
            POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ::ScreenToClient(m_hWnd, &pt);
            CControlUI* control = FindControl(pt);
            if (!control || !control->IsEnabled()) return false;
            TEventUI event;
            event.Type = UIEVENT_SCROLLWHEEL;
            event.ptMouse = pt;
            event.wParam = wParam;
            control->DoEvent(event);
            result = 0;
            return true;
        }
        case WM_KEYDOWN:
            // A focused control other than an edit box (which has its own window) sees the key
            // first; Tab, Enter and Escape keep their window-wide meaning after it.
            if (m_focus && !dynamic_cast<CEditUI*>(m_focus) && m_focus->IsVisible() &&
                m_focus->IsEnabled()) {
                TEventUI event;
                event.Type = UIEVENT_KEYDOWN;
                event.wParam = wParam;
                m_focus->DoEvent(event);
            }
            if (!DefaultKey(wParam)) return false;
            result = 0;
            return true;
    }
    return false;
}

void CPaintManagerUI::Paint() {
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    if (m_root && !::IsRectEmpty(&ps.rcPaint)) {
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        // The surface covers the whole client area so the controls draw in client
        // coordinates; the clip keeps the work to the invalid part.
        CNTMemDC mem(hdc, client, 0xFFFFFF);
        if (mem.IsValid()) {
            HDC dc = mem.GetSafeHdc();
            ::IntersectClipRect(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right,
                                ps.rcPaint.bottom);
            m_root->DoPaint(dc, ps.rcPaint);
            ::SelectClipRgn(dc, nullptr);
        }
    }
    ::EndPaint(m_hWnd, &ps);
}

void CPaintManagerUI::SetHot(CControlUI* control, POINT pt) {
    if (control == m_hot) return;
    TEventUI event;
    event.ptMouse = pt;
    if (CControlUI* old = m_hot) {
        m_hot = nullptr;
        event.Type = UIEVENT_MOUSELEAVE;
        old->DoEvent(event);
    }
    m_hot = control;
    if (control) {
        event.Type = UIEVENT_MOUSEENTER;
        control->DoEvent(event);
    }
}

void CPaintManagerUI::TrackLeave() {
    if (m_trackingLeave) return;
    TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, m_hWnd, 0};
    m_trackingLeave = ::TrackMouseEvent(&tme) != FALSE;
}

void CPaintManagerUI::RefreshHot() {
    if (!m_hWnd || !m_root || m_captured || !::IsWindowVisible(m_hWnd)) return;
    POINT pt;
    if (!::GetCursorPos(&pt)) return;
    bool over = ::WindowFromPoint(pt) == m_hWnd;
    ::ScreenToClient(m_hWnd, &pt);
    CControlUI* control = over ? FindControl(pt) : nullptr;
    if (control && !control->IsEnabled()) control = nullptr;
    if (control) TrackLeave();
    SetHot(control, pt);
}

void CPaintManagerUI::OnMouseMove(POINT pt, WPARAM keys) {
    TrackLeave();
    if (m_captured) {
        TEventUI event;
        event.Type = UIEVENT_MOUSEMOVE;
        event.ptMouse = pt;
        event.wParam = keys;
        m_captured->DoEvent(event);
        return;
    }
    CControlUI* control = FindControl(pt);
    if (control && !control->IsEnabled()) control = nullptr;
    SetHot(control, pt);
    if (control) {
        TEventUI event;
        event.Type = UIEVENT_MOUSEMOVE;
        event.ptMouse = pt;
        event.wParam = keys;
        control->DoEvent(event);
    }
}

void CPaintManagerUI::OnButtonDown(POINT pt, WPARAM keys) {
    CControlUI* control = FindControl(pt);
    if (!control || !control->IsEnabled()) return;
    SetHot(control, pt);
    m_captured = control;
    if (!m_popup) ::SetCapture(m_hWnd);
    TEventUI event;
    event.Type = UIEVENT_BUTTONDOWN;
    event.ptMouse = pt;
    event.wParam = keys;
    control->DoEvent(event);
}

void CPaintManagerUI::OnButtonUp(POINT pt, WPARAM keys) {
    CControlUI* control = m_captured;
    if (!control) return;
    // Released before the control acts: a click may open a popup that takes the capture.
    m_captured = nullptr;
    if (!m_popup && ::GetCapture() == m_hWnd) ::ReleaseCapture();
    TEventUI event;
    event.Type = UIEVENT_BUTTONUP;
    event.ptMouse = pt;
    event.wParam = keys;
    control->DoEvent(event);
}

CControlUI* CPaintManagerUI::GetDefaultButton() const {
    return FindControl(m_defaultButton.c_str());
}

std::unique_ptr<CPaintManagerUI::FontEntry> CPaintManagerUI::MakeFont(const wchar_t* face, int size,
                                                                      bool bold, bool italic,
                                                                      bool underline) {
    LOGFONTW lf = {};
    lf.lfHeight = -std::abs(size);
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = italic;
    lf.lfUnderline = underline;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    wcsncpy_s(lf.lfFaceName, face ? face : L"", _TRUNCATE);
    auto entry = std::make_unique<FontEntry>();
    entry->font = ::CreateFontIndirectW(&lf);
    if (!entry->font) return nullptr;
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, entry->font);
    TEXTMETRICW tm = {};
    ::GetTextMetricsW(dc, &tm);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    entry->height = tm.tmHeight;
    return entry;
}

void CPaintManagerUI::AddFont(int id, const wchar_t* face, int size, bool bold, bool italic,
                              bool underline, bool isDefault) {
    auto entry = MakeFont(face, size, bold, italic, underline);
    if (!entry) return;
    m_fonts[id] = std::move(entry);
    if (isDefault || m_defaultFont < 0) m_defaultFont = id;
}

const CPaintManagerUI::FontEntry* CPaintManagerUI::FindFont(int id) const {
    auto it = m_fonts.find(id);
    if (it == m_fonts.end()) it = m_fonts.find(m_defaultFont);
    if (it != m_fonts.end()) return it->second.get();
    // A skin without fonts still gets a readable face that can show Chinese.
    if (!m_fallbackFont) m_fallbackFont = MakeFont(L"微软雅黑", 13, false, false, false);
    return m_fallbackFont.get();
}

HFONT CPaintManagerUI::GetFont(int id) const {
    const FontEntry* entry = FindFont(id);
    return entry ? entry->font : nullptr;
}

int CPaintManagerUI::GetFontHeight(int id) const {
    const FontEntry* entry = FindFont(id);
    return entry ? entry->height : 16;
}
Gdiplus::Bitmap* CPaintManagerUI::GetImage(const std::wstring& file) {
    if (file.empty()) return nullptr;
    auto it = m_images.find(file);
    if (it != m_images.end()) return it->second.get();
    std::unique_ptr<Gdiplus::Bitmap, BitmapDeleter> bitmap;
    std::vector<unsigned char> bytes;
    if (ReadSkinFile(m_skinFolder + file, bytes) && !bytes.empty()) {
        IStream* stream = nullptr;
        HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        if (memory) {
            memcpy(::GlobalLock(memory), bytes.data(), bytes.size());
            ::GlobalUnlock(memory);
            if (::CreateStreamOnHGlobal(memory, TRUE, &stream) != S_OK) ::GlobalFree(memory);
        }
        if (stream) {
            // The stream's memory goes with the last reference, which GDI+ may keep.
            bitmap.reset(Gdiplus::Bitmap::FromStream(stream));
            stream->Release();
            if (bitmap && bitmap->GetLastStatus() != Gdiplus::Ok) bitmap.reset();
        }
    }
    if (!bitmap)
        CNTDebug::Output(nullptr, L"skin: image '%ls' is missing or unreadable\n", file.c_str());
    // A failure is remembered too, so a missing image is not looked for at every paint.
    Gdiplus::Bitmap* result = bitmap.get();
    m_images[file] = std::move(bitmap);
    return result;
}

void CPaintManagerUI::AddDefaultAttributes(const std::wstring& className,
                                           UIAttributeList attributes) {
    m_defaults[className] = std::move(attributes);
}

const UIAttributeList* CPaintManagerUI::GetDefaultAttributes(const std::wstring& className) const {
    auto it = m_defaults.find(className);
    return it == m_defaults.end() ? nullptr : &it->second;
}

void CPaintManagerUI::SetFocus(CControlUI* control) {
    if (control == m_focus) return;
    CControlUI* old = m_focus;
    m_focus = control;
    if (old) old->Invalidate();
    if (control) control->Invalidate();
}

bool CPaintManagerUI::MoveFocus(bool backwards) {
    std::vector<CEditUI*> stops;
    for (CEditUI* edit : Edits()) {
        if (edit->IsVisible() && edit->IsEnabled() && edit->GetNativeWindow())
            stops.push_back(edit);
    }
    if (stops.empty()) return false;
    auto it = std::find(stops.begin(), stops.end(), m_focus);
    size_t index;
    if (it == stops.end())
        index = backwards ? stops.size() - 1 : 0;
    else {
        size_t current = static_cast<size_t>(it - stops.begin());
        index =
            backwards ? (current + stops.size() - 1) % stops.size() : (current + 1) % stops.size();
    }
    stops[index]->SetFocus();
    // Tabbing into a field selects its text, as in dialogs.
    ::SendMessageW(stops[index]->GetNativeWindow(), EM_SETSEL, 0, -1);
    return true;
}

void CPaintManagerUI::ReapObjects(CControlUI* control) {
    auto inside = [control](CControlUI* c) {
        for (; c; c = c->GetParent())
            if (c == control) return true;
        return false;
    };
    if (inside(m_hot)) m_hot = nullptr;
    if (inside(m_captured)) {
        m_captured = nullptr;
        if (!m_popup && m_hWnd && ::GetCapture() == m_hWnd) ::ReleaseCapture();
    }
    if (inside(m_focus)) m_focus = nullptr;
}

void CPaintManagerUI::Invalidate(const RECT& rc) {
    if (m_hWnd && !::IsRectEmpty(&rc)) ::InvalidateRect(m_hWnd, &rc, FALSE);
}

void CPaintManagerUI::NeedUpdate() {
    if (!m_root || !m_hWnd || m_inLayout) return;
    m_inLayout = true;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    m_root->SetPos(client);
    m_inLayout = false;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    // What lies under a still pointer may have moved or changed.
    RefreshHot();
}
