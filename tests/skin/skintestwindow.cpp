#include "skin/skintestwindow.h"

void SkinTestWindow::Notify(TNotifyUI& msg) {
    log.Notify(msg);
    if (handleWindowButtons && msg.sType == kNotifyClick && msg.pSender) {
        const std::wstring& name = msg.pSender->GetName();
        if (name == L"closebtn") ShowWindow(false, false);
        if (name == L"minbtn") SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
        msg.bHandled = name == L"closebtn" || name == L"minbtn";
    }
    // The base closes on closebtn and answers nothing else the tests use.
    WindowImplBase::Notify(msg);
}

LRESULT SkinTestWindow::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM, bool& bHandled) {
    if (consumeEscape && uMsg == WM_KEYDOWN && wParam == VK_ESCAPE) bHandled = true;
    return 0;
}

LRESULT SkinTestWindow::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_NCLBUTTONDBLCLK && ignoreCaptionDoubleClick) return 0;
    return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

LRESULT SkinTestWindow::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    LRESULT result = WindowImplBase::OnCreate(uMsg, wParam, lParam, bHandled);
    return failAfterBuild ? -1 : result;
}

LRESULT SkinTestWindow::OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    ++closeRequests;
    if (!keepOpenOnClose) return WindowImplBase::OnClose(uMsg, wParam, lParam, bHandled);
    bHandled = TRUE;
    return 0;
}

LRESULT SkinTestWindow::OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    if ((wParam & 0xFFF0) == SC_MINIMIZE) ++minimizeCommands;
    return WindowImplBase::OnSysCommand(uMsg, wParam, lParam, bHandled);
}

POINT SkinTestWindow::ScreenCenter(const wchar_t* name) {
    CControlUI* control = Find(name);
    if (!control) return POINT{-1, -1};
    RECT rc = control->GetPos();
    POINT pt{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    ::ClientToScreen(m_hWnd, &pt);
    return pt;
}

LRESULT SkinTestWindow::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam,
                                            BOOL& bHandled) {
    if (uMsg == WM_MOVE && onMove) onMove();
    if (uMsg != kMenuMessage) {
        bHandled = FALSE;
        return 0;
    }
    auto* msg = reinterpret_cast<TNotifyUI*>(wParam);
    auto* menu = reinterpret_cast<CPaintManagerUI*>(lParam);
    menuEvents.push_back(msg->sType + L":" + (msg->pSender ? msg->pSender->GetName() : L""));
    if (msg->sType == kNotifyWindowInit && onMenuInit) onMenuInit(*menu);
    return 0;
}

void SkinTestWindow::OnFinalMessage(HWND hWnd) {
    WindowImplBase::OnFinalMessage(hWnd);
    ++finalMessages;
}

void UseTestSkinFolder() {
    CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
    CPaintManagerUI::SetResourcePath(SkinDataDir().c_str());
    CPaintManagerUI::SetResourceZip(L"");
}
