#include "capture/text/ccmtexthost.h"

#include <cwchar>
#include <type_traits>

#include "common/util/ntimage.h"

namespace {

const IID kIidTextServices = {
    0x8D33F740, 0xCF58, 0x11CE, {0xA8, 0x9D, 0x00, 0xAA, 0x00, 0x6C, 0xAD, 0xC5}};
const IID kIidTextHost = {
    0xC5BDD8D0, 0xD26E, 0x11CE, {0xA8, 0x9E, 0x00, 0xAA, 0x00, 0x6C, 0xAD, 0xC5}};

// CHARFORMAT height in twips; negative like the font height it comes from.
LONG TwipsHeight(int points) { return -20 * points; }

COLORREF RgbOf(DWORD argb) { return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF); }

}  // namespace

#if defined(__i386__)
// The text services call the host and expect to be called with this in ECX (thiscall), except
// for IUnknown (stdcall); a header or compiler that declared them otherwise would corrupt the
// stack on the first call, so the 32-bit build refuses to compile instead.
static_assert(std::is_same_v<decltype(&ITextHost::TxGetDC), HDC (__thiscall ITextHost::*)()>);
static_assert(std::is_same_v<decltype(&ITextHost::TxNotify),
                             HRESULT (__thiscall ITextHost::*)(DWORD, void*)>);
static_assert(
    std::is_same_v<decltype(&ITextServices::TxSendMessage),
                   HRESULT (__thiscall ITextServices::*)(UINT, WPARAM, LPARAM, LRESULT*)>);
static_assert(std::is_same_v<decltype(&CCMTextHost::TxGetDC), HDC (__thiscall CCMTextHost::*)()>);
static_assert(std::is_same_v<decltype(&CCMTextHost::AddRef), ULONG (__stdcall CCMTextHost::*)()>);
#endif

CCMTextHost::CCMTextHost(CCMTextHostOwner* owner) : m_owner(owner) {}

CCMTextHost::~CCMTextHost() {
    if (!m_services) return;
    m_services->OnTxInPlaceDeactivate();
    m_services->Release();
}

bool CCMTextHost::Init(HDC hdc, const CCMTextDefaults& defaults) {
    m_hdc = hdc;

    LOGFONTW font = {};
    ::GetObjectW(NTGetSystemFont(), sizeof(font), &font);
    m_charFormat = {};
    m_charFormat.cbSize = sizeof(m_charFormat);
    m_charFormat.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_SIZE | CFM_COLOR | CFM_FACE |
                          CFM_OFFSET | CFM_CHARSET;
    if (font.lfWeight >= FW_BOLD) m_charFormat.dwEffects |= CFE_BOLD;
    if (font.lfItalic) m_charFormat.dwEffects |= CFE_ITALIC;
    if (font.lfUnderline) m_charFormat.dwEffects |= CFE_UNDERLINE;
    m_charFormat.yHeight = TwipsHeight(defaults.fontSize);
    m_charFormat.yOffset = 0;
    m_charFormat.crTextColor = RgbOf(defaults.argb);
    m_charFormat.bCharSet = font.lfCharSet;
    m_charFormat.bPitchAndFamily = font.lfPitchAndFamily;
    ::wcsncpy(m_charFormat.szFaceName, font.lfFaceName, LF_FACESIZE - 1);

    m_paraFormat = {};
    m_paraFormat.cbSize = sizeof(m_paraFormat);
    m_paraFormat.dwMask = 0xD0FFFDFF;
    m_paraFormat.wAlignment = PFA_LEFT;
    m_paraFormat.cTabCount = 1;
    m_paraFormat.rgxTabs[0] = 720;

    m_style = ES_MULTILINE | ES_AUTOVSCROLL;
    m_rich = defaults.rich;
    m_maxLength = defaults.maxLength;
    m_wordWrap = true;
    m_inPlaceActive = true;

    // The library stays loaded for the process: text services may outlive any one host.
    HMODULE module = ::LoadLibraryW(L"msftedit.dll");
    if (!module) return false;
    auto create = reinterpret_cast<PCreateTextServices>(
        reinterpret_cast<void*>(::GetProcAddress(module, "CreateTextServices")));
    if (!create) return false;
    IUnknown* unknown = nullptr;
    if (FAILED(create(nullptr, this, &unknown)) || !unknown) return false;
    void* services = nullptr;
    HRESULT hr = unknown->QueryInterface(kIidTextServices, &services);
    unknown->Release();
    if (FAILED(hr) || !services) return false;
    m_services = static_cast<ITextServices*>(services);

    LRESULT mask = 0;
    m_services->TxSendMessage(EM_GETEVENTMASK, 0, 0, &mask);
    m_services->TxSendMessage(EM_SETEVENTMASK, 0, mask | ENM_CHANGE, nullptr);

    if (defaults.initialText.empty()) return true;
    return SUCCEEDED(m_services->TxSetText(defaults.initialText.c_str()));
}

HRESULT CCMTextHost::SendToServices(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (!m_services) return E_FAIL;
    return m_services->TxSendMessage(msg, wParam, lParam, result);
}

void CCMTextHost::SetClientRect(const RECT& rcScreen) {
    m_rcLayout = rcScreen;
    int dpiX = m_hdc ? ::GetDeviceCaps(m_hdc, LOGPIXELSX) : 96;
    int dpiY = m_hdc ? ::GetDeviceCaps(m_hdc, LOGPIXELSY) : 96;
    m_extent.cx = ::MulDiv(rcScreen.right - rcScreen.left, 2540, dpiX);
    m_extent.cy = ::MulDiv(rcScreen.bottom - rcScreen.top, 2540, dpiY);
    // The client rectangle too: services that rewrap only on that bit would otherwise keep the
    // old width until the next drawing, and count lines that no longer wrap.
    const DWORD changed = TXTBIT_EXTENTCHANGE | TXTBIT_CLIENTRECTCHANGE;
    if (m_services) m_services->OnTxPropertyBitsChange(changed, changed);
}

RECT CCMTextHost::GetClientLayoutRect() const {
    RECT rc = m_rcLayout;
    POINT origin = m_owner->GetTextOrigin();
    ::OffsetRect(&rc, -origin.x, -origin.y);
    return rc;
}

void CCMTextHost::SetTransparent(bool transparent) {
    m_transparent = transparent;
    if (m_services) m_services->OnTxPropertyBitsChange(TXTBIT_BACKSTYLECHANGE, 0);
}

HRESULT CCMTextHost::InPlaceActivate() {
    if (!m_services) return E_FAIL;
    m_inPlaceActive = true;
    HRESULT hr = m_services->OnTxInPlaceActivate(nullptr);
    if (FAILED(hr)) m_inPlaceActive = false;
    return hr;
}

void CCMTextHost::SetTextFontSize(int points) {
    m_charFormat.yHeight = TwipsHeight(points);
    ApplyCharFormat(CFM_SIZE);
}

void CCMTextHost::SetTextColor(DWORD argb) {
    m_charFormat.crTextColor = RgbOf(argb);
    ApplyCharFormat(CFM_COLOR);
}

void CCMTextHost::ApplyCharFormat(DWORD mask) {
    if (!m_services) return;
    CHARRANGE saved = {};
    m_services->TxSendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&saved), nullptr);
    CHARRANGE all = {0, -1};
    m_services->TxSendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all), nullptr);
    m_services->OnTxPropertyBitsChange(TXTBIT_CHARFORMATCHANGE, TXTBIT_CHARFORMATCHANGE);
    // Services that re-read the default format only for text still in it (and some that do not
    // re-read it at all) would leave typed or pasted runs unchanged: set it on all text as well.
    CHARFORMAT2W change = m_charFormat;
    change.dwMask = mask;
    m_services->TxSendMessage(EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&change),
                              nullptr);
    m_services->TxSendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&saved), nullptr);
}

HRESULT CCMTextHost::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, kIidTextHost)) {
        *object = static_cast<ITextHost*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CCMTextHost::AddRef() { return ++m_refs; }

ULONG CCMTextHost::Release() {
    ULONG refs = --m_refs;
    if (refs == 0) delete this;
    return refs;
}

HDC CCMTextHost::TxGetDC() { return m_hdc; }

INT CCMTextHost::TxReleaseDC(HDC) { return 1; }

WINBOOL CCMTextHost::TxShowScrollBar(INT, WINBOOL) { return FALSE; }

WINBOOL CCMTextHost::TxEnableScrollBar(INT, INT) { return FALSE; }

WINBOOL CCMTextHost::TxSetScrollRange(INT, LONG, INT, WINBOOL) { return FALSE; }

WINBOOL CCMTextHost::TxSetScrollPos(INT, INT, WINBOOL) { return FALSE; }

void CCMTextHost::TxInvalidateRect(LPCRECT rc, WINBOOL) {
    if (!m_owner->GetTextWindow()) return;
    m_owner->InvalidateText(rc ? *rc : GetClientLayoutRect());
}

void CCMTextHost::TxViewChange(WINBOOL) {
    if (!m_owner->GetTextWindow()) return;
    m_owner->InvalidateText(GetClientLayoutRect());
}

WINBOOL CCMTextHost::TxCreateCaret(HBITMAP bitmap, INT width, INT height) {
    HWND hWnd = m_owner->GetTextWindow();
    return hWnd ? ::CreateCaret(hWnd, bitmap, width, height) : FALSE;
}

WINBOOL CCMTextHost::TxShowCaret(WINBOOL show) {
    HWND hWnd = m_owner->GetTextWindow();
    if (!hWnd) return FALSE;
    return show ? ::ShowCaret(hWnd) : ::HideCaret(hWnd);
}

WINBOOL CCMTextHost::TxSetCaretPos(INT x, INT y) { return ::SetCaretPos(x, y); }

WINBOOL CCMTextHost::TxSetTimer(UINT id, UINT timeout) {
    HWND hWnd = m_owner->GetTextWindow();
    if (!hWnd) return FALSE;
    m_timerRunning = ::SetTimer(hWnd, id, timeout, nullptr) != 0;
    return m_timerRunning;
}

void CCMTextHost::TxKillTimer(UINT id) {
    HWND hWnd = m_owner->GetTextWindow();
    if (hWnd) ::KillTimer(hWnd, id);
    m_timerRunning = false;
}

void CCMTextHost::TxScrollWindowEx(INT, INT, LPCRECT, LPCRECT, HRGN, LPRECT, UINT) {}

void CCMTextHost::TxSetCapture(WINBOOL capture) {
    HWND hWnd = m_owner->GetTextWindow();
    if (capture && hWnd) {
        ::SetCapture(hWnd);
        m_mouseCaptured = true;
    } else if (!capture) {
        ::ReleaseCapture();
        m_mouseCaptured = false;
    }
}

void CCMTextHost::TxSetFocus() {}

void CCMTextHost::TxSetCursor(HCURSOR cursor, WINBOOL) { ::SetCursor(cursor); }

WINBOOL CCMTextHost::TxScreenToClient(LPPOINT pt) {
    HWND hWnd = m_owner->GetTextWindow();
    if (hWnd) ::ScreenToClient(hWnd, pt);
    return TRUE;
}

WINBOOL CCMTextHost::TxClientToScreen(LPPOINT pt) {
    HWND hWnd = m_owner->GetTextWindow();
    if (hWnd) ::ClientToScreen(hWnd, pt);
    return TRUE;
}

HRESULT CCMTextHost::TxActivate(LONG*) { return S_OK; }

HRESULT CCMTextHost::TxDeactivate(LONG) { return S_OK; }

HRESULT CCMTextHost::TxGetClientRect(LPRECT rc) {
    *rc = GetClientLayoutRect();
    return S_OK;
}

HRESULT CCMTextHost::TxGetViewInset(LPRECT rc) {
    *rc = RECT{0, 0, 0, 0};
    return S_OK;
}

HRESULT CCMTextHost::TxGetCharFormat(const CHARFORMATW** format) {
    *format = reinterpret_cast<const CHARFORMATW*>(&m_charFormat);
    return S_OK;
}

HRESULT CCMTextHost::TxGetParaFormat(const PARAFORMAT** format) {
    *format = &m_paraFormat;
    return S_OK;
}

COLORREF CCMTextHost::TxGetSysColor(int index) { return ::GetSysColor(index); }

HRESULT CCMTextHost::TxGetBackStyle(TXTBACKSTYLE* style) {
    *style = m_transparent ? TXTBACK_TRANSPARENT : TXTBACK_OPAQUE;
    return S_OK;
}

HRESULT CCMTextHost::TxGetMaxLength(DWORD* length) {
    *length = static_cast<DWORD>(m_maxLength);
    return S_OK;
}

HRESULT CCMTextHost::TxGetScrollBars(DWORD* scrollBars) {
    *scrollBars =
        m_style & (WS_VSCROLL | WS_HSCROLL | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_DISABLENOSCROLL);
    return S_OK;
}

HRESULT CCMTextHost::TxGetPasswordChar(TCHAR* ch) {
    *ch = m_passwordChar;
    return S_OK;
}

HRESULT CCMTextHost::TxGetAcceleratorPos(LONG* pos) {
    *pos = m_acceleratorPos;
    return S_OK;
}

HRESULT CCMTextHost::TxGetExtent(LPSIZEL extent) {
    *extent = m_extent;
    return S_OK;
}

HRESULT CCMTextHost::OnTxCharFormatChange(const CHARFORMATW*) { return S_OK; }

HRESULT CCMTextHost::OnTxParaFormatChange(const PARAFORMAT*) { return S_OK; }

HRESULT CCMTextHost::TxGetPropertyBits(DWORD mask, DWORD* bits) {
    DWORD result = 0;
    if (m_rich) result |= TXTBIT_RICHTEXT;
    if (m_style & ES_MULTILINE) result |= TXTBIT_MULTILINE;
    if (m_style & ES_READONLY) result |= TXTBIT_READONLY;
    if (m_style & ES_PASSWORD) result |= TXTBIT_USEPASSWORD;
    if (!(m_style & ES_NOHIDESEL)) result |= TXTBIT_HIDESELECTION;
    if (m_autoWordSelect) result |= TXTBIT_AUTOWORDSEL;
    if (m_wordWrap) result |= TXTBIT_WORDWRAP;
    if (m_allowBeep) result |= TXTBIT_ALLOWBEEP;
    if (m_saveSelection) result |= TXTBIT_SAVESELECTION;
    *bits = result & mask;
    return S_OK;
}

HRESULT CCMTextHost::TxNotify(DWORD code, void* data) {
    if (code == EN_REQUESTRESIZE && data) {
        // The request is in client coordinates; only its size carries over to the screen.
        const RECT& requested = static_cast<REQRESIZE*>(data)->rc;
        SetClientRect(RECT{m_rcLayout.left, m_rcLayout.top,
                           m_rcLayout.left + (requested.right - requested.left),
                           m_rcLayout.top + (requested.bottom - requested.top)});
    }
    m_owner->OnTextNotify(code, data);
    return S_OK;
}

HIMC CCMTextHost::TxImmGetContext() { return nullptr; }

void CCMTextHost::TxImmReleaseContext(HIMC) {}

HRESULT CCMTextHost::TxGetSelectionBarWidth(LONG* width) {
    *width = m_selBarWidth;
    return S_OK;
}
