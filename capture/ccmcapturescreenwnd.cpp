// Life of the capture window: creation, the screen grab, message routing, the private messages,
// the right-click menu and the operations on the annotation list.
#include "capture/ccmcapturescreenwnd.h"

#include <algorithm>

#include "capture/capturemodule.h"
#include "capture/captureresources.h"
#include "capture/messageguard.h"
#include "capture/objects/ccmdrawobj.h"
#include "capture/objects/ccmshapeobj.h"
#include "capture/objects/ccmtooltable.h"
#include "capture/text/ccmtextobj.h"
#include "common/skin/menuwnd.h"

namespace {

const wchar_t kHideToolItem[] = L"hidetool_btn";
const wchar_t kShowToolItem[] = L"showtool_btn";

}  // namespace

CCMCaptureScreenWnd::CCMCaptureScreenWnd(HWND notifyWindow, UINT notifyMessage)
    : m_nNotifyMessage(notifyMessage), m_hNotifyWindow(notifyWindow) {}

CCMCaptureScreenWnd::~CCMCaptureScreenWnd() {
    DeleteAllObjects();
    if (m_hCross) ::DestroyCursor(m_hCross);
}

void CCMCaptureScreenWnd::OnFinalMessage(HWND) {
    // The system sets the thread's context back to the window's when this message returns, so
    // the host's own context is restored after it.
    if (m_dpiAwareness) CMRestoreDpiAwarenessLater(std::move(m_dpiAwareness));
    bool current = CMGetCurrentCapture() == this;
    delete this;
    if (current) CMSetCurrentCapture(nullptr);
}

LRESULT CCMCaptureScreenWnd::OnCreate() {
    m_document = std::make_unique<CCMDocument>(this);
    if (!m_toolbar.CreateBar(m_hWnd, this, &m_optionBar) || !m_optionBar.CreateBar(m_hWnd, this))
        return -1;
    m_hCross = static_cast<HCURSOR>(
        ::LoadImageW(CMGetModule(), MAKEINTRESOURCEW(IDC_CAPTURE_CROSS), IMAGE_CURSOR, 32, 32, 0));
    ::GetWindowRect(m_hWnd, &m_rcWindow);
    GrabScreen();
    ::GetCursorPos(&m_ptCurrent);
    UpdateLoupe();
    ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
    ::SetForegroundWindow(m_hWnd);
    return 0;
}

void CCMCaptureScreenWnd::GrabScreen() {
    int width = m_rcWindow.right - m_rcWindow.left, height = m_rcWindow.bottom - m_rcWindow.top;
    HDC screen = ::GetDC(nullptr);
    m_snapshot.reset(::CreateCompatibleBitmap(screen, width, height));
    m_dimmed.reset(::CreateCompatibleBitmap(screen, width, height));
    m_scene.reset(::CreateCompatibleBitmap(screen, width, height));
    m_sceneStale.reset(::CreateRectRgn(0, 0, width, height));
    if (!m_sceneStale) m_scene.reset();
    CMMemoryDCPtr memory(::CreateCompatibleDC(screen));
    // Only what the displays show is read: a copy that reaches past them may fail whole.
    RECT shown = {::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN)};
    shown.right = shown.left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
    shown.bottom = shown.top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    RECT part;
    if (m_snapshot && memory && ::IntersectRect(&part, &shown, &m_rcWindow)) {
        CMSelectBitmap select(memory.get(), m_snapshot.get());
        ::BitBlt(memory.get(), part.left - m_rcWindow.left, part.top - m_rcWindow.top,
                 part.right - part.left, part.bottom - part.top, screen, part.left, part.top,
                 SRCCOPY);
    }
    ::ReleaseDC(nullptr, screen);
    // The shade over everything outside the selection never changes, so it is laid over a copy
    // of the snapshot once instead of being blended again on every paint.
    CMMemoryDCPtr shaded(memory ? ::CreateCompatibleDC(memory.get()) : nullptr);
    if (!m_dimmed || !shaded) {
        m_dimmed.reset();
        return;
    }
    CMSelectBitmap selectSnapshot(memory.get(), m_snapshot.get());
    CMSelectBitmap selectDimmed(shaded.get(), m_dimmed.get());
    ::BitBlt(shaded.get(), 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
    Gdiplus::Graphics graphics(shaded.get());
    Gdiplus::SolidBrush shade(Gdiplus::Color(0x7F000000));
    graphics.FillRectangle(&shade, 0, 0, width, height);
}

LRESULT CCMCaptureScreenWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return CMGuardMessage(m_hWnd, msg, [&] { return RouteMessage(msg, wParam, lParam); });
}

LRESULT CCMCaptureScreenWnd::RouteMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    bool handled = true;
    LRESULT result = 0;
    POINT client{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (msg) {
        case WM_CREATE:
            return OnCreate();
        case WM_PAINT:
            if (!m_snapshot) {
                handled = false;
                break;
            }
            OnPaint();
            return 0;
        case WM_SETCURSOR:
            // The cursor is chosen on every mouse move (an active text box may choose its
            // own); the class arrow must not replace it. Over the bars their own choice stands.
            if (reinterpret_cast<HWND>(wParam) != m_hWnd || LOWORD(lParam) != HTCLIENT) {
                handled = false;
                break;
            }
            if (m_pCurrent && m_pCurrent->IsActive()) {
                bool used = false;
                LRESULT answer = m_pCurrent->HandleObjectMessage(msg, wParam, lParam, used);
                if (used) return answer;
            }
            return TRUE;
        case WM_KEYDOWN:
            result = OnKeyDown(wParam, handled);
            break;
        case WM_TIMER:
            if (wParam == 1 && m_pCurrent) InvalidateObject(m_pCurrent);
            return 0;
        case WM_MOUSEMOVE:
            result = OnMouseMove(wParam, client, handled);
            break;
        case WM_LBUTTONDOWN:
            result = OnLButtonDown(client, handled);
            break;
        case WM_LBUTTONUP:
            result = OnLButtonUp(client, handled);
            break;
        case WM_LBUTTONDBLCLK:
            result = OnLButtonDblClk(client, handled);
            break;
        case WM_RBUTTONUP:
            result = OnRButtonUp(client, handled);
            break;
        case WM_DESTROY:
            DeleteAllObjects();
            m_document.reset();
            handled = false;
            break;
        case WM_CAPTURE_ACTION:
            return OnAction(wParam);
        case WM_CAPTURE_MENUCMD: {
            std::unique_ptr<wchar_t[]> item(reinterpret_cast<wchar_t*>(lParam));
            if (wParam == 1 && item) OnMenuCommand(item.get());
            return 0;
        }
        case WM_CAPTURE_MENUNOTIFY:
            return OnMenuNotify(wParam, lParam);
        default:
            handled = false;
    }
    if (handled) return result;
    if (m_pCurrent && m_pCurrent->IsActive()) {
        bool used = false;
        LRESULT answer = m_pCurrent->HandleObjectMessage(msg, wParam, lParam, used);
        if (used) return answer;
    }
    return CNTWindow::HandleMessage(msg, wParam, lParam);
}

LRESULT CCMCaptureScreenWnd::OnAction(WPARAM action) {
    switch (action) {
        case 0:
            CloseCapture();
            break;
        case 1:
            CompleteToClipboard();
            break;
        case 2:
            ResetSelection();
            break;
    }
    return 0;
}

void CCMCaptureScreenWnd::PostCaptureAction(int action) {
    PostMessage(WM_CAPTURE_ACTION, static_cast<WPARAM>(action), 0);
}

void CCMCaptureScreenWnd::CloseCapture() {
    // The object is gone once this returns (OnFinalMessage).
    if (::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

void CCMCaptureScreenWnd::InvalidateScreenRect(const RECT& rc) {
    RECT client = rc;
    ::OffsetRect(&client, -m_rcWindow.left, -m_rcWindow.top);
    MarkSceneChanged(&client);
    ::InvalidateRect(m_hWnd, &client, FALSE);
}

void CCMCaptureScreenWnd::RepaintScreenRect(const RECT& rc) {
    RECT client = rc;
    ::OffsetRect(&client, -m_rcWindow.left, -m_rcWindow.top);
    ::InvalidateRect(m_hWnd, &client, FALSE);
}

void CCMCaptureScreenWnd::ResetSelection() {
    m_bEditing = false;
    m_nMode = MODE_SELECTING;
    HideBars();
    DeleteAllObjects();
    MarkSceneChanged(nullptr);
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    UpdateLoupe();
}

void CCMCaptureScreenWnd::DeleteAllObjects() {
    m_pCurrent = nullptr;
    m_objects.clear();
    m_redo.clear();
}

void CCMCaptureScreenWnd::DeactivateCurrentObject() {
    if (!m_pCurrent) return;
    m_pCurrent->Deactivate();
    InvalidateObject(m_pCurrent);
    m_pCurrent = nullptr;
}

void CCMCaptureScreenWnd::UndoLast() {
    DeactivateCurrentObject();
    if (!m_objects.empty()) {
        InvalidateObject(m_objects.back().get());
        m_redo.push_back(std::move(m_objects.back()));
        m_objects.pop_back();
    }
    if (m_objects.empty()) return;
    m_pCurrent = m_objects.back().get();
    m_pCurrent->Activate();
    InvalidateObject(m_pCurrent);
}

void CCMCaptureScreenWnd::RedoLast() {
    if (m_redo.empty()) return;
    DeactivateCurrentObject();
    m_objects.push_back(std::move(m_redo.back()));
    m_redo.pop_back();
    // As after an undo, the newest object is the current one.
    m_pCurrent = m_objects.back().get();
    m_pCurrent->Activate();
    InvalidateObject(m_pCurrent);
}

void CCMCaptureScreenWnd::ApplyMosaicBlock(int blockSize) {
    ::ApplyMosaicBlock(m_objects, blockSize);
}

void CCMCaptureScreenWnd::SetTextFontSize(int size) {
    if (CCMTextObj* text = CurrentText()) text->ApplyFontSize(size);
}

void CCMCaptureScreenWnd::SetTextColor(DWORD argb) {
    if (CCMTextObj* text = CurrentText()) text->ApplyColor(argb);
}

CCMTextObj* CCMCaptureScreenWnd::CurrentText() const {
    if (!m_pCurrent || !m_pCurrent->IsKindOf(L"CCMTextObj")) return nullptr;
    return static_cast<CCMTextObj*>(m_pCurrent);
}

void CCMCaptureScreenWnd::OnRButtonMenu(POINT screen) {
    (new CMenuWnd(m_hWnd))->Init(nullptr, WM_CAPTURE_MENUNOTIFY, L"popmenu.xml", L"xml", screen);
}

LRESULT CCMCaptureScreenWnd::OnMenuNotify(WPARAM wParam, LPARAM lParam) {
    auto* notify = reinterpret_cast<TNotifyUI*>(wParam);
    auto* menu = reinterpret_cast<CPaintManagerUI*>(lParam);
    if (!notify) return 0;
    if (notify->sType == kNotifyWindowInit && menu) {
        bool toolbarShown = ::IsWindowVisible(m_toolbar.GetHWND()) != FALSE;
        if (CControlUI* hide = menu->FindControl(kHideToolItem)) hide->SetVisible(toolbarShown);
        if (CControlUI* show = menu->FindControl(kShowToolItem)) show->SetVisible(!toolbarShown);
    } else if ((notify->sType == kNotifyClick || notify->sType == kNotifyItemClick) &&
               notify->pSender) {
        const std::wstring& name = notify->pSender->GetName();
        auto* copy = new wchar_t[name.size() + 1];
        std::copy(name.c_str(), name.c_str() + name.size() + 1, copy);
        if (!PostMessage(WM_CAPTURE_MENUCMD, 1, reinterpret_cast<LPARAM>(copy))) delete[] copy;
    }
    return 0;
}

void CCMCaptureScreenWnd::OnMenuCommand(const std::wstring& item) {
    if (item == kHideToolItem) {
        HideBars();
    } else if (item == kShowToolItem) {
        ::ShowWindow(m_toolbar.GetHWND(), SW_SHOWNOACTIVATE);
        m_toolbar.UpdateOptionBar(true);
    } else if (item == L"exit_btn") {
        PostCaptureAction(0);
    } else if (item == L"complete_btn") {
        PostCaptureAction(1);
    } else if (item == L"save_btn") {
        if (SaveToFile()) PostCaptureAction(0);
    } else if (item == L"reselect_btn") {
        PostCaptureAction(2);
    } else if (item == L"undo_btn") {
        UndoLast();
    } else if (const CCMToolInfo* tool = FindToolByButton(item.c_str())) {
        m_toolbar.SelectTool(m_toolbar.GetCurrentTool() == tool->tool ? TOOL_NONE : tool->tool);
    }
}
