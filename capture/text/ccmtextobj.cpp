#include "capture/text/ccmtextobj.h"

#include <imm.h>
#include <windowsx.h>

#include <algorithm>

#include "capture/ccmdocument.h"
#include "capture/text/ccmtexthost.h"
#include "common/util/ntimage.h"

namespace {

constexpr int kMinWidth = 100;
constexpr int kMinHeight = 50;
constexpr int kFrameWidth = 8;  // the frame a press drags the box by
constexpr int kTextMargin = 16;

bool IsPressOrRelease(UINT msg) { return msg >= WM_LBUTTONDOWN && msg <= WM_RBUTTONUP; }

}  // namespace

CCMTextObj::CCMTextObj(CCMDocument* document, int x, int y, int width, int height)
    : CCMDrawObj(document) {
    AddClassName(L"CCMTextObj");
    SetObjectRect(x, y, width, height);
}

CCMTextObj::~CCMTextObj() {
    if (m_host) m_host->Release();
}

bool CCMTextObj::CreateHost() {
    CCMDocument* document = GetDocument();
    m_host = new CCMTextHost(this);
    // Before the services exist: some read the background style only when they are created.
    m_host->SetTransparent(true);
    CCMTextDefaults defaults;
    defaults.argb = m_color;
    defaults.fontSize = m_fontSize;
    defaults.rich = m_rich;
    defaults.maxLength = m_maxLength;
    defaults.initialText = m_initialText;
    if (!m_host->Init(document ? document->GetDC() : nullptr, defaults)) {
        m_host->Release();
        m_host = nullptr;
        return false;
    }
    m_host->SendToServices(EM_SETLANGOPTIONS, 0, 0, nullptr);
    m_host->InPlaceActivate();
    Gdiplus::Rect rc = GetNormalRect();
    SetObjectRect(rc.X, rc.Y, rc.Width, rc.Height);
    return true;
}

RECT CCMTextObj::GetLayoutRect() const {
    Gdiplus::Rect rc = GetNormalRect();
    return RECT{rc.X + m_insets.left, rc.Y + m_insets.top, rc.GetRight() - m_insets.right,
                rc.GetBottom() - m_insets.bottom};
}

std::wstring CCMTextObj::GetText() const {
    if (!m_host) return std::wstring();
    GETTEXTLENGTHEX length = {GTL_DEFAULT, 1200};
    LRESULT count = 0;
    m_host->SendToServices(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0, &count);
    if (count <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(count) + 1, L'\0');
    GETTEXTEX get = {};
    get.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    get.flags = GT_DEFAULT;
    get.codepage = 1200;
    m_host->SendToServices(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                           reinterpret_cast<LPARAM>(&text[0]), nullptr);
    text.resize(::wcslen(text.c_str()));
    return text;
}

void CCMTextObj::AutoSize() {
    CCMDocument* document = GetDocument();
    if (!m_host || !document || !document->GetDC()) return;
    LOGFONTW face = {};
    ::GetObjectW(NTGetSystemFont(), sizeof(face), &face);
    Gdiplus::Font font(face.lfFaceName, static_cast<Gdiplus::REAL>(m_fontSize),
                       Gdiplus::FontStyleRegular, Gdiplus::UnitPoint);
    Gdiplus::Graphics graphics(document->GetDC());

    // Each line keeps its carriage return, as the services hold it.
    std::wstring text = GetText();
    int width = kMinWidth;
    int lineHeight = 0;
    size_t start = 0;
    do {
        size_t end = text.find(L'\r', start);
        end = end == std::wstring::npos ? text.size() : end + 1;
        Gdiplus::RectF bounds;
        graphics.MeasureString(text.c_str() + start, static_cast<INT>(end - start), &font,
                               Gdiplus::PointF(0, 0), &bounds);
        width = std::max(width, static_cast<int>(bounds.Width) + kTextMargin);
        lineHeight = std::max(lineHeight, static_cast<int>(bounds.Height));
        start = end;
    } while (start < text.size());

    InvalidateSelf();
    RECT selection = document->GetSelection();
    Gdiplus::Rect rc = GetNormalRect();
    width = std::min(width, static_cast<int>(selection.right) - rc.X);
    SetObjectRect(rc.X, rc.Y, width, rc.Height);

    LRESULT lines = 0;
    m_host->SendToServices(EM_GETLINECOUNT, 0, 0, &lines);
    if (lines > 1) {
        LRESULT second = -1;
        m_host->SendToServices(EM_LINEINDEX, 1, 0, &second);
        if (second != -1) {
            POINTL first = {}, next = {};
            m_host->SendToServices(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&first), 0, nullptr);
            m_host->SendToServices(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&next), second,
                                   nullptr);
            lineHeight = next.y - first.y;
        }
    }
    int height = std::max(kMinHeight, lineHeight * static_cast<int>(lines) + kTextMargin);
    height = std::min(height, static_cast<int>(selection.bottom) - rc.Y);
    SetObjectRect(rc.X, rc.Y, width, height);
    InvalidateSelf();
}

void CCMTextObj::ApplyFontSize(int points) {
    if (!m_host) return;
    m_host->SetTextFontSize(points);
    // Measured at the old size the box would cut a larger text off (or leave a smaller one in
    // a box too big): the box measures with the size the text now has.
    m_fontSize = points;
    AutoSize();
}

void CCMTextObj::ApplyColor(DWORD argb) {
    if (!m_host) return;
    m_host->SetTextColor(argb);
    m_color = argb;
    InvalidateSelf();
}

int CCMTextObj::HitTest(POINT pt) const {
    Gdiplus::Rect rc = GetNormalRect();
    if (pt.x < rc.X || pt.y < rc.Y || pt.x >= rc.GetRight() || pt.y >= rc.GetBottom()) return 0;
    bool frame = pt.x < rc.X + kFrameWidth || pt.y < rc.Y + kFrameWidth ||
                 pt.x >= rc.GetRight() - kFrameWidth || pt.y >= rc.GetBottom() - kFrameWidth;
    return frame ? -2 : -1;
}

bool CCMTextObj::Intersects(const RECT& rc) const {
    Gdiplus::Rect own = GetNormalRect();
    RECT box = {own.X, own.Y, own.GetRight(), own.GetBottom()};
    RECT common;
    return ::IntersectRect(&common, &box, &rc) != FALSE;
}

void CCMTextObj::SetObjectRect(int x, int y, int width, int height) {
    CCMDrawObj::SetObjectRect(x, y, width, height);
    if (m_host) m_host->SetClientRect(GetLayoutRect());
}

void CCMTextObj::BuildPath(Gdiplus::GraphicsPath& path, const Gdiplus::Rect& rect) const {
    path.AddRectangle(rect);
}

void CCMTextObj::FillPath(Gdiplus::Graphics& graphics, const Gdiplus::Rect&, Gdiplus::GraphicsPath&,
                          const Gdiplus::Rect&, POINT origin) {
    if (!m_host) return;
    // The services lay the text out in the window's client coordinates; the target's pixel
    // (0, 0) is the screen point origin, so shift the DC by the difference.
    POINT window = GetTextOrigin();
    HDC hdc = graphics.GetHDC();
    POINT old;
    ::OffsetViewportOrgEx(hdc, window.x - origin.x, window.y - origin.y, &old);
    RECT layout = m_host->GetClientLayoutRect();
    RECTL bounds = {layout.left, layout.top, layout.right, layout.bottom};
    m_host->GetTextServices()->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, hdc, nullptr, &bounds,
                                      nullptr, &layout, nullptr, 0, TXTVIEW_ACTIVE);
    ::SetViewportOrgEx(hdc, old.x, old.y, nullptr);
    graphics.ReleaseHDC(hdc);
}

void CCMTextObj::StrokePath(Gdiplus::Graphics& graphics, const Gdiplus::Rect&,
                            Gdiplus::GraphicsPath& path, const Gdiplus::Rect&, POINT) {
    if (!IsActive()) return;
    Gdiplus::Pen pen(Gdiplus::Color(0x7F000000), 1.0f);
    pen.SetAlignment(Gdiplus::PenAlignmentCenter);
    pen.SetDashStyle(Gdiplus::DashStyleDash);
    pen.SetStartCap(Gdiplus::LineCapRound);
    pen.SetEndCap(Gdiplus::LineCapRound);
    graphics.DrawPath(&pen, &path);
}

void CCMTextObj::Activate() {
    if (m_host) {
        m_host->InPlaceActivate();
        m_host->SendToServices(WM_SETFOCUS, 0, 0, nullptr);
    }
    SetActive(true);
}

void CCMTextObj::Deactivate() {
    if (m_host) {
        m_host->InPlaceActivate();
        m_host->SendToServices(WM_KILLFOCUS, 0, 0, nullptr);
    }
    SetActive(false);
}

LRESULT CCMTextObj::HandleObjectMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = false;
    if (!m_host) return 0;
    if (msg == WM_IME_STARTCOMPOSITION) {
        // Left unhandled so that the system's own composition handling still runs.
        PlaceCompositionWindow();
        return 0;
    }
    if ((msg >= WM_MOUSEFIRST && msg <= WM_MOUSEHWHEEL) || msg == WM_SETCURSOR)
        return HandleMouse(msg, wParam, lParam, handled);
    if (msg >= WM_KEYDOWN && msg <= WM_SYSDEADCHAR && IsActive())
        return HandleKey(msg, wParam, lParam, handled);
    // WM_IME_CHAR and the rest go to the window's default handling, which turns a composed
    // character into WM_CHAR; that then arrives here as a key.
    return 0;
}

LRESULT CCMTextObj::HandleMouse(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (!m_host->HasMouseCapture()) {
        POINT client;
        if (msg == WM_SETCURSOR) {
            ::GetCursorPos(&client);
            ::ScreenToClient(GetTextWindow(), &client);
        } else {
            client = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (msg == WM_MOUSEWHEEL || msg == WM_MOUSEHWHEEL)
                ::ScreenToClient(GetTextWindow(), &client);
        }
        POINT origin = GetTextOrigin();
        if (IsPressOrRelease(msg)) {
            POINT screen = {client.x + origin.x, client.y + origin.y};
            if (!HitTest(screen)) return 0;
        }
        RECT layout = m_host->GetClientLayoutRect();
        if (!::PtInRect(&layout, client)) return 0;
    }
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDOWN) Activate();
    LRESULT result = 0;
    HRESULT hr = m_host->SendToServices(msg, wParam, lParam, &result);
    if (msg != WM_SETCURSOR) handled = hr == S_OK || (FAILED(hr) && m_host->HasMouseCapture());
    return result;
}

LRESULT CCMTextObj::HandleKey(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    if (msg == WM_KEYDOWN && wParam == 'V' && ::GetKeyState(VK_CONTROL) < 0) {
        // Pasted text takes the size chosen in the option bar, like typed text.
        m_host->SendToServices(WM_PASTE, 0, 0, nullptr);
        CCMDocument* document = GetDocument();
        int size = document ? document->GetOptionFontSize() : 0;
        if (size > 0) ApplyFontSize(size);
        return 0;
    }
    LRESULT result = 0;
    m_host->SendToServices(msg, wParam, lParam, &result);
    return result;
}

void CCMTextObj::PlaceCompositionWindow() const {
    HWND hWnd = GetTextWindow();
    HIMC context = ::ImmGetContext(hWnd);
    if (!context) return;
    COMPOSITIONFORM form = {};
    form.dwStyle = CFS_POINT;
    ::GetCaretPos(&form.ptCurrentPos);
    ::ImmSetCompositionWindow(context, &form);
    ::ImmReleaseContext(hWnd, context);
}

HCURSOR CCMTextObj::GetCursorAt(POINT pt) const {
    switch (HitTest(pt)) {
        case -2:
            return ::LoadCursorW(nullptr, IDC_SIZEALL);
        case -1:
            return ::LoadCursorW(nullptr, IDC_IBEAM);
        default:
            return nullptr;
    }
}

void CCMTextObj::Offset(int dx, int dy) {
    CCMDrawObj::Offset(dx, dy);
    Gdiplus::Rect rc = GetNormalRect();
    SetObjectRect(rc.X, rc.Y, rc.Width, rc.Height);
}

HWND CCMTextObj::GetTextWindow() const {
    CCMDocument* document = GetDocument();
    return document ? document->GetWindow() : nullptr;
}

POINT CCMTextObj::GetTextOrigin() const {
    CCMDocument* document = GetDocument();
    return document ? document->GetScreenOrigin() : POINT{0, 0};
}

void CCMTextObj::InvalidateText(const RECT& client) {
    CCMDocument* document = GetDocument();
    if (!document) return;
    const POINT origin = document->GetScreenOrigin();
    RECT screen = client;
    ::OffsetRect(&screen, origin.x, origin.y);
    document->Invalidate(screen);
}

void CCMTextObj::OnTextNotify(DWORD code, void*) {
    if (code == EN_CHANGE) AutoSize();
}

void CCMTextObj::InvalidateSelf() {
    if (CCMDocument* document = GetDocument()) document->Invalidate(GetBoundsRect());
}
