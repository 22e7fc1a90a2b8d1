#include "capture/toolbar/ccmtoolbar.h"

#include <commctrl.h>

#include "capture/messageguard.h"

#include "capture/objects/ccmtooltable.h"
#include "capture/toolbar/ccmcaptureview.h"
#include "capture/toolbar/ccmoptionbar.h"
#include "common/skin/optionui.h"
#include "common/util/ntdebug.h"

namespace {

// The ten buttons with their tooltips; the first six are the tools in tool-table order.
struct ButtonTip {
    const wchar_t* name;
    const wchar_t* tip;
};
const ButtonTip kButtons[10] = {
    {L"rectangle_btn", L"矩形"},      {L"ellipse_btn", L"椭圆"},
    {L"arrow_btn", L"箭头"},          {L"brush_btn", L"画笔"},
    {L"mosaic_btn", L"马赛克"},       {L"text_btn", L"文字"},
    {L"undo_btn", L"撤销 (Ctrl+Z)"},  {L"save_btn", L"保存 (Ctrl+S)"},
    {L"exit_btn", L"退出截图 (Esc)"}, {L"complete_btn", L"完成截图 (双击选区)"},
};

}  // namespace

CCMToolbar::~CCMToolbar() = default;

bool CCMToolbar::CreateBar(HWND parent, CCMCaptureView* view, CCMOptionBar* optionBar) {
    m_view = view;
    m_optionBar = optionBar;
    return Create(parent, L"", WS_CHILD, 0, 0, 0, 1, 1) != nullptr;
}

LRESULT CCMToolbar::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    const LRESULT result = WindowImplBase::OnCreate(uMsg, wParam, lParam, bHandled);
    if (result == -1) {
        CNTDebug::Output(NTGetDebug(), L"CCMToolbar::OnCreate - 打开界面文件错误.\n");
        return result;
    }
    CreateTooltips();
    return result;
}

void CCMToolbar::SelectTool(int tool) {
    m_tool = FindTool(tool) ? tool : TOOL_NONE;
    for (int i = 0; i < kToolCount; ++i) {
        const bool selected = AllTools()[i].tool == m_tool;
        if (m_toolButtons[i] && m_toolButtons[i]->IsSelected() != selected)
            m_toolButtons[i]->Selected(selected, false);
    }
    if (m_optionBar) {
        m_optionBar->SetTool(m_tool);
        m_optionBar->ShowBelow(m_hWnd);
    }
    if (m_view) m_view->DeactivateCurrentObject();
}

void CCMToolbar::UpdateOptionBar(bool show) {
    if (!m_optionBar) return;
    if (show && m_tool != TOOL_NONE)
        m_optionBar->ShowBelow(m_hWnd);
    else
        m_optionBar->Hide();
}

void CCMToolbar::Notify(TNotifyUI& msg) {
    if (msg.sType == kNotifyWindowInit) {
        for (int i = 0; i < 10; ++i) m_buttons[i] = m_pm.FindControl(kButtons[i].name);
        for (int i = 0; i < kToolCount; ++i)
            m_toolButtons[i] = dynamic_cast<COptionUI*>(m_pm.FindControl(AllTools()[i].buttonName));
        return;
    }
    if (!msg.pSender || !m_view) return;
    if (msg.sType == kNotifyClick)
        OnClick(msg.pSender->GetName());
    else if (msg.sType == kNotifySelectChanged)
        OnToolButton(msg.pSender->GetName());
}

void CCMToolbar::OnClick(const std::wstring& name) {
    if (name == L"save_btn") {
        if (m_view->SaveToFile()) m_view->PostCaptureAction(0);
    } else if (name == L"exit_btn") {
        m_view->PostCaptureAction(0);
    } else if (name == L"complete_btn") {
        m_view->PostCaptureAction(1);
    } else if (name == L"undo_btn") {
        m_view->UndoLast();
    }
}

void CCMToolbar::OnToolButton(const std::wstring& name) {
    const CCMToolInfo* info = FindToolByButton(name.c_str());
    if (!info) return;
    const auto* button = dynamic_cast<COptionUI*>(m_pm.FindControl(info->buttonName));
    SelectTool(button && button->IsSelected() ? info->tool : TOOL_NONE);
}

bool CCMToolbar::IsButton(const CControlUI* control) const {
    if (!control) return false;
    for (const CControlUI* button : m_buttons)
        if (button == control) return true;
    return false;
}

LRESULT CCMToolbar::OnNcHitTest(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    const LRESULT hit = WindowImplBase::OnNcHitTest(uMsg, wParam, lParam, bHandled);
    if (!bHandled || hit != HTCLIENT) return hit;
    POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ::ScreenToClient(m_hWnd, &pt);
    return IsButton(m_pm.FindControl(pt)) ? HTCLIENT : HTCAPTION;
}

LRESULT CCMToolbar::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return CMGuardMessage(m_hWnd, uMsg, [&] { return RouteMessage(uMsg, wParam, lParam); });
}

LRESULT CCMToolbar::RouteMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
        case WM_SETFOCUS:
            // Keys belong to the capture window and its text box.
            if (HWND parent = ::GetParent(m_hWnd)) ::SetFocus(parent);
            return 0;
        case WM_MOVE:
            if (m_optionBar) m_optionBar->FollowToolbar(m_hWnd);
            break;
        case WM_SIZE: {
            // The controls are laid out by the framework's own size handling first.
            const LRESULT result = WindowImplBase::HandleMessage(uMsg, wParam, lParam);
            UpdateTooltipRects();
            return result;
        }
        case WM_DESTROY:
            if (m_tooltip) ::DestroyWindow(m_tooltip);
            m_tooltip = nullptr;
            break;
        default:
            break;
    }
    return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

void CCMToolbar::OnFinalMessage(HWND hWnd) {
    WindowImplBase::OnFinalMessage(hWnd);
    for (CControlUI*& button : m_buttons) button = nullptr;
    for (COptionUI*& button : m_toolButtons) button = nullptr;
}

void CCMToolbar::CreateTooltips() {
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&init);
    m_tooltip =
        ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                          WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, GetInstance(), nullptr);
    if (!m_tooltip) return;
    for (int i = 0; i < 10; ++i) {
        if (!m_buttons[i]) continue;
        TTTOOLINFOW info{};
        info.cbSize = sizeof(info);
        info.uFlags = TTF_SUBCLASS;
        info.hwnd = m_hWnd;
        info.uId = static_cast<UINT_PTR>(i + 1);
        info.rect = m_buttons[i]->GetPos();
        info.lpszText = const_cast<wchar_t*>(kButtons[i].tip);
        ::SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

void CCMToolbar::UpdateTooltipRects() {
    if (!m_tooltip) return;
    for (int i = 0; i < 10; ++i) {
        if (!m_buttons[i]) continue;
        TTTOOLINFOW info{};
        info.cbSize = sizeof(info);
        info.hwnd = m_hWnd;
        info.uId = static_cast<UINT_PTR>(i + 1);
        info.rect = m_buttons[i]->GetPos();
        ::SendMessageW(m_tooltip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
    }
}
